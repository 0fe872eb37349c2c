// The about window: update information, and the database update from a zip archive.
#include "FrameTest.h"
#include "frame/Globals.h"
#include "frame/RegisterStart.h"
#include "frame/Startup.h"
#include "frame/frmInfo.h"
#include "platform/test_zip_support.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QPointer>
#include <QTextBrowser>
#include <functional>

using platform::db::Links;
using ziptest::Entry;

namespace {

// A database made by `sql`, as archive content: on a copy of the program
// folder's database of that name when there is one, else on a new file.
QByteArray database(testenv::ProgramFolder &app, const QString &file, const QString &sql)
{
    const QString work = app.path() + "work/";
    QDir().mkpath(work);
    QFile::remove(work + file);
    if (!QFile::copy(app.databases() + file, work + file))
        platform::db::Database::create(work, file);
    frametest::exec(work, file, sql);
    return frametest::readAll(work + file);
}

// A copy of a database of the program folder whose pages are damaged past its
// first one: it opens, and fails the integrity check.
QByteArray damagedCopy(testenv::ProgramFolder &app, const QString &file)
{
    QByteArray bytes = frametest::readAll(app.databases() + file);
    const int page = (quint8(bytes[16]) << 8) | quint8(bytes[17]);
    for (int p = 2; p * page < bytes.size() && p < 12; ++p)
        for (int i = 0; i < 16; ++i)
            bytes[(p - 1) * page + i] = char(0xee);
    return bytes;
}

QString writeZip(testenv::ProgramFolder &app, const std::vector<Entry> &entries)
{
    const QString path = app.path() + "aggiornamento.zip";
    EXPECT_TRUE(ziptest::write(path, entries));
    return path;
}

QString label(frmInfo &w, const char *name) { return testenv::ctl<QLabel>(&w, name)->text(); }

} // namespace

TEST(frmInfo, WithoutAnUpdateRowTheLabelsKeepTheirCaptions)
{
    testenv::ProgramFolder app;   // the sample row is shown by the update tests below
    frametest::exec(app.databases(), "Metadati.mdb", "delete from InfoAggiornamento");
    frmInfo w;
    w.Form_Load();
    EXPECT_EQ(label(w, "lblVersioneBd"), "Ultimo aggiornamento banca dati:");
    EXPECT_TRUE(label(w, "lblNote").startsWith("Note: "));
    EXPECT_EQ(label(w, "lblVersione"), "Versione: 1.00");
    EXPECT_TRUE(label(w, "lblFonte").contains("Fonte: ISTAT, confini amministrativi (CC BY)"));
    EXPECT_EQ(w.windowTitle(), "Informazioni su Trambelo");
}

TEST(frmInfo, UpdateReplacesTheDatabasesAndRelinks)
{
    testenv::ProgramFolder app;
    ASSERT_EQ(Links::all().size(), 10u);
    // The new metadata: a new update row, and one attached table fewer.
    const QByteArray meta = database(
        app, "Metadati.mdb", "update InfoAggiornamento set DataAggiornamento = '31/12/2010', Note = 'Dati 2009 aggiunti';"
             "delete from tablelink where NomeTabella = 'land_Ind' and DbDestinazione = 'Indicatori.mdb'");
    const QByteArray added = database(app, "Nuovo.mdb", "create table Nuova (a integer)");
    const QString zip = writeZip(app, {{"metadati.mdb", meta}, {"Nuovo.mdb", added}, {"Leggimi/", {}, Entry::Dir},
                                       {"Leggimi/note.txt", "note"}});
    QPointer<QWidget> other = new QWidget;
    other->setObjectName("frmMetadati");
    frame::ShowChild(other);

    app.prompts.files = {zip};
    app.prompts.answers = {platform::mb::Yes};
    frmInfo w;
    w.Form_Load();
    w.cmdAggiornaBd_Click();
    frametest::processDeletes();

    EXPECT_EQ(app.prompts.messages().mid(1), QStringList{"Aggiornamento Banca Dati effettuato."});   // after the question
    EXPECT_EQ(app.prompts.shown.back().style, 0);
    EXPECT_EQ(label(w, "lblVersioneBd").toStdString(), "Ultimo aggiornamento banca dati: 31/12/2010");
    EXPECT_EQ(label(w, "lblNote").toStdString(), "Note: Dati 2009 aggiunti");
    EXPECT_EQ(frametest::readAll(app.databases() + "Metadati.mdb"), meta);   // replaced under its own name
    EXPECT_FALSE(QFileInfo::exists(app.databases() + "metadati.mdb"));
    EXPECT_EQ(frametest::readAll(app.databases() + "Nuovo.mdb"), added);
    EXPECT_EQ(frametest::readAll(app.databases() + "Leggimi/note.txt"), "note");
    EXPECT_EQ(Links::all().size(), 9u);                                        // relinked from the new tablelink
    EXPECT_TRUE(other.isNull());                                          // other windows closed first
    EXPECT_FALSE(QFileInfo::exists(app.files() + "DBPath.rqm") || QFileInfo::exists(app.files() + "Error.log"));
    for (const auto &[name, content] : ziptest::snapshot(app.databases()))
        EXPECT_EQ(name.find(".aggiornamento-"), std::string::npos) << name;   // staging removed
}

