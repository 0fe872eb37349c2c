#pragma once
// Shape files for the map tests: the real boundaries of the repository and
// small files written on the spot.
#include "platform/map/MapTypes.h"
#include "support/TestEnv.h"

#include <QByteArray>
#include <QFile>
#include <QPointF>
#include <QString>
#include <shapefil.h>
#include <vector>

namespace maptest {

inline QString shapeDir() { return testenv::sourceDir() + QStringLiteral("/Shape/"); }
inline QString provinceShp() { return shapeDir() + QStringLiteral("province_2006.shp"); }
inline QString regionShp() { return shapeDir() + QStringLiteral("regioni_2001.shp"); }

// Known places in UTM 32N metres.
struct Place {
    const char *name;
    QPointF at;
    int province; // COD_PRO, 0 at sea
    int region;   // COD_REG
    bool inland;  // far from the coast at a scale of 1:5 million
};
inline const std::vector<Place> &places()
{
    static const std::vector<Place> p = {
        {"Roma", {790023, 4644898}, 58, 12, true},      {"Milano", {514853, 5034537}, 15, 3, true},
        {"Napoli", {944137, 4535682}, 63, 15, false},   {"Palermo", {882414, 4227646}, 82, 19, false},
        {"Cagliari", {510505, 4341619}, 92, 20, false}, {"Torino", {396634, 4991599}, 1, 1, true},
        {"Bari", {1161146, 4581724}, 72, 16, false},    {"Perugia", {775893, 4778691}, 54, 10, true},
        {"L'Aquila", {862387, 4697998}, 66, 13, true},  {"Potenza", {1075666, 4521164}, 76, 17, true},
        {"Enna", {966409, 4170897}, 86, 19, true},      {"Mar Tirreno", {665639, 4651711}, 0, 0, true},
    };
    return p;
}

using Ring = std::vector<QPointF>;
struct TestShape {
    std::vector<Ring> parts;
    QByteArray code; // text of the CODE field (raw bytes)
};

// Writes `base`.shp/.shx/.dbf with one text field CODE (and a .cpg when given).
inline bool writeShapes(const QString &base, int shpType, const std::vector<TestShape> &shapes,
                        const char *cpg = "UTF-8")
{
    const QByteArray b = QFile::encodeName(base);
    SHPHandle shp = SHPCreate(b.constData(), shpType);
    DBFHandle dbf = DBFCreateEx(b.constData(), cpg ? cpg : "");
    if (!shp || !dbf)
        return false;
    DBFAddField(dbf, "CODE", FTString, 20, 0);
    DBFAddField(dbf, "NUM", FTInteger, 5, 0);
    int i = 0;
    for (const TestShape &s : shapes) {
        std::vector<int> starts;
        std::vector<double> xs, ys;
        for (const Ring &r : s.parts) {
            starts.push_back(int(xs.size()));
            for (const QPointF &p : r) {
                xs.push_back(p.x());
                ys.push_back(p.y());
            }
        }
        SHPObject *o = SHPCreateObject(shpType, -1, int(starts.size()), starts.data(), nullptr, int(xs.size()),
                                       xs.data(), ys.data(), nullptr, nullptr);
        SHPWriteObject(shp, -1, o);
        SHPDestroyObject(o);
        DBFWriteStringAttribute(dbf, i, 0, s.code.constData());
        DBFWriteIntegerAttribute(dbf, i, 1, i + 1);
        ++i;
    }
    SHPClose(shp);
    DBFClose(dbf);
    if (!cpg)
        QFile::remove(base + QStringLiteral(".cpg"));
    return true;
}

// A symbol filled with `color`, outlined with `outline`.
inline platform::map::Symbol symbol(const QColor &color, const QColor &outline = Qt::black, int style = 0)
{
    platform::map::Symbol s;
    s.color = color;
    s.outlineColor = outline;
    s.style = style;
    return s;
}

inline Ring square(double x0, double y0, double x1, double y1, bool clockwise = true)
{
    if (clockwise)
        return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}};
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
}

} // namespace maptest
