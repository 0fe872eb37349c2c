#pragma once
// Small helpers shared by the windows when they build their controls.
#include <QFont>
#include <QLabel>
#include <QMargins>
#include <QString>

#include <utility>
#include <vector>

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

// A label of word-wrapped text. The toolkit's label lays its whole text out
// again each time its layout asks the height for a width, several times for
// one layout; this one keeps the heights it gave while its text, font and
// margins stay the same.
class WrappedLabel : public QLabel {
public:
    explicit WrappedLabel(const QString &text = {}, QWidget *parent = nullptr);
    int heightForWidth(int width) const override;

private:
    struct Measured {
        QString text;
        QFont font;
        QMargins margins;
        int margin = 0, indent = 0;
        Qt::Alignment alignment;
        Qt::TextFormat format = Qt::AutoText;
        bool wrap = true;
        bool operator==(const Measured &) const = default;
    };
    Measured current() const;

    mutable Measured m_measured;
    mutable std::vector<std::pair<int, int>> m_heights;   // width, height
};

// The title band at the top of a window: bold white text on navy, centred.
QLabel *TitleBand(const QString &name, const QString &text = {}, QWidget *parent = nullptr);

} // namespace frame
