#pragma once
// One layer of the map: the shapes of a shape file (.shp, .shx, .dbf) with their
// attributes, the symbol they are drawn with and an optional value renderer.
// Plain data and geometry: no widget involved.
#include "platform/map/MapTypes.h"
#include "platform/map/ValueRenderer.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

namespace platform::map {

class ViewTransform;

// An attribute of a found shape: "" and isNull for a null value.
struct FieldValue {
    QString name;
    QString text;
    bool isNull = false;
};

// A shape found by a search: its index in the layer and its attributes.
struct FeatureRecord {
    int shapeId = -1;
    std::vector<FieldValue> fields;
    // The field of that name (letter case ignored); nullptr when absent.
    const FieldValue *field(const QString &name) const;
};

class MapLayer {
public:
    MapLayer() = default;
    explicit MapLayer(const QString &name) : m_name(name) {}

    // Opens a shape file: `shpPath` is the .shp; the .shx and .dbf beside it are
    // found ignoring letter case, as is the .shp itself. Replaces anything loaded
    // before. Returns isValid(); on failure errorText() says why and the layer is
    // empty. The layer's name becomes the file's base name when it had none.
    bool setFile(const QString &shpPath);
    const QString &file() const { return m_file; }
    bool isValid() const { return m_valid; }
    const QString &errorText() const { return m_error; }

    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    ShapeKind kind() const { return m_kind; }
    int shapeType() const { return m_shpType; } // the file's type code (5 = polygon)
    MapRect bounds() const { return m_bounds; }
    int featureCount() const { return int(m_features.size()); }

    // Attributes: texts are trimmed; numbers keep the file's digits.
    const QStringList &fieldNames() const { return m_fieldNames; }
    int fieldIndex(const QString &name) const; // letter case ignored; -1 when absent
    QString attributeText(int shapeId, int field) const;
    QString attributeText(int shapeId, const QString &field) const;
    bool isNull(int shapeId, int field) const;
    FeatureRecord record(int shapeId) const;

    // Shape geometry in map units: every ring of the shape, filled odd-even.
    const QPainterPath &shapePath(int shapeId) const { return m_features.at(shapeId).path; }
    MapRect shapeBounds(int shapeId) const { return m_features.at(shapeId).bounds; }
    // The parts of a shape: rings of a polygon, paths of a line, points.
    const std::vector<QPolygonF> &shapeParts(int shapeId) const { return m_features.at(shapeId).parts; }

    // Searches, in shape order. Polygons containing the point (a hole is outside);
    // for points and lines, use shapesWithin.
    std::vector<int> shapesContaining(const QPointF &p) const;
    // Shapes within `distance` map units of the point (inside a polygon counts as 0).
    std::vector<int> shapesWithin(const QPointF &p, double distance) const;
    std::vector<FeatureRecord> searchShape(const QPointF &p) const;
    std::vector<FeatureRecord> searchByDistance(const QPointF &p, double distance) const;

    // Drawing style. The renderer, when set, decides the symbol of each shape.
    const Symbol &symbol() const { return m_symbol; }
    void setSymbol(const Symbol &s);
    const ValueRenderer *renderer() const { return m_renderer ? &*m_renderer : nullptr; }
    void setRenderer(const ValueRenderer &r);
    void clearRenderer();
    // The symbol shape `shapeId` is drawn with; nullptr when it is not drawn.
    const Symbol *symbolFor(int shapeId) const;

    // Draws the shapes that meet the view, in the painter's current coordinates
    // taken as the view's pixels. `scalablePens`: outlines scale with a later
    // transform of the drawing (pictures), instead of staying one device pixel.
    void draw(QPainter &painter, const ViewTransform &view, bool scalablePens = false) const;
    // What draw() paints in the rows [top, bottom) of the view, the painter's
    // coordinates being the view's pixels. Several threads may draw bands of
    // one layer at once: each call paints its own copies of the shapes.
    void drawBand(QPainter &painter, const ViewTransform &view, double top, double bottom) const;

    // Changes whenever what draw() paints changes (file, symbol, renderer).
    std::uint64_t revision() const { return m_revision; }

private:
    struct Feature {
        MapRect bounds;
        std::vector<QPolygonF> parts; // rings (polygons), paths (lines), points
        QPainterPath path;            // polygons and lines
    };
    struct Band {
        double top, bottom;
    };
    void drawShapes(QPainter &painter, const ViewTransform &view, bool scalablePens, const Band *band) const;
    void resolveSymbols();
    void clear();
    bool fail(const QString &message);

    QString m_name;
    QString m_file;
    QString m_error;
    bool m_valid = false;
    ShapeKind m_kind = ShapeKind::Polygon;
    int m_shpType = 0;
    MapRect m_bounds;
    std::vector<Feature> m_features;
    QStringList m_fieldNames;
    std::vector<QString> m_values; // row-major: shapeId * fields + field
    std::vector<bool> m_nulls;
    Symbol m_symbol;
    std::optional<ValueRenderer> m_renderer;
    std::vector<int> m_symbolIndex; // per shape: -2 layer symbol, -1 default, >= 0 entry, -3 none
    std::uint64_t m_revision = 0;
};

// Geometry helpers, exposed for tests.
// True when `p` is inside the rings taken together with the odd-even rule.
bool ringsContain(const std::vector<QPolygonF> &rings, const QPointF &p);
// Distance from `p` to the segment a-b.
double segmentDistance(const QPointF &p, const QPointF &a, const QPointF &b);

} // namespace platform::map
