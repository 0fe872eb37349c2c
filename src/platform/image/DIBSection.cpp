#include "platform/image/DIBSection.h"

#include "platform/Prompts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <random>

namespace platform::image {

std::int32_t cDIBSection::BytesPerScanLineFor(std::int32_t width)
{
    return (width * 3 + 3) & ~std::int32_t(3);
}

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight)
{
    ClearUp();
    m_width = lWidth;
    m_height = lHeight;
    if (lWidth <= 0 || lHeight <= 0)
        return false;
    const std::int64_t size = std::int64_t(BytesPerScanLine()) * lHeight;
    if (BytesPerScanLine() <= 0 || size > (std::int64_t(1) << 31))
        return false;
    try {
        m_bits.assign(size_t(size), 0);
    } catch (const std::bad_alloc &) {
        m_bits.clear();
        return false;
    }
    return true;
}

void cDIBSection::CreateFromPicture(const QImage &picThis)
{
    if (!Create(picThis.width(), picThis.height()))
        return;
    LoadPictureBlt(picThis, 0, 0, -1, -1);
}

void cDIBSection::ClearUp()
{
    m_bits.clear();
    m_bits.shrink_to_fit();
}

QImage cDIBSection::toImage() const
{
    if (m_bits.empty())
        return {};
    QImage img(m_width, m_height, QImage::Format_RGB888);
    const int stride = BytesPerScanLine();
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t *in = m_bits.data() + size_t(m_height - 1 - y) * size_t(stride);
        uchar *out = img.scanLine(y);
        for (int x = 0; x < m_width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return img;
}

void cDIBSection::LoadPictureBlt(const QImage &src, std::int32_t lSrcLeft, std::int32_t lSrcTop,
                                 std::int32_t lSrcWidth, std::int32_t lSrcHeight)
{
    if (m_bits.empty() || src.isNull())
        return;
    const int w = lSrcWidth < 0 ? m_width : lSrcWidth;
    const int h = lSrcHeight < 0 ? m_height : lSrcHeight;
    const QImage img = src.convertToFormat(QImage::Format_RGB888);
    const int stride = BytesPerScanLine();
    for (int y = 0; y < std::min(h, m_height); ++y) {
        const int sy = lSrcTop + y;
        if (sy < 0 || sy >= img.height())
            continue;
        const uchar *in = img.constScanLine(sy);
        std::uint8_t *out = m_bits.data() + size_t(m_height - 1 - y) * size_t(stride);
        for (int x = 0; x < std::min(w, m_width); ++x) {
            const int sx = lSrcLeft + x;
            if (sx < 0 || sx >= img.width())
                continue;
            out[3 * x] = in[3 * sx + 2];
            out[3 * x + 1] = in[3 * sx + 1];
            out[3 * x + 2] = in[3 * sx];
        }
    }
}

void cDIBSection::PaintPicture(QImage &dest, std::int32_t lDestLeft, std::int32_t lDestTop, std::int32_t lDestWidth,
                               std::int32_t lDestHeight, std::int32_t lSrcLeft, std::int32_t lSrcTop) const
{
    if (m_bits.empty() || dest.isNull())
        return;
    const int w = lDestWidth < 0 ? m_width : lDestWidth;
    const int h = lDestHeight < 0 ? m_height : lDestHeight;
    const int stride = BytesPerScanLine();
    for (int y = 0; y < h; ++y) {
        const int sy = lSrcTop + y, dy = lDestTop + y;
        if (sy < 0 || sy >= m_height || dy < 0 || dy >= dest.height())
            continue;
        const std::uint8_t *in = m_bits.data() + size_t(m_height - 1 - sy) * size_t(stride);
        for (int x = 0; x < w; ++x) {
            const int sx = lSrcLeft + x, dx = lDestLeft + x;
            if (sx < 0 || sx >= m_width || dx < 0 || dx >= dest.width())
                continue;
            dest.setPixel(dx, dy, qRgb(in[3 * sx + 2], in[3 * sx + 1], in[3 * sx]));
        }
    }
}

QString cDIBSection::NoDibOnClipboardMessage()
{
    return QStringLiteral("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
}

bool cDIBSection::CopyToClipboard(bool bAsDIB)
{
    if (bAsDIB) {
        prompts().msgBox(NoDibOnClipboardMessage(), mb::OkOnly);
        return false;
    }
    if (m_bits.empty() || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setImage(toImage());
    return true;
}

void cDIBSection::RandomiseBits(bool bGray)
{
    std::mt19937 gen(std::uint32_t(QTime::currentTime().msecsSinceStartOfDay()));
    std::uniform_real_distribution<double> rnd(0.0, 1.0);
    auto level = [&] { return std::uint8_t(std::nearbyint(rnd(gen) * 255)); };
    const int stride = BytesPerScanLine();
    for (int y = 0; y < m_height && !m_bits.empty(); ++y) {
        std::uint8_t *row = m_bits.data() + size_t(y) * size_t(stride);
        for (int x = 0; x < m_width; ++x) {
            if (bGray) {
                const std::uint8_t v = level();
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
            } else {
                row[3 * x] = 0;
                row[3 * x + 1] = level();
                row[3 * x + 2] = level();
            }
        }
    }
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(std::int32_t lNewHeight, std::int32_t lNewWidth) const
{
    auto out = std::make_unique<cDIBSection>();
    if (!out->Create(lNewWidth, lNewHeight))
        return nullptr;
    if (m_bits.empty())
        return out;
    if (lNewWidth == m_width && lNewHeight == m_height)
        out->m_bits = m_bits;
    else
        ResampleDib(*out);
    return out;
}

void cDIBSection::ResampleDib(cDIBSection &dest) const
{
    // Bilinear: each destination pixel from the four source pixels around its
    // place; rows are memory rows (bottom-up) on both sides.
    const int w = m_width, h = m_height, w2 = dest.m_width, h2 = dest.m_height;
    const int sStride = BytesPerScanLine(), dStride = dest.BytesPerScanLine();
    const float xScale = float(w - 1) / float(w2);
    const float yScale = float(h - 1) / float(h2);
    const std::uint8_t *src = m_bits.data();
    std::uint8_t *dst = dest.m_bits.data();
    for (int y = 0; y < h2; ++y) {
        const float ys = yScale * float(y);
        const int y0 = int(std::floor(ys));
        const double fy = double(ys) - y0;
        const int y1 = std::min(y0 + 1, h - 1); // a one-row source repeats its row
        const std::uint8_t *r0 = src + size_t(y0) * size_t(sStride);
        const std::uint8_t *r1 = src + size_t(y1) * size_t(sStride);
        std::uint8_t *out = dst + size_t(y) * size_t(dStride);
        for (int x = 0; x < w2; ++x) {
            const float xs = xScale * float(x);
            const int x0 = int(std::floor(xs));
            const double fx = double(xs) - x0;
            const int x1 = std::min(x0 + 1, w - 1);
            for (int c = 0; c < 3; ++c) {
                const double left = std::nearbyint((1 - fy) * r0[3 * x0 + c] + fy * r1[3 * x0 + c]);
                const double right = std::nearbyint((1 - fy) * r0[3 * x1 + c] + fy * r1[3 * x1 + c]);
                const double v = std::nearbyint((1 - fx) * left + fx * right);
                out[3 * x + c] = std::uint8_t(std::clamp(v, 0.0, 255.0));
            }
        }
    }
}

} // namespace platform::image
