// The map's work table in the user database and the colouring drawn from it.
#include "maps/MapRenderer.h"
#include "maps/MapWorkTable.h"
#include "platform/Error.h"
#include "platform/map/MapLayer.h"
#include "support/CountingVfs.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace maps;

namespace {

std::vector<ValuedRow> rowsOf(const std::vector<std::pair<const char *, const char *>> &pairs)
{
    std::vector<MapRow> rows;
    for (const auto &[code, value] : pairs)
        rows.push_back({QString::fromUtf8(code), QString::fromUtf8(value)});
    return ValuedRows(rows);
}

} // namespace

TEST(MapWorkTable, LifecycleOfTheTable)
{
    testenv::ProgramFolder pf;
    MapWorkTable t;
    t.DropMapQuery(); // nothing to drop: silent
    EXPECT_FALSE(t.MapTableExists());

    // A table of the same name in other letters is replaced, not a failure.
    Utility::OpenUserDatabase().execute("CREATE TABLE TMAPPA (x INTEGER)");
    const auto valued = rowsOf({{"1", "10,00"}, {"2", ""}, {"3", "30,00"}, {"37", "12,3456"}});
    const auto q = QuartileClasses(valued);
    t.SaveMapQuery(QuartileRows(valued, q));
    auto rs = t.MapRecordset();
    ASSERT_EQ(rs.recordCount(), 3); // the empty value gets no row
    EXPECT_EQ(rs.at(0, 0).toString(), "1");
    EXPECT_EQ(rs.at(1, 0).toString(), "37");
    EXPECT_DOUBLE_EQ(rs.at(1, 1).toDouble(), 12.3456); // full precision kept
    EXPECT_EQ(t.MapValue("37"), QString("12,3456"));
    EXPECT_EQ(t.MapValue(" 037"), QString("12,3456"));   // codes compared as numbers
    EXPECT_FALSE(t.MapValue("2").has_value());
    EXPECT_EQ(t.MapValue("x' OR '1'='1"), std::nullopt); // a text code is a literal, never SQL
    // Another connection reads what was written.
    EXPECT_EQ(MapWorkTable().MapValue("37"), QString("12,3456"));

    // A new drawing starts from an empty table.
    t.SaveMapQuery();
    EXPECT_EQ(t.MapRecordset().recordCount(), 0);
    t.DropMapQuery();
    EXPECT_FALSE(Utility::OpenUserDatabase().tables().contains("tMappa", Qt::CaseInsensitive));
    EXPECT_FALSE(t.MapValue("37").has_value());
    // Closed, the table opens again on the next use.
    t.SaveMapQuery({{"5", 1.5, 1}});
    t.Close();
    EXPECT_EQ(t.MapValue("5"), QString("1,5"));
}

TEST(MapWorkTable, OneConnectionNoFlushAndOneTransactionPerDrawing)
{
    testenv::ProgramFolder pf;
    // The user's own tables in the same file, and the settings of a plain connection.
    Utility::OpenUserDatabase().execute("CREATE TABLE mieidati (a TEXT, b REAL); "
                                        "INSERT INTO mieidati VALUES ('x', 1.25), ('y', NULL)");
    auto userTables = [] {
        platform::db::Database db = Utility::OpenUserDatabase();
        QStringList dump;
        for (const QString &name : db.tables()) {
            if (name.compare(TabMappa, Qt::CaseInsensitive) == 0)
                continue;
            dump << name;
            for (auto rs = db.query("SELECT * FROM [" + name + "]"); !rs.eof(); rs.moveNext())
                for (int f = 0; f < rs.fieldCount(); ++f)
                    dump << rs.text(f);
        }
        return dump;
    };
    auto pragmas = [] {
        platform::db::Database db = Utility::OpenUserDatabase();
        return db.query("PRAGMA journal_mode").text(0) + "/" + db.query("PRAGMA synchronous").text(0);
    };
    const QStringList before = userTables();
    ASSERT_TRUE(before.contains("mieidati") && before.contains("tabope"));
    const QString plain = pragmas();

    testsupport::CountingVfs vfs("pxn_utente.mdb");
    MapWorkTable t;
    const std::vector<WorkRow> rows = {{"1", 10, 1}, {"2", 20, 2}, {"3", 30, std::nullopt}};
    struct Step {
        const char *what;
        std::function<void()> run;
        int transactions; // write transactions it commits
    };
    const Step steps[] = {
        {"drop of an absent table", [&] { t.DropMapQuery(); }, 0},
        {"first drawing", [&] { t.SaveMapQuery(rows); }, 1},
        {"identify", [&] { EXPECT_EQ(t.MapValue("2"), QString("20")); }, 0},
        {"renderer", [&] { EXPECT_EQ(t.MapRecordset().recordCount(), 3); }, 0},
        {"second drawing over the first", [&] { t.SaveMapQuery(rows); }, 1},
        {"reset", [&] { t.DropMapQuery(); }, 1},
        {"third drawing", [&] { t.SaveMapQuery(rows); }, 1},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        vfs.reset();
        s.run();
        EXPECT_EQ(vfs.exclusiveLocks(), s.transactions);
        EXPECT_EQ(vfs.syncs(), 0);
        EXPECT_EQ(vfs.opens(), &s == steps ? 1 : 0); // the connection is opened once, then kept
    }
    t.Close();

    EXPECT_FALSE(QFile::exists(pf.path() + "Files/pxn_utente.mdb-journal")) << "the kept journal went with it";
    // The user's tables are as they were; other connections keep their safe settings.
    EXPECT_EQ(userTables(), before);
    EXPECT_EQ(pragmas(), plain);
    EXPECT_EQ(Utility::OpenUserDatabase().query("PRAGMA integrity_check").text(0), "ok");
}

