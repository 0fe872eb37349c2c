// What the relinking reads at start, read ahead on a thread: what is read, and
// when it is given back.
#include "platform/db/LinkReadAhead.h"
#include "support/TestEnv.h"
#include "test_common.h"
#include "test_file_changes.h"
#include "support/CountingVfs.h"

#include <QThread>
#include <gtest/gtest.h>

using platform::db::Database;
using platform::db::LinkReadAhead;
using platform::db::OpenMode;
using platform::db::TablelinkRow;

namespace {

QStringList namesIn(const QString &path)
{
    Database db = Database::openFileOnly(path, OpenMode::ReadOnly);
    return db.tablesAndViews();
}

QStringList texts(const std::vector<TablelinkRow> &rows)
{
    QStringList out;
    for (const TablelinkRow &r : rows)
        out << r.table + "|" + r.source + "|" + r.holder;
    return out;
}

void exec(const QString &folder, const QString &file, const QString &sql)
{
    Database db = Database::openFileOnly(folder + file, OpenMode::ReadWrite);
    for (const QString &stmt : sql.split(u';', Qt::SkipEmptyParts))
        db.execute(stmt);
}

} // namespace

TEST(LinkReadAhead, ReadsTablelinkAndTheDatabasesItNamesInsideTheFolderOnAnotherThreadOnce)
{
    testenv::ProgramFolder app(false);
    const QString db = app.databases();
    // Rows naming a file that is no database, a missing one, and a database outside the folder.
    ASSERT_TRUE(ptest::writeFile(db + "Testo.mdb", "non un database"));
    QDir().mkpath(app.path() + "Fuori");
    ASSERT_TRUE(QFile::copy(db + "Territorio.mdb", app.path() + "Fuori/Territorio.mdb"));
    exec(db, "Metadati.mdb",
         "insert into tablelink values ('A', 'Testo.mdb', 'Variabili.mdb');"
         "insert into tablelink values ('B', 'Manca.mdb', 'Variabili.mdb');"
         "insert into tablelink values ('land_Ind', '../Fuori/Territorio.mdb', 'Testo.mdb')");

    testsupport::CountingVfs opens(app.path());
    Qt::HANDLE askedOn = nullptr;
    LinkReadAhead ahead([&] {
        askedOn = QThread::currentThreadId();
        return db;
    });
    const LinkReadAhead::Files files = ahead.take();
    EXPECT_NE(askedOn, QThread::currentThreadId());
    // Each file of the folder once, the one that failed too, however many rows name it.
    EXPECT_EQ(opens.takeOpened(testsupport::CountingVfs::OtherThreads).join(' ').toStdString(),
              "Indicatori.mdb Metadati.mdb Territorio.mdb Testo.mdb Variabili.mdb");

    const auto rows = files.tablelink(db + "Metadati.mdb");
    ASSERT_TRUE(rows);
    Database meta = Database::openFileOnly(db + "Metadati.mdb", OpenMode::ReadOnly);
    EXPECT_EQ(texts(*rows), texts(platform::db::ReadTablelink(meta)));
    EXPECT_EQ(rows->size(), 13u);
    EXPECT_FALSE(files.tablelink(db + "Variabili.mdb"));   // the rows of Metadati.mdb only

    struct Case { const char *name; QString path; bool given; };
    const Case cases[] = {
        {"tablelink's own file", db + "Metadati.mdb", true},
        {"a holder", db + "Variabili.mdb", true},
        {"a source", db + "Territorio.mdb", true},
        {"a file that is no database", db + "Testo.mdb", false},
        {"a missing file", db + "Manca.mdb", false},
        {"a database outside the folder", app.path() + "Fuori/Territorio.mdb", false},
        {"a file read, asked by another spelling of its path", app.path() + "Databases//Variabili.mdb", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto names = files.names(c.path);
        ASSERT_EQ(names.has_value(), c.given);
        if (c.given) {
            EXPECT_EQ(*names, namesIn(c.path));
        }
    }

    const LinkReadAhead::Files again = ahead.take();   // handed over once
    EXPECT_FALSE(again.tablelink(db + "Metadati.mdb"));
    EXPECT_FALSE(again.names(db + "Variabili.mdb"));
}

TEST(LinkReadAhead, NothingIsReadWithoutATablelinkToRead)
{
    struct Case { const char *name; std::function<void(const QString &db)> setup; bool noFolder; };
    const Case cases[] = {
        {"no folder", {}, true},
        {"no Metadati.mdb", [](const QString &db) { QFile::remove(db + "Metadati.mdb"); }, false},
        {"no tablelink", [](const QString &db) { exec(db, "Metadati.mdb", "drop table tablelink"); }, false},
        {"a Metadati.mdb that is no database",
         [](const QString &db) { ptest::writeFile(db + "Metadati.mdb", QByteArray(4096, 'x')); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app(false);
        const QString db = app.databases();
        if (c.setup)
            c.setup(db);
        LinkReadAhead ahead([&] { return c.noFolder ? QString() : db; });
        const LinkReadAhead::Files files = ahead.take();
        EXPECT_FALSE(files.tablelink(db + "Metadati.mdb"));
        for (const char *name : {"Metadati.mdb", "Variabili.mdb", "Territorio.mdb", "Indicatori.mdb"})
            EXPECT_FALSE(files.names(db + name)) << name;
    }
}

TEST(LinkReadAhead, AFileIsGivenOnlyWhileItIsAsItWasRead)
{
    using namespace filechange;
    // Each change is made to Territorio.mdb (a source) and Metadati.mdb after
    // they were read (the relinking's tests change them in more ways).
    struct Case { const char *name; std::function<bool(const QString &path)> change; bool given; };
    const Case cases[] = {
        {"unchanged", {}, true},
        {"replaced by a copy of the same size", [](const QString &p) { return replace(p); }, false},
        {"its time set back", [](const QString &p) { return touch(p, -3600); }, false},
        {"written again, its times put back", [](const QString &p) { return rewriteKeepingTimes(p); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app(false);
        const QString db = app.databases();
        LinkReadAhead ahead([&] { return db; });
        const LinkReadAhead::Files files = ahead.take();
        const QStringList before = namesIn(db + "Territorio.mdb");
        if (c.change) {
            ASSERT_TRUE(c.change(db + "Territorio.mdb"));
            ASSERT_TRUE(c.change(db + "Metadati.mdb"));
        }
        const auto names = files.names(db + "Territorio.mdb");
        ASSERT_EQ(names.has_value(), c.given);
        if (c.given) {
            EXPECT_EQ(*names, before);
        }
        EXPECT_EQ(files.names(db + "Metadati.mdb").has_value(), c.given);
        EXPECT_EQ(files.tablelink(db + "Metadati.mdb").has_value(), c.given);
        EXPECT_TRUE(files.names(db + "Variabili.mdb"));   // the others stay given

        // The very same file under another path is not given.
        ASSERT_TRUE(linkAll(db, app.path() + "Altrove"));
        EXPECT_FALSE(files.names(app.path() + "Altrove/Variabili.mdb"));
    }
}
