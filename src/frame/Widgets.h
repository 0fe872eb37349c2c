#pragma once
// Small helpers shared by the windows when they build their controls.
#include <QFont>
#include <QLabel>
#include <QMargins>
#include <QSize>
#include <QSizePolicy>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QPainter;
class QWidget;

namespace frame {

// Gives `w` the control name by which callers and tests find it.
template <class W>
W *Named(W *w, const QString &name)
{
    w->setObjectName(name);
    return w;
}

template <class W>
W *Named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Gives a control that shows no text of its own (a picture button, a colour
// swatch, a check box beside its caption) the name a screen reader announces;
// the name is also its tooltip when it has none.
void Describe(QWidget *w, const QString &text);

template <class W>
W *Described(W *w, const QString &text)
{
    Describe(w, text);
    return w;
}

// The size of a plain text laid out with word wrapping in a rectangle of a
// given width, as the toolkit's painter lays it out for
// QFontMetrics::boundingRect(rect, flags, text): the same lines, widths and
// heights. The toolkit shapes the whole text again for every width; this
// shapes it once and breaks it into lines again for each width.
class WrappedTextMeasure {
public:
    // Whether `flags` and `text` are what this measures: word wrapping with
    // alignment flags only, no mnemonics, a text without length variants.
    static bool handles(int flags, const QString &text);

    WrappedTextMeasure(const QString &text, const QFont &font);
    ~WrappedTextMeasure();
    WrappedTextMeasure(const WrappedTextMeasure &) = delete;
    WrappedTextMeasure &operator=(const WrappedTextMeasure &) = delete;

    // QFontMetrics(font).boundingRect(QRect(0, 0, width, height), flags, text).
    QRect boundingRect(int width, int height, int flags);

    // Whether draw() paints as the painter would for `flags`: left-aligned,
    // clipped text.
    static bool draws(int flags);
    // What painter.drawText(rect, flags, text) paints, with the painter's
    // font being the measure's.
    void draw(QPainter &painter, const QRect &rect, int flags);

private:
    struct Layout;
    std::unique_ptr<Layout> m_layout;
};

// A label of word-wrapped text. The toolkit's label lays its whole text out
// again for each size it is asked, six times or more for one layout of a
// window, and once more to paint it; this one gives the same sizes from one
// shaping of a plain text, paints the lines it laid out (under the toolkit's
// own style), and keeps the heights it gave while what they depend on stays
// the same.
class WrappedLabel : public QLabel {
public:
    explicit WrappedLabel(const QString &text = {}, QWidget *parent = nullptr);
    ~WrappedLabel() override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Measured {
        QString text;
        QFont font;
        QMargins margins;
        int margin = 0, indent = 0, frameWidth = 0;
        Qt::Alignment alignment;
        Qt::TextFormat format = Qt::AutoText;
        Qt::TextInteractionFlags interaction;
        QSize minimum, maximum;
        bool wrap = true;
        bool operator==(const Measured &) const = default;
    };
    Measured current() const;
    // The measured state now: what was kept is dropped when it changed.
    const Measured &measured() const;
    // Whether this label is one the measure lays out as the toolkit's would.
    bool measurable() const;
    // The toolkit label's size for `width` (-1: the size hint).
    QSize sizeForWidth(int width) const;
    // The measure of the text, made when first needed.
    WrappedTextMeasure &measure() const;

    mutable Measured m_measured;
    mutable bool m_measurable = false;
    mutable std::vector<std::pair<int, int>> m_heights;   // width, height
    mutable std::unique_ptr<WrappedTextMeasure> m_measure;
    mutable std::optional<std::pair<QSize, QSize>> m_hints;   // size hint, minimum size hint
    mutable QSizePolicy m_hintsPolicy;
};

// The title band at the top of a window: bold white text on navy, centred.
QLabel *TitleBand(const QString &name, const QString &text = {}, QWidget *parent = nullptr);

} // namespace frame
