#pragma once
// Writes the pixels of a 24-bit bitmap to a baseline JPEG file.
#include <QString>
#include <cstdint>

namespace platform::image {

class cDIBSection;

// The messages shown on failure (exclamation icon, the application's title).
QString JpegInitFailedMessage(int code);
QString JpegWriteFailedMessage();

// Writes `dib` (blue-green-red rows, bottom-up, padded to 4 bytes) to
// `fileName` as an upright JPEG of the bitmap's size at `quality` (1 to 100).
// Returns true when the file was written. On failure one of the messages above
// is shown and an existing file of that name is left as it was.
bool SaveJPG(const cDIBSection &dib, const QString &fileName, std::int32_t quality);

} // namespace platform::image
