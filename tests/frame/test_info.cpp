// The about window: update information, and the database update from a zip archive.
#include "FrameTest.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Layout.h"
#include "frame/RegisterStart.h"
#include "frame/Startup.h"
#include "frame/frmInfo.h"
#include "platform/db/Links.h"
#include "platform/zip/Unzip.h"
#include "platform/test_zip_support.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

using platform::db::Links;
using ziptest::Entry;

namespace {

// Metadati.mdb of the program folder changed by `sql` (on a copy), as archive content.
QByteArray changedMetadati(testenv::ProgramFolder &app, const QString &sql)
{
    const QString work = app.path() + "work/";
    QDir().mkpath(work);
    QFile::remove(work + "Metadati.mdb");
    QFile::copy(app.databases() + "Metadati.mdb", work + "Metadati.mdb");
    frametest::exec(work, "Metadati.mdb", sql);
    return frametest::readAll(work + "Metadati.mdb");
}

QString writeZip(testenv::ProgramFolder &app, const std::vector<Entry> &entries)
{
    const QString path = app.path() + "aggiornamento.zip";
    EXPECT_TRUE(ziptest::write(path, entries));
    return path;
}

QString label(frmInfo &w, const char *name)
{
    return w.findChild<QLabel *>(name)->text();
}

} // namespace

TEST(frmInfo, ShowsTheLastUpdate)
{
    struct Case { const char *what; QString sql; QString date, note; };
    const Case cases[] = {
        {"sample row", "", "Ultimo aggiornamento banca dati: 30/06/2009", "Note: Banca dati dimostrativa"},
        {"no row", "delete from InfoAggiornamento", "Ultimo aggiornamento banca dati:", "Note: "},
        {"empty columns", "update InfoAggiornamento set DataAggiornamento = null, Note = null",
         "Ultimo aggiornamento banca dati: ", "Note: "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder app;
        if (!c.sql.isEmpty())
            frametest::exec(app.databases(), "Metadati.mdb", c.sql);
        frmInfo w;
        w.Form_Load();
        EXPECT_EQ(label(w, "lblVersioneBd"), c.date);
        EXPECT_TRUE(label(w, "lblNote").startsWith(c.note));
        EXPECT_EQ(label(w, "lblVersione"), "Versione: 1.00");
        EXPECT_TRUE(label(w, "lblFonte").contains("Fonte: ISTAT, confini amministrativi (CC BY)"));
        EXPECT_EQ(w.windowTitle(), "Informazioni su Trambelo");
    }
}

TEST(frmInfo, CancelOrNoChangesNothing)
{
    struct Case { const char *what; QString file; std::deque<int> answers; int shown; };
    testenv::ProgramFolder app;
    const QString zip = writeZip(app, {{"Metadati.mdb", "not a database"}});
    const Case cases[] = {
        {"file dialog cancelled", "", {}, 1},
        {"answer No", zip, {platform::mb::No}, 2},
    };
    const auto before = ziptest::snapshot(app.databases());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        app.prompts.clear();
        app.prompts.files = {c.file};
        app.prompts.answers = c.answers;
        frmInfo w;
        w.cmdAggiornaBd_Click();
        ASSERT_EQ(int(app.prompts.shown.size()), c.shown);
        EXPECT_EQ(app.prompts.shown[0].kind, "openFile");
        if (c.shown > 1) {
            EXPECT_EQ(app.prompts.shown[1].text, "Si desidera aggiornare la banca dati con il file: " + zip + " ?");
            EXPECT_EQ(app.prompts.shown[1].style, 36);
        }
        EXPECT_EQ(ziptest::snapshot(app.databases()), before);
    }
}

TEST(frmInfo, UpdateReplacesTheDatabasesAndRelinks)
{
    testenv::ProgramFolder app;
    ASSERT_EQ(Links::all().size(), 10u);
    // The new metadata: a new update row, and one attached table fewer.
    const QByteArray meta = changedMetadati(
        app, "update InfoAggiornamento set DataAggiornamento = '31/12/2010', Note = 'Dati 2009 aggiunti';"
             "delete from tablelink where NomeTabella = 'land_Ind' and DbDestinazione = 'Indicatori.mdb'");
    const QString zip = writeZip(app, {{"metadati.mdb", meta}, {"Nuovo.mdb", "added"}});
    auto *other = new QWidget;
    other->setObjectName("frmMetadati");
    frame::ShowChild(other);
    QPointer<QWidget> otherAlive(other);

    app.prompts.files = {zip};
    app.prompts.answers = {platform::mb::Yes};
    frmInfo w;
    w.Form_Load();
    w.cmdAggiornaBd_Click();
    frametest::processDeletes();

    ASSERT_FALSE(app.prompts.messages().isEmpty());
    EXPECT_EQ(app.prompts.messages().last(), "Aggiornamento Banca Dati effettuato.");
    EXPECT_EQ(app.prompts.shown.back().style, 0);
    EXPECT_EQ(label(w, "lblVersioneBd"), "Ultimo aggiornamento banca dati: 31/12/2010");
    EXPECT_EQ(label(w, "lblNote"), "Note: Dati 2009 aggiunti");
    EXPECT_EQ(frametest::readAll(app.databases() + "Metadati.mdb"), meta);   // replaced under its own name
    EXPECT_FALSE(QFileInfo::exists(app.databases() + "metadati.mdb"));
    EXPECT_EQ(frametest::readAll(app.databases() + "Nuovo.mdb"), "added");
    EXPECT_EQ(Links::all().size(), 9u);                                        // relinked from the new tablelink
    EXPECT_TRUE(otherAlive.isNull());                                          // other windows closed first
    EXPECT_FALSE(QFileInfo::exists(app.files() + "DBPath.rqm"));
    EXPECT_FALSE(QFileInfo::exists(app.files() + "Error.log"));
    for (const auto &[name, content] : ziptest::snapshot(app.databases()))
        EXPECT_EQ(name.find(".aggiornamento-"), std::string::npos) << name;   // staging removed
}

