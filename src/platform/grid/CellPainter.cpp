#include "platform/grid/CellPainter.h"
#include "platform/grid/TextWidths.h"

#include <QApplication>
#include <QFontInfo>
#include <QPainter>
#include <QRawFont>
#include <QStyle>
#include <QTextLayout>
#include <QVarLengthArray>
#include <cmath>

namespace platform::grid {

// The glyphs of the number characters in one font, as its text layout sets
// them: glyph, advance (1/64 pixel), the line's ascent and whole height, and
// how far (whole pixels, one more for the smoothing of the edges) the ink of
// any of them may reach past the line's box and past its own advance.
struct CellPainter::Glyphs {
    bool usable = false;
    QRawFont font;
    quint32 glyph[128] = {};
    int advance[128] = {};
    qreal ascent = 0;
    int height = 0;
    int inkAbove = 0, inkBelow = 0, inkBefore = 0, inkAfter = 0;
};

CellPainter::CellPainter(QObject *parent) : QStyledItemDelegate(parent) {}

CellPainter::~CellPainter() = default;

namespace {

int ceilPixels(qreal v) { return std::max(0, int(std::ceil(v))) + 1; }

} // namespace

const CellPainter::Glyphs &CellPainter::glyphs(const QFont &font) const
{
    if (m_last && font == m_lastFont)
        return *m_last;
    const QString key = font.key() + u'/' + QString::number(QFontInfo(font).pixelSize());
    auto [it, added] = m_fonts.try_emplace(key);
    if (added) {
        it->second = std::make_unique<Glyphs>();
        Glyphs &g = *it->second;
        const TextWidths::NumberAdvances numbers = TextWidths::numbers(font);
        const QString chars = QStringView(TextWidths::NumberChars).toString();
        // The characters laid out together as the style lays a cell out: each
        // must be one glyph of one font, at the sum of the advances before it.
        QTextLayout layout(chars, font);
        QTextOption option;
        option.setWrapMode(QTextOption::ManualWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1 << 20);
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        bool usable = numbers.additive && runs.size() == 1 && runs[0].glyphIndexes().size() == chars.size();
        if (usable) {
            const QList<quint32> indexes = runs[0].glyphIndexes();
            const QList<QPointF> positions = runs[0].positions();
            g.font = runs[0].rawFont();
            g.ascent = line.ascent();
            g.height = layout.boundingRect().toRect().height();
            const qreal descent = g.height - g.ascent;
            int x = 0;
            for (int i = 0; i < chars.size() && usable; ++i) {
                const char16_t c = chars[i].unicode();
                usable = positions[i].x() * 64 == x && positions[i].y() == g.ascent && indexes[i] != 0;
                g.glyph[c] = indexes[i];
                g.advance[c] = numbers.advance[c];
                const QRectF ink = g.font.boundingRect(indexes[i]);
                g.inkAbove = std::max(g.inkAbove, ceilPixels(-ink.top() - g.ascent));
                g.inkBelow = std::max(g.inkBelow, ceilPixels(ink.bottom() - descent));
                g.inkBefore = std::max(g.inkBefore, ceilPixels(-ink.left()));
                g.inkAfter = std::max(g.inkAfter, ceilPixels(ink.right() - numbers.advance[c] / 64.0));
                x += numbers.advance[c];
            }
            usable = usable && line.naturalTextWidth() * 64 == x;
        }
        g.usable = usable;
    }
    m_lastFont = font;
    m_last = it->second.get();
    return *m_last;
}

bool CellPainter::plainStyle(QStyle *style, const QWidget *widget) const
{
    if (style != m_style || !m_style) {
        m_style = style;
        // The styles whose item painting is the common one: the background,
        // then the text laid out in the text rectangle less the focus margins.
        const QString name = style->name();
        m_plainStyle = name.compare(u"fusion", Qt::CaseInsensitive) == 0 ||
                       name.compare(u"windows", Qt::CaseInsensitive) == 0;
        m_textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    }
    return m_plainStyle;
}

void CellPainter::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    if (paintPlain(painter, opt, style)) {
        ++m_plainCells;
        return;
    }
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

bool CellPainter::paintPlain(QPainter *p, const QStyleOptionViewItem &opt, QStyle *style) const
{
    if (opt.state &
        (QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Editing | QStyle::State_MouseOver))
        return false;
    if (opt.features & (QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasCheckIndicator |
                        QStyleOptionViewItem::HasDecoration))
        return false;
    if (opt.direction != Qt::LeftToRight || !opt.showDecorationSelected ||
        (opt.decorationPosition != QStyleOptionViewItem::Left && opt.decorationPosition != QStyleOptionViewItem::Right))
        return false;
    if (!plainStyle(style, opt.widget))
        return false;

    const QString &text = opt.text;
    const Glyphs *g = nullptr;
    QPointF origin; // of the first glyph, on the baseline
    bool clip = false;
    if (!text.isEmpty()) {
        if (opt.font.underline() || opt.font.overline() || opt.font.strikeOut())
            return false;
        const Qt::Alignment align = opt.displayAlignment;
        if (align & (Qt::AlignJustify | Qt::AlignBaseline))
            return false;
        g = &glyphs(opt.font);
        if (!g->usable)
            return false;
        int width = 0; // 1/64 pixel
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            const int a = u < 128 ? g->advance[u] : 0;
            if (a <= 0)
                return false;
            width += a;
        }
        // The text rectangle less its margins; a text wider than it is elided,
        // one taller is cut.
        const QRect r = opt.rect.adjusted(m_textMargin, 0, -m_textMargin, 0);
        const int room = r.width() * 64;
        if (width > room || g->height > r.height())
            return false;
        int x = r.left() * 64;
        if (align & Qt::AlignRight)
            x += room - width;
        else if (align & Qt::AlignHCenter)
            x += (room - width) / 2;
        int top = r.top();
        if (align & Qt::AlignVCenter)
            top += r.height() / 2 - g->height / 2;
        else if (align & Qt::AlignBottom)
            top += r.height() - g->height;
        // The style clips the cell's painting to the cell: so is the text
        // here when its ink may reach past it.
        clip = int(std::floor(x / 64.0)) - g->inkBefore < opt.rect.left() ||
               int(std::ceil((x + width) / 64.0)) + g->inkAfter > opt.rect.right() + 1 ||
               top - g->inkAbove < opt.rect.top() || top + g->height + g->inkBelow > opt.rect.bottom() + 1;
        origin = QPointF(x / 64.0, top + g->ascent);
    }

