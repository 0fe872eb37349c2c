// The shape-file loader: a .shp, its .shx and its .dbf read together into a
// map layer. Any three files are loaded or refused with a reason, never a
// crash; a loaded layer answers searches and draws.
//
// Input: two 32-bit little-endian sizes (of the .shp and the .shx), then the
// .shp, the .shx and, for the rest, the .dbf. Sizes past the end are cut.
#include "FuzzSupport.h"

#include "platform/map/MapLayer.h"
#include "platform/map/ViewTransform.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

quint32 le32(const uint8_t *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::init();
    if (size < 8)
        return 0;
    const char *p = reinterpret_cast<const char *>(data) + 8;
    size_t left = size - 8;
    const size_t shpSize = std::min<size_t>(le32(data), left);
    const size_t shxSize = std::min<size_t>(le32(data + 4), left - shpSize);
    const QString folder = fuzz::freshFolder(QStringLiteral("Shape"));
    fuzz::writeAll(folder + QStringLiteral("layer.shp"), QByteArray(p, qsizetype(shpSize)));
    fuzz::writeAll(folder + QStringLiteral("layer.shx"), QByteArray(p + shpSize, qsizetype(shxSize)));
    fuzz::writeAll(folder + QStringLiteral("layer.dbf"),
                   QByteArray(p + shpSize + shxSize, qsizetype(left - shpSize - shxSize)));

    platform::map::MapLayer layer;
    if (!layer.setFile(folder + QStringLiteral("layer.shp"))) {
        FUZZ_CHECK(!layer.errorText().isEmpty(), QStringLiteral("refused without a reason"));
        FUZZ_CHECK(layer.featureCount() == 0, layer.errorText());
        return 0;
    }
    FUZZ_CHECK(layer.errorText().isEmpty(), layer.errorText());

    const int count = layer.featureCount();
    const int fields = int(layer.fieldNames().size());
    for (int i = 0; i < count; ++i) {
        const platform::map::FeatureRecord r = layer.record(i);
        FUZZ_CHECK(r.shapeId == i && int(r.fields.size()) == fields, QStringLiteral("record %1").arg(i));
        for (const QPolygonF &part : layer.shapeParts(i))
            for (const QPointF &pt : part)
                FUZZ_CHECK(std::isfinite(pt.x()) && std::isfinite(pt.y()), QStringLiteral("shape %1").arg(i));
    }
    if (count > 0)
        FUZZ_CHECK(layer.isNull(count, 0) && layer.attributeText(-1, 0).isEmpty(), QStringLiteral("out of range"));

    // Searches and a drawing of the whole layer, as the map window does them.
    const platform::map::MapRect bounds = layer.bounds();
    if (!bounds.isNull()) {
        const QPointF centre = bounds.center();
        for (const int id : layer.shapesContaining(centre))
            FUZZ_CHECK(id >= 0 && id < count, QStringLiteral("found %1").arg(id));
        for (const int id : layer.shapesWithin(centre, std::max(bounds.width(), bounds.height()) / 10))
            FUZZ_CHECK(id >= 0 && id < count, QStringLiteral("found %1").arg(id));
        layer.searchShape(centre);
    }
    const platform::map::ViewTransform view(bounds, QSizeF(64, 48));
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    layer.draw(painter, view);
    return 0;
}
