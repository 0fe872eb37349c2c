#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

void FitToScreen(QWidget *w)
{
    QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame is not known before the window is shown: room for a title bar and borders.
    const QSize frame(16, 40);
    const QSize room = screen->availableGeometry().size() - frame;
    const QSize smallest = w->minimumSizeHint().expandedTo(w->minimumSize());
    const QSize fitted = w->size().boundedTo(room).expandedTo(smallest);
    if (fitted != w->size())
        w->resize(fitted);
}

} // namespace platform
