#include "platform/image/DIBSection.h"

#include <cstring>
#include <new>

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
    const QImage src = picThis.convertToFormat(QImage::Format_RGB888);
    const int stride = BytesPerScanLine();
    for (int y = 0; y < m_height; ++y) {
        const uchar *in = src.constScanLine(y);
        std::uint8_t *out = m_bits.data() + size_t(m_height - 1 - y) * size_t(stride);
        for (int x = 0; x < m_width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
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

} // namespace platform::image
