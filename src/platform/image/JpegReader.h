#pragma once
// Reads JPEG pictures straight into 32-bit images, and reads one picture file
// on a thread of its own while the program does other work.
#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <functional>
#include <thread>

namespace platform::image {

enum class JpegRead {
    Decoded,    // `out` holds the picture
    NotHandled, // not a JPEG this reader takes (another format, CMYK, a colour profile, Exif data)
    Damaged,    // a JPEG that cannot be decoded
};

// Decodes the JPEG in `bytes` into `out` as QImage::Format_RGB32 (grey
// pictures too), with the same pixels and resolution the toolkit's reader
// gives once converted to that format. A file cut short is decoded as far as
// it goes, the rest grey, as the toolkit does. `out` is null unless Decoded.
JpegRead DecodeJpegRGB32(const QByteArray &bytes, QImage &out);

// A picture file as it was read: its path, its size and time when it was
// read, and the picture (null when it could not be decoded here).
struct PictureFile {
    QString path;
    QDateTime modified;
    qint64 size = -1;
    QImage image;

    // True when `path` names this file and it has not changed since.
    bool sameFile(const QString &path, const QDateTime &modified, qint64 size) const;
};

// Reads the file that `locate` names (run on the thread too; "" for none) and
// decodes it with DecodeJpegRGB32 on a thread of its own, started at once.
// Ending the object waits for the thread.
class PictureReadAhead {
public:
    explicit PictureReadAhead(std::function<QString()> locate);
    ~PictureReadAhead();
    PictureReadAhead(const PictureReadAhead &) = delete;
    PictureReadAhead &operator=(const PictureReadAhead &) = delete;

    // The file as read, once the thread is done (waits for it). Handed over
    // once: later calls give an empty PictureFile.
    PictureFile take();

private:
    PictureFile m_result;
    std::thread m_thread;
};

} // namespace platform::image
