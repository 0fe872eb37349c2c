#pragma once
// The check of the databases that an update archive brings, made on the
// extracted files before any file of the databases folder is replaced: the
// next start must find databases it can read, its menu (with the way back to
// the update) and its attached tables.
#include "platform/zip/Unzip.h"

#include <QString>

namespace frame {

// "" when the folder, as the update would leave it, is sound; else the reason
// in the user's words. Refused:
// - a file of the archive named *.mdb, or named by DbConfigs or tablelink, that
//   is not a database or fails the engine's quick check;
// - a Metadati.mdb without the tables and fields that start-up, the menu and
//   the about window read, or whose menu offers no way to the about window;
// - a Territorio.mdb without the territory table and its fields;
// - a tablelink whose holder file is missing or is not a database, or a link
//   that could be set before the update and cannot after it;
// - a database listed in DbConfigs that the folder would not hold (unless it
//   was listed and missing already before the update).
QString CheckUpdate(const platform::zip::StagedView &view);

} // namespace frame
