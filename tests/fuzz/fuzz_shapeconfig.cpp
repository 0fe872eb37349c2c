// The map layer configuration (ShapeConfig.xml): any file is read into layer
// records or refused with an error, never a crash; "Salva Layer" on it either
// leaves the file byte for byte as it was (and says why) or writes a file that
// reads back with the new style and nothing else changed.
#include "FuzzSupport.h"

#include "maps/ShapeConfig.h"
#include "platform/Error.h"
#include "platform/map/Map.h"

#include <vector>

namespace {

struct Loaded {
    bool ok = false;
    QString error;
    std::vector<maps::LayerInfo> layers;
    int thematic = -1;
    QColor backColor;
};

Loaded load(const QString &file, const QString &level, const QString &shapeFolder)
{
    Loaded l;
    platform::map::Map map;
    try {
        maps::CaricaShapeLayers(map, l.layers, l.thematic, file, level, shapeFolder);
        l.ok = true;
        l.backColor = map.backColor();
    } catch (const platform::RuntimeError &e) {
        l.error = e.description();
    }
    return l;
}

bool sameStyle(const maps::LayerInfo &a, const maps::LayerInfo &b)
{
    return a.Outline == b.Outline && a.OutlineColor == b.OutlineColor && a.BackColor == b.BackColor &&
           a.Trasparenza == b.Trasparenza;
}

bool sameRecord(const maps::LayerInfo &a, const maps::LayerInfo &b, bool style)
{
    return a.FileName == b.FileName && a.GeoName == b.GeoName && a.FieldId == b.FieldId &&
           a.LandFields == b.LandFields && a.LandMatch == b.LandMatch && a.Label == b.Label &&
           (!style || sameStyle(a, b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::init();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString files = fuzz::freshFolder(QStringLiteral("Files"));
    const QString shapes = fuzz::freshFolder(QStringLiteral("Shape"));   // no shape file: records only
    const QString file = files + QStringLiteral("ShapeConfig.xml");
    fuzz::writeAll(file, bytes);

    for (const QString &level : {QStringLiteral("provincia"), QStringLiteral("regione")}) {
        const Loaded before = load(file, level, shapes);
        if (!before.ok || before.layers.empty())
            continue;
        FUZZ_CHECK(before.thematic >= -1 && before.thematic < int(before.layers.size()), level);

        // The last layer saved with another style, as the style panel would.
        const int k = int(before.layers.size()) - 1;
        maps::LayerInfo changed = before.layers[size_t(k)];
        changed.Outline = !changed.Outline;
        changed.Trasparenza = !changed.Trasparenza;
        changed.OutlineColor = 255;
        changed.BackColor = 65280;
        const QByteArray original = fuzz::readAll(file);
        bool saved = false;
        try {
            maps::SalvaLayer(file, level, 16711680, changed.FileName, changed);
            saved = true;
        } catch (const platform::RuntimeError &e) {
            FUZZ_CHECK(fuzz::readAll(file) == original, QStringLiteral("changed after a failed save: ") + e.description());
            FUZZ_CHECK(!e.description().isEmpty(), level);
        }
        if (!saved)
            continue;

        const Loaded after = load(file, level, shapes);
        FUZZ_CHECK(after.ok, QStringLiteral("unreadable after saving: ") + after.error);
        FUZZ_CHECK(after.layers.size() == before.layers.size(), level);
        FUZZ_CHECK(after.thematic == before.thematic, level);
        FUZZ_CHECK(after.backColor == QColor(0, 0, 255), level);
        // The layer whose text is that file name takes the new style (which one
        // depends on the file's texts); the others keep theirs.
        bool found = false;
        for (size_t i = 0; i < after.layers.size(); ++i) {
            const bool restyled = sameStyle(after.layers[i], changed);
            found = found || restyled;
            FUZZ_CHECK(sameRecord(after.layers[i], before.layers[i], !restyled), QStringLiteral("layer %1 changed").arg(i));
        }
        FUZZ_CHECK(found, QStringLiteral("the saved style is not read back for %1").arg(changed.FileName));
    }
    return 0;
}
