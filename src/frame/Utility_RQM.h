#pragma once
// The common error logger: one line appended to Error.log in the Files folder
// and one message box, which tells when the line could not be written (and
// why). It never fails.
#include <QString>

class QObject;

namespace Utility_RQM {

// `module` is the window or module label ("frmMainMDI", "Utility", ...).
void WriteErrorLog(const QString &module, const QString &procName, const QString &errNumber,
                   const QString &errDescription);
// The label of a window: its objectName, else its class name.
QString ModuleLabel(const QObject *window);
void WriteErrorLog(const QObject *window, const QString &procName, const QString &errNumber,
                   const QString &errDescription);

// The line written for one error (without its line end), as logged now.
QString ErrorLine(const QString &module, const QString &procName, const QString &errNumber,
                  const QString &errDescription);

} // namespace Utility_RQM
