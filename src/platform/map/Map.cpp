#include "platform/map/Map.h"

#include "platform/map/ViewTransform.h"

#include <QPainter>

namespace platform::map {

int Map::addLayer(LayerPtr layer)
{
    if (!layer)
        return -1;
    m_layers.push_back(std::move(layer));
    m_revision = nextRevision();
    return int(m_layers.size()) - 1;
}

Map::LayerPtr Map::layer(int index) const
{
    if (index < 0 || index >= layerCount())
        return nullptr;
    return m_layers[index];
}

Map::LayerPtr Map::layer(const QString &name) const
{
    for (auto it = m_layers.rbegin(); it != m_layers.rend(); ++it)
        if ((*it)->name().compare(name, Qt::CaseInsensitive) == 0)
            return *it;
    return nullptr;
}

int Map::indexOf(const MapLayer *layer) const
{
    for (int i = 0; i < layerCount(); ++i)
        if (m_layers[i].get() == layer)
            return i;
    return -1;
}

void Map::removeLayer(int index)
{
    if (index < 0 || index >= layerCount())
        return;
    m_layers.erase(m_layers.begin() + index);
    m_revision = nextRevision();
}

void Map::clearLayers()
{
    m_layers.clear();
    m_revision = nextRevision();
}

void Map::setBackColor(const QColor &c)
{
    m_backColor = c;
    m_revision = nextRevision();
}

MapRect Map::fullExtent() const
{
    MapRect r;
    for (const LayerPtr &l : m_layers)
        if (l->isValid())
            r = r.united(l->bounds());
    return r;
}

MapRect Map::extent() const
{
    return m_extent.isNull() ? fullExtent() : m_extent;
}

void Map::setExtent(const MapRect &r)
{
    if (r.isEmpty())
        return;
    m_extent = r;
    m_revision = nextRevision();
}

void Map::render(QPainter &painter, const ViewTransform &view, bool scalablePens) const
{
    const QSizeF size = view.viewSize();
    painter.fillRect(QRectF(QPointF(0, 0), size), m_backColor);
    if (!view.isValid())
        return;
    painter.save();
    painter.setClipRect(QRectF(QPointF(0, 0), size), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const LayerPtr &l : m_layers)
        l->draw(painter, view, scalablePens);
    painter.restore();
}

std::uint64_t Map::revision() const
{
    std::uint64_t r = m_revision;
    for (const LayerPtr &l : m_layers)
        r = std::max(r, l->revision());
    return r;
}

} // namespace platform::map
