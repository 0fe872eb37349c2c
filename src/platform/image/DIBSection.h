#pragma once
// A 24-bit device-independent bitmap held in memory: pixels as blue, green,
// red bytes, each row padded to a multiple of 4 bytes, rows stored bottom-up
// (the first row in memory is the bottom row of the image). The page saver
// copies a picture into one and hands its bytes to the JPEG writer.
#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::image {

class cDIBSection {
public:
    cDIBSection() = default;

    // Bytes of one row for a width: (width * 3 + 3) with the two lowest bits cleared.
    static std::int32_t BytesPerScanLineFor(std::int32_t width);

    // Drops what was held and makes a black bitmap of the size. False (and
    // nothing held) when the size is not positive or the memory is not there;
    // the size asked for is still reported by Width and Height.
    bool Create(std::int32_t lWidth, std::int32_t lHeight);
    // Create at the picture's size and copy the picture into it. Nothing is
    // copied when the bitmap cannot be made.
    void CreateFromPicture(const QImage &picThis);
    // Frees the bitmap; Width and Height keep their last values.
    void ClearUp();

    std::int32_t BytesPerScanLine() const { return BytesPerScanLineFor(m_width); }
    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    // Address of the first pixel byte (the bottom row), or nullptr when empty.
    std::uint8_t *DIBSectionBitsPtr() { return m_bits.empty() ? nullptr : m_bits.data(); }
    const std::uint8_t *DIBSectionBitsPtr() const { return m_bits.empty() ? nullptr : m_bits.data(); }
    bool isEmpty() const { return m_bits.empty(); }

    // The bitmap as an upright image (null when empty).
    QImage toImage() const;

    // Copies a block of `src` (from lSrcLeft, lSrcTop) into the bitmap at
    // (0, 0); a negative width or height stands for the bitmap's own. The part
    // outside either image is left out.
    void LoadPictureBlt(const QImage &src, std::int32_t lSrcLeft, std::int32_t lSrcTop, std::int32_t lSrcWidth,
                        std::int32_t lSrcHeight);
    // Copies a block of the bitmap (from lSrcLeft, lSrcTop) into `dest` at
    // (lDestLeft, lDestTop); a negative width or height stands for the bitmap's own.
    void PaintPicture(QImage &dest, std::int32_t lDestLeft, std::int32_t lDestTop, std::int32_t lDestWidth,
                      std::int32_t lDestHeight, std::int32_t lSrcLeft, std::int32_t lSrcTop) const;

    // Puts the bitmap on the clipboard. As a DIB it only says that it cannot
    // and returns false; as a bitmap it returns true when the clipboard took it.
    bool CopyToClipboard(bool bAsDIB);
    static QString NoDibOnClipboardMessage();

    // Fills every pixel with random levels, seeded from the time of day: grey
    // pixels, or blue 0 with random green and red.
    void RandomiseBits(bool bGray);

    // A new bitmap of the size with this one's picture scaled into it
    // (bilinear); a plain copy at the same size. Null when it cannot be made.
    std::unique_ptr<cDIBSection> Resample(std::int32_t lNewHeight, std::int32_t lNewWidth) const;

private:
    void ResampleDib(cDIBSection &dest) const;

    std::int32_t m_width = 0, m_height = 0;
    std::vector<std::uint8_t> m_bits;
};

} // namespace platform::image
