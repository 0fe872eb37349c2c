#pragma once
// Measures a whole process from the outside: once the main window has painted
// its first complete frame, the monotonic clock is printed as
// "first-frame-ns <n>" and the program ends. The launcher compares it with its
// own clock taken before it started the process.
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace startupbench {

class FirstFrame : public QObject {
public:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (!m_seen && ev->type() == QEvent::Paint && obj->isWidgetType() &&
            qobject_cast<QMainWindow *>(static_cast<QWidget *>(obj)->window())) {
            m_seen = true;
            // The rest of the frame is painted and flushed before the loop runs this.
            QTimer::singleShot(0, [] {
                timespec ts{};
                clock_gettime(CLOCK_MONOTONIC, &ts);
                std::printf("first-frame-ns %lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

    static void install()
    {
        static FirstFrame probe;
        QCoreApplication::instance()->installEventFilter(&probe);
    }

private:
    bool m_seen = false;
};

} // namespace startupbench
