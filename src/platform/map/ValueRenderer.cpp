#include "platform/map/ValueRenderer.h"

#include <cmath>
#include <limits>

namespace platform::map {

QString matchKey(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return t;
    // Attribute texts come with a point, typed values may come with a comma;
    // either is accepted as the decimal separator of a plain number.
    QString n = t;
    if (!n.contains(u'.'))
        n.replace(u',', u'.');
    bool ok = false;
    const double v = n.toDouble(&ok);
    if (ok && std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9.0e15)
        return QString::number(static_cast<long long>(v));
    return t;
}

int ValueRenderer::addValue(const QString &value, const Symbol &symbol)
{
    const int i = int(m_values.size());
    m_values.push_back({value, symbol});
    const QString key = matchKey(value);
    if (!m_index.contains(key)) // a repeated key keeps its first entry
        m_index.insert(key, i);
    return i;
}

int ValueRenderer::find(const QString &attributeText) const
{
    return m_index.value(matchKey(attributeText), -1);
}

const Symbol *ValueRenderer::resolve(const QString &attributeText) const
{
    const int i = find(attributeText);
    if (i >= 0)
        return &m_values[i].symbol;
    return m_useDefault ? &m_default : nullptr;
}

std::vector<QColor> rampColors(const QColor &from, const QColor &to, int count)
{
    std::vector<QColor> out;
    if (count <= 0)
        return out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double t = count == 1 ? 0.0 : double(i) / (count - 1);
        auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
        out.emplace_back(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
    }
    return out;
}

} // namespace platform::map
