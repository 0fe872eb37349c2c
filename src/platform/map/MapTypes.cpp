#include "platform/map/MapTypes.h"

#include <QGuiApplication>
#include <QPalette>
#include <atomic>

namespace platform::map {

QColor colorFromLong(std::int64_t value)
{
    if (value >= 0)
        return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
    // System colours: 0x80000000 | index.
    const QPalette pal = QGuiApplication::palette();
    switch (value & 0xFF) {
    case 5: return pal.color(QPalette::Base);          // window background
    case 8: return pal.color(QPalette::Text);          // window text
    case 15: return pal.color(QPalette::Button);       // button face
    case 18: return pal.color(QPalette::ButtonText);
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    default: return pal.color(QPalette::Window);
    }
}

std::uint64_t nextRevision()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

std::int64_t colorToLong(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return std::int64_t(rgb.red()) | (std::int64_t(rgb.green()) << 8) | (std::int64_t(rgb.blue()) << 16);
}

} // namespace platform::map
