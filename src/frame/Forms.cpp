#include "frame/Forms.h"
#include "frame/FormsInternal.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QVariant>
#include <algorithm>
#include <map>
#include <vector>

namespace frame {

namespace {

QPointer<QMdiArea> g_area;
std::map<QString, std::function<void()>> g_registered;
std::function<void()> g_formLoader;
std::vector<QPointer<QWidget>> g_shown;   // windows shown through ShowChild

constexpr const char *UnloadedProp = "tbUnloaded";
constexpr const char *NotAFormProp = "tbNotAForm";
using internal::LayoutPosProp;
std::map<const QObject *, std::function<void()>> g_onActivate;

bool isUnloaded(const QWidget *w)
{
    return w->property(UnloadedProp).toBool();
}

int g_closing = 0;              // windows being unloaded: activations wait
QPointer<QWidget> g_pending;    // the child activated meanwhile

void callActivate(QWidget *w)
{
    if (!w || isUnloaded(w))
        return;
    const auto it = g_onActivate.find(w);
    if (it != g_onActivate.end() && it->second) {
        const auto fn = it->second;   // the handler may unload windows
        fn();
    }
}

// Follows the active child window of the main window's area.
class ActivationTracker : public QObject {
public:
    QPointer<QWidget> last;
    void onActivated(QMdiSubWindow *sub)
    {
        if (!sub || !sub->widget())
            return;   // the program lost the focus: not a change of child
        QWidget *w = sub->widget();
        if (w == last)
            return;
        last = w;
        if (g_closing > 0)
            g_pending = w;   // runs once the windows being closed are gone
        else
            callActivate(w);
    }
};

ActivationTracker &tracker()
{
    static ActivationTracker t;
    return t;
}

// A top-level widget that is one of the program's windows rather than a menu,
// a tooltip or a standard dialog of the toolkit.
bool isProgramWindow(QWidget *w)
{
    if (!w || isUnloaded(w) || w->property(NotAFormProp).toBool())
        return false;
    const QString name = w->objectName();
    if (name.isEmpty() || name == QLatin1String("frmMainMDI") || name.startsWith(QLatin1String("qt"), Qt::CaseInsensitive))
        return false;
    if (qobject_cast<QMenu *>(w) || qobject_cast<QMdiSubWindow *>(w) || qobject_cast<QMessageBox *>(w) ||
        qobject_cast<QFileDialog *>(w) || qobject_cast<QColorDialog *>(w) || qobject_cast<QInputDialog *>(w) ||
        qobject_cast<QMdiArea *>(w))
        return false;
    if (g_area && w == g_area->window())
        return false;
    const QByteArray cls = w->metaObject()->className();
    if (cls.startsWith("QPrint") || cls.startsWith("QPageSetup"))
        return false;
    return true;
}

QMdiSubWindow *subWindowOf(QWidget *w)
{
    return w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr;
}

// Sizes the child frame so that the window inside it is `inner`: the frame is
// measured as laid out now (sub-window less window), never from size hints.
void keepInnerSize(QMdiSubWindow *sub, QWidget *w, const QSize &inner)
{
    if (QLayout *l = sub->layout())
        l->activate();
    sub->resize(inner + (sub->size() - w->size()));
    if (QLayout *l = sub->layout())
        l->activate();
}

// Fits a new child frame in the area's visible part: a frame larger than the
// area shrinks to it, never below the smallest size its window can be laid out
// in, and a frame that would start or end outside the area is centred again
// (never left of the area's edge). What still does not fit is reached with the
// area's scroll bars.
void fitInArea(QMdiArea *area, QMdiSubWindow *sub)
{
    const QSize avail = area->viewport()->size();
    if (!area->isVisible() || avail.isEmpty())
        return;   // no work area yet to fit in
    const QSize smallest = sub->minimumSizeHint().expandedTo(sub->minimumSize());
    const QSize fitted = sub->size().boundedTo(avail).expandedTo(smallest);
    if (fitted != sub->size()) {
        sub->resize(fitted);
        if (QLayout *l = sub->layout())
            l->activate();
    }
    QPoint pos = sub->pos();
    if (pos.x() < 0 || pos.x() + sub->width() > avail.width())
        pos.setX(std::max(0, (avail.width() - sub->width()) / 2));
    if (pos.y() < 0 || pos.y() + sub->height() > avail.height())
        pos.setY(std::max(0, std::min(pos.y(), avail.height() - sub->height())));
    sub->move(pos);
}

} // namespace

QMdiArea *MdiArea() { return g_area; }

void SetMdiArea(QMdiArea *area)
{
    if (g_area)
        QObject::disconnect(g_area, nullptr, &tracker(), nullptr);
    g_area = area;
    tracker().last = nullptr;
    if (area) {
        // Closing a child brings back the one that was active before it (a sheet
        // opened from the data table returns to the table), not the first one opened.
        area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
        QObject::connect(area, &QMdiArea::subWindowActivated, &tracker(),
                         [](QMdiSubWindow *sub) { tracker().onActivated(sub); });
    }
}

void ShowChild(QWidget *w)
{
    if (!w)
        return;
    w->setProperty(UnloadedProp, false);
    std::erase_if(g_shown, [](const QPointer<QWidget> &p) { return p.isNull(); });
    if (std::find(g_shown.begin(), g_shown.end(), w) == g_shown.end())
        g_shown.emplace_back(w);

    QMdiArea *area = MdiArea();
    if (!area) {
        w->show();
        return;
    }
    QMdiSubWindow *sub = subWindowOf(w);
    bool sized = false;
    const bool added = !sub;
    QSize inner;
    if (added) {
        // The window keeps the size it was given (its background picture was
        // made for that size), whatever its size hint asks; the frame goes around it.
        sized = w->testAttribute(Qt::WA_Resized);
        inner = w->size();
        sub = area->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        if (sized)
            keepInnerSize(sub, w, inner);
    }
    const QVariant pos = w->property(LayoutPosProp);
    if (pos.isValid())
        sub->move(pos.toPoint());
    w->show();
    sub->show();
    if (sized && w->size() != inner)
        keepInnerSize(sub, w, inner);   // the frame settles when it is first shown
    if (added)
        fitInArea(area, sub);   // a small screen: the window opens where it can be used
    area->setActiveSubWindow(sub);
}

QList<QWidget *> OpenForms()
{
    QList<QWidget *> out;
    auto add = [&out](QWidget *w) {
        if (w && !out.contains(w) && !isUnloaded(w) && !w->property(NotAFormProp).toBool() &&
            w->objectName() != QLatin1String("frmMainMDI"))
            out.append(w);
    };
    if (QMdiArea *area = MdiArea())
        for (QMdiSubWindow *sub : area->subWindowList(QMdiArea::CreationOrder))
            add(sub->widget());
    for (const auto &p : g_shown)
        add(p.data());
    for (QWidget *w : QApplication::topLevelWidgets())
        if (isProgramWindow(w))
            add(w);
    return out;
}

QWidget *FindForm(const QString &name)
{
    for (QWidget *w : OpenForms())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

namespace internal {

void BeginClosing()
{
    ++g_closing;
}

void EndClosing()
{
    if (--g_closing > 0 || !g_pending)
        return;
    QPointer<QWidget> w = g_pending;
    g_pending = nullptr;
    callActivate(w);
}

} // namespace internal

bool UnloadForm(QWidget *w)
{
    if (!w || isUnloaded(w))
        return true;
    internal::ClosingScope closing;
    QMdiSubWindow *sub = subWindowOf(w);
    w->setProperty(UnloadedProp, true);
    const bool closed = sub ? sub->close() : w->close();
    if (!closed) {
        w->setProperty(UnloadedProp, false);
        return false;
    }
    if (sub) {
        if (!sub->testAttribute(Qt::WA_DeleteOnClose))
            sub->deleteLater();
    } else if (!w->testAttribute(Qt::WA_DeleteOnClose)) {
        w->deleteLater();
    }
    return true;
}

void OnFormActivate(QWidget *w, std::function<void()> handler)
{
    if (!w)
        return;
    if (!g_onActivate.count(w))
        QObject::connect(w, &QObject::destroyed, [](QObject *o) { g_onActivate.erase(o); });
    g_onActivate[w] = std::move(handler);
}

void MarkNotAForm(QWidget *w)
{
    if (w)
        w->setProperty(NotAFormProp, true);
}

void RegisterForm(const QString &formToOpen, std::function<void()> open)
{
    g_registered[formToOpen.toUpper()] = std::move(open);
}

bool IsFormRegistered(const QString &formToOpen)
{
    const auto it = g_registered.find(formToOpen.toUpper());
    return it != g_registered.end() && it->second;
}

void SetFormLoader(std::function<void()> load)
{
    g_formLoader = std::move(load);
}

bool OpenRegisteredForm(const QString &formToOpen)
{
    if (!IsFormRegistered(formToOpen) && g_formLoader)
        g_formLoader();
    if (!IsFormRegistered(formToOpen))
        return false;
    // A copy: opening the window may register others.
    const std::function<void()> open = g_registered[formToOpen.toUpper()];
    open();
    return true;
}

void ClearRegisteredForms()
{
    g_registered.clear();
    g_formLoader = nullptr;
}

} // namespace frame
