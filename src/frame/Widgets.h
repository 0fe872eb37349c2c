#pragma once
// Small helpers shared by the windows when they build their controls.
#include <QString>

class QLabel;
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

// The title band at the top of a window: bold white text on navy, centred.
QLabel *TitleBand(const QString &name, const QString &text = {}, QWidget *parent = nullptr);

} // namespace frame
