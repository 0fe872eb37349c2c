// Where the databases and the shape files are found, and the path files that
// remember a folder chosen in the folder browser.
#include "FrameTest.h"
#include "frame/Folders.h"
#include "frame/Globals.h"
#include "frame/NetPath.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using platform::mb::Critical;
using platform::mb::Information;

TEST(PathFiles, TextBecomesOneFolderWithOneSeparator)
{
    gAppPath = "/prog/";
    struct Case { const char *text, *folder; };
    const Case cases[] = {
        {"/data/db\r\n\r\n", "/data/db/"},
        {"/data/db", "/data/db/"},
        {"/data/db/\r\n", "/data/db/"},
        {"/data/db//", "/data/db/"},
        {"  /data/db \t\n", "/data/db/"},   // a file edited on Linux
        {"/data/db\r", "/data/db/"},
        {"/data/\ndb\n", "/data/db/"},
        {" \r\n \r\n", ""},
        {"", ""},
        {"dati/db\n", "/prog/dati/db/"},   // relative to the program folder
    };
    for (const Case &c : cases) {
        EXPECT_EQ(frame::NormalisePathFileText(c.text), c.folder) << c.text;
    }
    gAppPath.clear();
}

TEST(NetPath, ChosenFolderHasExactlyOneSeparator)
{
    struct Case { const char *answer, *result; };
    const Case cases[] = {{"", ""}, {"/dati/db", "/dati/db/"}, {"/dati/db//", "/dati/db/"}, {"/", "/"}};
    for (const Case &c : cases) {
        platform::ScriptedPrompts p;
        platform::setPrompts(&p);
        p.folders.push_back(c.answer);
        EXPECT_EQ(NetPath::BrowseForFolder(nullptr, "Scegli", "/nessuna/cartella"), c.result) << c.answer;
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(p.shown[0].kind, "browseForFolder");
        EXPECT_EQ(p.shown[0].text, "Scegli");
        platform::setPrompts(nullptr);
    }
}

namespace {

// "<db>" = Databases/, "<shape>" = Shape/, "<alt>" = Altrove/ of the program folder.
QString place(const testenv::ProgramFolder &a, QString s)
{
    return s.replace("<alt>", a.path() + "Altrove/").replace("<db>", a.databases()).replace("<shape>", a.path() + "Shape/");
}

} // namespace

