#pragma once
// The program's windows as the menu and other windows reach them: each window
// exists once (found by its objectName), is shown as a child of the main window,
// and the menu's FormToOpen names map to windows registered by the subsystems.
#include <QString>
#include <QWidget>
#include <QStringList>
#include <functional>

class QWidget;
class QMdiArea;

namespace frame {

// The main window's document area; nullptr when no main window exists (tests
// that run one window alone), and then windows are shown top-level.
QMdiArea *MdiArea();
void SetMdiArea(QMdiArea *area);

// Shows `w` modelessly as a child window of the main window (or top-level).
// Shown the first time, a window opens inside the main window's area: larger
// than the area, it shrinks to it (not below the smallest size its controls
// can be laid out in) and is never placed left of the area's edge; what still
// does not fit is reached with the area's scroll bars.
void ShowChild(QWidget *w);

// The open window whose objectName is `name`, or nullptr.
QWidget *FindForm(const QString &name);

// The single window of class W named `name`: the open one is brought forward,
// otherwise `create` makes one (built and loaded) and it is shown.
template <class W, class Create>
W *ShowSingleForm(const QString &name, Create create)
{
    if (auto *open = qobject_cast<W *>(FindForm(name))) {
        ShowChild(open);
        return open;
    }
    W *w = create();
    ShowChild(w);
    return w;
}
// Every open window of the program except the main window.
QList<QWidget *> OpenForms();

// The window that a menu command opens: `formToOpen` is compared upper-cased
// ("FORMDATITAB"). `open` creates (or finds) the window and shows it.
void RegisterForm(const QString &formToOpen, std::function<void()> open);
// Opens the window registered under `formToOpen`; false when none is.
// A name not registered yet is looked for again after the form loader (if
// any) has run; what the loader raises reaches the caller.
bool OpenRegisteredForm(const QString &formToOpen);
// Whether a window is registered under `formToOpen` (the loader is not run).
bool IsFormRegistered(const QString &formToOpen);
// `load` registers windows that are not part of the program from its start
// (it is run each time a name is not found, and does its work once).
void SetFormLoader(std::function<void()> load);

// Unloads `w`: closes it (its close event may refuse) together with its child
// window frame, and deletes it afterwards. Returns false when it refused.
bool UnloadForm(QWidget *w);

// Calls `handler` each time `w` becomes the active child window of the main
// window. Only a real change of the active child counts: the program regaining
// the focus, or the same child activated again, calls nothing.
void OnFormActivate(QWidget *w, std::function<void()> handler);

// Excludes `w` from OpenForms (service windows such as the help viewer).
void MarkNotAForm(QWidget *w);

// Removes every registration made with RegisterForm, and the form loader (tests).
void ClearRegisteredForms();

} // namespace frame
