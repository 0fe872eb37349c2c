#include "FrameTest.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Utility.h"
#include "frame/Utility_RQM.h"
#include "support/ScriptedPrompts.h"
#include "support/FileSizeLimit.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

using namespace platform;

namespace {

class ErrorLogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    void SetUp() override
    {
        ResetGlobals();
        gFilesPath = dir.path() + "/Files/";
        gDbPath = dir.path() + "/Databases/";
        QDir().mkpath(gFilesPath);
        QDir().mkpath(gDbPath);
        setPrompts(&prompts);
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        ResetGlobals();
    }
    QStringList logLines() const { return frametest::logLines(gFilesPath); }
};

} // namespace

TEST_F(ErrorLogTest, OneLinePerErrorInTheLogFormatTheLibrarysOwnTextInTheLogOnly)
{
    ASSERT_TRUE(frametest::writeAll(gFilesPath + "MAPINFO.rqm", {}));
    QWidget window;
    window.setObjectName("frmInfo");
    const auto write = [](QString module, QString proc, QString number, QString description) {
        return [=] { Utility_RQM::WriteErrorLog(module, proc, number, description); };
    };
    const auto guard = [&](RuntimeError e, QWidget *w = nullptr) {
        return [=] { EXPECT_FALSE(w ? frame::Guard(w, "cmdAggiorna_Click", [&] { throw e; })
                                    : frame::Guard("Utility", "p", [&] { throw e; })); };
    };
    struct Case { std::function<void()> error; QString lineTail, box; };
    const Case cases[] = {
        {write("frmMainMDI", "Form_Load", "5", ""), " - Module:frmMainMDI Function: Form_Load Error N.5 Description:", ""},
        {write("NetPath", "BrowseForFolder", "-2147467259", "riga uno\r\nriga due\nriga tre"),
         " - Module:NetPath Function: BrowseForFolder Error N.-2147467259 Description:riga uno riga due riga tre",
         "riga uno\r\nriga due\nriga tre"},
        {guard(RuntimeError(76, "Percorso non trovato"), &window),
         " - Module:frmInfo Function: cmdAggiorna_Click Error N.76 Description:Percorso non trovato", "Percorso non trovato"},
        {guard(RuntimeError(-2147217900, "Impossibile trovare la tabella o la query 'glossario'.",
                            "no such table: glossario")),
         "Description:Impossibile trovare la tabella o la query 'glossario'. - Dettaglio: no such table: glossario",
         "Impossibile trovare la tabella o la query 'glossario'."},
        {guard(RuntimeError(13, "Tipo non corrispondente", "Tipo non corrispondente")),
         "Description:Tipo non corrispondente", "Tipo non corrispondente"},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lineTail.toStdString());
        c.error();
        const QStringList lines = logLines();
        ASSERT_EQ(lines.size(), ++n);
        EXPECT_TRUE(lines.last().endsWith(c.lineTail)) << lines.last().toStdString();
        EXPECT_TRUE(QRegularExpression("^\\S+ \\d\\d:\\d\\d:\\d\\d - Module:").match(lines.last()).hasMatch());
        ASSERT_EQ(prompts.shown.size(), size_t(n));
        EXPECT_EQ(prompts.shown.back().text.toStdString(),
                  ("Errore : " + c.box + " Il File Error.log è stato riempito.").toStdString());
        EXPECT_EQ(prompts.shown.back().style, mb::Exclamation);
    }
    EXPECT_FALSE(QFile::exists(gFilesPath + "MAPINFO.rqm"));
    EXPECT_TRUE(frame::Guard("Utility", "x", [] {}));
    EXPECT_EQ(logLines().size(), n);
    EXPECT_TRUE(frametest::readAll(gFilesPath + "Error.log").endsWith("\r\n"));
}

TEST_F(ErrorLogTest, AnUnwritableLogSaysSoAndKeepsItsLines)
{
    Utility_RQM::WriteErrorLog("Utility", "p", "1", "primo");
    const QStringList before = logLines();
    struct Case { const char *what; QString files; rlim_t cap; QString reason; } cases[] = {
        {"disk full", gFilesPath, 24, "Errore di scrittura sul disco"},
        {"folder missing", dir.path() + "/NonEsiste/", RLIM_INFINITY, "la cartella non esiste"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        prompts.shown.clear();
        gFilesPath = c.files;
        {
            testsupport::FileSizeLimit limit(c.cap);
            Utility_RQM::WriteErrorLog("Utility", "p", "1", "guasto");
        }
        ASSERT_EQ(prompts.shown.size(), 1u);
        const QString text = prompts.shown[0].text;
        EXPECT_TRUE(text.startsWith("Errore : guasto Il File Error.log non è stato aggiornato: ") && text.contains(c.reason))
            << text.toStdString();
        gFilesPath = dir.path() + "/Files/";
        EXPECT_EQ(logLines(), before);
    }
}

TEST_F(ErrorLogTest, ConnectionOpener)
{
    platform::db::Database::create(gDbPath, "Metadati.mdb").execute("CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (1)");
    QString folder;
    auto db = Utility::GetDbConnection("metadati.mdb", folder);
    ASSERT_TRUE(db.has_value());
    EXPECT_EQ(folder, gDbPath) << "an empty folder is replaced by the databases folder";
    EXPECT_EQ(db->query("select a from t").text(0), "1");
    // A connection string ignores the folder and the prefix.
    QString ignored = "/nessuna/";
    EXPECT_TRUE(Utility::GetDbConnection("Driver={x};Dbq= " + gDbPath + "Metadati.mdb", ignored, true).has_value());
}

TEST_F(ErrorLogTest, ABatchLogsEveryErrorAndShowsOneBox)
{
    struct Case { int errors; QString box; };
    const Case cases[] = {
        {0, ""},
        {1, "Errore : errore 1 Il File Error.log è stato riempito."},
        {3, "Errore : 3 righe tralasciate Il File Error.log è stato riempito."},
    };
    int logged = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.errors);
        prompts.clear();
        {
            Utility_RQM::ErrorBatch batch([](int n) { return QString("%1 righe tralasciate").arg(n); });
            for (int i = 1; i <= c.errors; ++i) {
                Utility_RQM::ErrorBatch inner({});   // a nested batch tells through the outer one
                Utility_RQM::WriteErrorLog("Utility", "p", "5", QString("errore %1").arg(i));
            }
            EXPECT_TRUE(prompts.shown.empty());
            EXPECT_EQ(batch.count(), c.errors);
        }
        logged += c.errors;
        EXPECT_EQ(logLines().size(), logged);
        EXPECT_EQ(prompts.messages(), c.box.isEmpty() ? QStringList() : QStringList{c.box});
    }
    // Discarded: the caller tells the user itself.
    prompts.clear();
    {
        Utility_RQM::ErrorBatch batch({});
        Utility_RQM::WriteErrorLog("Utility", "p", "5", "primo");
        Utility_RQM::WriteErrorLog("Utility", "p", "5", "ultimo");
        EXPECT_EQ(batch.last(), "ultimo");
        batch.discard();
    }
    EXPECT_TRUE(prompts.shown.empty());
    Utility_RQM::WriteErrorLog("Utility", "p", "5", "dopo");   // boxes again once the batch ended
    EXPECT_EQ(prompts.shown.size(), 1u);
}
