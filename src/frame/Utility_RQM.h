#pragma once
// The common error logger: one line appended to Error.log in the Files folder
// and one message box, which tells when the line could not be written (and
// why). It never fails.
#include <QString>
#include <functional>

class QObject;

namespace Utility_RQM {

// `module` is the window or module label ("frmMainMDI", "Utility", ...).
// `detail`, when given, is the library's own text of the error: it goes into
// the log line only, never into the message box.
void WriteErrorLog(const QString &module, const QString &procName, const QString &errNumber,
                   const QString &errDescription, const QString &detail = {});
// The label of a window: its objectName, else its class name.
QString ModuleLabel(const QObject *window);
void WriteErrorLog(const QObject *window, const QString &procName, const QString &errNumber,
                   const QString &errDescription, const QString &detail = {});

// The line written for one error (without its line end), as logged now.
QString ErrorLine(const QString &module, const QString &procName, const QString &errNumber,
                  const QString &errDescription, const QString &detail = {});

// Many errors of one operation told in one box: while a batch lives, every
// error is logged with its own line but no box is shown; finish() then shows
// one box, with the error's own text when there was one error, else the
// summary made from the count. Nested batches report to the outermost.
class ErrorBatch {
public:
    using Summary = std::function<QString(int count)>;
    explicit ErrorBatch(Summary summary);
    ~ErrorBatch();   // finishes when finish() was not called
    ErrorBatch(const ErrorBatch &) = delete;
    ErrorBatch &operator=(const ErrorBatch &) = delete;

    // The errors logged so far in this batch.
    int count() const { return m_count; }
    // The description of the last error logged.
    const QString &last() const { return m_last; }
    // Shows the box (when an error was logged) and ends the batch.
    void finish();
    // Ends the batch without a box: the caller tells the user itself.
    void discard();

private:
    friend void WriteErrorLog(const QString &, const QString &, const QString &, const QString &, const QString &);
    Summary m_summary;
    ErrorBatch *m_outer = nullptr;
    int m_count = 0;
    QString m_first;
    QString m_last;
    bool m_written = false;
    QString m_failure; // why the log could not be written, when it could not
    bool m_done = false;
};

} // namespace Utility_RQM
