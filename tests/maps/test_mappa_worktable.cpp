// The map's work table in the user database and the colouring drawn from it.
#include "maps/MapRenderer.h"
#include "maps/MapWorkTable.h"
#include "platform/Error.h"
#include "platform/map/MapLayer.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using namespace maps;

namespace {

std::vector<ValuedRow> rowsOf(const std::vector<std::pair<const char *, const char *>> &pairs)
{
    std::vector<MapRow> rows;
    for (const auto &[code, value] : pairs)
        rows.push_back({QString::fromUtf8(code), QString::fromUtf8(value)});
    return ValuedRows(rows);
}

QStringList tableNames()
{
    return Utility::OpenUserDatabase().tables();
}

} // namespace

TEST(MapWorkTable, LifecycleOfTheTable)
{
    testenv::ProgramFolder pf;
    DropMapQuery(); // nothing to drop: silent
    EXPECT_FALSE(MapTableExists());

    // A table of the same name in other letters is replaced, not a failure.
    Utility::OpenUserDatabase().execute("CREATE TABLE TMAPPA (x INTEGER)");
    SaveMapQuery();
    EXPECT_TRUE(MapTableExists());

    const auto valued = rowsOf({{"1", "10,00"}, {"2", ""}, {"3", "30,00"}, {"37", "12,3456"}});
    const auto q = QuartileClasses(valued);
    FillMapQuery(QuartileRows(valued, q));
    auto rs = MapRecordset();
    ASSERT_EQ(rs.recordCount(), 3); // the empty value gets no row
    EXPECT_EQ(rs.at(0, 0).toString(), "1");
    EXPECT_EQ(rs.at(1, 0).toString(), "37");
    EXPECT_DOUBLE_EQ(rs.at(1, 1).toDouble(), 12.3456); // full precision kept
    EXPECT_EQ(MapValue("37"), QString("12,3456"));
    EXPECT_EQ(MapValue(" 037"), QString("12,3456"));   // codes compared as numbers
    EXPECT_FALSE(MapValue("2").has_value());
    EXPECT_EQ(MapValue("x' OR '1'='1"), std::nullopt); // a text code is a literal, never SQL

    // A new drawing starts from an empty table.
    SaveMapQuery();
    EXPECT_EQ(MapRecordset().recordCount(), 0);
    DropMapQuery();
    EXPECT_FALSE(MapTableExists());
    EXPECT_FALSE(tableNames().contains("tMappa", Qt::CaseInsensitive));
    EXPECT_FALSE(MapValue("37").has_value());
}

