#pragma once
// The content of a map: its layers, bottom to top, its background colour and
// the extent asked for. Rendering happens here; the widget adds the view size,
// the cache and the mouse.
#include "platform/map/MapLayer.h"
#include "platform/map/MapTypes.h"

#include <QColor>
#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

namespace platform::map {

class ViewTransform;

class Map {
public:
    using LayerPtr = std::shared_ptr<MapLayer>;

    // Layers in drawing order: index 0 is the first added and lies at the bottom;
    // a new layer goes on top. Returns the new layer's index (-1 for a null layer).
    int addLayer(LayerPtr layer);
    int layerCount() const { return int(m_layers.size()); }
    LayerPtr layer(int index) const;              // nullptr when out of range
    LayerPtr layer(const QString &name) const;    // the top-most of that name, letter case ignored
    int indexOf(const MapLayer *layer) const;     // -1 when not on the map
    void removeLayer(int index);
    void clearLayers();

    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &c);

    // The union of the bounds of the valid layers (null when there are none).
    MapRect fullExtent() const;
    // The extent asked for; the full extent until one is set.
    MapRect extent() const;
    // Sets the extent; a null or zero-size rectangle changes nothing.
    void setExtent(const MapRect &r);

    // Background and layers, bottom to top, in the painter's current coordinates.
    void render(QPainter &painter, const ViewTransform &view, bool scalablePens = false) const;

    // What render() paints, on an image of the view's size at one device pixel
    // per pixel. A large image is painted in horizontal bands on several
    // threads at once.
    void renderImage(QImage &image, const ViewTransform &view) const;

    // Changes whenever what render() paints may change.
    std::uint64_t revision() const;

private:
    struct Band;
    void paint(QPainter &painter, const ViewTransform &view, bool scalablePens, const Band *band) const;

    std::vector<LayerPtr> m_layers;
    QColor m_backColor = Qt::white;
    MapRect m_extent;
    std::uint64_t m_revision = 0;
};

} // namespace platform::map
