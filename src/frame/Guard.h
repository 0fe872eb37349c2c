#pragma once
// The handler boundary: runs an operation and, when it raises a run-time error,
// logs it through the error logger with the window or module label and the
// procedure label, and ends the operation. Work done before the error stays done.
#include "frame/Utility_RQM.h"
#include "platform/Error.h"

#include <QObject>
#include <QString>
#include <exception>
#include <utility>

namespace frame {

// Logs the exception in flight (call from a catch block).
void LogCurrentException(const QString &module, const QString &procName);

// Returns true when `fn` ended normally, false when it raised and was logged.
template <class F>
bool Guard(const QString &module, const QString &procName, F &&fn)
{
    try {
        std::forward<F>(fn)();
        return true;
    } catch (...) {
        LogCurrentException(module, procName);
        return false;
    }
}

template <class F>
bool Guard(const QObject *window, const QString &procName, F &&fn)
{
    return Guard(Utility_RQM::ModuleLabel(window), procName, std::forward<F>(fn));
}

} // namespace frame
