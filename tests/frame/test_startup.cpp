// The whole start-up of the main window against a temporary program folder,
// and one instance per user across processes.
#include "FrameTest.h"
#include "frame/Config.h"
#include "frame/Globals.h"
#include "frame/MainWindow.h"
#include "frame/Menu.h"
#include "frame/SingleInstance.h"
#include "platform/db/Links.h"
#include "platform/test_zip_support.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <utime.h>

namespace {

struct StartRun {
    bool ok = false;
    QString lastStep;
    bool startPageShown = false;
    bool mainShown = false;
    QStringList menu;
};

// The start-up, with its lock in a folder of its own.
StartRun start(testenv::ProgramFolder &app)
{
    QTemporaryDir lockDir;
    StartRun r;
    frame::SetStartPageOpener([&r] { r.startPageShown = true; });
    {
        frmMainMDI w(app.path(), lockDir.path() + "/trambelo.lock");
        r.ok = w.MDIForm_Load();
        r.lastStep = w.startup().lastStep();
        r.mainShown = w.isVisible();
        for (QAction *a : w.menuBar()->actions())
            r.menu << a->text();
    }
    frame::SetStartPageOpener({});
    return r;
}

} // namespace

TEST(Startup, Outcomes)
{
    struct Case {
        const char *name;
        std::function<void(testenv::ProgramFolder &)> setup;
        QStringList folders;   // browser answers; "<alt>" = Altrove/
        bool ok;
        QString lastStep;
        bool startPage;
        QStringList messageStarts;
        QStringList logFunctions;
    };
    auto moveDatabases = [](testenv::ProgramFolder &a) { QDir().rename(a.databases(), a.path() + "Altrove"); };
    const Case cases[] = {
        {"the sample program folder", {}, {}, true, "008", true, {}, {}},
        {"databases chosen in the browser", moveDatabases, {"<alt>"}, true, "008", true, {}, {}},
        {"no databases: the program ends", moveDatabases, {""}, false, "003", false,
         {"Impossibile trovare i Databases"}, {}},
        {"missing holder database: the program ends",
         [](testenv::ProgramFolder &a) { QFile::remove(a.databases() + "Indicatori.mdb"); }, {}, false, "004", false,
         {"Sono mancanti alcuni Database!", "Errore : "}, {"RefreshLinkOnDB_2"}},
        {"no shape files: start-up goes on without maps",
         [](testenv::ProgramFolder &a) { QDir(a.path() + "Shape").removeRecursively(); }, {""}, true, "008", true,
         {"Nessun File delle cartine trovato."}, {}},
        {"bad menu rows are logged and the start page is still shown",
         [](testenv::ProgramFolder &a) {
             frametest::exec(a.databases(), "Metadati.mdb",
                             "insert into DBMainMenu (IdMenu, IdMenuParent, DescName, Orderb) values (0, 42, 'Orfano', 1)");
         },
         {}, true, "008", true, {"Errore : "}, {"BuildMainMenu"}},
        {"a Metadati.mdb that is not a database: the program ends, saying which file",
         [](testenv::ProgramFolder &a) {
             frametest::writeAll(a.databases() + "Metadati.mdb", QByteArray(4096, 'x'));
         },
         {}, false, "004", false, {"Sono mancanti alcuni Database!", "Errore : Il file '<db>Metadati.mdb' non"},
         {"RefreshLinkOnDB_2"}},
        {"databases in a folder too long to open: the program ends, saying why",
         [](testenv::ProgramFolder &a) {
             QString deep = a.path();
             while (deep.toUtf8().size() < 600)
                 deep += "cartella dell'anno è/";
             QDir().mkpath(deep);
             QDir().rename(a.databases(), deep + "Databases");
             frametest::writeAll(a.files() + "DBPath.rqm", (deep + "Databases\r\n").toUtf8());
         },
         {}, false, "004", false,
         {"Sono mancanti alcuni Database!", "Errore : Impossibile aprire il database '<long>"}, {"RefreshLinkOnDB_2"}},
        {"unreadable menu table is logged and the start page is still shown",
         [](testenv::ProgramFolder &a) { frametest::exec(a.databases(), "Metadati.mdb", "drop table DBMainMenu"); },
         {}, true, "008", true, {"Errore : "}, {"Form_Load"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app(false);
        if (c.setup)
            c.setup(app);
        for (QString f : c.folders)
            app.prompts.folders.push_back(f.replace("<alt>", app.path() + "Altrove/"));
        const StartRun r = start(app);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.lastStep, c.lastStep);
        EXPECT_EQ(r.startPageShown, c.startPage);
        EXPECT_EQ(r.mainShown, c.ok);   // the window of a program that goes on is always shown
        const QStringList messages = app.prompts.messages();
        ASSERT_EQ(messages.size(), c.messageStarts.size()) << messages.join(" | ").toStdString();
        for (int i = 0; i < messages.size(); ++i) {
            const QString start = QString(c.messageStarts[i]).replace("<db>", gDbPath).replace("<long>", gDbPath);
            EXPECT_TRUE(messages[i].startsWith(start)) << messages[i].toStdString();
            if (c.messageStarts[i].contains("<long>"))
                EXPECT_TRUE(messages[i].contains("il percorso è troppo lungo")) << messages[i].toStdString();
        }
        const QStringList lines = frametest::logLines(app.files());
        ASSERT_EQ(lines.size(), c.logFunctions.size());
        for (int i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].contains("Module:frmMainMDI Function: " + c.logFunctions[i] + " ")) << lines[i].toStdString();
        if (c.setup)
            continue;
        EXPECT_EQ(r.menu, QStringList({"File", "Banche dati", "Metadati", "?"}));
        EXPECT_EQ(gAppPath, app.path());
        EXPECT_EQ(gFilesPath, app.files());
        EXPECT_EQ(gExcelPath, app.path() + "Excel/");
        EXPECT_EQ(gDbPath, app.databases());
        EXPECT_EQ(gShapePath, app.path() + "Shape/");
        EXPECT_EQ(gHelpFile, app.files() + "Help/index.html");
        EXPECT_TRUE(gConnAdo.endsWith(";Dbq= "));
        EXPECT_EQ(platform::db::Links::all().size(), 10u);
        ASSERT_TRUE(gAreaConfig && gMetaConfig);
        EXPECT_EQ(gAreaConfig->connection(), gConnAdo + gDbPath);
        EXPECT_EQ(gAreaConfig->filesPath(), gFilesPath);
        EXPECT_TRUE(gAreaConfig->loaded());
        EXPECT_EQ(gMetaConfig->dbFolder(), gDbPath);
        EXPECT_EQ(gMetaConfig->metadataFile(), "Metadati.mdb");
        EXPECT_EQ(gArrFormToOpen[1], "FRMINFO");
        EXPECT_TRUE(app.prompts.shown.empty());
        EXPECT_FALSE(QFileInfo::exists(app.files() + "DBPath.rqm"));
        EXPECT_FALSE(QFileInfo::exists(app.files() + "SHPath.rqm"));
    }
}

