#pragma once
// Basic types of the map layer: rectangles in map units (y grows upwards),
// colour integers (red in the low byte) and the fill symbol of a layer.
#include <QColor>
#include <QPointF>
#include <algorithm>
#include <cstdint>

namespace platform::map {

// A rectangle in map units. A default-constructed rectangle is "null" (no area,
// no position); a rectangle of zero width or height is empty but not null.
struct MapRect {
    double left = 0, bottom = 0, right = 0, top = 0;
    bool valid = false;

    MapRect() = default;
    MapRect(double l, double b, double r, double t)
        : left(std::min(l, r)), bottom(std::min(b, t)), right(std::max(l, r)), top(std::max(b, t)), valid(true) {}

    bool isNull() const { return !valid; }
    bool isEmpty() const { return !valid || width() <= 0 || height() <= 0; }
    double width() const { return right - left; }
    double height() const { return top - bottom; }
    QPointF center() const { return {(left + right) / 2, (bottom + top) / 2}; }
    bool contains(const QPointF &p) const
    {
        return valid && p.x() >= left && p.x() <= right && p.y() >= bottom && p.y() <= top;
    }
    bool intersects(const MapRect &o) const
    {
        return valid && o.valid && left <= o.right && o.left <= right && bottom <= o.top && o.bottom <= top;
    }
    // The smallest rectangle holding both; a null side is ignored.
    MapRect united(const MapRect &o) const
    {
        if (!o.valid) return *this;
        if (!valid) return o;
        return {std::min(left, o.left), std::min(bottom, o.bottom), std::max(right, o.right), std::max(top, o.top)};
    }
    // Width and height multiplied by `factor` about the centre (1.5 zooms out).
    MapRect scaled(double factor) const
    {
        if (!valid) return *this;
        const QPointF c = center();
        const double hw = width() * factor / 2, hh = height() * factor / 2;
        return {c.x() - hw, c.y() - hh, c.x() + hw, c.y() + hh};
    }
    // The rectangle grown by `d` map units on every side.
    MapRect grown(double d) const { return valid ? MapRect(left - d, bottom - d, right + d, top + d) : *this; }
    bool operator==(const MapRect &) const = default;
};

// Colour integers as the configuration file stores them: 0x00BBGGRR.
// Negative values name system colours (high bit set, index in the low byte);
// they map to the matching colours of the application palette.
QColor colorFromLong(std::int64_t value);
std::int64_t colorToLong(const QColor &c);

// How a layer's shapes are filled and outlined.
struct Symbol {
    enum Style { Solid = 0, Transparent = 1 };
    QColor color = Qt::white;        // fill colour (line and point colour for those kinds)
    QColor outlineColor = Qt::black;
    bool outline = true;             // a 1-pixel outline in outlineColor
    int style = Solid;               // Transparent: no fill
    int size = 1;                    // line width and point size in pixels

    bool operator==(const Symbol &) const = default;
};

// A number greater than every number it returned before: stamps changes of
// layers and maps, so that a drawing can tell whether it is out of date.
std::uint64_t nextRevision();

// The kinds of shape a layer holds.
enum class ShapeKind { Point, Line, Polygon };

} // namespace platform::map
