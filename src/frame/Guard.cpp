#include "frame/Guard.h"

namespace frame {

void LogCurrentException(const QString &module, const QString &procName)
{
    try {
        throw;
    } catch (const platform::RuntimeError &e) {
        Utility_RQM::WriteErrorLog(module, procName, QString::number(e.number()), e.description(), e.detail());
    } catch (const std::bad_alloc &) {
        Utility_RQM::WriteErrorLog(module, procName, QStringLiteral("7"), QStringLiteral("Memoria esaurita"));
    } catch (const std::exception &e) {
        Utility_RQM::WriteErrorLog(module, procName, QStringLiteral("5"), QString::fromUtf8(e.what()));
    } catch (...) {
        Utility_RQM::WriteErrorLog(module, procName, QStringLiteral("5"), QStringLiteral("Errore imprevisto"));
    }
}

} // namespace frame