TEST(FindFolders, DatabasesAndShapeFiles)
{
    using Setup = std::function<void(testenv::ProgramFolder &)>;
    // The databases or the shape files moved to Altrove/, then `more`.
    const auto away = [](const char *sub, Setup more = {}) -> Setup {
        return [=](testenv::ProgramFolder &a) {
            QDir().rename(a.path() + sub, a.path() + "Altrove");
            QDir().mkpath(a.path() + sub);
            if (more)
                more(a);
        };
    };
    const auto pathFile = [](const char *file, const char *text) -> Setup {
        return [=](testenv::ProgramFolder &a) { ASSERT_TRUE(frametest::writeAll(a.files() + file, place(a, text).toUtf8())); };
    };
    const Setup none = [](testenv::ProgramFolder &) {};
    const QString noDb = "Impossibile trovare i Databases\r\nL'Applicazione sarà chiusa.";
    const QString noMaps = "Nessun File delle cartine trovato. In questa sessione non sarà possibile vedere le cartine!";
    struct Case {
        const char *name;
        bool shapes;             // the shape files, else the databases
        Setup setup;
        QStringList browser;     // the answers of the folder browser
        QString expected;        // the folder found, "" = none
        QByteArray pathFile;     // the path file afterwards, "-" = none
        QStringList messages;
    };
    const Case cases[] = {
        {"databases under the program folder; the path file is left alone", false, none, {}, "<db>", "-", {}},
        {"the file name in another letter case is found", false,
         [](testenv::ProgramFolder &a) { QDir().rename(a.databases() + "Metadati.mdb", a.databases() + "metadati.MDB"); },
         {}, "<db>", "-", {}},
        {"the folder of the path file, written on Linux", false, away("Databases", pathFile("DBPath.rqm", "<alt>\n")),
         {}, "<alt>", "<alt>\n", {}},
        {"no path file: browser, the chosen folder is remembered", false, away("Databases"), {"<alt>"}, "<alt>",
         "<alt>\r\n", {}},
        {"a folder named Metadati.mdb is not the database", false,
         away("Databases", [](testenv::ProgramFolder &a) { QDir().mkpath(a.databases() + "Metadati.mdb"); }), {"<alt>"},
         "<alt>", "<alt>\r\n", {}},
        {"path file naming a folder without the databases: browser", false,
         away("Databases", pathFile("DBPath.rqm", "<db>\r\n")), {"<alt>"}, "<alt>", "<alt>\r\n", {}},
        {"path file naming a file, not a folder: browser", false,
         away("Databases", pathFile("DBPath.rqm", "<alt>Metadati.mdb\r\n")), {"<alt>"}, "<alt>", "<alt>\r\n", {}},
        {"browser cancelled: the program ends, nothing written", false, away("Databases"), {""}, "", "", {noDb}},
        {"browser gives a folder without the databases", false, away("Databases", pathFile("DBPath.rqm", "/nessuna\r\n")),
         {"<db>"}, "", "/nessuna\r\n", {noDb}},
        {"shape files under the program folder", true, none, {}, "<shape>", "-", {}},
        {"upper-case extension", true,
         [](testenv::ProgramFolder &a) {
             for (const QString &n : QDir(a.path() + "Shape").entryList({"*.shp"}, QDir::Files))
                 QDir().rename(a.path() + "Shape/" + n, a.path() + "Shape/" + n.toUpper());
         },
         {}, "<shape>", "-", {}},
        {"shape path file", true, away("Shape", pathFile("SHPath.rqm", "<alt>")), {}, "<alt>", "<alt>", {}},
        {"shape browser", true, away("Shape"), {"<alt>"}, "<alt>", "<alt>\r\n", {}},
        {"shape browser cancelled: no maps, start-up goes on", true, away("Shape"), {""}, "", "", {noMaps}},
        {"browser gives a folder without shape files", true, away("Shape"), {"<db>"}, "", "", {noMaps}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app(false);
        gAppPath = app.path();
        gFilesPath = app.files();
        c.setup(app);
        for (const QString &a : c.browser)
            app.prompts.folders.push_back(place(app, a));
        if (c.shapes) {
            gShapePath = "stale";
            frame::FindShapeFiles();
            EXPECT_EQ(gShapePath, place(app, c.expected));
        } else {
            EXPECT_EQ(frame::FindDatabases(), !c.expected.isEmpty());
            EXPECT_EQ(gDbPath, place(app, c.expected));
        }
        int browsed = 0;
        for (const auto &s : app.prompts.shown) {
            if (s.kind == "browseForFolder")
                ++browsed;
            if (s.kind == "browseForFolder" && !c.shapes)
                EXPECT_EQ(s.text, "Selezionare la cartella contenente i Databases");
            if (s.kind == "msgBox")
                EXPECT_EQ(s.style, c.shapes ? Information : Critical);
            if (s.kind == "msgBox" && !c.shapes)
                EXPECT_EQ(s.title, "Attenzione");
        }
        EXPECT_EQ(browsed, c.browser.size());
        const QString file = app.files() + (c.shapes ? "SHPath.rqm" : "DBPath.rqm");
        if (c.pathFile == "-")
            EXPECT_FALSE(QFileInfo::exists(file));
        else
            EXPECT_EQ(frametest::readAll(file), place(app, QString::fromUtf8(c.pathFile)).toUtf8());
        EXPECT_EQ(app.prompts.messages(), c.messages);
        EXPECT_FALSE(QFileInfo::exists(app.files() + "Error.log"));
    }
}

TEST(PathFiles, AFullDiskKeepsTheOldFolderAndSaysSo)
{
    struct Case {
        const char *file;
        std::function<void(const QString &)> write;
    } cases[] = {
        {"DBPath.rqm", frame::WriteDBPath},
        {"SHPath.rqm", frame::WriteSHPath},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        testenv::ProgramFolder app{false};
        gAppPath = app.path();
        gFilesPath = app.files();
        const QString path = app.files() + c.file;
        ASSERT_TRUE(frametest::writeAll(path, "/dati/vecchia/\r\n"));
        {
            testsupport::FileSizeLimit limit(8);
            c.write("/una/cartella/scelta/nel/browser/");
        }
        EXPECT_EQ(frametest::readAll(path), "/dati/vecchia/\r\n");
        EXPECT_EQ(QDir(app.files()).entryList({QString(c.file) + "*"}, QDir::Files | QDir::Hidden),
                  QStringList{c.file});
        ASSERT_EQ(app.prompts.messages().size(), 1);
        const QString message = app.prompts.messages()[0];
        EXPECT_TRUE(message.startsWith("Errore : ")) << message.toStdString();
        EXPECT_TRUE(message.contains(c.file)) << message.toStdString();
        // The disk is still full for the log too, and the message says so.
        EXPECT_TRUE(message.contains(QString::fromUtf8("Error.log non è stato aggiornato"))) << message.toStdString();
    }
}
