#pragma once
// The rows of one query, read completely when the query runs (a read-only,
// static recordset): forward reading with an end test, fields by position or
// by name ignoring letter case, and the row count.
#include "platform/db/Value.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace platform::db {

class Recordset {
public:
    Recordset() = default;
    Recordset(QStringList names, std::vector<QString> declTypes, std::vector<Value> cells);

    // Fields.
    int fieldCount() const { return int(m_names.size()); }
    QString fieldName(int i) const;                 // RuntimeError(ItemNotFound) when out of range
    const QStringList &fieldNames() const { return m_names; }
    QString declType(int i) const;                  // the column's declared type ("" for expressions)
    int fieldIndex(const QString &name) const;      // ignoring case; -1 when absent

    // Navigation.
    int recordCount() const { return m_rows; }
    bool eof() const { return m_pos >= m_rows; }
    bool bof() const { return m_pos < 0 || m_rows == 0; }
    int position() const { return m_pos; }
    void moveFirst() { m_pos = 0; }
    void moveNext() { if (m_pos < m_rows) ++m_pos; }
    void move(int row) { m_pos = row; }

    // Values of the current row. RuntimeError(ItemNotFound) for an unknown
    // field, and an error when there is no current row (eof or bof).
    const Value &field(int i) const;
    const Value &field(const QString &name) const;
    QString text(int i) const { return field(i).toString(); }
    QString text(const QString &name) const { return field(name).toString(); }

    // Direct access to any row.
    const Value &at(int row, int col) const { return m_cells[size_t(row) * m_names.size() + col]; }

private:
    QStringList m_names;
    std::vector<QString> m_declTypes;
    std::vector<Value> m_cells;
    int m_rows = 0;
    int m_pos = 0;
};

} // namespace platform::db