    if (opt.backgroundBrush.style() != Qt::NoBrush) {
        const QPointF oldOrigin = p->brushOrigin();
        p->setBrushOrigin(opt.rect.topLeft());
        p->fillRect(opt.rect, opt.backgroundBrush);
        p->setBrushOrigin(oldOrigin);
    }
    if (!g)
        return true;

    QPalette::ColorGroup cg = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (cg == QPalette::Normal && !(opt.state & QStyle::State_Active))
        cg = QPalette::Inactive;
    QVarLengthArray<quint32, 32> glyphs(text.size());
    QVarLengthArray<QPointF, 32> positions(text.size());
    qreal x = origin.x();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        glyphs[i] = g->glyph[u];
        positions[i] = QPointF(x, origin.y());
        x += g->advance[u] / 64.0;
    }
    m_run.setRawFont(g->font);
    m_run.setRawData(glyphs.constData(), positions.constData(), int(text.size()));
    if (clip) {
        p->save();
        p->setClipRect(opt.rect, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    const QPen pen = p->pen();
    p->setPen(opt.palette.color(cg, QPalette::Text));
    p->drawGlyphRun(QPointF(0, 0), m_run);
    p->setPen(pen);
    if (clip)
        p->restore();
    return true;
}

} // namespace platform::grid
