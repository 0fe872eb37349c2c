#include "platform/image/JpegReader.h"
#include "platform/image/JpegErrors.h"
#include "platform/Aside.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::image {

namespace {

// The pixels of Format_RGB32 as bytes in memory.
constexpr J_COLOR_SPACE Rgb32Bytes = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// The file's whole content, read without the toolkit's I/O objects so that it
// can run on any thread. False when it cannot be read.
bool readAll(const QString &path, QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        ok = true;
    }
    ::close(fd);
    return ok;
}

// The decoding itself; `image` lives outside the frame an error jumps back to.
JpegRead decode(const QByteArray &bytes, QImage &image)
{
    jpeg_decompress_struct cinfo{};
    JpegErrors err{};
    err.attach(cinfo);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return JpegRead::Damaged;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()), (unsigned long)bytes.size());
    // Exif (APP1) and colour profiles (APP2) change how the toolkit shows a
    // picture: such files are left to it.
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 16);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 16);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.marker_list != nullptr ||
        (cinfo.jpeg_color_space != JCS_YCbCr && cinfo.jpeg_color_space != JCS_GRAYSCALE &&
         cinfo.jpeg_color_space != JCS_RGB) ||
        (cinfo.num_components != 1 && cinfo.num_components != 3)) {
        jpeg_destroy_decompress(&cinfo);
        return JpegRead::NotHandled;
    }
    // The toolkit's choices: the exact transform, smooth colour upsampling.
    cinfo.out_color_space = Rgb32Bytes;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    // A picture larger than the toolkit's readers accept is refused as they
    // refuse it, before the decoder sets its buffers up: a progressive file
    // is read whole into buffers of the size its header claims.
    jpeg_calc_output_dimensions(&cinfo);
    const int limitMiB = QImageReader::allocationLimit();
    if (limitMiB > 0 &&
        quint64(cinfo.output_width) * cinfo.output_height * 4 > quint64(limitMiB) * 1024 * 1024) {
        jpeg_destroy_decompress(&cinfo);
        return JpegRead::Damaged;
    }
    jpeg_start_decompress(&cinfo);
    image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (image.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return JpegRead::Damaged;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    if (cinfo.density_unit == 1) {
        image.setDotsPerMeterX(int(100. * cinfo.X_density / 2.54));
        image.setDotsPerMeterY(int(100. * cinfo.Y_density / 2.54));
    } else if (cinfo.density_unit == 2) {
        image.setDotsPerMeterX(100 * cinfo.X_density);
        image.setDotsPerMeterY(100 * cinfo.Y_density);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return JpegRead::Decoded;
}

} // namespace

JpegRead DecodeJpegRGB32(const QByteArray &bytes, QImage &out)
{
    out = QImage();
    // Start of image: anything else is another format.
    if (bytes.size() < 3 || uchar(bytes[0]) != 0xFF || uchar(bytes[1]) != 0xD8 || uchar(bytes[2]) != 0xFF)
        return JpegRead::NotHandled;
    QImage image;
    const JpegRead r = decode(bytes, image);
    if (r == JpegRead::Decoded)
        out = image;
    return r;
}

bool PictureFile::sameFile(const QString &otherPath, const QDateTime &otherModified, qint64 otherSize) const
{
    return !path.isEmpty() && path == otherPath && modified == otherModified && size == otherSize;
}

PictureReadAhead::PictureReadAhead(std::function<QString()> locate)
    : m_thread(StartAside([this, locate = std::move(locate)] {
          PictureFile file;
          file.path = locate();
          if (file.path.isEmpty())
              return;
          const QFileInfo before(file.path);
          QByteArray bytes;
          if (!before.isFile() || !readAll(file.path, bytes))
              return;
          // Changed while it was read: the reader of the picture reads it again.
          const QFileInfo after(file.path);
          if (after.lastModified() != before.lastModified() || after.size() != before.size() ||
              bytes.size() != before.size())
              return;
          file.modified = before.lastModified();
          file.size = before.size();
          DecodeJpegRGB32(bytes, file.image);
          m_result = std::move(file);
      }))
{
}

PictureReadAhead::~PictureReadAhead()
{
    if (m_thread.joinable())
        m_thread.join();
}

PictureFile PictureReadAhead::take()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::exchange(m_result, PictureFile());
}

} // namespace platform::image
