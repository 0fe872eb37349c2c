#include "platform/map/ViewTransform.h"

#include <cmath>

namespace platform::map {

ViewTransform::ViewTransform(const MapRect &requested, const QSizeF &viewSize) : m_size(viewSize)
{
    if (requested.isEmpty() || viewSize.width() <= 0 || viewSize.height() <= 0)
        return;
    const double sx = viewSize.width() / requested.width();
    const double sy = viewSize.height() / requested.height();
    m_scale = std::min(sx, sy);
    if (!std::isfinite(m_scale) || m_scale <= 0) {
        m_scale = 0;
        return;
    }
    const QPointF c = requested.center();
    const double hw = viewSize.width() / m_scale / 2, hh = viewSize.height() / m_scale / 2;
    m_visible = MapRect(c.x() - hw, c.y() - hh, c.x() + hw, c.y() + hh);
}

QPointF ViewTransform::toPixel(const QPointF &p) const
{
    return {(p.x() - m_visible.left) * m_scale, (m_visible.top - p.y()) * m_scale};
}

QPointF ViewTransform::toMap(const QPointF &px) const
{
    if (m_scale <= 0)
        return {};
    return {m_visible.left + px.x() / m_scale, m_visible.top - px.y() / m_scale};
}

MapRect ViewTransform::toMapRect(const QPointF &p1, const QPointF &p2) const
{
    if (m_scale <= 0)
        return {};
    const QPointF a = toMap(p1), b = toMap(p2);
    return MapRect(a.x(), a.y(), b.x(), b.y());
}

QTransform ViewTransform::transform() const
{
    // x' = (x - left) * s ; y' = (top - y) * s
    return QTransform(m_scale, 0, 0, -m_scale, -m_visible.left * m_scale, m_visible.top * m_scale);
}

double scaleDenominator(double extentWidth, double widthPx, double dpi)
{
    if (!(extentWidth > 0) || !(widthPx > 0) || !(dpi > 0))
        return 0;
    const double screenMetres = widthPx / dpi * 0.0254;
    return extentWidth / screenMetres;
}

} // namespace platform::map
