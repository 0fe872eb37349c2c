#pragma once
// The mapping between map units (y up) and the pixels of a view (y down). The
// requested extent is fitted to the view's aspect ratio: centred, and enlarged
// on one axis, so that a map unit has the same length in x and y.
#include "platform/map/MapTypes.h"

#include <QSizeF>
#include <QTransform>

namespace platform::map {

class ViewTransform {
public:
    ViewTransform() = default;
    // `requested` in map units, `viewSize` in pixels. With a null or degenerate
    // extent, or an empty view, the transform is invalid.
    ViewTransform(const MapRect &requested, const QSizeF &viewSize);

    bool isValid() const { return m_scale > 0; }
    // The map rectangle that the view shows.
    const MapRect &visibleExtent() const { return m_visible; }
    QSizeF viewSize() const { return m_size; }
    // Pixels per map unit.
    double scale() const { return m_scale; }

    QPointF toPixel(const QPointF &mapPoint) const;
    QPointF toMap(const QPointF &pixel) const;
    double toMapDistance(double pixels) const { return m_scale > 0 ? pixels / m_scale : 0; }
    // A pixel rectangle (any corner order) as a map rectangle.
    MapRect toMapRect(const QPointF &p1, const QPointF &p2) const;
    // Map to pixel as a QTransform, for a painter.
    QTransform transform() const;

private:
    MapRect m_visible;
    QSizeF m_size;
    double m_scale = 0;
};

// The denominator of the scale 1:N at which a map `extentWidth` map units (metres)
// wide is shown on `widthPx` pixels of a screen of `dpi` pixels per inch. 0 when
// it cannot be computed.
double scaleDenominator(double extentWidth, double widthPx, double dpi);

} // namespace platform::map
