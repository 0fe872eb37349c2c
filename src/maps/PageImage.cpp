#include "maps/PageImage.h"

#include "platform/Files.h"
#include "platform/image/DIBSection.h"
#include "platform/image/JpegWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include <cmath>

namespace maps {

PageImageFormat PageImageFormatOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    for (const char *ext : {".jpg", ".jpeg"})
        if (name.contains(QLatin1String(ext), Qt::CaseInsensitive))
            return PageImageFormat::Jpeg;
    return PageImageFormat::Bmp;
}

bool SavePageImage(const QImage &page, const QString &path, QString *error)
{
    if (error)
        error->clear();
    if (page.isNull()) {
        if (error)
            *error = QStringLiteral("Immagine della pagina vuota.");
        return false;
    }
    if (PageImageFormatOf(path) == PageImageFormat::Jpeg) {
        platform::image::cDIBSection dib;
        dib.CreateFromPicture(page);
        const int dpi = page.dotsPerMeterX() > 0 ? int(std::lround(page.dotsPerMeterX() * 0.0254))
                                                 : platform::image::DefaultJpegDpi;
        return platform::image::SaveJPG(dib, path, PageJpegQuality, dpi, error);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(page)) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    buffer.close();
    return platform::files::writeAtomic(path, bytes, error);
}

} // namespace maps
