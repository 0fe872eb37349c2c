#include "platform/grid/TextWidths.h"

#include <QFontInfo>
#include <map>

namespace platform::grid {

namespace {

struct Kept {
    std::map<QString, QHash<QString, int>> byFont; // font -> text -> width
    int count = 0;
};

Kept &store()
{
    static Kept k;
    return k;
}

// The font as measured: its description and its size in pixels on the device
// it is measured for.
QString fontKey(const QFont &font)
{
    return font.key() + u'/' + QString::number(QFontInfo(font).pixelSize());
}

} // namespace

TextWidths::TextWidths(const QFont &font) : m_metrics(font), m_known(&store().byFont[fontKey(font)]) {}

int TextWidths::width(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (const auto it = m_known->constFind(text); it != m_known->cend())
        return it.value();
    if (const auto it = m_recent.constFind(text); it != m_recent.cend())
        return it.value();
    const int w = m_metrics.horizontalAdvance(text);
    Kept &k = store();
    if (k.count < MaxKept) {
        m_known->insert(text, w);
        ++k.count;
    } else {
        m_recent.insert(text, w);
    }
    return w;
}

int TextWidths::kept() { return store().count; }

void TextWidths::forget()
{
    store().byFont.clear();
    store().count = 0;
}

} // namespace platform::grid
