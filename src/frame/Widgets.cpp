#include "frame/Widgets.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QStyleOption>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>
#include <QtMath>

namespace frame {

void Describe(QWidget *w, const QString &text)
{
    w->setAccessibleName(text);
    if (w->toolTip().isEmpty())
        w->setToolTip(text);
}

bool WrappedTextMeasure::handles(int flags, const QString &text)
{
    constexpr int alignments = Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask;
    return (flags & Qt::TextWordWrap) && (flags & ~(alignments | Qt::TextWordWrap)) == 0 &&
           !(flags & Qt::AlignJustify) && !text.contains(QChar(0x9c));
}

// One layout of the text kept open from its start: its lines are cleared and
// made again for each width, while the shaping of the text stays.
struct WrappedTextMeasure::Layout {
    Layout(const QString &text, const QFont &font) : layout(text, font), leading(QFontMetricsF(font).leading())
    {
        QTextOption option;
        option.setTextDirection(Qt::LeftToRight);
        option.setAlignment(Qt::AlignLeft);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
    }

    QTextLayout layout;
    qreal leading;
};

// The text as the painter lays it out: carriage returns and tabs are spaces,
// line feeds break lines.
static QString laidOutText(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c == u'\r' || c == u'\t')
            c = u' ';
        else if (c == u'\n')
            c = QChar::LineSeparator;
    }
    return out;
}

WrappedTextMeasure::WrappedTextMeasure(const QString &text, const QFont &font)
    : m_layout(std::make_unique<Layout>(laidOutText(text), font))
{
}

WrappedTextMeasure::~WrappedTextMeasure() = default;

// Breaks the text into lines of `width` from its top, as the painter does,
// and returns the height and width they take. Without `all`, the lines stop
// at the first that reaches `height`, as the painter's do when it clips.
static QSizeF layOut(QTextLayout &layout, qreal leading, qreal width, qreal height, bool all)
{
    layout.clearLayout();
    const qreal lineWidth = qMax<qreal>(0, width);
    qreal textHeight = -leading;
    qreal textWidth = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(lineWidth);
        textHeight += leading;
        // Lines start on whole pixels.
        textHeight = qCeil(textHeight);
        line.setPosition(QPointF(0, textHeight));
        textHeight += line.ascent() + line.descent();
        textWidth = qMax(textWidth, line.naturalTextWidth());
        if (!all && textHeight >= height)
            break;
    }
    return {textWidth, textHeight};
}

// Where the lines of `size` go in `r` for the alignment of `flags`.
static QRectF alignedBounds(const QRectF &r, const QSizeF &size, int flags)
{
    qreal xoff = 0, yoff = 0;
    if (flags & Qt::AlignBottom)
        yoff = r.height() - size.height();
    else if (flags & Qt::AlignVCenter)
        yoff = (r.height() - size.height()) / 2;
    if (flags & Qt::AlignRight)
        xoff = r.width() - size.width();
    else if (flags & Qt::AlignHCenter)
        xoff = (r.width() - size.width()) / 2;
    return {r.x() + xoff, r.y() + yoff, size.width(), size.height()};
}

QRect WrappedTextMeasure::boundingRect(int width, int height, int flags)
{
    const QRectF r(0, 0, width, height);
    const QSizeF size = layOut(m_layout->layout, m_layout->leading, r.width(), r.height(), true);
    return alignedBounds(r, size, flags).toAlignedRect();
}

bool WrappedTextMeasure::draws(int flags)
{
    constexpr int horizontal = Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify;
    return !(flags & (horizontal | Qt::TextDontClip | Qt::TextForceRightToLeft));
}

void WrappedTextMeasure::draw(QPainter &painter, const QRect &rect, int flags)
{
    const QRectF r(rect);
    QTextLayout &layout = m_layout->layout;
    const QSizeF size = layOut(layout, m_layout->leading, r.width(), r.height(), false);
    const QRectF bounds = alignedBounds(r, size, flags);
    const bool clip = !r.contains(bounds);
    if (clip) {
        painter.save();
        painter.setClipRect(r, Qt::IntersectClip);
    }
    for (int i = 0; i < layout.lineCount(); ++i)
        layout.lineAt(i).draw(&painter, QPointF(r.x(), bounds.y()));
    if (clip)
        painter.restore();
}

WrappedLabel::WrappedLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setWordWrap(true);
}

WrappedLabel::~WrappedLabel() = default;

WrappedLabel::Measured WrappedLabel::current() const
{
    return {text(),       font(),        contentsMargins(), margin(),       indent(), frameWidth(), alignment(),
            textFormat(), textInteractionFlags(), minimumSize(), maximumSize(), wordWrap()};
}

const WrappedLabel::Measured &WrappedLabel::measured() const
{
    Measured now = current();
    if (!(now == m_measured)) {
        if (now.text != m_measured.text || now.font != m_measured.font)
            m_measure.reset();
        m_measured = std::move(now);
        m_heights.clear();
        m_hints.reset();
        // Plain text that is wrapped, without mnemonics or selection, is
        // measured here; anything else by the toolkit's label.
        const Measured &m = m_measured;
        const bool plain = m.format == Qt::PlainText || (m.format == Qt::AutoText && !Qt::mightBeRichText(m.text));
        m_measurable = m.wrap && plain && !m.text.isEmpty() && !m.text.isRightToLeft() && !m.text.contains(u'&') &&
                       !(m.interaction & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard)) &&
                       WrappedTextMeasure::handles(int(m.alignment) | Qt::TextWordWrap, m.text);
    }
    return m_measured;
}

