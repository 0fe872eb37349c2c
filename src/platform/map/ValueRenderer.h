#pragma once
// Colours a layer by the value of one attribute: each listed value has its own
// symbol; shapes whose value is not listed take the default symbol (or are not
// drawn when the default is off). Values are compared as keys (see matchKey).
#include "platform/map/MapTypes.h"

#include <QColor>
#include <QHash>
#include <QString>
#include <vector>

namespace platform::map {

// The comparison form of a value text: blanks trimmed; a number with an integral
// value becomes its integer text ("037", " 37", "37.0", "37,0" -> "37"); any
// other text stays as trimmed.
QString matchKey(const QString &text);

class ValueRenderer {
public:
    ValueRenderer() = default;
    explicit ValueRenderer(const QString &field) : m_field(field) {}

    const QString &field() const { return m_field; }
    void setField(const QString &f) { m_field = f; }

    bool useDefault() const { return m_useDefault; }
    void setUseDefault(bool on) { m_useDefault = on; }
    const Symbol &defaultSymbol() const { return m_default; }
    void setDefaultSymbol(const Symbol &s) { m_default = s; }

    // Appends one value with its symbol; returns its index.
    int addValue(const QString &value, const Symbol &symbol);
    int valueCount() const { return int(m_values.size()); }
    const QString &value(int i) const { return m_values.at(i).value; }
    const Symbol &symbol(int i) const { return m_values.at(i).symbol; }
    Symbol &symbol(int i) { return m_values.at(i).symbol; }

    // The index of the entry whose value matches `attributeText`, -1 when none.
    // When several entries match, the first one listed wins.
    int find(const QString &attributeText) const;
    // The symbol for a shape with this attribute text; nullptr when none
    // matches and the default is off (the shape is not drawn).
    const Symbol *resolve(const QString &attributeText) const;

private:
    struct Entry {
        QString value;
        Symbol symbol;
    };
    QString m_field;
    bool m_useDefault = true;
    Symbol m_default;
    std::vector<Entry> m_values;
    QHash<QString, int> m_index; // matchKey -> first entry
};

// `count` colours evenly spaced from `from` to `to` (both included).
std::vector<QColor> rampColors(const QColor &from, const QColor &to, int count);

} // namespace platform::map
