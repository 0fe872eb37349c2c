// The whole start-up of the main window against a temporary program folder,
// and one instance per user across processes.
#include "FrameTest.h"
#include "frame/Config.h"
#include "frame/Globals.h"
#include "frame/MainWindow.h"
#include "frame/Menu.h"
#include "frame/RegisterStart.h"
#include "frame/SingleInstance.h"
#include "frame/frmStart.h"
#include "platform/test_zip_support.h"
#include "support/TestEnv.h"

#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

namespace {

struct StartRun { bool ok = false, startPageShown = false, mainShown = false; QString lastStep; QStringList menu; };

// The start-up with the program's own windows, its lock in a folder of its own.
// The start page counts as shown when it is the one open window, in its frame
// filling the main window, with its text and picture.
StartRun start(testenv::ProgramFolder &app)
{
    QTemporaryDir lockDir;
    StartRun r;
    RegisterStartForms();
    {
        frmMainMDI w(app.path(), lockDir.path() + "/trambelo.lock");
        r.ok = w.MDIForm_Load();
        r.lastStep = w.startup().lastStep();
        r.mainShown = w.isVisible();
        for (QAction *a : w.menuBar()->actions())
            r.menu << a->text();
        const QList<QWidget *> open = frame::OpenForms();
        auto *page = open.size() == 1 ? qobject_cast<frmStart *>(open[0]) : nullptr;
        auto *sub = page ? qobject_cast<QMdiSubWindow *>(page->parentWidget()) : nullptr;
        r.startPageShown = sub && sub->isVisible() && sub->size() == frmStart::PageSize(w.size()) &&
                           !page->lblInfo->text().isEmpty() && !Utility::BackgroundOf(page).isNull();
    }
    frame::ClearRegisteredForms();
    frame::SetStartPageOpener({});
    return r;
}

} // namespace