bool WrappedLabel::measurable() const
{
    measured();
    return m_measurable;
}

QSize WrappedLabel::sizeForWidth(int w) const
{
    const Measured &m = measured();
    if (m.minimum.width() > 0)
        w = qMax(w, m.minimum.width());
    const QSize contentsMargin(m.margins.left() + m.margins.right(), m.margins.top() + m.margins.bottom());
    int hextra = 2 * m.margin;
    int vextra = hextra;
    const QFontMetrics fm = fontMetrics();
    const int align = QStyle::visualAlignment(Qt::LeftToRight, m.alignment) | Qt::TextWordWrap;
    int indentBy = m.indent;
    if (indentBy < 0 && m.frameWidth)   // no indent, but a frame
        indentBy = fm.horizontalAdvance(u'x') - m.margin * 2;
    if (indentBy > 0) {
        if (align & (Qt::AlignLeft | Qt::AlignRight))
            hextra += indentBy;
        if (align & (Qt::AlignTop | Qt::AlignBottom))
            vextra += indentBy;
    }
    const int flags = align & ~(Qt::AlignVCenter | Qt::AlignHCenter);
    // The size hint tries a width of 80 characters, then a half and a quarter
    // of it while the text would take less than four and two lines.
    const bool tryWidth = w < 0;
    if (tryWidth)
        w = qMin(fm.averageCharWidth() * 80, m.maximum.width());
    w -= hextra + contentsMargin.width();
    QRect br = measure().boundingRect(w, 2000, flags);
    if (tryWidth && br.height() < 4 * fm.lineSpacing() && br.width() > w / 2)
        br = measure().boundingRect(w / 2, 2000, flags);
    if (tryWidth && br.height() < 2 * fm.lineSpacing() && br.width() > w / 4)
        br = measure().boundingRect(w / 4, 2000, flags);
    return (QSize(br.width() + hextra, br.height() + vextra) + contentsMargin).expandedTo(m.minimum);
}

WrappedTextMeasure &WrappedLabel::measure() const
{
    const Measured &m = measured();
    if (!m_measure)
        m_measure = std::make_unique<WrappedTextMeasure>(m.text, font());
    return *m_measure;
}

int WrappedLabel::heightForWidth(int width) const
{
    measured();
    for (const auto &[w, h] : m_heights)
        if (w == width)
            return h;
    const int h = measurable() ? sizeForWidth(width).height() : QLabel::heightForWidth(width);
    // A layout asks for a handful of widths; an interactive resize for many.
    if (m_heights.size() >= 8)
        m_heights.erase(m_heights.begin());
    m_heights.emplace_back(width, h);
    return h;
}

QSize WrappedLabel::sizeHint() const
{
    if (!measurable())
        return QLabel::sizeHint();
    minimumSizeHint();
    return m_hints ? m_hints->first : QLabel::sizeHint();
}

QSize WrappedLabel::minimumSizeHint() const
{
    if (!measurable())
        return QLabel::minimumSizeHint();
    if (m_hints && m_hintsPolicy == sizePolicy())
        return m_hints->second;
    // Polishing may give the label its font: the sizes are taken after it.
    ensurePolished();
    if (!measurable())
        return QLabel::minimumSizeHint();
    const QSize hint = sizeForWidth(-1);   // wrapped: a pleasing shape
    // One line high (at most the hint's height), as wide as the widest word.
    QSize minimum(sizeForWidth(0).width(), qMin(sizeForWidth(QWIDGETSIZE_MAX).height(), hint.height()));
    m_hints.emplace(hint, minimum);
    m_hintsPolicy = sizePolicy();
    return minimum;
}

void WrappedLabel::paintEvent(QPaintEvent *event)
{
    // The toolkit's own style paints a label's text with the text's colour
    // through the painter, which lays the text out (and shapes it) again:
    // under that style the lines are painted from the measure instead.
    const QFont f = font();
    const bool ownStyle = qstrcmp(style()->metaObject()->className(), "QFusionStyle") == 0;
    const int flags = int(QStyle::visualAlignment(Qt::LeftToRight, alignment())) | Qt::TextWordWrap |
                      Qt::TextForceLeftToRight;
    if (!measurable() || !ownStyle || f.underline() || f.overline() || f.strikeOut() ||
        !WrappedTextMeasure::draws(flags & ~Qt::TextForceLeftToRight)) {
        QLabel::paintEvent(event);
        return;
    }
    const Measured &m = measured();
    QPainter painter(this);
    drawFrame(&painter);
    QRect cr = contentsRect().adjusted(m.margin, m.margin, -m.margin, -m.margin);
    int indentBy = m.indent;
    if (indentBy < 0 && m.frameWidth)   // no indent, but a frame
        indentBy = fontMetrics().horizontalAdvance(u'x') / 2 - m.margin;
    if (indentBy > 0) {
        if (flags & Qt::AlignLeft)
            cr.setLeft(cr.left() + indentBy);
        if (flags & Qt::AlignTop)
            cr.setTop(cr.top() + indentBy);
        if (flags & Qt::AlignBottom)
            cr.setBottom(cr.bottom() - indentBy);
    }
    QStyleOption opt;
    opt.initFrom(this);
    painter.setPen(QPen(opt.palette.brush(foregroundRole()), painter.pen().widthF()));
    measure().draw(painter, cr, flags);
}

QLabel *TitleBand(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSize(f.pointSize() + 5);
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    l->setStyleSheet(QStringLiteral("QLabel { background: #000080; color: white; padding: 4px; }"));
    return l;
}

} // namespace frame
