#include "platform/grid/TextWidths.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <map>

namespace platform::grid {

struct FontWidths {
    QHash<QString, int> texts;
    TextWidths::NumberAdvances numbers;
};

namespace {

struct Kept {
    std::map<QString, FontWidths> byFont; // font -> its widths
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

// A width as the text layout gives it, in 1/64 pixel (its own unit).
int units(qreal w) { return qRound(w * 64); }

TextWidths::NumberAdvances numberAdvances(const QFont &font)
{
    const QFontMetricsF m(font);
    TextWidths::NumberAdvances out;
    const QStringView chars(TextWidths::NumberChars);
    for (const QChar c : chars)
        out.advance[c.unicode()] = units(m.horizontalAdvance(QString(c)));
    // Every pair side by side takes the sum of the two advances (no kerning
    // between them), and so does a long number.
    for (const QChar a : chars) {
        for (const QChar b : chars) {
            const QString pair = QString(a) + b;
            if (out.advance[a.unicode()] <= 0 ||
                units(m.horizontalAdvance(pair)) != out.advance[a.unicode()] + out.advance[b.unicode()])
                return out;
        }
    }
    const QString longest = QStringLiteral("-1.234.567.890,0123456789+");
    int sum = 0;
    for (const QChar c : longest)
        sum += out.advance[c.unicode()];
    out.additive = units(m.horizontalAdvance(longest)) == sum;
    return out;
}

} // namespace

TextWidths::TextWidths(const QFont &font) : m_metrics(font)
{
    auto [it, added] = store().byFont.try_emplace(fontKey(font));
    m_font = &it->second;
    if (added)
        m_font->numbers = numberAdvances(font);
}

TextWidths::NumberAdvances TextWidths::numbers(const QFont &font)
{
    auto [it, added] = store().byFont.try_emplace(fontKey(font));
    if (added)
        it->second.numbers = numberAdvances(font);
    return it->second.numbers;
}

int TextWidths::width(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (m_font->numbers.additive) {
        int sum = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            const int a = u < 128 ? m_font->numbers.advance[u] : 0;
            if (a <= 0) {
                sum = -1;
                break;
            }
            sum += a;
        }
        if (sum >= 0)
            return (sum + 32) >> 6; // rounded to the pixel as the layout rounds
    }
    if (const auto it = m_font->texts.constFind(text); it != m_font->texts.cend())
        return it.value();
    if (const auto it = m_recent.constFind(text); it != m_recent.cend())
        return it.value();
    const int w = m_metrics.horizontalAdvance(text);
    Kept &k = store();
    if (k.count < MaxKept) {
        m_font->texts.insert(text, w);
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