TEST(Startup, AnUpdateStoppedAmongItsRenamesIsUndoneBeforeAnyDatabaseIsOpened)
{
    struct Case { const char *what; int stop; bool told; };
    const Case cases[] = {
        {"stopped after the new Metadati.mdb, before the others", 1, true},
        {"stopped after every rename, before the update was final", 3, true},
        {"stopped while extracting: a staging folder without journal", -1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder app(false);
        // The new set: a menu without one of its entries, the other databases copied as they are.
        const QString work = app.path() + "work/";
        QDir().mkpath(work);
        for (const char *f : {"Metadati.mdb", "Territorio.mdb", "Variabili.mdb"})
            QFile::copy(app.databases() + f, work + f);
        frametest::exec(work, "Metadati.mdb",
                        "update InfoAggiornamento set DataAggiornamento = '31/12/2010';"
                        "delete from DBMainMenu where IdMenuParent < 0 and DescName = 'Metadati'");
        const QString archive = app.path() + "aggiornamento.zip";
        const auto before = ziptest::snapshot(app.databases());
        if (c.stop >= 0) {
            ASSERT_TRUE(ziptest::write(archive, {{"Metadati.mdb", frametest::readAll(work + "Metadati.mdb")},
                                                 {"Territorio.mdb", frametest::readAll(work + "Territorio.mdb")},
                                                 {"Variabili.mdb", frametest::readAll(work + "Variabili.mdb")}}));
            QProcess child;
            child.start(TRAMBELO_UPDATE_KILL, {archive, app.databases(), QString::number(c.stop)});
            ASSERT_TRUE(child.waitForFinished(60000));
            ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
            // The mixed set the next start finds: the new Metadati.mdb in place.
            ASSERT_EQ(frametest::readAll(app.databases() + "Metadati.mdb"), frametest::readAll(work + "Metadati.mdb"));
        } else {
            QDir().mkpath(app.databases() + ".aggiornamento-Qw3rTy");
            QFile::copy(work + "Metadati.mdb", app.databases() + ".aggiornamento-Qw3rTy/n0");
        }
        const StartRun r = start(app);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.menu, QStringList({"File", "Banche dati", "Metadati", "?"}));   // the old menu, whole
        EXPECT_EQ(ziptest::snapshot(app.databases()), before);                     // the old set, whole
        const QStringList messages = app.prompts.messages();
        if (c.told) {
            ASSERT_EQ(messages.size(), 1);
            EXPECT_EQ(messages[0].toStdString(), "L'ultimo aggiornamento della banca dati non si è concluso: sono stati "
                                                 "ripristinati i Database precedenti.");
            EXPECT_EQ(app.prompts.shown[0].style, platform::mb::Information);
        } else {
            EXPECT_TRUE(messages.isEmpty());
        }
        EXPECT_FALSE(QFileInfo::exists(app.files() + "Error.log"));
    }
}

