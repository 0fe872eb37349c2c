#include "platform/map/MapLayer.h"

#include "platform/Files.h"
#include "platform/map/ViewTransform.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QStringDecoder>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace platform::map {

namespace {

// File access for the shape library: names are matched ignoring letter case,
// and the library's messages are kept for the error text.
thread_local QString tLastShapeMessage;

SAFile openResolved(const char *filename, const char *access)
{
    const QFileInfo fi(QFile::decodeName(filename));
    QString path = fi.filePath();
    if (!fi.exists()) {
        const QString found = files::resolve(fi.path(), fi.fileName());
        if (!found.isEmpty())
            path = found;
    }
    return reinterpret_cast<SAFile>(std::fopen(QFile::encodeName(path).constData(), access));
}

void keepMessage(const char *message)
{
    tLastShapeMessage = QString::fromLocal8Bit(message);
}

SAHooks shapeHooks()
{
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = openResolved;
    hooks.Error = keepMessage;
    return hooks;
}

struct ShpCloser {
    void operator()(SHPInfo *h) const { SHPClose(h); }
};
struct DbfCloser {
    void operator()(DBFInfo *h) const { DBFClose(h); }
};
struct ObjDestroyer {
    void operator()(SHPObject *o) const { SHPDestroyObject(o); }
};

std::optional<ShapeKind> kindOf(int shpType)
{
    switch (shpType) {
    case SHPT_POINT: case SHPT_POINTZ: case SHPT_POINTM:
    case SHPT_MULTIPOINT: case SHPT_MULTIPOINTZ: case SHPT_MULTIPOINTM:
        return ShapeKind::Point;
    case SHPT_ARC: case SHPT_ARCZ: case SHPT_ARCM:
        return ShapeKind::Line;
    case SHPT_POLYGON: case SHPT_POLYGONZ: case SHPT_POLYGONM:
        return ShapeKind::Polygon;
    default:
        return std::nullopt;
    }
}

// How the attribute texts are encoded, from the .cpg (or the table's header).
enum class TextCoding { Utf8, Latin1, Guess };

TextCoding codingOf(DBFHandle dbf)
{
    const char *cp = DBFGetCodePage(dbf);
    if (!cp || !*cp)
        return TextCoding::Guess;
    const QString c = QString::fromLatin1(cp).trimmed().toUpper();
    if (c.contains(QLatin1String("UTF-8")) || c.contains(QLatin1String("UTF8")) || c == QLatin1String("65001"))
        return TextCoding::Utf8;
    if (c.startsWith(QLatin1String("LDID/")))
        return c == QLatin1String("LDID/0") ? TextCoding::Guess : TextCoding::Latin1;
    return TextCoding::Latin1;
}

QString decodeText(const char *raw, TextCoding coding)
{
    const QByteArray bytes(raw ? raw : "");
    switch (coding) {
    case TextCoding::Utf8:
        return QString::fromUtf8(bytes).trimmed();
    case TextCoding::Latin1:
        return QString::fromLatin1(bytes).trimmed();
    case TextCoding::Guess:
        break;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(bytes);
    if (utf8.hasError())
        s = QString::fromLatin1(bytes);
    return s.trimmed();
}

QString nativeName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// The bytes of the files a shape file is read from (.shp, .shx, .dbf, .cpg;
// nullopt for a file that is absent).
using ShapeBytes = std::vector<std::optional<QByteArray>>;

ShapeBytes shapeBytes(const QString &shp)
{
    const QFileInfo fi(shp);
    ShapeBytes out;
    for (const char *suffix : {"shp", "shx", "dbf", "cpg"}) {
        const QString file = files::resolve(fi.path(), fi.completeBaseName() + u'.' + QLatin1String(suffix));
        QFile f(file);
        if (file.isEmpty() || !f.open(QIODevice::ReadOnly))
            out.emplace_back();
        else
            out.emplace_back(f.readAll());
    }
    return out;
}

// Shape files already read, with the bytes they were read from. Opening one
// again while its files are byte for byte the same (the map's Reset reloads
// its layers) copies the shapes instead of decoding them again. A few files
// are kept, the most recent first.
struct ReadShapes {
    QString shp;
    ShapeBytes bytes;
    std::shared_ptr<const MapLayer> layer;
};
constexpr size_t KeptShapeFiles = 4;

std::vector<ReadShapes> &readShapes()
{
    static std::vector<ReadShapes> kept;
    return kept;
}

} // namespace

const FieldValue *FeatureRecord::field(const QString &name) const
{
    for (const FieldValue &f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

void MapLayer::clear()
{
    m_valid = false;
    m_bounds = {};
    m_features.clear();
    m_fieldNames.clear();
    m_values.clear();
    m_nulls.clear();
    m_symbolIndex.clear();
    m_revision = nextRevision();
}

bool MapLayer::fail(const QString &message)
{
    clear();
    m_error = message;
    return false;
}

bool MapLayer::setFile(const QString &shpPath)
{
    clear();
    m_error.clear();
    m_file = shpPath;
    tLastShapeMessage.clear();

    const QFileInfo fi(shpPath);
    QString shp = fi.filePath();
    if (!fi.exists())
        shp = files::resolve(fi.path(), fi.fileName());
    if (shp.isEmpty() || !QFileInfo(shp).isFile())
        return fail(QStringLiteral("File non trovato: %1").arg(shpPath));
    if (m_name.isEmpty())
        m_name = QFileInfo(shp).completeBaseName();

    ShapeBytes bytes = shapeBytes(shp);
    auto &kept = readShapes();
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->shp != shp || it->bytes != bytes)
            continue;
        const MapLayer &read = *it->layer;
        m_kind = read.m_kind;
        m_shpType = read.m_shpType;
        m_features = read.m_features;
        m_bounds = read.m_bounds;
        m_fieldNames = read.m_fieldNames;
        m_values = read.m_values;
        m_nulls = read.m_nulls;
        m_valid = true;
        std::rotate(kept.begin(), it, it + 1);
        resolveSymbols();
        m_revision = nextRevision();
        return true;
    }

    SAHooks hooks = shapeHooks();
    const QByteArray shpName = QFile::encodeName(shp);
    std::unique_ptr<SHPInfo, ShpCloser> hShp(SHPOpenLL(shpName.constData(), "rb", &hooks));
    if (!hShp)
        return fail(QStringLiteral("Impossibile aprire lo shape file %1 (.shp o .shx mancante o danneggiato)%2")
                        .arg(nativeName(shp),
                             tLastShapeMessage.isEmpty() ? QString() : QStringLiteral(": ") + tLastShapeMessage));
    int count = 0, type = 0;
    double minB[4], maxB[4];
    SHPGetInfo(hShp.get(), &count, &type, minB, maxB);
    const auto kind = kindOf(type);
    if (!kind)
        return fail(QStringLiteral("Tipo di shape non gestito (%1) in %2").arg(type).arg(nativeName(shp)));

    const QString dbfBase = QFileInfo(shp).path() + u'/' + QFileInfo(shp).completeBaseName() + QStringLiteral(".dbf");
    std::unique_ptr<DBFInfo, DbfCloser> hDbf(DBFOpenLL(QFile::encodeName(dbfBase).constData(), "rb", &hooks));
    if (!hDbf)
        return fail(QStringLiteral("Tabella degli attributi (.dbf) mancante o illeggibile per %1").arg(nativeName(shp)));
    if (DBFGetRecordCount(hDbf.get()) != count)
        return fail(QStringLiteral("Il file %1 ha %2 forme ma %3 righe di attributi")
                        .arg(nativeName(shp))
                        .arg(count)
                        .arg(DBFGetRecordCount(hDbf.get())));
    // A table cut short would read as empty attributes: refuse it instead.
    const QString dbfFile = files::resolve(QFileInfo(shp).path(), QFileInfo(dbfBase).fileName());
    if (!dbfFile.isEmpty() &&
        QFileInfo(dbfFile).size() < qint64(hDbf->nHeaderLength) + qint64(hDbf->nRecordLength) * count)
        return fail(QStringLiteral("Tabella degli attributi (.dbf) troncata o danneggiata per %1").arg(nativeName(shp)));

    std::vector<Feature> features;
    features.reserve(count);
    MapRect bounds;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<SHPObject, ObjDestroyer> obj(SHPReadObject(hShp.get(), i));
        if (!obj)
            return fail(QStringLiteral("Shape file %1 danneggiato: impossibile leggere la forma %2")
                            .arg(nativeName(shp))
                            .arg(i + 1));
        Feature f;
        // A record of another type (or of none, in overwritten data) is damage,
        // even when it carries no vertices.
        if (obj->nSHPType != SHPT_NULL && kindOf(obj->nSHPType) != kind)
            return fail(QStringLiteral("Shape file %1 danneggiato: la forma %2 è di un altro tipo")
                            .arg(nativeName(shp))
                            .arg(i + 1));
        if (obj->nSHPType != SHPT_NULL && obj->nVertices > 0) {
            const int parts = *kind == ShapeKind::Point ? 1 : std::max(obj->nParts, 1);
            for (int p = 0; p < parts; ++p) {
                const int start = (*kind == ShapeKind::Point || obj->nParts == 0) ? 0 : obj->panPartStart[p];
                const int end = (*kind == ShapeKind::Point || p + 1 >= obj->nParts) ? obj->nVertices
                                                                                   : obj->panPartStart[p + 1];
                if (start < 0 || end > obj->nVertices || start >= end)
                    continue;
                QPolygonF ring;
                ring.reserve(end - start);
                for (int v = start; v < end; ++v) {
                    const double x = obj->padfX[v], y = obj->padfY[v];
                    if (!std::isfinite(x) || !std::isfinite(y))
                        return fail(QStringLiteral("Shape file %1 danneggiato: coordinate non valide nella forma %2")
                                        .arg(nativeName(shp))
                                        .arg(i + 1));
                    ring.append(QPointF(x, y));
                }
                f.parts.push_back(std::move(ring));
            }
            for (const QPolygonF &part : f.parts) {
                const QRectF r = part.boundingRect();
                f.bounds = f.bounds.united(MapRect(r.left(), r.top(), r.right(), r.bottom()));
                if (*kind == ShapeKind::Polygon) {
                    f.path.addPolygon(part);
                    f.path.closeSubpath();
                } else if (*kind == ShapeKind::Line) {
                    f.path.addPolygon(part);
                }
            }
            f.path.setFillRule(Qt::OddEvenFill);
            bounds = bounds.united(f.bounds);
        }
        features.push_back(std::move(f));
    }

