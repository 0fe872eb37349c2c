#pragma once
// Reads what tests check in the header of a JPEG file: the JFIF resolution and
// the sampling factors of each colour component of the frame.
#include <QByteArray>
#include <vector>

namespace testsupport {

struct JpegHeader {
    bool ok = false;
    int densityUnit = -1;          // 1 = dots per inch
    int densityX = 0, densityY = 0;
    std::vector<int> sampling;     // per component: horizontal * 16 + vertical (0x11 = full resolution)
};

inline JpegHeader ReadJpegHeader(const QByteArray &b)
{
    JpegHeader h;
    auto u8 = [&](qsizetype i) { return i < b.size() ? int(quint8(b[i])) : -1; };
    auto u16 = [&](qsizetype i) { return u8(i) * 256 + u8(i + 1); };
    if (u8(0) != 0xFF || u8(1) != 0xD8)
        return h;
    qsizetype i = 2;
    while (i + 4 <= b.size() && u8(i) == 0xFF) {
        const int marker = u8(i + 1);
        const int len = u16(i + 2);
        const qsizetype seg = i + 4;
        if (marker == 0xE0 && b.mid(seg, 5) == QByteArray("JFIF\0", 5)) {
            h.densityUnit = u8(seg + 7);
            h.densityX = u16(seg + 8);
            h.densityY = u16(seg + 10);
        } else if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            const int components = u8(seg + 5);
            for (int c = 0; c < components; ++c)
                h.sampling.push_back(u8(seg + 6 + 3 * c + 1));
            h.ok = true;
            return h;
        }
        i += 2 + len;
    }
    return h;
}

} // namespace testsupport
