#include "maps/LayoutElements.h"

#include "platform/Error.h"
#include "platform/NumText.h"

#include <cmath>

namespace maps {

void LayoutLegend::Add(const QString &fontName, const QString &fontSize, double textColor, double boxColor,
                       const QString &text, double left, double top)
{
    Row r;
    r.FontName = fontName;
    const auto size = platform::num::parse(fontSize);
    r.FontSize = size ? int(std::lround(platform::num::roundHalfEven(*size, 0))) : 0;
    r.Text = text;
    r.Left = left;
    r.Top = top;
    r.TextColor = textColor;
    r.BoxColor = boxColor;
    m_rows.push_back(r);
}

LayoutLegend::Row &LayoutLegend::row(int i)
{
    if (i < 0 || i >= Count())
        throw platform::RuntimeError(platform::err::SubscriptOutOfRange, QStringLiteral("Indice non compreso nell'intervallo"));
    return m_rows[size_t(i)];
}

const LayoutLegend::Row &LayoutLegend::row(int i) const
{
    return const_cast<LayoutLegend *>(this)->row(i);
}

} // namespace maps
