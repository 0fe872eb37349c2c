// Attached tables made visible from tablelink, and the removal of saved queries.
#include "FrameTest.h"
#include "frame/Config.h"
#include "frame/Globals.h"
#include "frame/Relink.h"
#include "platform/db/Links.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using platform::db::Database;
using platform::db::Links;
using platform::db::OpenMode;

namespace {

qint64 count(const QString &folder, const QString &file, const QString &table)
{
    auto db = Database::open(folder, file, OpenMode::ReadOnly);
    return db.query("select count(*) from " + table).field(0).toInt();
}

} // namespace

TEST(RefreshLinkOnDB_2, SampleLinksAreVisibleInTheirHolders)
{
    testenv::ProgramFolder app;
    Links::clear();
    const QByteArray before = frametest::readAll(app.databases() + "Variabili.mdb");
    ASSERT_TRUE(frame::RefreshLinkOnDB_2());
    EXPECT_EQ(Links::all().size(), 10u);
    EXPECT_EQ(Links::folder(), app.databases());
    EXPECT_EQ(count(app.databases(), "Variabili.mdb", "land_Ind"), count(app.databases(), "Territorio.mdb", "land_Ind"));
    EXPECT_GT(count(app.databases(), "Indicatori.mdb", "MetadatiIndicatori"), 0);
    EXPECT_EQ(frametest::readAll(app.databases() + "Variabili.mdb"), before);   // nothing written
    EXPECT_TRUE(app.prompts.shown.empty());
}

TEST(RefreshLinkOnDB_2, MovedFolderReadsTheNewSources)
{
    testenv::ProgramFolder app;
    const QString moved = app.path() + "Spostati/";
    QDir().rename(app.databases(), moved);
    frametest::exec(moved, "Territorio.mdb", "delete from land_Ind where COD_TERR <> (select min(COD_TERR) from land_Ind)");
    gDbPath = moved;
    ASSERT_TRUE(frame::RefreshLinkOnDB_2());
    EXPECT_EQ(count(moved, "Variabili.mdb", "land_Ind"), 1);
}

TEST(RefreshLinkOnDB_2, LinkHidesALocalTableOfTheSameName)
{
    testenv::ProgramFolder app;
    frametest::exec(app.databases(), "Variabili.mdb", "create table land_Ind (COD_TERR integer); insert into land_Ind values (1)");
    ASSERT_TRUE(frame::RefreshLinkOnDB_2());
    EXPECT_EQ(count(app.databases(), "Variabili.mdb", "land_Ind"), count(app.databases(), "Territorio.mdb", "land_Ind"));
    EXPECT_GT(count(app.databases(), "Territorio.mdb", "land_Ind"), 1);
}

