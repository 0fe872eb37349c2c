#include "platform/Accessibility.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QScrollBar>

namespace platform::accessibility {

namespace {

// A scroll area as the toolkit presents it (viewport, the containers of the
// scroll bars shown, the corner widget), every index checked.
class ScrollAreaInterface : public QAccessibleWidget {
public:
    explicit ScrollAreaInterface(QAbstractScrollArea *area) : QAccessibleWidget(area, QAccessible::Client) {}

    bool isValid() const override { return QAccessibleWidget::isValid() && area() && area()->viewport(); }

    int childCount() const override { return int(parts().size()); }

    QAccessibleInterface *child(int index) const override
    {
        const QWidgetList list = parts();
        if (index < 0 || index >= list.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(list.at(index));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || !child->object() || !child->object()->isWidgetType())
            return -1;
        return int(parts().indexOf(static_cast<QWidget *>(child->object())));
    }

private:
    QAbstractScrollArea *area() const { return qobject_cast<QAbstractScrollArea *>(object()); }

    QWidgetList parts() const
    {
        QWidgetList out;
        QAbstractScrollArea *a = area();
        if (!a)
            return out;
        if (QWidget *viewport = a->viewport())
            out.append(viewport);
        for (QScrollBar *bar : {a->horizontalScrollBar(), a->verticalScrollBar()})
            if (bar && bar->isVisible() && bar->parentWidget())
                out.append(bar->parentWidget());
        if (QWidget *corner = a->cornerWidget(); corner && corner->isVisible())
            out.append(corner);
        return out;
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    // Only the plain scroll areas: item views, text editors and the main
    // window's document area keep the toolkit's own interfaces.
    if (className != QLatin1String("QScrollArea") && className != QLatin1String("QAbstractScrollArea"))
        return nullptr;
    auto *area = qobject_cast<QAbstractScrollArea *>(object);
    return area ? new ScrollAreaInterface(area) : nullptr;
}

} // namespace

void Install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Tried before the toolkit's own factory, which was installed with the application.
    QAccessible::installFactory(factory);
}

} // namespace platform::accessibility
