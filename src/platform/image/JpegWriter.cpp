#include "platform/image/JpegWriter.h"

#include "platform/Files.h"
#include "platform/Prompts.h"
#include "platform/image/DIBSection.h"
#include "platform/image/JpegErrors.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace platform::image {

namespace {

// Encodes into memory; false when the encoder failed.
bool encode(const cDIBSection &dib, int quality, int dpiX, int dpiY, unsigned char **out, unsigned long *outSize,
            int *initCode)
{
    jpeg_compress_struct cinfo{};
    JpegErrors err{};
    err.attach(cinfo);
    volatile bool created = false;
    if (setjmp(err.jump)) {
        if (!created)
            *initCode = err.base.msg_code;
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    created = true;
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(dib.Width());
    cinfo.image_height = JDIMENSION(dib.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
    // Colour at the full resolution of the picture (4:4:4): thin coloured
    // lines and small coloured text keep their colour.
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    // The resolution, in dots per inch, as a bitmap of the page records it.
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;
    cinfo.X_density = UINT16(std::clamp(dpiX, 1, 65535));
    cinfo.Y_density = UINT16(std::clamp(dpiY, 1, 65535));
    jpeg_start_compress(&cinfo, TRUE);
    const std::uint8_t *bits = dib.DIBSectionBitsPtr();
    const size_t stride = size_t(dib.BytesPerScanLine());
    // Rows are stored bottom-up: the first JPEG row is the last one in memory.
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bits + (cinfo.image_height - 1 - cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QString JpegInitFailedMessage(int code)
{
    return QStringLiteral("Failed to initialise the IJL library: ") + QString::number(code);
}

QString JpegWriteFailedMessage()
{
    return QStringLiteral("Failed to save to JPG");
}

bool EncodeJPG(const cDIBSection &dib, std::int32_t quality, QByteArray &out, int dpiX, int dpiY, int *initCode)
{
    out.clear();
    int code = 0;
    if (initCode)
        *initCode = 0;
    if (dib.isEmpty() || dib.Width() <= 0 || dib.Height() <= 0)
        return false;
    unsigned char *data = nullptr;
    unsigned long size = 0;
    const bool ok = encode(dib, quality, dpiX, dpiY, &data, &size, &code);
    if (ok)
        out = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    std::free(data);
    if (initCode)
        *initCode = code;
    return ok;
}

bool SaveJPG(const cDIBSection &dib, const QString &fileName, std::int32_t quality, int dpi, QString *error)
{
    QByteArray bytes;
    int initCode = 0;
    QString reason;
    bool ok = EncodeJPG(dib, quality, bytes, dpi, dpi, &initCode);
    if (!ok && initCode != 0) {
        if (error)
            *error = QString();
        prompts().msgBox(JpegInitFailedMessage(initCode), mb::Exclamation | mb::OkOnly);
        return false;
    }
    if (ok)
        ok = files::writeAtomic(fileName, bytes, &reason);
    if (error)
        *error = reason;
    if (!ok)
        prompts().msgBox(JpegWriteFailedMessage(), mb::Exclamation | mb::OkOnly);
    return ok;
}

} // namespace platform::image
