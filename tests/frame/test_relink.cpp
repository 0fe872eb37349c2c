// Attached tables made visible from tablelink, and the removal of saved queries.
#include "FrameTest.h"
#include "frame/Config.h"
#include "frame/Globals.h"
#include "frame/Relink.h"
#include "support/TestEnv.h"

#include <QFileInfo>

using platform::db::Database;
using platform::db::Links;
using platform::db::OpenMode;

namespace {

qint64 count(const QString &folder, const QString &file, const QString &table)
{
    return Database::open(folder, file, OpenMode::ReadOnly).query("select count(*) from " + table).field(0).toInt();
}

struct FakeAreaConfig : AreaConfig {
    std::vector<QStringList> queries;
    std::vector<QStringList> GetAreaQueries() const override { return queries; }
};

QStringList views(const QString &folder, const QString &file)
{
    QStringList v = Database::open(folder, file, OpenMode::ReadOnly).views();
    v.sort();
    return v;
}

} // namespace

TEST(RefreshLinkOnDB_2, SampleLinksAreVisibleInTheirHoldersInTheirNewFolderAndHideLocalTablesOfTheSameName)
{
    testenv::ProgramFolder app;   // linked in Databases/, then moved
    const QString moved = app.path() + "Spostati/";
    QDir().rename(app.databases(), moved);
    gDbPath = moved;
    frametest::exec(moved, "Territorio.mdb", "delete from land_Ind where COD_TERR <> (select min(COD_TERR) from land_Ind)");
    frametest::exec(moved, "Variabili.mdb", "create table land_Ind (COD_TERR integer); insert into land_Ind values (1), (2)");
    const QByteArray before = frametest::readAll(moved + "Variabili.mdb");
    ASSERT_TRUE(frame::RefreshLinkOnDB_2());
    EXPECT_EQ(Links::all().size(), 10u);
    EXPECT_EQ(Links::folder(), moved);
    EXPECT_EQ(count(moved, "Variabili.mdb", "land_Ind"), 1);   // the new source, not the local table
    EXPECT_GT(count(moved, "Indicatori.mdb", "MetadatiIndicatori"), 0);
    EXPECT_EQ(frametest::readAll(moved + "Variabili.mdb"), before);   // nothing written
    EXPECT_TRUE(app.prompts.shown.empty());
}

