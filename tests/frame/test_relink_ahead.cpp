// The relinking at start takes what was read ahead on a thread for the files
// still as they were read, opens the others itself, and tells and sets exactly
// what it does without it.
#include "FrameTest.h"
#include "frame/Globals.h"
#include "frame/Relink.h"
#include "frame/Startup.h"
#include "platform/test_file_changes.h"
#include "support/CountingVfs.h"
#include "platform/test_zip_support.h"
#include "support/TestEnv.h"

#include <QProcess>

using platform::db::LinkReadAhead;
using platform::db::Links;

namespace {

// Everything a relinking sets and tells.
struct Outcome {
    int leftOut = 0;   // -1: cut short by `error`
    QString error;
    QStringList links, messages, log;
    std::string text() const
    {
        return QStringList({QString::number(leftOut), error, links.join('\n'), messages.join('\n'), log.join('\n')})
            .join("\n--\n")
            .toStdString();
    }
};

Outcome relink(testenv::ProgramFolder &app, const LinkReadAhead::Files *ahead)
{
    QFile::remove(app.files() + "Error.log");
    app.prompts.clear();
    Outcome o;
    try {
        o.leftOut = ahead ? frame::SetLinksFromTablelink(*ahead) : frame::SetLinksFromTablelink();
    } catch (const platform::RuntimeError &e) {
        o.leftOut = -1;
        o.error = e.description();
    }
    for (const platform::db::Link &l : Links::all())
        o.links << l.table + "|" + l.sourceFile + "|" + l.holderFile;
    o.messages = app.prompts.messages();
    for (const QString &line : frametest::logLines(app.files()))
        o.log << line.mid(line.indexOf(" - Module:"));   // without its time
    return o;
}

// An update killed after it put its Metadati.mdb, without the rows of
// Indicatori.mdb, in place of the old one.
void stopUpdateAfterMetadati(testenv::ProgramFolder &app)
{
    const QString work = app.path() + "work/";
    QDir().mkpath(work);
    QFile::copy(app.databases() + "Metadati.mdb", work + "Metadati.mdb");
    frametest::exec(work, "Metadati.mdb", "delete from tablelink where DbDestinazione = 'Indicatori.mdb'");
    const QString archive = app.path() + "aggiornamento.zip";
    ASSERT_TRUE(ziptest::write(archive, {{"Metadati.mdb", frametest::readAll(work + "Metadati.mdb")}}));
    QProcess child;
    child.start(TRAMBELO_UPDATE_KILL, {archive, app.databases(), "1"});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
    ASSERT_EQ(frametest::readAll(app.databases() + "Metadati.mdb"), frametest::readAll(work + "Metadati.mdb"));
}

void addNoDatabase(testenv::ProgramFolder &app, const QString &row)
{
    ASSERT_TRUE(frametest::writeAll(app.databases() + "Testo.mdb", "non un database"));
    frametest::exec(app.databases(), "Metadati.mdb", "insert into tablelink values (" + row + ")");
}

} // namespace

