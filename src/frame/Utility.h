#pragma once
// Shared procedures of the frame: the debug tracer and the connection opener.
// (Window layout, help and the other shared procedures join this module.)
#include "platform/db/Database.h"

#include <QString>
#include <optional>

class QObject;

namespace Utility {

// The debug tracer: switched off, it writes nothing.
void WriteDebugLog(const QString &module, const QString &procName, const QString &stepCode);

// Opens `fileName` in `folder` (an empty folder means gDbPath, and the caller's
// variable receives it), or, when isConnString is true, the connection string
// `fileName` itself. On failure logs under "Utility"/"GetDbConnection" (message
// box included) and returns nothing.
std::optional<platform::db::Database> GetDbConnection(const QString &fileName, QString &folder,
                                                      bool isConnString = false,
                                                      platform::db::OpenMode mode = platform::db::OpenMode::ReadWrite);
// The same for callers that pass the folder by value.
std::optional<platform::db::Database> GetDbConnection(const QString &fileName, const QString &folder = {},
                                                      platform::db::OpenMode mode = platform::db::OpenMode::ReadWrite);

} // namespace Utility