TEST(frmInfo, CancelledOrRefusedUpdateLeavesEverythingAsItWasAndSaysWhyInOneBox)
{
    // The archive's path ("" = dialog cancelled); the reason in the box, after the failure message; the answer.
    struct Case { const char *what; std::function<QString(testenv::ProgramFolder &)> archive; const char *reason;
                  int answer = platform::mb::Yes; };
    auto zipOf = [](std::vector<Entry> entries) {
        return [entries](testenv::ProgramFolder &app) { return writeZip(app, entries); };
    };
    auto withMetadati = [](const char *sql) {
        return [sql](testenv::ProgramFolder &app) { return writeZip(app, {{"Metadati.mdb", database(app, "Metadati.mdb", sql)}}); };
    };
    const Case cases[] = {
        {"file dialog cancelled", [](testenv::ProgramFolder &) { return QString(); }, nullptr},
        {"answer No", zipOf({{"Metadati.mdb", "not a database"}}), nullptr, platform::mb::No},
        {"entry climbing out of the folder", zipOf({{"Variabili.mdb", "x"}, {"../fuori.mdb", "x"}}),
         "Nome non consentito nell'archivio: ../fuori.mdb"},
        {"not a zip archive",
         [](testenv::ProgramFolder &a) { return frametest::writeAll(a.path() + "x.zip", "PK garbage") ? a.path() + "x.zip" : ""; },
         "Il file non è un archivio zip."},
        {"archive of folders only", zipOf({{"Nuovi/", {}, Entry::Dir}, {"Nuovi/2009/", {}, Entry::Dir}}),
         "L'archivio non contiene file"},
        {"empty archive", zipOf({}), "L'archivio non contiene file"},
        {"Indicatori.mdb fails the integrity check",
         [](testenv::ProgramFolder &app) { return writeZip(app, {{"Indicatori.mdb", damagedCopy(app, "Indicatori.mdb")}}); },
         "Il file Indicatori.mdb dell'archivio è danneggiato."},
        {"a garbage database that no link names", zipOf({{"Extra.mdb", "garbage"}}),
         "Il file Extra.mdb dell'archivio non è un database riconosciuto."},
        {"Metadati.mdb without the menu table", withMetadati("drop table DBMainMenu"),
         "Il file Metadati.mdb dell'archivio non contiene la tabella DBMainMenu."},
        {"a menu table without a field", withMetadati("alter table DBMainMenu drop column FormToOpen"),
         "Nel file Metadati.mdb dell'archivio la tabella DBMainMenu non ha il campo FormToOpen."},
        {"a menu without the way to the next update", withMetadati("delete from DBMainMenu where FormToOpen = 'FRMINFO'"),
         "non contiene il comando che apre le informazioni e l'aggiornamento"},
        {"Territorio.mdb without its territories",
         [](testenv::ProgramFolder &app) { return writeZip(app, {{"Territorio.mdb", database(app, "Nuovo.mdb", "create table x (a)")}}); },
         "Il file Territorio.mdb dell'archivio non contiene la tabella land_Ind."},
        {"tablelink names a missing database",
         withMetadati("insert into tablelink values ('Extra', 'Mancante.mdb', 'Variabili.mdb')"),
         "La tabella collegata Extra non sarebbe più disponibile: Impossibile trovare il file '<db>Mancante.mdb'."},
        {"tablelink names a missing holder", withMetadati("insert into tablelink values ('Settore', 'Metadati.mdb', 'Manca.mdb')"),
         "Manca il file Manca.mdb, che contiene tabelle collegate."},
        {"a database listed but not brought", withMetadati("insert into DbConfigs (DbFile, dbdesc, dbnames) values ('Nuovo.mdb', 'n', 'n')"),
         "Manca il file Nuovo.mdb, elencato fra le banche dati."},
        {"a folder link leading out of the folder",
         [](testenv::ProgramFolder &app) {
             QDir().mkpath(app.path() + "altrove");
             QFile::link(app.path() + "altrove", app.databases() + "sub");
             return writeZip(app, {{"sub/leggimi.txt", "x"}});
         },
         "La cartella sub dell'archivio porta fuori dalla cartella dei Database."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder app;
        const QString zip = c.archive(app);
        const auto before = ziptest::snapshot(app.path());
        app.prompts.files = {zip};
        app.prompts.answers = {c.answer};
        frmInfo w;
        w.Form_Load();
        w.cmdAggiornaBd_Click();

        // The question, then one box: the failure and its reason.
        const QStringList messages = app.prompts.messages();
        ASSERT_FALSE(app.prompts.shown.empty());
        EXPECT_EQ(app.prompts.shown[0].kind, "openFile");
        const auto log = frametest::expectLog(app.files(), c.reason ? 1 : 0, "Module:frmInfo Function: cmdAggiornaBd_Click");
        if (!c.reason) {
            ASSERT_EQ(messages.size(), zip.isEmpty() ? 0 : 1);
        } else {
            ASSERT_EQ(messages.size(), 2) << messages.join(" | ").toStdString();
            const QString reason = QString::fromUtf8(c.reason).replace("<db>", app.databases());
            EXPECT_TRUE(messages[1].startsWith("Aggiornamento Banca Dati FALLITO!\r\n\r\n")) << messages[1].toStdString();
            EXPECT_TRUE(messages[1].contains(reason)) << messages[1].toStdString();
            EXPECT_EQ(app.prompts.shown.back().style, platform::mb::OkOnly);
            EXPECT_TRUE(log.value(0).contains(reason)) << log.value(0).toStdString();
        }
        if (!zip.isEmpty()) {
            EXPECT_EQ(app.prompts.shown[1].text, "Si desidera aggiornare la banca dati con il file: " + zip + " ?");
            EXPECT_EQ(app.prompts.shown[1].style, 36);
        }
        auto after = ziptest::snapshot(app.path());
        after.erase("Files/Error.log");
        EXPECT_EQ(after, before);   // nothing written, in the databases' folder or anywhere else
        EXPECT_EQ(label(w, "lblVersioneBd").toStdString(), "Ultimo aggiornamento banca dati: 30/06/2009");
        EXPECT_EQ(Links::all().size(), 10u);
        EXPECT_EQ(Links::folder(), app.databases());
    }
}

TEST(frmInfo, UpdateToleratesWhatWasMissingAlreadyBeforeIt)
{
    // A link and a listed database missing before the update are not held against it.
    testenv::ProgramFolder app;
    frametest::exec(app.databases(), "Metadati.mdb",
                    "insert into tablelink values ('Extra', 'Mancante.mdb', 'Variabili.mdb');"
                    "insert into DbConfigs (DbFile, dbdesc, dbnames) values ('Vecchio.mdb', 'v', 'v')");
    const QByteArray meta = database(app, "Metadati.mdb", "update InfoAggiornamento set Note = 'nuova'");
    app.prompts.files = {writeZip(app, {{"Metadati.mdb", meta}})};
    app.prompts.answers = {platform::mb::Yes};
    frmInfo w;
    w.cmdAggiornaBd_Click();
    const QStringList messages = app.prompts.messages();
    ASSERT_EQ(messages.size(), 3) << messages.join(" | ").toStdString();
    EXPECT_TRUE(messages[1].startsWith("Errore : Impossibile trovare il file")) << messages[1].toStdString();   // the link, once
    EXPECT_EQ(messages[2].toStdString(), "Aggiornamento Banca Dati effettuato.");
    EXPECT_EQ(frametest::readAll(app.databases() + "Metadati.mdb"), meta);
}

TEST(frmInfo, MenuOpensItModallyAndHelpShowsItsTopic)
{
    testenv::ProgramFolder app;
    RegisterStartForms();
    frametest::MainWindow main;
    bool modal = false;
    testenv::onModal([&](QWidget *dlg) {
        auto *w = testenv::must(qobject_cast<frmInfo *>(dlg), "the about window");
        modal = true;
        EXPECT_EQ(w->parentWidget(), &main.window);
        EXPECT_EQ(label(*w, "lblVersioneBd"), "Ultimo aggiornamento banca dati: 30/06/2009");
        w->cmdHelp_Click();
        w->cmdOK_Click();
    });
    ASSERT_TRUE(frame::OpenRegisteredForm("frminfo"));
    EXPECT_TRUE(modal);
    auto *help = qobject_cast<QTextBrowser *>(Utility::HelpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->source().toString().endsWith("informazioni.html"));
    help->close();
    frame::ClearRegisteredForms();
    frame::SetStartPageOpener({});
}
