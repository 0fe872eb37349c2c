#pragma once
// Finding a window's control by its name, stopping a test cleanly where going
// on would use something that is not there (a control, a tree node, a window
// that did not open on a damaged database), and driving a modal window: the
// test fails with what went wrong instead of crashing the test binary.
#include <QApplication>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace testenv {

// Thrown by must(): gtest reports it as the failure of the running test.
struct Missing : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <class T>
T *must(T *p, const std::string &what)
{
    if (!p)
        throw Missing("missing: " + what);
    return p;
}

template <class T>
T *ctl(QWidget *w, const QString &name)
{
    return must(must(w, "window")->findChild<T *>(name), "control " + name.toStdString());
}

template <class T>
T *ctl(QWidget *w, const char *name)
{
    return ctl<T>(w, QString::fromLatin1(name));
}

// Runs `body` on the modal window once it is up (at the next turn of its event
// loop), then closes it if `body` did not. A failure inside `body`, an exception
// included, fails the test and still closes the window: nothing is thrown
// through the window's event loop, which would end the test binary.
inline void onModal(std::function<void(QWidget *)> body)
{
    QTimer::singleShot(0, [body] {
        QPointer<QWidget> dlg = QApplication::activeModalWidget();
        if (!dlg) {
            ADD_FAILURE() << "no modal window is shown";
            return;
        }
        try {
            body(dlg);
        } catch (const std::exception &e) {
            ADD_FAILURE() << "exception inside the modal window: " << e.what();
        } catch (...) {
            ADD_FAILURE() << "exception inside the modal window";
        }
        if (dlg && dlg->isVisible())
            dlg->close();
    });
}

} // namespace testenv
