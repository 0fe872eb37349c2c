#include "maps/ColorBox.h"

#include <QEvent>
#include <QMouseEvent>

namespace maps {

ColorBox::ColorBox(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setMinimumSize(24, 18);
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    paintColor();
}

void ColorBox::setColor(const QColor &c)
{
    m_color = c;
    paintColor();
}

void ColorBox::paintColor()
{
    QPalette p = palette();
    const QColor shown = isEnabled() ? m_color : m_color.lighter(115);
    p.setColor(QPalette::Window, shown);
    p.setColor(QPalette::WindowText, qGray(m_color.rgb()) < 128 ? Qt::white : Qt::black);
    setPalette(p);
}

void ColorBox::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && isEnabled())
        emit clicked();
    QLabel::mousePressEvent(e);
}

void ColorBox::changeEvent(QEvent *e)
{
    QLabel::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        paintColor();
}

} // namespace maps
