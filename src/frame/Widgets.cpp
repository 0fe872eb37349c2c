#include "frame/Widgets.h"

#include <QLabel>

namespace frame {

void Describe(QWidget *w, const QString &text)
{
    w->setAccessibleName(text);
    if (w->toolTip().isEmpty())
        w->setToolTip(text);
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