TEST(MapWorkTable, AnUnusableUserDatabaseIsToldByName)
{
    struct Case {
        const char *name;
        std::function<void(const QString &file)> spoil;   // Files/pxn_utente.mdb
        QString messageStart;
    };
    const Case cases[] = {
        {"not a database", [](const QString &f) {
             QFile::remove(f);
             QFile out(f);
             ASSERT_TRUE(out.open(QIODevice::WriteOnly));
             out.write(QByteArray(8192, 'x'));
         }, QString::fromUtf8("Il file '<f>' non è un database riconosciuto")},
        {"missing, in a missing folder", [](const QString &f) { QDir(QFileInfo(f).path()).removeRecursively(); },
         QString::fromUtf8("Impossibile creare il database '<f>': la cartella non esiste o è di sola lettura.")},
        {"a folder in its place", [](const QString &f) {
             QFile::remove(f);
             QDir().mkpath(f);
         }, "Impossibile aprire il database '<f>'"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder pf;
        const QString file = pf.files() + "pxn_utente.mdb";
        c.spoil(file);
        QString text;
        try {
            SaveMapQuery();
        } catch (const platform::RuntimeError &e) {
            text = e.description();
        }
        EXPECT_TRUE(text.startsWith(QString(c.messageStart).replace("<f>", file))) << text.toStdString();
    }

    // Held by another program while the map is drawn.
    testenv::ProgramFolder pf;
    platform::db::Database other = Utility::OpenUserDatabase();
    other.execute("BEGIN EXCLUSIVE");
    QString text;
    try {
        SaveMapQuery();
    } catch (const platform::RuntimeError &e) {
        text = e.description();
    }
    EXPECT_EQ(text, QString::fromUtf8("Il database '") + pf.files() + "pxn_utente.mdb" +
                        QString::fromUtf8("' è bloccato da un altro utente o programma."));
    other.execute("ROLLBACK");
}

TEST(MapRenderer, ColoursFromTheWorkTable)
{
    testenv::ProgramFolder pf;
    platform::map::MapLayer layer;
    ASSERT_TRUE(layer.setFile(pf.path() + "Shape/province_2006.shp"));
    const int field = layer.fieldIndex("COD_PRO");
    auto shapeOf = [&](const QString &code) {
        for (int s = 0; s < layer.featureCount(); ++s)
            if (layer.attributeText(s, field) == code)
                return s;
        return -1;
    };
    const std::vector<QColor> palette = {Qt::yellow, Qt::green, Qt::cyan, Qt::blue};

    struct Case {
        std::vector<WorkRow> rows;
        const char *code;
        QColor expected;
    };
    const Case cases[] = {
        {{}, "1", Qt::white},                                                // empty table: all white
        {{{"1", 5, 2}}, "1", Qt::green},
        {{{"1", 5, std::nullopt}}, "1", Qt::white},                          // no class: default
        {{{"1", 5, 1}, {"1", 6, 4}}, "1", Qt::yellow},                       // repeated code: first entry
        {{{"037", 5, 3}}, "37", Qt::cyan},                                   // codes match as numbers
        {{{"37", 5, 3}}, "1", Qt::white},
    };
    for (const Case &c : cases) {
        SaveMapQuery();
        FillMapQuery(c.rows);
        Utility::ApplyRendererFromRecordset(layer, MapRecordset(), palette, "COD_PRO");
        const int s = shapeOf(c.code);
        ASSERT_GE(s, 0);
        const auto *sym = layer.symbolFor(s);
        ASSERT_NE(sym, nullptr);
        EXPECT_EQ(sym->color, c.expected) << c.code;
        EXPECT_TRUE(sym->outline);
        EXPECT_EQ(sym->outlineColor, QColor(Qt::black));
    }
    // The colour of territories without a class can be chosen (legend recoloured).
    SaveMapQuery();
    Utility::ApplyRendererFromRecordset(layer, MapRecordset(), palette, "COD_PRO", Qt::magenta);
    EXPECT_EQ(layer.symbolFor(0)->color, QColor(Qt::magenta));
    // A renderer field missing from the shapes: everything takes the default.
    FillMapQuery({{"1", 5, 2}});
    Utility::ApplyRendererFromRecordset(layer, MapRecordset(), palette, "NO_FIELD");
    EXPECT_EQ(layer.symbolFor(shapeOf("1"))->color, QColor(Qt::white));
    // A class without a palette colour is an error.
    SaveMapQuery();
    FillMapQuery({{"1", 5, 5}});
    EXPECT_THROW(Utility::ApplyRendererFromRecordset(layer, MapRecordset(), palette, "COD_PRO"), platform::RuntimeError);
    DropMapQuery();
}


TEST(MapRenderer, AddRendererValueStartsARendererOnFeatureId)
{
    platform::map::MapLayer layer;
    ASSERT_EQ(layer.renderer(), nullptr);
    EXPECT_TRUE(Utility::AddRendererValue(layer, "37", Qt::red, platform::map::Symbol::Solid));
    ASSERT_NE(layer.renderer(), nullptr);
    EXPECT_EQ(layer.renderer()->field(), "FeatureId");
    EXPECT_TRUE(layer.renderer()->useDefault());
    EXPECT_EQ(layer.renderer()->defaultSymbol().color, QColor(Qt::white));
    EXPECT_EQ(layer.renderer()->defaultSymbol().style, platform::map::Symbol::Solid);
    // A second value is appended to the same renderer, with its own black-outlined symbol.
    Utility::AddRendererValue(layer, "12", Qt::blue, platform::map::Symbol::Transparent);
    ASSERT_EQ(layer.renderer()->valueCount(), 2);
    EXPECT_EQ(layer.renderer()->value(0), "37");
    EXPECT_EQ(layer.renderer()->symbol(1).color, QColor(Qt::blue));
    EXPECT_EQ(layer.renderer()->symbol(1).style, platform::map::Symbol::Transparent);
    EXPECT_TRUE(layer.renderer()->symbol(1).outline);
    EXPECT_EQ(layer.renderer()->symbol(1).outlineColor, QColor(Qt::black));
}
