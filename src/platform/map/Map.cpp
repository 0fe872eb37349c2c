#include "platform/map/Map.h"

#include "platform/map/ViewTransform.h"

#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <cstring>
#include <latch>
#include <utility>
#include <vector>

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
    paint(painter, view, scalablePens, nullptr);
}

// The rows of the view a painter draws; the painter's coordinates are those of the view.
struct Map::Band {
    double top = 0, bottom = 0;
};

void Map::paint(QPainter &painter, const ViewTransform &view, bool scalablePens, const Band *band) const
{
    const QSizeF size = view.viewSize();
    painter.fillRect(QRectF(QPointF(0, 0), size), m_backColor);
    if (!view.isValid())
        return;
    painter.save();
    painter.setClipRect(QRectF(QPointF(0, 0), size), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const LayerPtr &l : m_layers) {
        if (band)
            l->drawBand(painter, view, band->top, band->bottom);
        else
            l->draw(painter, view, scalablePens);
    }
    painter.restore();
}

void Map::renderImage(QImage &image, const ViewTransform &view) const
{
    // Bands of at least 64 rows, one per processor up to four.
    constexpr int MaxBands = 4, MinRows = 64;
    const int rows = image.height();
    const int bands = image.devicePixelRatio() == 1.0 ? std::clamp(std::min(QThread::idealThreadCount(), rows / MinRows), 1, MaxBands) : 1;
    if (bands == 1) {
        QPainter p(&image);
        render(p, view);
        return;
    }
    static QThreadPool pool;
    pool.setMaxThreadCount(MaxBands - 1);
    // Each band is painted with a few rows more above and below, then only
    // its own rows are copied into the image: the rows near the edge of a
    // painting are those where clipped outlines may differ by a shade.
    constexpr int Overlap = 4;
    uchar *bits = image.bits();
    const qsizetype bytesPerLine = image.bytesPerLine();
    const auto rowsOf = [&](int k) { return std::pair(rows * k / bands, rows * (k + 1) / bands); };
    std::vector<QImage> parts;
    for (int k = 0; k < bands; ++k) {
        const auto [top, bottom] = rowsOf(k);
        parts.emplace_back(image.width(), std::min(rows, bottom + Overlap) - std::max(0, top - Overlap), image.format());
        if (parts.back().isNull()) { // no memory for the bands: one painter on the image itself
            QPainter p(&image);
            render(p, view);
            return;
        }
    }
    const auto paintBand = [&](int k) {
        const auto [top, bottom] = rowsOf(k);
        const int from = std::max(0, top - Overlap), to = std::min(rows, bottom + Overlap);
        QImage &part = parts[size_t(k)];
        {
            QPainter p(&part);
            p.translate(0, -from);
            const Band band{double(from), double(to)};
            paint(p, view, false, &band);
        }
        for (int y = top; y < bottom; ++y)
            std::memcpy(bits + y * bytesPerLine, part.constScanLine(y - from), size_t(part.bytesPerLine()));
    };
    std::latch done(bands - 1);
    for (int k = 1; k < bands; ++k)
        pool.start([&, k] {
            paintBand(k);
            done.count_down();
        });
    paintBand(0);
    done.wait();
}

std::uint64_t Map::revision() const
{
    std::uint64_t r = m_revision;
    for (const LayerPtr &l : m_layers)
        r = std::max(r, l->revision());
    return r;
}

} // namespace platform::map