TEST(Startup, Outcomes)
{
    // The folder browser's answers; the start of each message; the function of the one line logged, if any.
    struct Case { const char *name; std::function<void(testenv::ProgramFolder &)> setup; QStringList folders; bool ok;
                  QString lastStep; bool startPage; QStringList messageStarts; QString logged; };
    const Case cases[] = {
        {"the sample program folder", {}, {}, true, "008", true, {}, {}},
        {"no databases: the program ends",
         [](testenv::ProgramFolder &a) { QDir().rename(a.databases(), a.path() + "Altrove"); }, {""}, false, "003", false,
         {"Impossibile trovare i Databases"}, {}},
        {"no shape files: start-up goes on without maps",
         [](testenv::ProgramFolder &a) { QDir(a.path() + "Shape").removeRecursively(); }, {""}, true, "008", true,
         {"Nessun File delle cartine trovato."}, {}},
        {"a Metadati.mdb that is not a database: the program ends, saying which file",
         [](testenv::ProgramFolder &a) { frametest::writeAll(a.databases() + "Metadati.mdb", QByteArray(4096, 'x')); },
         {}, false, "004", false, {"Sono mancanti alcuni Database!", "Errore : Il file '<db>Metadati.mdb' non"},
         "RefreshLinkOnDB_2"},
        {"unreadable menu table is logged and the start page is still shown",
         [](testenv::ProgramFolder &a) { frametest::exec(a.databases(), "Metadati.mdb", "drop table DBMainMenu"); },
         {}, true, "008", true, {"Errore : "}, "Form_Load"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app(false);
        if (c.setup)
            c.setup(app);
        app.prompts.folders.assign(c.folders.begin(), c.folders.end());
        const StartRun r = start(app);
        // the window of a program that goes on is always shown
        EXPECT_EQ(std::tuple(r.ok, r.lastStep, r.startPageShown, r.mainShown),
                  std::tuple(c.ok, c.lastStep, c.startPage, c.ok));
        const QStringList messages = app.prompts.messages();
        ASSERT_EQ(messages.size(), c.messageStarts.size()) << messages.join(" | ").toStdString();
        for (int i = 0; i < messages.size(); ++i)
            EXPECT_TRUE(messages[i].startsWith(QString(c.messageStarts[i]).replace("<db>", gDbPath))) << messages[i].toStdString();
        frametest::expectLog(app.files(), c.logged.isEmpty() ? 0 : 1, "Module:frmMainMDI Function: " + c.logged + " ");
        if (c.setup)
            continue;
        EXPECT_EQ(r.menu, QStringList({"File", "Banche dati", "Metadati", "?"}));
        EXPECT_EQ(QStringList({gAppPath, gFilesPath, gExcelPath, gDbPath, gShapePath, gHelpFile}),
                  QStringList({app.path(), app.files(), app.path() + "Excel/", app.databases(), app.path() + "Shape/",
                               app.files() + "Help/index.html"}));
        EXPECT_TRUE(gConnAdo.endsWith(";Dbq= "));
        EXPECT_EQ(platform::db::Links::all().size(), 10u);
        ASSERT_TRUE(gAreaConfig && gMetaConfig);
        EXPECT_EQ(QStringList({gAreaConfig->connection(), gAreaConfig->filesPath(), gMetaConfig->dbFolder(),
                               gMetaConfig->metadataFile()}),
                  QStringList({gConnAdo + gDbPath, gFilesPath, gDbPath, "Metadati.mdb"}));
        EXPECT_TRUE(gAreaConfig->loaded());
        EXPECT_EQ(gArrFormToOpen[1], "FRMINFO");
        EXPECT_TRUE(app.prompts.shown.empty());
        EXPECT_FALSE(QFileInfo::exists(app.files() + "DBPath.rqm") || QFileInfo::exists(app.files() + "SHPath.rqm"));
    }
}

TEST(Startup, AnUpdateStoppedAmongItsRenamesIsUndoneBeforeAnyDatabaseIsOpened)
{
    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "stopped after the new Metadati.mdb, before the others"
                            : "stopped while extracting: a staging folder without journal");
        testenv::ProgramFolder app(false);
        // The new set: a menu without one of its entries, the other databases copied as they are.
        const QString work = app.path() + "work/";
        QDir().mkpath(work);
        QFile::copy(app.databases() + "Metadati.mdb", work + "Metadati.mdb");
        frametest::exec(work, "Metadati.mdb",
                        "update InfoAggiornamento set DataAggiornamento = '31/12/2010';"
                        "delete from DBMainMenu where IdMenuParent < 0 and DescName = 'Metadati'");
        const QString archive = app.path() + "aggiornamento.zip";
        const auto before = ziptest::snapshot(app.databases());
        if (killed) {
            ASSERT_TRUE(ziptest::write(archive, {{"Metadati.mdb", frametest::readAll(work + "Metadati.mdb")},
                                                 {"Territorio.mdb", frametest::readAll(app.databases() + "Territorio.mdb")},
                                                 {"Variabili.mdb", frametest::readAll(app.databases() + "Variabili.mdb")}}));
            QProcess child;
            child.start(TRAMBELO_UPDATE_KILL, {archive, app.databases(), "1"});
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
        const QStringList told{"L'ultimo aggiornamento della banca dati non si è concluso: sono stati ripristinati i "
                               "Database precedenti."};
        EXPECT_EQ(app.prompts.messages(), killed ? told : QStringList());
        if (killed) {
            EXPECT_EQ(app.prompts.shown[0].style, platform::mb::Information);
        }
        EXPECT_FALSE(QFileInfo::exists(app.files() + "Error.log"));
    }
}