// The program killed in the middle of a drawing's commit: the next opening
// finds the user's database whole, with the old table or the new one. A
// drawing either makes the table anew or empties the one its connection made.
TEST(MapWorkTable, AProgramKilledWhileDrawingLeavesTheUserDatabaseWhole)
{
    std::vector<WorkRow> oldRows, newRows;
    // Enough rows for a commit that spans many pages of the file.
    for (int p = 1; p <= 3000; ++p) {
        oldRows.push_back({QString::number(p), double(p), 1});
        newRows.push_back({QString::number(p), 10000.0 + p, 2});
    }
    // overItsOwnTable: the connection drew the table before
    struct Case { const char *what; bool overItsOwnTable; };
    for (const Case c : {Case{"a first drawing", false}, Case{"a drawing over its own table", true}}) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder pf;
        {
            MapWorkTable t;
            t.SaveMapQuery(oldRows);
        }
        auto prepare = [&](MapWorkTable &t) {
            if (c.overItsOwnTable)
                t.SaveMapQuery(oldRows);
            else
                t.MapRecordset(); // opened before the drawing, as the window does
        };
        // How many writes one drawing makes to the file.
        int writes = 0;
        {
            MapWorkTable t;
            prepare(t);
            testsupport::CountingVfs vfs("pxn_utente.mdb");
            t.Close(); // opened again under the counting layer
            prepare(t);
            vfs.reset();
            t.SaveMapQuery(newRows);
            writes = vfs.writes();
            t.SaveMapQuery(oldRows);
        }
        ASSERT_GT(writes, 1);
        for (int k = 1; k <= writes; ++k) {
            SCOPED_TRACE(k);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                testsupport::CountingVfs vfs("pxn_utente.mdb");
                MapWorkTable t;
                prepare(t);
                vfs.exitAtWrite(k);
                t.SaveMapQuery(newRows);
                ::_exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            platform::db::Database db = Utility::OpenUserDatabase();
            EXPECT_EQ(db.query("PRAGMA integrity_check").text(0), "ok");
            const auto rs = db.query("SELECT COUNT(*), MIN(VALORE) FROM tMappa");
            EXPECT_EQ(rs.text(0), "3000");
            EXPECT_TRUE(rs.text(1) == "1" || rs.text(1) == "10001") << rs.text(1).toStdString();
            db.close();
            MapWorkTable t;
            t.SaveMapQuery(oldRows); // back to the old table for the next cut
        }
    }
}

