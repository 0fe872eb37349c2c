#pragma once
// Writes the pixels of a 24-bit bitmap to a baseline JPEG file.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace platform::image {

class cDIBSection;

// The messages shown on failure (exclamation icon, the application's title).
QString JpegInitFailedMessage(int code);
QString JpegWriteFailedMessage();

// The resolution written into the file's header when none is given.
inline constexpr int DefaultJpegDpi = 96;

// Encodes `dib` (blue-green-red rows, bottom-up, padded to 4 bytes) as an
// upright baseline JPEG of the bitmap's size at `quality` (1 to 100), every
// colour at full resolution (no chroma subsampling), with `dpiX` x `dpiY` in
// its JFIF header. False when the bitmap is empty or the encoder failed;
// `initCode` (when given) then holds the encoder's code of a failure to start.
bool EncodeJPG(const cDIBSection &dib, std::int32_t quality, QByteArray &out, int dpiX = DefaultJpegDpi,
               int dpiY = DefaultJpegDpi, int *initCode = nullptr);

// Encodes `dib` as EncodeJPG does and writes it to `fileName` all or nothing.
// Returns true when the file was written. On failure one of the messages above
// is shown, `error` (when given) holds the reason in Italian, and an existing
// file of that name is left as it was.
bool SaveJPG(const cDIBSection &dib, const QString &fileName, std::int32_t quality, int dpi = DefaultJpegDpi,
             QString *error = nullptr);

} // namespace platform::image