    const TextCoding coding = codingOf(hDbf.get());
    const int fields = DBFGetFieldCount(hDbf.get());
    QStringList names;
    for (int j = 0; j < fields; ++j) {
        char fname[XBASE_FLDNAME_LEN_READ + 1] = {};
        DBFGetFieldInfo(hDbf.get(), j, fname, nullptr, nullptr);
        names << decodeText(fname, coding);
    }
    std::vector<QString> values(size_t(count) * fields);
    std::vector<bool> nulls(size_t(count) * fields);
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < fields; ++j) {
            const size_t k = size_t(i) * fields + j;
            if (DBFIsAttributeNULL(hDbf.get(), i, j)) {
                nulls[k] = true;
                continue;
            }
            values[k] = decodeText(DBFReadStringAttribute(hDbf.get(), i, j), coding);
        }
    }

    m_kind = *kind;
    m_shpType = type;
    m_features = std::move(features);
    m_bounds = bounds;
    m_fieldNames = names;
    m_values = std::move(values);
    m_nulls = std::move(nulls);
    m_valid = true;
    resolveSymbols();
    m_revision = nextRevision();

    auto read = std::make_shared<MapLayer>();
    read->m_kind = m_kind;
    read->m_shpType = m_shpType;
    read->m_features = m_features;
    read->m_bounds = m_bounds;
    read->m_fieldNames = m_fieldNames;
    read->m_values = m_values;
    read->m_nulls = m_nulls;
    kept.insert(kept.begin(), {shp, std::move(bytes), std::move(read)});
    if (kept.size() > KeptShapeFiles)
        kept.pop_back();
    return true;
}

