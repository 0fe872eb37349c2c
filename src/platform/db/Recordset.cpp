#include "platform/db/Recordset.h"
#include "platform/Error.h"

namespace platform::db {

Recordset::Recordset(QStringList names, std::vector<QString> declTypes, std::vector<Value> cells)
    : m_names(std::move(names)), m_declTypes(std::move(declTypes)), m_cells(std::move(cells))
{
    m_rows = m_names.isEmpty() ? 0 : int(m_cells.size() / size_t(m_names.size()));
}

QString Recordset::fieldName(int i) const
{
    if (i < 0 || i >= fieldCount())
        throw RuntimeError(err::ItemNotFound,
                           QStringLiteral("Elemento non trovato nell'insieme: campo %1").arg(i));
    return m_names[i];
}

QString Recordset::declType(int i) const
{
    if (i < 0 || i >= int(m_declTypes.size()))
        return {};
    return m_declTypes[size_t(i)];
}

int Recordset::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const Value &Recordset::field(int i) const
{
    if (i < 0 || i >= fieldCount())
        throw RuntimeError(err::ItemNotFound,
                           QStringLiteral("Elemento non trovato nell'insieme: campo %1").arg(i));
    if (m_pos < 0 || m_pos >= m_rows)
        throw RuntimeError(3021, QStringLiteral("Nessun record corrente."));
    return at(m_pos, i);
}

const Value &Recordset::field(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw RuntimeError(err::ItemNotFound,
                           QStringLiteral("Elemento non trovato nell'insieme: campo \"%1\"").arg(name));
    return field(i);
}

} // namespace platform::db