namespace {

// A copy of the program itself, running in its own program folder.
struct RunningProgram {
    testenv::ProgramFolder folder{false};
    QTemporaryDir runtime;
    QProcess process;
    QString lockPath() const { return runtime.path() + "/trambelo.lock"; }

    bool start()
    {
        const QString exe = folder.path() + "trambelo";
        if (!QFile::copy(testenv::builtAppDir() + "/trambelo", exe))
            return false;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(exe, {});
        if (!process.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(lockPath()) && t.elapsed() < 10000)
            QThread::msleep(20);
        return QFileInfo::exists(lockPath()) && process.state() == QProcess::Running;
    }
    ~RunningProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

} // namespace

TEST(SingleInstance, SecondProcessIsRefusedBeforeTouchingAnything)
{
    RunningProgram first;
    ASSERT_TRUE(QFileInfo::exists(testenv::builtAppDir() + "/trambelo")) << "build the program first";
    ASSERT_TRUE(first.start());
    // Also when the first instance's lock is older than any staleness limit.
    const qint64 old = QDateTime::currentSecsSinceEpoch() - 3600;
    struct utimbuf times{old, old};
    ASSERT_EQ(utime(first.lockPath().toLocal8Bit().constData(), &times), 0);

    testenv::ProgramFolder second(false);
    QDir(second.databases()).removeRecursively();   // would need the browser if start-up went on
    {
        frmMainMDI w(second.path(), first.lockPath());
        EXPECT_FALSE(w.MDIForm_Load());
        EXPECT_NE(w.exitCode(), 0);
        EXPECT_EQ(w.startup().lastStep(), "002");
    }
    ASSERT_EQ(second.prompts.shown.size(), 1u);
    EXPECT_EQ(second.prompts.shown[0].text, "Programma già aperto! La nuova istanza sarà chiusa.");
    EXPECT_EQ(second.prompts.shown[0].style, platform::mb::Critical);
    EXPECT_EQ(second.prompts.shown[0].title, "Trambelo");
    const auto filter = QDir::Files | QDir::Hidden;   // nothing written: no path file, no log
    EXPECT_EQ(QDir(second.files()).entryList(filter), QDir(testenv::builtAppDir() + "/Files").entryList(filter));

    // Once the first instance has gone (even without removing its lock), a new one starts.
    first.process.kill();
    first.process.waitForFinished(5000);
    ASSERT_TRUE(QFileInfo::exists(first.lockPath()));
    frame::SingleInstance next(first.lockPath());
    EXPECT_TRUE(next.acquire());
}

TEST(SingleInstance, OneInstanceWhateverTheLockPlaceHoldsAndWhereverTheLockCanBeMade)
{
    enum Place { Runtime, NoRuntime, Nowhere };   // where a lock can be made
    struct Case {
        const char *name;
        Place place;
        QByteArray leftOver;   // contents of a file already at the lock's place
        bool link;             // the lock's place is a link to another file
        bool fallbackTaken;    // another live instance holds the lock in the temporary folder
    };
    const Case cases[] = {
        {"no file yet", Runtime, {}, false, false},
        {"a file left by a program that has ended", Runtime, "12345\ntrambelo\nmacchina\n", false, false},
        {"an empty file left behind", Runtime, "", false, false},
        {"a link planted at the lock's place: not followed, the lock is taken in the temporary folder", Runtime, {},
         true, false},
        {"runtime folder unusable: the temporary folder holds the lock", NoRuntime, {}, false, false},
        {"runtime folder unusable, the other instance in the temporary folder", NoRuntime, {}, false, true},
        {"no folder can hold a lock: the program is not refused", Nowhere, {}, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir runtime, tmp, elsewhere;
        const QString blocker = runtime.path() + "/un-file";   // a file where a folder should be
        ASSERT_TRUE(frametest::writeAll(blocker, {}));
        frametest::EnvVar tmpdir("TMPDIR", c.place == Nowhere ? blocker : tmp.path());
        const QString lockPath = (c.place == Runtime ? runtime.path() : blocker) + "/trambelo.lock";
        const QString target = elsewhere.path() + "/altro";
        if (c.link) {
            ASSERT_TRUE(frametest::writeAll(target, "non toccare"));
            ASSERT_TRUE(QFile::link(target, lockPath));
        } else if (!c.leftOver.isNull()) {
            ASSERT_TRUE(frametest::writeAll(lockPath, c.leftOver));
        }
        std::unique_ptr<QLockFile> other;
        if (c.fallbackTaken) {
            other = std::make_unique<QLockFile>(frame::SingleInstance::fallbackLockPath());
            ASSERT_TRUE(other->tryLock(0));
        }
        {
            frame::SingleInstance first(lockPath);
            EXPECT_EQ(first.acquire(), !c.fallbackTaken);
            EXPECT_EQ(first.held(), c.place != Nowhere && !c.fallbackTaken);
            frame::SingleInstance second(lockPath);
            EXPECT_EQ(second.acquire(), c.place == Nowhere);   // one instance, whatever the lock's place held
            if (c.link) {
                EXPECT_EQ(frametest::readAll(target), "non toccare");
                EXPECT_TRUE(QFileInfo(lockPath).isSymLink());
            } else if (c.place == Runtime) {
                // nothing written, so nothing to flush at start-up
                EXPECT_EQ(frametest::readAll(lockPath), c.leftOver.isNull() ? QByteArray() : c.leftOver);
            }
        }
        other.reset();
        frame::SingleInstance next(lockPath);
        EXPECT_TRUE(next.acquire());   // released with its holder
    }
}