int MapLayer::fieldIndex(const QString &name) const
{
    const QString n = name.trimmed();
    for (int j = 0; j < m_fieldNames.size(); ++j)
        if (m_fieldNames[j].compare(n, Qt::CaseInsensitive) == 0)
            return j;
    return -1;
}

QString MapLayer::attributeText(int shapeId, int field) const
{
    if (shapeId < 0 || shapeId >= featureCount() || field < 0 || field >= m_fieldNames.size())
        return {};
    return m_values[size_t(shapeId) * m_fieldNames.size() + field];
}

QString MapLayer::attributeText(int shapeId, const QString &field) const
{
    return attributeText(shapeId, fieldIndex(field));
}

bool MapLayer::isNull(int shapeId, int field) const
{
    if (shapeId < 0 || shapeId >= featureCount() || field < 0 || field >= m_fieldNames.size())
        return true;
    return m_nulls[size_t(shapeId) * m_fieldNames.size() + field];
}

FeatureRecord MapLayer::record(int shapeId) const
{
    FeatureRecord r;
    if (shapeId < 0 || shapeId >= featureCount())
        return r;
    r.shapeId = shapeId;
    r.fields.reserve(m_fieldNames.size());
    for (int j = 0; j < m_fieldNames.size(); ++j)
        r.fields.push_back({m_fieldNames[j], attributeText(shapeId, j), isNull(shapeId, j)});
    return r;
}

