// Where the databases and the shape files are found, and the path files that
// remember a folder chosen in the folder browser.
#include "FrameTest.h"
#include "frame/Folders.h"
#include "frame/Globals.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnv.h"

#include <QFileInfo>
#include <functional>

using platform::mb::Critical;
using platform::mb::Information;

TEST(PathFiles, TextBecomesOneFolderWithOneSeparator)
{
    gAppPath = "/prog/";
    struct Case { const char *text, *folder; };
    const Case cases[] = {{"/data/db\r\n\r\n", "/data/db/"}, {"  /data/db//\t\n", "/data/db/"},   // written on Linux
                          {"/data/\ndb\r", "/data/db/"},      {" \r\n \r\n", ""},
                          {"/\n", "/"},                       {"dati/db\n", "/prog/dati/db/"}};   // relative
    for (const Case &c : cases)
        EXPECT_EQ(frame::NormalisePathFileText(c.text), c.folder) << c.text;
    gAppPath.clear();
}

TEST(FindFolders, DatabasesAndShapeFiles)
{
    // The databases or the shape files moved from their place under the program folder to Altrove/.
    // The shape files or else the databases; the path file before (if any; "<alt>" = Altrove/); the answers of
    // the folder browser; the path file afterwards; a folder named Metadati.mdb left in their place.
    struct Case { const char *name; bool shapes; const char *pathFile; QStringList browser; const char *after;
                  bool metadatiFolder = false; };
    const Case cases[] = {
        {"the folder of the path file, written on Linux", false, "<alt>\n", {}, "<alt>\n"},
        {"no path file: browser, the chosen folder is remembered", false, nullptr, {"<alt>"}, "<alt>\r\n"},
        {"a folder named Metadati.mdb is not the database", false, nullptr, {"<alt>"}, "<alt>\r\n", true},
        {"path file naming a file, not a folder: browser", false, "<alt>Metadati.mdb\r\n", {"<alt>"}, "<alt>\r\n"},
        {"browser cancelled: the program ends, nothing written", false, nullptr, {""}, ""},
        {"shape path file", true, "<alt>", {}, "<alt>"},
        {"shape browser", true, nullptr, {"<alt>"}, "<alt>\r\n"},
        {"shape browser cancelled: no maps, start-up goes on", true, nullptr, {""}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app(false);
        gAppPath = app.path();
        gFilesPath = app.files();
        const QString alt = app.path() + "Altrove/", sub = app.path() + (c.shapes ? "Shape" : "Databases");
        const QString file = app.files() + (c.shapes ? "SHPath.rqm" : "DBPath.rqm");
        QDir().rename(sub, alt);
        QDir().mkpath(sub + (c.metadatiFolder ? "/Metadati.mdb" : ""));
        ASSERT_TRUE(!c.pathFile || frametest::writeAll(file, QString(c.pathFile).replace("<alt>", alt).toUtf8()));
        for (const QString &a : c.browser)
            app.prompts.folders.push_back(QString(a).replace("<alt>", alt));
        const bool cancelled = c.browser == QStringList{""};
        if (c.shapes) {
            gShapePath = "stale";
            frame::FindShapeFiles();
        } else {
            EXPECT_EQ(frame::FindDatabases(), !cancelled);
        }
        EXPECT_EQ(c.shapes ? gShapePath : gDbPath, cancelled ? QString() : alt);
        int browsed = 0;
        for (const auto &s : app.prompts.shown) {
            browsed += s.kind == "browseForFolder";
            if (c.shapes)
                continue;
            EXPECT_EQ(s.kind == "msgBox" ? s.title : s.text,
                      s.kind == "msgBox" ? "Attenzione" : "Selezionare la cartella contenente i Databases");
        }
        EXPECT_EQ(browsed, c.browser.size());
        EXPECT_EQ(frametest::readAll(file), QString(c.after).replace("<alt>", alt).toUtf8());
        const QString failure = !cancelled ? QString()
                                : c.shapes ? "Nessun File delle cartine trovato. In questa sessione non sarà possibile "
                                             "vedere le cartine!"
                                           : "Impossibile trovare i Databases\r\nL'Applicazione sarà chiusa.";
        EXPECT_EQ(app.prompts.messages(), failure.isEmpty() ? QStringList() : QStringList{failure});
        if (cancelled) {
            EXPECT_EQ(app.prompts.shown.back().style, c.shapes ? Information : Critical);
        }
        EXPECT_FALSE(QFileInfo::exists(app.files() + "Error.log"));
    }
}

TEST(PathFiles, AFullDiskKeepsTheOldFolderAndSaysSo)
{
    struct Case { const char *file; std::function<void(const QString &)> write; };
    const Case cases[] = {{"DBPath.rqm", frame::WriteDBPath}, {"SHPath.rqm", frame::WriteSHPath}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        testenv::ProgramFolder app;
        const QString path = app.files() + c.file;
        ASSERT_TRUE(frametest::writeAll(path, "/dati/vecchia/\r\n"));
        {
            testsupport::FileSizeLimit limit(8);
            c.write("/una/cartella/scelta/nel/browser/");
        }
        EXPECT_EQ(frametest::readAll(path), "/dati/vecchia/\r\n");
        EXPECT_EQ(QDir(app.files()).entryList({QString(c.file) + "*"}, QDir::Files | QDir::Hidden),
                  QStringList{c.file});
        // The disk is still full for the log too, and the message says so.
        EXPECT_EQ(app.prompts.messages().size(), 1);
        const QString message = app.prompts.messages().value(0);
        EXPECT_TRUE(message.startsWith("Errore : ") && message.contains(c.file) &&
                    message.contains("Error.log non è stato aggiornato")) << message.toStdString();
    }
}