// A drawing over the table its connection drew before gives the table a
// first drawing makes, whatever another connection did to it in between; and
// it hands back what the renderer reads from the table.
TEST(MapWorkTable, EveryDrawingLeavesTheTableAFirstDrawingMakes)
{
    testenv::ProgramFolder pf;
    const std::vector<WorkRow> first = {{"1", 10, 1}, {"2", 20, 2}, {"3", 30, std::nullopt}, {"4", 40, 4}};
    const std::vector<WorkRow> rows = {{"037", 1.5, 2}, {"x'y", 2.5, std::nullopt}, {"5", -3, 1}};
    // The table as the file holds it: its definition, its indexes, its rows and their numbers.
    auto dump = [] {
        platform::db::Database db = Utility::OpenUserDatabase();
        QStringList out;
        for (auto rs = db.query("SELECT type, name, sql FROM sqlite_master WHERE tbl_name = 'tMappa' COLLATE NOCASE "
                                "ORDER BY type, name");
             !rs.eof(); rs.moveNext())
            out << rs.text(0) + "|" + rs.text(1) + "|" + rs.text(2);
        for (auto rs = db.query("SELECT rowid, * FROM tMappa ORDER BY rowid"); !rs.eof(); rs.moveNext()) {
            QString line;
            for (int f = 0; f < rs.fieldCount(); ++f)
                line += (rs.field(f).isNull() ? QString("<null>") : rs.text(f)) + "|";
            out << line;
        }
        return out;
    };
    auto records = [](const platform::db::Recordset &rs) {
        QStringList out{rs.fieldNames().join(",")};
        for (int r = 0; r < rs.recordCount(); ++r)
            out << rs.at(r, 0).toString() + "|" + rs.at(r, 1).toString() + "|" + rs.at(r, 2).toString();
        return out;
    };
    QStringList expected;
    {
        MapWorkTable t;
        t.SaveMapQuery(rows);
        expected = dump();
        t.DropMapQuery();
    }
    ASSERT_EQ(expected.size(), 4);

    // otherSql: run by another connection between the two drawings
    struct Case { const char *what; const char *otherSql; };
    const Case cases[] = {
        {"rows added and changed", "INSERT INTO tMappa VALUES (99, 9, 9); UPDATE tMappa SET N4 = 3"},
        {"an index added", "CREATE INDEX iMappa ON tMappa (N_ARVEN)"},
        {"dropped", "DROP TABLE tMappa"},
        {"replaced by the same definition", "DROP TABLE tMappa; CREATE TABLE tMappa (N_ARVEN INTEGER NOT NULL, VALORE REAL, N4 INTEGER); "
                                            "INSERT INTO tMappa VALUES (7, 7, 7)"},
    };
    MapWorkTable t;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        t.SaveMapQuery(first);
        Utility::OpenUserDatabase().execute(c.otherSql);
        const platform::db::Recordset stored = t.SaveMapQuery(rows);
        EXPECT_EQ(dump(), expected);
        EXPECT_EQ(records(stored), records(t.MapRecordset()));
        // And again over the same table.
        t.SaveMapQuery(rows);
        EXPECT_EQ(dump(), expected);
    }
    t.DropMapQuery();
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
            MapWorkTable().SaveMapQuery();
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
        MapWorkTable().SaveMapQuery();
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

    struct Case { std::vector<WorkRow> rows; const char *code; QColor expected; };
    const Case cases[] = {
        {{}, "1", Qt::white},                                                // empty table: all white
        {{{"1", 5, 2}}, "1", Qt::green},
        {{{"1", 5, std::nullopt}}, "1", Qt::white},                          // no class: default
        {{{"1", 5, 1}, {"1", 6, 4}}, "1", Qt::yellow},                       // repeated code: first entry
        {{{"037", 5, 3}}, "37", Qt::cyan},                                   // codes match as numbers
    };
    MapWorkTable t;
    for (const Case &c : cases) {
        t.SaveMapQuery(c.rows);
        Utility::ApplyRendererFromRecordset(layer, t.MapRecordset(), palette, "COD_PRO");
        const int s = shapeOf(c.code);
        ASSERT_GE(s, 0);
        const auto *sym = layer.symbolFor(s);
        ASSERT_NE(sym, nullptr);
        EXPECT_EQ(sym->color, c.expected) << c.code;
        EXPECT_TRUE(sym->outline);
        EXPECT_EQ(sym->outlineColor, QColor(Qt::black));
    }
    // The colour of territories without a class can be chosen (legend recoloured).
    t.SaveMapQuery();
    Utility::ApplyRendererFromRecordset(layer, t.MapRecordset(), palette, "COD_PRO", Qt::magenta);
    EXPECT_EQ(layer.symbolFor(0)->color, QColor(Qt::magenta));
    // A renderer field missing from the shapes: everything takes the default.
    t.SaveMapQuery({{"1", 5, 2}});
    Utility::ApplyRendererFromRecordset(layer, t.MapRecordset(), palette, "NO_FIELD");
    EXPECT_EQ(layer.symbolFor(shapeOf("1"))->color, QColor(Qt::white));
    // A class without a palette colour is an error.
    t.SaveMapQuery({{"1", 5, 5}});
    EXPECT_THROW(Utility::ApplyRendererFromRecordset(layer, t.MapRecordset(), palette, "COD_PRO"), platform::RuntimeError);
    t.DropMapQuery();
}


TEST(MapRenderer, AddRendererValueStartsARendererOnFeatureId)
{
    platform::map::MapLayer layer;
    EXPECT_TRUE(Utility::AddRendererValue(layer, "37", Qt::red, platform::map::Symbol::Solid));
    ASSERT_NE(layer.renderer(), nullptr);
    EXPECT_EQ(layer.renderer()->field(), "FeatureId");
    EXPECT_TRUE(layer.renderer()->useDefault());
    EXPECT_EQ(layer.renderer()->defaultSymbol().color, QColor(Qt::white));
    // A second value is appended to the same renderer, with its own black-outlined symbol.
    Utility::AddRendererValue(layer, "12", Qt::blue, platform::map::Symbol::Transparent);
    ASSERT_EQ(layer.renderer()->valueCount(), 2);
    EXPECT_EQ(layer.renderer()->value(0), "37");
    const auto &sym = layer.renderer()->symbol(1);
    EXPECT_EQ(std::make_tuple(sym.color, sym.style, sym.outline, sym.outlineColor),
              std::make_tuple(QColor(Qt::blue), platform::map::Symbol::Transparent, true, QColor(Qt::black)));
}