TEST(RefreshLinkOnDB_2, Failures)
{
    const QString missing = QString::fromUtf8(
        "Sono mancanti alcuni Database!\r\nControllare l'esistenza dei Database nella cartella : \r\n%1 \r\n\r\n"
        "L'applicazione sarà chiusa.");
    struct Case {
        const char *name;
        QString sql;           // run on Metadati.mdb before relinking
        bool ok;
        int links;             // links set afterwards (ok only)
        QString logFunction;   // "" = nothing logged
        bool fatalBox;
    };
    const Case cases[] = {
        {"empty tablelink", "delete from tablelink", true, 0, "", false},
        {"missing holder ends the program",
         "insert into tablelink values ('Settore', 'Metadati.mdb', 'Manca.mdb')", false, 0, "RefreshLinkOnDB_2", true},
        {"holder that is not a database",
         "insert into tablelink values ('Settore', 'Metadati.mdb', 'Testo.mdb')", false, 0, "RefreshLinkOnDB_2", true},
        {"missing source file is left out",
         "insert into tablelink values ('Altro', 'Manca.mdb', 'Variabili.mdb')", true, 10, "RecreateRelatedTables_2",
         false},
        {"missing source table is left out",
         "insert into tablelink values ('NonCe', 'Metadati.mdb', 'Variabili.mdb')", true, 10,
         "RecreateRelatedTables_2", false},
        {"unreadable tablelink ends the program", "drop table tablelink", false, 0, "RefreshLinkOnDB_2", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        QFile text(app.databases() + "Testo.mdb");
        text.open(QIODevice::WriteOnly);
        text.write("non un database");
        text.close();
        frametest::exec(app.databases(), "Metadati.mdb", c.sql);
        const QByteArray holderBefore = frametest::readAll(app.databases() + "Variabili.mdb");

        EXPECT_EQ(frame::RefreshLinkOnDB_2(), c.ok);
        if (c.ok) {
            EXPECT_EQ(int(Links::all().size()), c.links);
        }
        const QStringList lines = frametest::logLines(app.files());
        if (c.logFunction.isEmpty()) {
            EXPECT_TRUE(lines.isEmpty());
        } else {
            ASSERT_EQ(lines.size(), 1);
            const QString module = c.fatalBox ? "frmMainMDI" : "Utility";
            EXPECT_TRUE(lines[0].contains(" - Module:" + module + " Function: " + c.logFunction + " Error N."))
                << lines[0].toStdString();
        }
        const QStringList messages = app.prompts.messages();
        if (c.fatalBox) {
            ASSERT_EQ(messages.size(), 2);
            EXPECT_EQ(messages[0], missing.arg(app.databases()));
            EXPECT_EQ(app.prompts.shown[0].style, platform::mb::Critical);
            EXPECT_EQ(app.prompts.shown[0].title, "Attenzione");
            EXPECT_TRUE(messages[1].startsWith("Errore : "));
        }
        EXPECT_FALSE(QFileInfo::exists(app.databases() + "Manca.mdb"));   // nothing created
        EXPECT_EQ(frametest::readAll(app.databases() + "Variabili.mdb"), holderBefore);
        if (c.ok && c.links > 0) {   // the holder still opens, and its good links work
            EXPECT_GT(count(app.databases(), "Variabili.mdb", "land_Ind"), 0);
        }
    }
}

TEST(RefreshLinkOnDB_2, LinksNameFilesOfTheDatabasesFolderOnly)
{
    struct Case {
        const char *name;
        QString row;   // values of the tablelink row added
    };
    const Case cases[] = {
        {"source climbing out", "'Settore', '../Fuori/Metadati.mdb', 'Variabili.mdb'"},
        {"source far up", "'Settore', '../../../../../../../../etc/passwd', 'Variabili.mdb'"},
        {"absolute source", "'Settore', '<app>Fuori/Metadati.mdb', 'Variabili.mdb'"},
        {"holder climbing out", "'Settore', 'Metadati.mdb', '../Fuori/Metadati.mdb'"},
        {"source through a link leading out", "'Settore', 'Collegato.mdb', 'Variabili.mdb'"},
        {"holder through a folder link leading out", "'Settore', 'Metadati.mdb', 'sub/Metadati.mdb'"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        // A real database outside the folder, holding the table: it must not be used.
        QDir().mkpath(app.path() + "Fuori");
        QFile::copy(app.databases() + "Metadati.mdb", app.path() + "Fuori/Metadati.mdb");
        QFile::link(app.path() + "Fuori/Metadati.mdb", app.databases() + "Collegato.mdb");
        QFile::link(app.path() + "Fuori", app.databases() + "sub");
        frametest::exec(app.databases(), "Metadati.mdb",
                        "insert into tablelink values (" + QString(c.row).replace("<app>", app.path()) + ")");
        Links::clear();

        EXPECT_TRUE(frame::RefreshLinkOnDB_2());   // refused and left out, as a failed link
        EXPECT_EQ(Links::all().size(), 10u);
        const QStringList lines = frametest::logLines(app.files());
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].contains("Module:Utility Function: RecreateRelatedTables_2")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains("fuori dalla cartella dei Database")) << lines[0].toStdString();
        const QStringList messages = app.prompts.messages();
        ASSERT_EQ(messages.size(), 1);
        for (const QString &text : {messages[0], lines[0]}) {
            EXPECT_FALSE(text.contains("Fuori")) << text.toStdString();   // no path outside repeated
            EXPECT_FALSE(text.contains("passwd")) << text.toStdString();
            EXPECT_FALSE(text.contains("Collegato")) << text.toStdString();
        }
    }
}

TEST(RefreshLinkOnDB_2, LinksLeftOutAreLoggedOneByOneAndToldInOneBox)
{
    testenv::ProgramFolder app;
    frametest::exec(app.databases(), "Metadati.mdb",
                    "insert into tablelink values ('A', 'Manca.mdb', 'Variabili.mdb');"
                    "insert into tablelink values ('B', 'Metadati.mdb', 'Variabili.mdb');"
                    "insert into tablelink values ('C', '../x.mdb', 'Indicatori.mdb')");
    ASSERT_TRUE(frame::RefreshLinkOnDB_2());
    EXPECT_EQ(Links::all().size(), 10u);
    EXPECT_EQ(frametest::logLines(app.files()).size(), 3);
    ASSERT_EQ(app.prompts.messages().size(), 1);
    EXPECT_EQ(app.prompts.messages()[0].toStdString(),
              QString::fromUtf8("Errore : 3 tabelle collegate non sono disponibili e sono state tralasciate. Il File "
                                "Error.log è stato riempito.")
                  .toStdString());
}

namespace {
struct FakeAreaConfig : AreaConfig {
    std::vector<QStringList> queries;
    std::vector<QStringList> GetAreaQueries() const override { return queries; }
};

QStringList views(const QString &folder, const QString &file)
{
    auto db = Database::open(folder, file, OpenMode::ReadOnly);
    QStringList v = db.views();
    v.sort();
    return v;
}
} // namespace

TEST(DeleteAreaQuery, DropsTheNamedQueriesExactly)
{
    struct Case {
        const char *name;
        QString dbName;
        std::vector<QStringList> queries;
        QStringList remaining;
    };
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
