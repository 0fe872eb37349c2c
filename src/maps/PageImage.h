#pragma once
// The saved image of the map page: its format, taken from the file's name, and
// the writing of the bytes of that format in one step.
#include <QString>

class QImage;

namespace maps {

enum class PageImageFormat { Bmp, Jpeg };

// JPEG when the file's own name (its folder does not count) contains ".jpg" or
// ".jpeg" in any letter case ("pagina.JPEG", "a.jpg.old"); a bitmap otherwise,
// under exactly the name given.
PageImageFormat PageImageFormatOf(const QString &path);

// The JPEG quality of a saved page (1 to 100).
inline constexpr int PageJpegQuality = 90;

// Writes `page` to `path` in the format of its name, with the page's resolution
// (its dots per metre) in the file's header. The file is replaced only by a
// complete image: on failure an existing file stays as it was, the result is
// false and `error` holds the reason ("" when the JPEG writer has shown its own).
bool SavePageImage(const QImage &page, const QString &path, QString *error = nullptr);

} // namespace maps