TEST(frmInfo, FailedUpdateLeavesTheDatabasesAsTheyWere)
{
    struct Case { const char *what; int kind; };
    enum { UnsafeName, MissingSource, NotADatabase, Damaged };
    const Case cases[] = {
        {"entry climbing out of the folder", UnsafeName},
        {"tablelink names a missing database", MissingSource},
        {"Metadati.mdb is not a database", NotADatabase},
        {"not a zip archive", Damaged},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder app;
        QString zip;
        switch (c.kind) {
        case UnsafeName:
            zip = writeZip(app, {{"Variabili.mdb", "x"}, {"../fuori.mdb", "x"}});
            break;
        case MissingSource:
            zip = writeZip(app, {{"Metadati.mdb", changedMetadati(app, "update InfoAggiornamento set Note = 'nuova';"
                                                                        "insert into tablelink values "
                                                                        "('Extra', 'Mancante.mdb', 'Variabili.mdb')")},
                                 {"Territorio.mdb", "nuovo"}});
            break;
        case NotADatabase:
            zip = writeZip(app, {{"Metadati.mdb", "not a database"}});
            break;
        case Damaged:
            zip = app.path() + "aggiornamento.zip";
            QFile f(zip);
            f.open(QIODevice::WriteOnly);
            f.write("PK garbage");
            break;
        }
        QFile::remove(app.path() + "fuori.mdb");
        const auto before = ziptest::snapshot(app.databases());
        app.prompts.files = {zip};
        app.prompts.answers = {platform::mb::Yes};
        frmInfo w;
        w.Form_Load();
        w.cmdAggiornaBd_Click();

        const QStringList messages = app.prompts.messages();
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_EQ(messages.last(), "Aggiornamento Banca Dati FALLITO!");
        EXPECT_FALSE(messages.join("\n").contains("chiusa"));
        EXPECT_FALSE(messages.join("\n").contains("effettuato"));
        EXPECT_TRUE(frametest::logLines(app.files()).join("\n").contains("Function: cmdAggiornaBd_Click"));
        EXPECT_EQ(ziptest::snapshot(app.databases()), before);
        EXPECT_FALSE(QFileInfo::exists(app.path() + "fuori.mdb"));
        EXPECT_EQ(label(w, "lblVersioneBd"), "Ultimo aggiornamento banca dati: 30/06/2009");
        EXPECT_EQ(Links::all().size(), 10u);
        EXPECT_EQ(Links::folder(), app.databases());
    }
}

TEST(frmInfo, MenuOpensItModallyAndHelpShowsItsTopic)
{
    testenv::ProgramFolder app;
    RegisterStartForms();
    QMainWindow main;
    main.setObjectName("frmMainMDI");
    auto *area = new frame::BackgroundMdiArea(&main);
    main.setCentralWidget(area);
    frame::SetMdiArea(area);
    QString seen;
    bool modal = false;
    QWidget *owner = nullptr;
    QTimer::singleShot(0, [&] {
        if (auto *w = qobject_cast<frmInfo *>(QApplication::activeModalWidget())) {
            modal = true;
            owner = w->parentWidget();
            seen = label(*w, "lblVersioneBd");
            w->cmdHelp_Click();
            w->cmdOK_Click();
        }
    });
    ASSERT_TRUE(frame::OpenRegisteredForm("frminfo"));
    EXPECT_TRUE(modal);
    EXPECT_EQ(owner, &main);
    EXPECT_EQ(seen, "Ultimo aggiornamento banca dati: 30/06/2009");
    auto *help = qobject_cast<QTextBrowser *>(Utility::HelpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->source().toString().endsWith("informazioni.html"));
    help->close();
    frame::ClearRegisteredForms();
    frame::SetStartPageOpener({});
    frame::SetMdiArea(nullptr);
}
