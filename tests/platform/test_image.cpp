// The 24-bit bitmap holder and the JPEG writer.
#include "platform/image/DIBSection.h"
#include "platform/image/JpegWriter.h"
#include "support/FileSizeLimit.h"
#include "support/JpegHeader.h"
#include "test_common.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <array>
#include <cstring>
#include <optional>
#include <set>
#include <gtest/gtest.h>

using namespace platform::image;

namespace {

// Top half red, bottom half blue, one green pixel at the top-left corner.
QImage twoBands(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::blue);
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(255, 0, 0));
    img.setPixel(0, 0, qRgb(0, 255, 0));
    return img;
}

bool near(QRgb a, QColor b, int tol = 40)
{
    return std::abs(qRed(a) - b.red()) <= tol && std::abs(qGreen(a) - b.green()) <= tol &&
           std::abs(qBlue(a) - b.blue()) <= tol;
}

// The blue, green and red bytes of the pixel at `p`.
std::array<int, 3> bgr(const std::uint8_t *p) { return {p[0], p[1], p[2]}; }

} // namespace

TEST(DibSection, RowsPaddedToFourBytesBottomRowFirst)
{
    for (auto [w, bpsl] : {std::pair{1, 4}, {3, 12}, {4, 12}, {5, 16}, {640, 1920}}) {
        cDIBSection d;
        ASSERT_TRUE(d.Create(w, 3)) << w;
        EXPECT_EQ(d.BytesPerScanLine(), bpsl) << w;
        EXPECT_EQ(cDIBSection::BytesPerScanLineFor(w), bpsl) << w;
    }
    cDIBSection d;
    d.CreateFromPicture(twoBands(429, 592));
    EXPECT_EQ(QSize(d.Width(), d.Height()), QSize(429, 592));
    EXPECT_EQ(d.BytesPerScanLine(), 1288);
    const std::uint8_t *bits = d.DIBSectionBitsPtr();
    // First row in memory = bottom of the picture (blue), bytes blue-green-red.
    EXPECT_EQ(bgr(bits), (std::array{255, 0, 0}));
    // Last row in memory = top row; its first pixel is the green corner, red next to it.
    EXPECT_EQ(bgr(bits + 591 * 1288), (std::array{0, 255, 0}));
    EXPECT_EQ(bgr(bits + 591 * 1288 + 3), (std::array{0, 0, 255}));
    // And back to an upright image unchanged.
    EXPECT_EQ(d.toImage().convertToFormat(QImage::Format_RGB32), twoBands(429, 592));

    ASSERT_TRUE(d.Create(7, 3)); // the first bitmap is dropped
    EXPECT_EQ(QSize(d.Width(), d.Height()), QSize(7, 3));
    EXPECT_EQ(d.DIBSectionBitsPtr()[0], 0); // a new bitmap is black

    EXPECT_FALSE(d.Create(0, 5));
    EXPECT_TRUE(d.isEmpty());
    EXPECT_EQ(d.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(QSize(d.Width(), d.Height()), QSize(0, 5)); // the size asked for is still reported

    d.CreateFromPicture(QImage());
    EXPECT_TRUE(d.isEmpty());
    EXPECT_TRUE(d.toImage().isNull());
}

TEST(JpegWriter, AFailureShowsItsMessageKeepsTheOldFileAndGivesTheReason)
{
    QTemporaryDir dir;
    cDIBSection page, empty;
    page.CreateFromPicture(twoBands(400, 300));
    struct Case { const char *what; const char *name; const cDIBSection *bitmap; rlim_t cap; };   // cap: 0 for none
    const Case cases[] = {
        {"folder missing", "manca/pagina.jpg", &page, 0},
        {"empty bitmap", "pagina.jpg", &empty, 0},
        {"disk full", "pagina.jpg", &page, 256},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ptest::PromptsScope g;
        const QString name = dir.filePath(c.name);
        ASSERT_TRUE(ptest::writeFile(dir.filePath("pagina.jpg"), "la pagina di ieri"));
        QString reason;
        {
            std::optional<testsupport::FileSizeLimit> full;
            if (c.cap)
                full.emplace(c.cap);
            EXPECT_FALSE(SaveJPG(*c.bitmap, name, 90, 96, &reason));
        }
        ASSERT_EQ(g.p.shown.size(), 1u);
        EXPECT_EQ(g.p.shown[0].text, "Failed to save to JPG");
        EXPECT_EQ(g.p.shown[0].style, 48);
        if (c.cap) {
            EXPECT_TRUE(reason.contains("pagina.jpg")) << reason.toStdString();
        }
        EXPECT_EQ(ptest::readFile(dir.filePath("pagina.jpg")), "la pagina di ieri");
        EXPECT_EQ(ptest::names(dir.path()), QStringList{"pagina.jpg"});
    }
    EXPECT_EQ(JpegInitFailedMessage(-3), "Failed to initialise the IJL library: -3");
}

TEST(JpegWriter, UprightFullColourAndTheDensityInTheHeader)
{
    // One-pixel red lines on white over a blue band, on rows padded to four
    // bytes: upright, nothing shifted along a row, and with the colour kept at
    // full resolution the lines stay red instead of fading into pink and grey.
    QImage img(63, 32, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 63; ++x)
            if (y >= 24 || x % 4 == 0)
                img.setPixel(x, y, y >= 24 ? qRgb(0, 0, 255) : qRgb(220, 0, 0));
    cDIBSection d;
    d.CreateFromPicture(img);
    QTemporaryDir dir;
    ptest::PromptsScope g;
    for (int dpi : {96, 300}) {
        QByteArray bytes;
        ASSERT_TRUE(EncodeJPG(d, 90, bytes, dpi, dpi));
        const auto h = testsupport::ReadJpegHeader(bytes);
        ASSERT_TRUE(h.ok) << dpi;
        EXPECT_EQ(h.densityUnit, 1) << dpi;
        EXPECT_EQ(std::make_pair(h.densityX, h.densityY), std::make_pair(dpi, dpi));
        EXPECT_EQ(h.sampling, std::vector<int>({0x11, 0x11, 0x11})) << dpi;
        const QImage back = QImage::fromData(bytes, "JPEG");
        ASSERT_EQ(back.size(), QSize(63, 32));
        for (int x : {0, 4, 32, 60}) {
            const QRgb p = back.pixel(x, 16);
            EXPECT_GT(qRed(p), 170) << x;
            EXPECT_LT(qGreen(p), 70) << x;
            EXPECT_LT(qBlue(p), 70) << x;
        }
        EXPECT_TRUE(near(back.pixel(2, 28), Qt::blue) && near(back.pixel(62, 28), Qt::blue));
        // The file holds the same bytes.
        const QString name = dir.filePath(QStringLiteral("pagina %1.jpg").arg(dpi));
        ASSERT_TRUE(SaveJPG(d, name, 90, dpi));
        EXPECT_EQ(ptest::readFile(name), bytes);
    }
    EXPECT_TRUE(g.p.shown.empty());
    QByteArray none;
    EXPECT_FALSE(EncodeJPG(cDIBSection(), 90, none));
    EXPECT_TRUE(none.isEmpty());
}

TEST(DibSection, ResampleKeepsCornersAndInterpolates)
{
    // Source 2 x 2 (memory rows, bottom-up): bottom row black | white, top row
    // red | blue. Destination pixel (x, y) in memory rows, expected blue-green-red.
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 1, qRgb(0, 0, 0));
    img.setPixel(1, 1, qRgb(255, 255, 255));
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 0, 255));
    cDIBSection d;
    d.CreateFromPicture(img);
    struct Case { int w, h, x, y; std::array<int, 3> bgr; };
    const Case cases[] = {
        {4, 4, 0, 0, {0, 0, 0}},       // the corner pixel is kept
        {4, 4, 2, 0, {128, 128, 128}}, // halfway along the bottom row: 127.5 goes to 128
        {4, 4, 1, 0, {64, 64, 64}},    // a quarter: 63.75
        {4, 4, 0, 2, {0, 0, 128}},     // halfway up the left column: 127.5 goes to 128
        {4, 4, 2, 2, {128, 64, 128}},  // the middle: left (0,0,128), right (255,128,128)
        {2, 2, 1, 1, {255, 0, 0}},     // the same size: an identical copy
    };
    for (const Case &c : cases) {
        const auto r = d.Resample(c.h, c.w);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(QSize(r->Width(), r->Height()), QSize(c.w, c.h));
        EXPECT_EQ(bgr(r->DIBSectionBitsPtr() + c.y * r->BytesPerScanLine() + 3 * c.x), c.bgr) << c.w << " " << c.x << "," << c.y;
    }
    const auto same = d.Resample(2, 2);
    EXPECT_EQ(std::memcmp(same->DIBSectionBitsPtr(), d.DIBSectionBitsPtr(), size_t(d.BytesPerScanLine() * 2)), 0);
    // A size that cannot be made gives nothing; a one-pixel-wide source stays in bounds.
    EXPECT_EQ(d.Resample(0, 4), nullptr);
    cDIBSection thin;
    thin.CreateFromPicture(twoBands(1, 4));
    const auto wide = thin.Resample(8, 3);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->DIBSectionBitsPtr()[0], 255); // the bottom band is blue
}

