// The JPEG reader of the background picture, against the toolkit's reader, and
// the picture read ahead on a thread of its own.
#include "platform/image/JpegReader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QThread>
#include <csetjmp>
#include <functional>
#include <jpeglib.h>
#include <gtest/gtest.h>

using namespace platform::image;

namespace {

// How a made picture is encoded.
struct Encoding {
    bool grey = false;
    bool progressive = false;
    int restartRows = 0;      // a restart marker every so many rows of blocks
    int sampling = 2;         // colour at 1/sampling of the resolution, both ways
    J_COLOR_SPACE space = JCS_YCbCr;
    std::function<void(j_compress_ptr)> markers = nullptr;   // written after the header
};

// A picture of gradients and sharp edges, so that every stage of the decoder counts.
QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 255) / std::max(1, w - 1), ((x / 7 + y / 5) % 2) * 200 + 20,
                                    (y * 255) / std::max(1, h - 1)));
    return img;
}

QByteArray encode(const QImage &source, const Encoding &e)
{
    const QImage img = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(img.width());
    c.image_height = JDIMENSION(img.height());
    const bool fourColours = e.space == JCS_CMYK || e.space == JCS_YCCK;
    c.input_components = fourColours ? 4 : 3;
    c.in_color_space = fourColours ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 80, TRUE);
    if (e.grey)
        jpeg_set_colorspace(&c, JCS_GRAYSCALE);
    else if (e.space != JCS_YCbCr)
        jpeg_set_colorspace(&c, e.space);
    if (!e.grey)
        c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = e.sampling;
    if (e.progressive)
        jpeg_simple_progression(&c);
    c.restart_in_rows = e.restartRows;
    jpeg_start_compress(&c, TRUE);
    if (e.markers)
        e.markers(&c);
    std::vector<uchar> cmyk(size_t(img.width()) * 4);
    while (c.next_scanline < c.image_height) {
        const uchar *rgb = img.constScanLine(int(c.next_scanline));
        JSAMPROW r = const_cast<uchar *>(rgb);
        if (fourColours) {
            for (int x = 0; x < img.width(); ++x) {
                for (int k = 0; k < 3; ++k)
                    cmyk[size_t(x) * 4 + size_t(k)] = uchar(255 - rgb[x * 3 + k]);
                cmyk[size_t(x) * 4 + 3] = 0;
            }
            r = cmyk.data();
        }
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// What the toolkit's reader makes of `bytes`, in the format the program keeps.
QImage toolkit(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    QImageReader reader(&buf);
    QImage img = reader.read();
    return img.isNull() ? img : img.convertToFormat(QImage::Format_RGB32);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(JpegReader, SamePixelsAndResolutionAsTheToolkitsReader)
{
    const QByteArray colour = encode(pattern(67, 45), {});
    const QByteArray sample = readFile(TRAMBELO_APP_DIR "/Images/sfondopxn2.jpg");
    ASSERT_FALSE(sample.isEmpty());
    QByteArray damagedScan = colour;
    for (qsizetype i = damagedScan.size() / 2; i < damagedScan.size() / 2 + 40; ++i)
        damagedScan[i] = char(0x5A);
    struct Case { const char *name; QByteArray bytes; };
    const Case cases[] = {
        {"the sample picture", sample},
        {"colour at a quarter, odd size", colour},
        {"grey", encode(pattern(64, 48), {.grey = true})},
        {"progressive", encode(pattern(50, 33), {.progressive = true})},
        {"restart markers every row of blocks", encode(pattern(90, 70), {.restartRows = 1})},
        {"colour at full resolution, one pixel wide", encode(pattern(1, 19), {.sampling = 1})},
        {"stored as red, green, blue", encode(pattern(21, 13), {.sampling = 1, .space = JCS_RGB})},
        {"cut short: the rest grey", colour.left(colour.size() * 2 / 3)},
        {"damaged in its data", damagedScan},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage expected = toolkit(c.bytes);
        ASSERT_FALSE(expected.isNull());
        QImage got;
        ASSERT_EQ(DecodeJpegRGB32(c.bytes, got), JpegRead::Decoded);
        EXPECT_EQ(got.format(), QImage::Format_RGB32);
        EXPECT_EQ(got.size(), expected.size());
        EXPECT_TRUE(got == expected);
        EXPECT_EQ(got.dotsPerMeterX(), expected.dotsPerMeterX());
        EXPECT_EQ(got.dotsPerMeterY(), expected.dotsPerMeterY());
    }
}

TEST(JpegReader, DamagedFilesFailAsWithTheToolkitAndOthersAreLeftToIt)
{
    const QByteArray colour = encode(pattern(40, 30), {});
    QByteArray badFrame = colour;
    const qsizetype sof = badFrame.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    badFrame[sof + 5] = 0;   // height and width 0
    badFrame[sof + 6] = 0;
    badFrame[sof + 7] = 0;
    badFrame[sof + 8] = 0;
    QByteArray huge = colour;   // 60000 x 60000: more than the toolkit's readers take
    huge[sof + 5] = char(0xEA);
    huge[sof + 6] = char(0x60);
    huge[sof + 7] = char(0xEA);
    huge[sof + 8] = char(0x60);
    // The same claim in a progressive file, which the decoder would read whole
    // into buffers of that size (some 20 GB) before the picture is made.
    QByteArray hugeProgressive = encode(pattern(40, 30), {.progressive = true});
    const qsizetype sof2 = hugeProgressive.indexOf("\xFF\xC2");
    ASSERT_GT(sof2, 0);
    for (int i = 5; i <= 8; ++i)
        hugeProgressive[sof2 + i] = huge[sof + i];
    QImage png(8, 8, QImage::Format_RGB32);
    png.fill(Qt::red);
    QByteArray pngBytes;
    QBuffer pngBuf(&pngBytes);
    pngBuf.open(QIODevice::WriteOnly);
    png.save(&pngBuf, "PNG");
    const auto withMarker = [](int marker, QByteArray data) {
        return [marker, data](j_compress_ptr c) {
            jpeg_write_marker(c, marker, reinterpret_cast<const JOCTET *>(data.constData()), unsigned(data.size()));
        };
    };
    struct Case { const char *name; QByteArray bytes; JpegRead outcome; };
    const Case cases[] = {
        {"the header only", colour.left(20), JpegRead::Damaged},
        {"a frame of no size", badFrame, JpegRead::Damaged},
        {"a frame too large", huge, JpegRead::Damaged},
        {"a progressive frame too large", hugeProgressive, JpegRead::Damaged},
        {"nothing", QByteArray(), JpegRead::NotHandled},
        {"a PNG picture", pngBytes, JpegRead::NotHandled},
        {"four colours", encode(pattern(16, 16), {.sampling = 1, .space = JCS_YCCK}), JpegRead::NotHandled},
        {"with Exif data", encode(pattern(16, 16), {.markers = withMarker(JPEG_APP0 + 1, QByteArray("Exif\0\0MM", 8))}),
         JpegRead::NotHandled},
        {"with a colour profile", encode(pattern(16, 16), {.markers = withMarker(JPEG_APP0 + 2, "ICC_PROFILE")}),
         JpegRead::NotHandled},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QImage got(1, 1, QImage::Format_RGB32);
        EXPECT_EQ(DecodeJpegRGB32(c.bytes, got), c.outcome);
        EXPECT_TRUE(got.isNull());
        if (c.outcome == JpegRead::Damaged) {
            EXPECT_TRUE(toolkit(c.bytes).isNull());
        }
    }
}

TEST(PictureReadAhead, ReadsOnAnotherThreadAndTellsTheFileItRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.jpg");
    const QByteArray bytes = encode(pattern(30, 20), {});
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Qt::HANDLE locatedOn = nullptr;
    PictureReadAhead ahead([&] {
        locatedOn = QThread::currentThreadId();
        return path;
    });
    const PictureFile r = ahead.take();
    EXPECT_NE(locatedOn, QThread::currentThreadId());
    const QFileInfo fi(path);
    EXPECT_TRUE(r.sameFile(path, fi.lastModified(), fi.size()));
    EXPECT_FALSE(r.sameFile(path, fi.lastModified(), fi.size() + 1));
    EXPECT_FALSE(r.sameFile(path, fi.lastModified().addSecs(1), fi.size()));
    EXPECT_FALSE(r.sameFile(dir.filePath("b.jpg"), fi.lastModified(), fi.size()));
    EXPECT_TRUE(r.image == toolkit(bytes));
    EXPECT_FALSE(ahead.take().sameFile(path, fi.lastModified(), fi.size()));   // handed over once

    // No file, or one that is no JPEG: nothing read ahead.
    for (const QString &other : {QString(), dir.filePath("missing.jpg")}) {
        PictureReadAhead none([&] { return other; });
        const PictureFile r = none.take();
        EXPECT_TRUE(r.image.isNull());
        EXPECT_FALSE(r.sameFile(other, QFileInfo(other).lastModified(), QFileInfo(other).size()));
    }
}