TEST(SetLinksFromTablelink, OpensOnlyTheFilesNotReadAheadAsTheyAreNowAndDoesAndTellsTheSame)
{
    using namespace filechange;
    using Step = std::function<void(testenv::ProgramFolder &)>;
    const QStringList all{"Indicatori.mdb", "Metadati.mdb", "Metadati.mdb", "Territorio.mdb", "Variabili.mdb"};
    // before / after: what happens before the reading ahead and between it and the relinking;
    // opened: the files the relinking opens itself (Metadati.mdb is read for tablelink and as a source).
    struct Case { const char *name; Step before, after; QStringList opened; int leftOut; };
    const Case cases[] = {
        {"nothing changed", {}, {}, {}, 0},
        {"a source replaced by one of the same size without a linked table", {},
         [](testenv::ProgramFolder &a) {
             const QString path = a.databases() + "Territorio.mdb";
             const qint64 size = QFileInfo(path).size();
             ASSERT_TRUE(replace(path, [](const QString &copy) {
                 frametest::exec(QFileInfo(copy).path(), QFileInfo(copy).fileName(),
                                 "alter table land_Ind rename to land_Vecchia");
             }));
             ASSERT_EQ(QFileInfo(path).size(), size);
         },
         {"Territorio.mdb"}, 2},
        {"a source touched", {}, [](testenv::ProgramFolder &a) { ASSERT_TRUE(touch(a.databases() + "Territorio.mdb", 1)); },
         {"Territorio.mdb"}, 0},
        {"a holder grown", {}, [](testenv::ProgramFolder &a) { ASSERT_TRUE(grow(a.databases() + "Variabili.mdb", 4096)); },
         {"Variabili.mdb"}, 0},
        {"a source removed", {}, [](testenv::ProgramFolder &a) { QFile::remove(a.databases() + "Territorio.mdb"); }, {}, 2},
        {"tablelink rewritten with rows less", {},
         [](testenv::ProgramFolder &a) {
             waitForNextChangeTime(a.databases() + "Metadati.mdb");
             frametest::exec(a.databases(), "Metadati.mdb", "delete from tablelink where DbDestinazione = 'Indicatori.mdb'");
         },
         {"Metadati.mdb", "Metadati.mdb"}, 0},
        {"a holder that is no database, failed ahead too: the program ends",
         [](testenv::ProgramFolder &a) { addNoDatabase(a, "'Settore', 'Metadati.mdb', 'Testo.mdb'"); }, {},
         {"Testo.mdb"}, -1},
        {"a source that is no database, failed ahead too: its link left out",
         [](testenv::ProgramFolder &a) { addNoDatabase(a, "'Settore', 'Testo.mdb', 'Variabili.mdb'"); }, {},
         {"Testo.mdb"}, 1},
        {"the same files in another folder",
         {},
         [](testenv::ProgramFolder &a) {
             ASSERT_TRUE(linkAll(a.databases(), a.path() + "Altrove"));
             gDbPath = a.path() + "Altrove/";
         },
         all, 0},
        {"an update stopped after its new Metadati.mdb, put back by the recovery", stopUpdateAfterMetadati,
         // Indicatori.mdb: named by the old tablelink only
         [](testenv::ProgramFolder &) { frame::RecoverStoppedUpdate(); },
         {"Indicatori.mdb", "Metadati.mdb", "Metadati.mdb"}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app;
        if (c.before)
            c.before(app);
        LinkReadAhead ahead([&] { return app.databases(); });
        const LinkReadAhead::Files files = ahead.take();
        if (c.after)
            c.after(app);
        if (testing::Test::HasFatalFailure())
            return;

        Outcome withAhead;
        {
            testsupport::CountingVfs opens(app.path());
            withAhead = relink(app, &files);
            EXPECT_EQ(opens.takeOpened().join(' ').toStdString(), c.opened.join(' ').toStdString());
        }
        EXPECT_EQ(withAhead.leftOut, c.leftOut) << withAhead.error.toStdString();
        const Outcome without = relink(app, nullptr);
        EXPECT_EQ(withAhead.text(), without.text());
        if (c.leftOut > 0) {
            EXPECT_EQ(withAhead.messages.size(), 1);
            EXPECT_EQ(withAhead.log.size(), c.leftOut);
        }
    }
}

TEST(RelinkReadAhead, TheFirstRelinkingWhileItLivesTakesItOnce)
{
    testenv::ProgramFolder app;
    testsupport::CountingVfs opens(app.path());
    {
        // The program folder as the program is given it, without a final separator.
        const frame::RelinkReadAhead ahead(app.path().chopped(1));
        EXPECT_TRUE(frame::RefreshLinkOnDB_2());
        EXPECT_EQ(opens.takeOpened().join(' ').toStdString(), "");
        EXPECT_EQ(Links::all().size(), 10u);
        EXPECT_TRUE(frame::RefreshLinkOnDB_2());   // as the information window does later
        EXPECT_EQ(opens.takeOpened().join(' ').toStdString(),
                  "Indicatori.mdb Metadati.mdb Metadati.mdb Territorio.mdb Variabili.mdb");
    }
    EXPECT_EQ(Links::all().size(), 10u);
    EXPECT_TRUE(app.prompts.shown.empty());
}