TEST(DibSection, BlitsClipboardAndRandomFill)
{
    ptest::PromptsScope g;
    const QImage src = twoBands(6, 4);
    cDIBSection d;
    ASSERT_TRUE(d.Create(4, 2));
    d.LoadPictureBlt(src, 2, 1, -1, -1); // rows 1 and 2 of the source, from column 2
    QImage out(6, 4, QImage::Format_RGB32);
    out.fill(Qt::white);
    d.PaintPicture(out, 1, 1, -1, -1, 0, 0);
    EXPECT_EQ(out.pixel(1, 1), qRgb(255, 0, 0)); // source row 1: red
    EXPECT_EQ(out.pixel(4, 2), qRgb(0, 0, 255)); // source row 2: blue
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(5, 1), qRgb(255, 255, 255));

    // As a DIB: only the message.
    EXPECT_FALSE(d.CopyToClipboard(true));
    ASSERT_EQ(g.p.shown.size(), 1u);
    EXPECT_EQ(g.p.shown[0].text, "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
    EXPECT_EQ(g.p.shown[0].style, 0);
    // As a bitmap: the clipboard takes the picture.
    ASSERT_TRUE(d.CopyToClipboard(false));
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(4, 2));
    EXPECT_EQ(copied.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(g.p.shown.size(), 1u);

    for (bool gray : {true, false}) {
        ASSERT_TRUE(d.Create(5, 7));
        d.RandomiseBits(gray);
        std::set<int> levels;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x) {
                const std::uint8_t *p = d.DIBSectionBitsPtr() + y * d.BytesPerScanLine() + 3 * x;
                if (gray) {
                    EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
                } else {
                    EXPECT_EQ(p[0], 0);
                }
                levels.insert(p[1]);
            }
        EXPECT_GT(levels.size(), 5u) << gray;
    }
}