TEST(RefreshLinkOnDB_2, FailuresThatEndTheProgram)
{
    struct Case { const char *name; QString sql; bool fatal; };   // sql: run on Metadati.mdb before relinking
    const Case cases[] = {
        {"empty tablelink: nothing to link, the program goes on", "delete from tablelink", false},
        {"missing holder", "insert into tablelink values ('Settore', 'Metadati.mdb', 'Manca.mdb')", true},
        {"holder that is not a database", "insert into tablelink values ('Settore', 'Metadati.mdb', 'Testo.mdb')", true},
        {"unreadable tablelink", "drop table tablelink", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        ASSERT_TRUE(frametest::writeAll(app.databases() + "Testo.mdb", "non un database"));
        frametest::exec(app.databases(), "Metadati.mdb", c.sql);
        const QByteArray holderBefore = frametest::readAll(app.databases() + "Variabili.mdb");
        EXPECT_EQ(frame::RefreshLinkOnDB_2(), !c.fatal);
        frametest::expectLog(app.files(), c.fatal ? 1 : 0, " - Module:frmMainMDI Function: RefreshLinkOnDB_2 Error N.");
        const QStringList messages = app.prompts.messages();
        ASSERT_EQ(messages.size(), c.fatal ? 2 : 0);
        if (!c.fatal) {
            EXPECT_EQ(Links::all().size(), 0u);
            continue;
        }
        EXPECT_EQ(messages[0], "Sono mancanti alcuni Database!\r\nControllare l'esistenza dei Database nella "
                               "cartella : \r\n" + app.databases() + " \r\n\r\nL'applicazione sarà chiusa.");
        EXPECT_EQ(app.prompts.shown[0].style, platform::mb::Critical);
        EXPECT_EQ(app.prompts.shown[0].title, "Attenzione");
        EXPECT_TRUE(messages[1].startsWith("Errore : "));
        EXPECT_FALSE(QFileInfo::exists(app.databases() + "Manca.mdb"));   // nothing created
        EXPECT_EQ(frametest::readAll(app.databases() + "Variabili.mdb"), holderBefore);
    }
}

TEST(RefreshLinkOnDB_2, BadLinksAreLeftOutLoggedOneByOneToldInOneBoxAndNameFilesOfTheFolderOnly)
{
    const QString outside = "fuori dalla cartella dei Database";
    struct Case { const char *name; QStringList rows, reasons; };   // rows added to tablelink; the reason logged for each
    const Case cases[] = {
        {"source climbing out", {"'Settore', '../Fuori/Metadati.mdb', 'Variabili.mdb'"}, {outside}},
        {"a missing file, a missing table, a file outside",
         {"'A', 'Manca.mdb', 'Variabili.mdb'", "'NonCe', 'Metadati.mdb', 'Variabili.mdb'", "'C', '../Fuori/x.mdb', 'Indicatori.mdb'"},
         {"Manca.mdb", "NonCe", outside}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        // A real database outside the folder, holding the table: it must not be used.
        QDir().mkpath(app.path() + "Fuori");
        QFile::copy(app.databases() + "Metadati.mdb", app.path() + "Fuori/Metadati.mdb");
        for (const QString &row : c.rows)
            frametest::exec(app.databases(), "Metadati.mdb", "insert into tablelink values (" + row + ")");
        Links::clear();
        const QByteArray holderBefore = frametest::readAll(app.databases() + "Variabili.mdb");

        EXPECT_TRUE(frame::RefreshLinkOnDB_2());   // left out, the program goes on
        EXPECT_EQ(Links::all().size(), 10u);
        EXPECT_GT(count(app.databases(), "Variabili.mdb", "land_Ind"), 0);   // the good links work
        EXPECT_EQ(frametest::readAll(app.databases() + "Variabili.mdb"), holderBefore);
        EXPECT_FALSE(QFileInfo::exists(app.databases() + "Manca.mdb"));
        const QStringList lines =
            frametest::expectLog(app.files(), c.rows.size(), "Module:Utility Function: RecreateRelatedTables_2 Error N.");
        for (int i = 0; i < c.reasons.size(); ++i)
            EXPECT_TRUE(lines.value(i).contains(c.reasons[i])) << lines.value(i).toStdString();
        const QStringList messages = app.prompts.messages();
        ASSERT_EQ(messages.size(), 1);
        if (c.rows.size() > 1) {
            EXPECT_EQ(messages[0].toStdString(), "Errore : 3 tabelle collegate non sono disponibili e sono state "
                                                 "tralasciate. Il File Error.log è stato riempito.");
        }
        EXPECT_FALSE(messages[0].contains("Fuori") || lines.join(' ').contains("Fuori"));   // no path outside repeated
    }
}

TEST(DeleteAreaQuery, DropsTheNamedQueriesExactly)
{
    struct Case { const char *name; QString dbName; std::vector<QStringList> queries; QStringList remaining; };
    const Case cases[] = {
        {"every named query, compared exactly", "Variabili.mdb",
         {{"Q", "1"}, {}, {"Q", "2"}, {"Q", "3"}, {"Q\"", "4"}}, {"q3"}},
        {"no current database", "", {{"Q", "1"}}, {"Q\"4", "Q1", "Q2", "q3"}},
        {"empty list", "Variabili.mdb", {}, {"Q\"4", "Q1", "Q2", "q3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        frametest::exec(app.databases(), "Variabili.mdb",
                        "create view \"Q1\" as select 1; create view \"Q2\" as select 2; "
                        "create view \"q3\" as select 3; create view \"Q\"\"4\" as select 4");
        FakeAreaConfig config;
        config.queries = c.queries;
        AreaConfig *saved = gAreaConfig;
        gAreaConfig = &config;
        gDbName = c.dbName;
        Utility_RQM::DeleteAreaQuery();
        gAreaConfig = saved;
        EXPECT_EQ(views(app.databases(), "Variabili.mdb"), c.remaining);
        EXPECT_TRUE(app.prompts.shown.empty());
    }
}