bool ringsContain(const std::vector<QPolygonF> &rings, const QPointF &p)
{
    bool inside = false;
    const double px = p.x(), py = p.y();
    for (const QPolygonF &ring : rings) {
        const int n = int(ring.size());
        if (n < 3)
            continue;
        const QPointF *pts = ring.constData();
        for (int i = 0, j = n - 1; i < n; j = i++) {
            const double yi = pts[i].y(), yj = pts[j].y();
            if ((yi > py) != (yj > py)) {
                const double x = pts[j].x() + (py - yj) * (pts[i].x() - pts[j].x()) / (yi - yj);
                if (px < x)
                    inside = !inside;
            }
        }
    }
    return inside;
}

double segmentDistance(const QPointF &p, const QPointF &a, const QPointF &b)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double len2 = dx * dx + dy * dy;
    double t = 0;
    if (len2 > 0)
        t = std::clamp(((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / len2, 0.0, 1.0);
    return std::hypot(p.x() - (a.x() + t * dx), p.y() - (a.y() + t * dy));
}

std::vector<int> MapLayer::shapesContaining(const QPointF &p) const
{
    std::vector<int> out;
    if (m_kind != ShapeKind::Polygon)
        return out;
    for (int i = 0; i < featureCount(); ++i) {
        const Feature &f = m_features[i];
        if (f.bounds.contains(p) && ringsContain(f.parts, p))
            out.push_back(i);
    }
    return out;
}

std::vector<int> MapLayer::shapesWithin(const QPointF &p, double distance) const
{
    std::vector<int> out;
    const double d = std::max(distance, 0.0);
    for (int i = 0; i < featureCount(); ++i) {
        const Feature &f = m_features[i];
        if (!f.bounds.grown(d).contains(p))
            continue;
        bool hit = false;
        if (m_kind == ShapeKind::Polygon && ringsContain(f.parts, p))
            hit = true;
        for (size_t k = 0; !hit && k < f.parts.size(); ++k) {
            const QPolygonF &part = f.parts[k];
            if (m_kind == ShapeKind::Point) {
                for (const QPointF &q : part)
                    if (std::hypot(q.x() - p.x(), q.y() - p.y()) <= d) {
                        hit = true;
                        break;
                    }
                continue;
            }
            for (int v = 0; v + 1 < part.size(); ++v)
                if (segmentDistance(p, part[v], part[v + 1]) <= d) {
                    hit = true;
                    break;
                }
        }
        if (hit)
            out.push_back(i);
    }
    return out;
}

std::vector<FeatureRecord> MapLayer::searchShape(const QPointF &p) const
{
    std::vector<FeatureRecord> out;
    for (int id : shapesContaining(p))
        out.push_back(record(id));
    return out;
}

std::vector<FeatureRecord> MapLayer::searchByDistance(const QPointF &p, double distance) const
{
    std::vector<FeatureRecord> out;
    for (int id : shapesWithin(p, distance))
        out.push_back(record(id));
    return out;
}

void MapLayer::setSymbol(const Symbol &s)
{
    m_symbol = s;
    m_revision = nextRevision();
}

void MapLayer::setRenderer(const ValueRenderer &r)
{
    m_renderer = r;
    resolveSymbols();
    m_revision = nextRevision();
}

void MapLayer::clearRenderer()
{
    m_renderer.reset();
    resolveSymbols();
    m_revision = nextRevision();
}

void MapLayer::resolveSymbols()
{
    m_symbolIndex.assign(m_features.size(), -2);
    if (!m_renderer)
        return;
    const int field = fieldIndex(m_renderer->field());
    for (int i = 0; i < featureCount(); ++i) {
        const int e = field >= 0 ? m_renderer->find(attributeText(i, field)) : -1;
        m_symbolIndex[i] = e >= 0 ? e : (m_renderer->useDefault() ? -1 : -3);
    }
}

const Symbol *MapLayer::symbolFor(int shapeId) const
{
    if (shapeId < 0 || shapeId >= int(m_symbolIndex.size()))
        return nullptr;
    const int e = m_symbolIndex[shapeId];
    if (e == -2)
        return &m_symbol;
    if (e == -1)
        return &m_renderer->defaultSymbol();
    if (e >= 0)
        return &m_renderer->symbol(e);
    return nullptr;
}

void MapLayer::draw(QPainter &painter, const ViewTransform &view, bool scalablePens) const
{
    drawShapes(painter, view, scalablePens, nullptr);
}

void MapLayer::drawBand(QPainter &painter, const ViewTransform &view, double top, double bottom) const
{
    const Band band{top, bottom};
    drawShapes(painter, view, false, &band);
}

void MapLayer::drawShapes(QPainter &painter, const ViewTransform &view, bool scalablePens, const Band *band) const
{
    if (!m_valid || !view.isValid())
        return;
    const MapRect visible = view.visibleExtent();
    // A band leaves out the shapes wholly above or below it (with room for
    // their outlines and antialiasing).
    const auto outsideBand = [&](const MapRect &b, double margin) {
        if (!band)
            return false;
        const double y1 = view.toPixel(QPointF(b.left, b.top)).y(), y2 = view.toPixel(QPointF(b.left, b.bottom)).y();
        return std::max(y1, y2) + margin < band->top || std::min(y1, y2) - margin > band->bottom;
    };
    painter.save();
    const Symbol *current = nullptr;
    // Pens are one view pixel wide: cosmetic on screen; for a picture that will be
    // scaled, a width in map units that scales with it.
    const double unit = scalablePens ? 1.0 / view.scale() : 1.0;
    QPen pen;
    pen.setCosmetic(!scalablePens);
    if (m_kind == ShapeKind::Point) {
        // Points are placed in view pixels, so that their size does not follow the zoom.
        for (int i = 0; i < featureCount(); ++i) {
            const Symbol *s = symbolFor(i);
            if (!s || !m_features[i].bounds.intersects(visible))
                continue;
            const double r = 2.0 + std::max(s->size, 1);
            if (outsideBand(m_features[i].bounds, r + 2))
                continue;
            if (s != current) {
                current = s;
                painter.setBrush(s->style == Symbol::Transparent ? QBrush(Qt::NoBrush) : QBrush(s->color));
                painter.setPen(s->outline ? QPen(s->outlineColor, 1.0) : QPen(Qt::NoPen));
            }
            for (const QPolygonF &part : m_features[i].parts)
                for (const QPointF &q : part)
                    painter.drawEllipse(view.toPixel(q), r, r);
        }
        painter.restore();
        return;
    }
    // A band draws copies of the paths mapped to its pixels: a path shared
    // between threads must not be drawn, as drawing fills its caches.
    const QTransform toDevice = view.transform() * painter.transform();
    if (band)
        painter.resetTransform();
    else
        painter.setTransform(view.transform(), true);
    for (int i = 0; i < featureCount(); ++i) {
        const Symbol *s = symbolFor(i);
        const Feature &f = m_features[i];
        if (!s || !f.bounds.intersects(visible))
            continue;
        if (outsideBand(f.bounds, std::max(s->size, 1) + 2.0))
            continue;
        if (s != current) {
            current = s;
            if (m_kind == ShapeKind::Line) {
                pen.setColor(s->color);
                pen.setWidthF(std::max(s->size, 1) * unit);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
            } else {
                painter.setBrush(s->style == Symbol::Transparent ? QBrush(Qt::NoBrush) : QBrush(s->color));
                if (s->outline) {
                    pen.setColor(s->outlineColor);
                    pen.setWidthF(unit);
                    painter.setPen(pen);
                } else {
                    painter.setPen(Qt::NoPen);
                }
            }
        }
        if (band) {
            QPainterPath own;
            if (toDevice.type() == QTransform::TxNone)
                own.addPath(f.path); // a mapping that changes nothing would share the path
            else
                own = toDevice.map(f.path);
            painter.drawPath(own);
        } else {
            painter.drawPath(f.path);
        }
    }
    painter.restore();
}

} // namespace platform::map
