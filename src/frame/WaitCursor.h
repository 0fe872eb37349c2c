#pragma once
// The hourglass for the length of an operation, restored on every path.
#include <QApplication>

namespace frame {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor()
    {
        if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace frame