TEST(SingleInstance, ASecondInstanceIsRefusedBeforeTouchingAnything)
{
    QTemporaryDir runtime;
    const QString lockPath = runtime.path() + "/trambelo.lock";
    frame::SingleInstance first(lockPath);
    ASSERT_TRUE(first.acquire());
    testenv::ProgramFolder second(false);
    QDir(second.databases()).removeRecursively();   // would need the browser if start-up went on
    {
        frmMainMDI w(second.path(), lockPath);
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
}

TEST(SingleInstance, OneInstanceWhateverTheLockPlaceHoldsAndWhereverTheLockCanBeMade)
{
    enum Place { Runtime, NoRuntime, Nowhere };   // where a lock can be made
    // A file already at the lock's place, with its contents; the lock's place a link to another file; another live
    // instance holding the lock in the temporary folder.
    struct Case { const char *name; Place place; QByteArray leftOver; bool link, fallbackTaken; };
    const Case cases[] = {
        {"a file left by a program that has ended", Runtime, "12345\ntrambelo\nmacchina\n", false, false},
        {"a link planted at the lock's place: not followed, the lock is taken in the temporary folder", Runtime, {},
         true, false},
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
            // Nothing written at the lock's place (so nothing to flush at start-up); a link is not followed.
            EXPECT_TRUE(!c.link || (QFileInfo(lockPath).isSymLink() && frametest::readAll(target) == "non toccare"));
            EXPECT_TRUE(c.place != Runtime || c.link || frametest::readAll(lockPath) == c.leftOver);
        }
        other.reset();
        frame::SingleInstance next(lockPath);
        EXPECT_TRUE(next.acquire());   // released with its holder
    }
}

TEST(Startup, TheThreadsStartedBeforeTheApplicationLoadNoToolkitLibrary)
{
    // In a process of its own: here the toolkit's plugins are loaded already.
    // The threads read the sample folder's picture, databases and fonts.
    QProcess child;
    // Without an application object nobody releases the font configuration the
    // fonts thread loaded (the toolkit does when its application ends): in the
    // checked build, leaks are not this program's question.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               (asan.isEmpty() ? QString() : asan + u':') + QStringLiteral("detect_leaks=0"));
    child.setProcessEnvironment(env);
    child.start(TRAMBELO_START_AHEAD, {testenv::builtAppDir()}, QIODevice::ReadOnly);
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString()
                                   << child.readAllStandardError().toStdString();
}

TEST(Startup, TheWindowsModuleIsOpenedWhenFirstNeeded)
{
    // In a process made as the program is: the module's windows registered,
    // and the print support loaded with them, not before.
    QTemporaryDir empty, damaged;
    ASSERT_TRUE(empty.isValid() && damaged.isValid());
    {
        QFile notALibrary(damaged.filePath("trambelo_windows.so"));
        ASSERT_TRUE(notALibrary.open(QIODevice::WriteOnly));
        notALibrary.write("non una libreria\n");
    }
    const QString unavailable = QStringLiteral(
        "error 48: Impossibile caricare la libreria %1/trambelo_windows.so: la libreria non è installata o non "
        "può essere aperta.");
    struct Case { const char *name; QString folder; QStringList lines; };
    const Case cases[] = {
        {"the program folder", testenv::builtAppDir(),
         {"before: -", "form FORMDATITAB", "form FRM_DISPDATA", "form FRMFUNZIONE", "form MNU_CREATEMAP",
          "form FRMMETADATI", "form FRMLISTAMETADATI", "form GLOSSARIO", "form FRMSCHEDAVARIABILI",
          "form FRMSCHEDAINDICATORI", "after: libQt6PrintSupport.so trambelo_windows.so"}},
        {"a folder without the module", empty.path(), {"before: -", unavailable.arg(empty.path())}},
        {"a module that is no library", damaged.path(), {"before: -", unavailable.arg(damaged.path())}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QProcess child;
        child.start(TRAMBELO_WINDOWS_MODULE, {c.folder}, QIODevice::ReadOnly);
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString err = QString::fromUtf8(child.readAllStandardError());
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << err.toStdString();
        EXPECT_EQ(child.exitCode(), 0) << err.toStdString();
        EXPECT_EQ(QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts), c.lines)
            << err.toStdString();
    }
}
