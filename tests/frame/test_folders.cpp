// Where the databases and the shape files are found, and the path files that
// remember a folder chosen in the folder browser.
#include "FrameTest.h"
#include "frame/Folders.h"
#include "frame/Globals.h"
#include "frame/NetPath.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
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

const QString DbPrompt = "Selezionare la cartella contenente i Databases";
const QString NoDb = QString::fromUtf8("Impossibile trovare i Databases\r\nL'Applicazione sarà chiusa.");

struct Folders {
    testenv::ProgramFolder app{false};
    QString alt;   // another folder holding the databases
    Folders()
    {
        gAppPath = app.path();
        gFilesPath = app.files();
        alt = app.path() + "Altrove/";
        QDir().rename(app.path() + "Databases", app.path() + "Altrove");
        QDir().mkpath(app.path() + "Databases");
    }
    void pathFile(const QByteArray &text)
    {
        QFile f(app.files() + "DBPath.rqm");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray pathFileText() { return frametest::readAll(app.files() + "DBPath.rqm"); }
    bool pathFileExists() { return QFileInfo::exists(app.files() + "DBPath.rqm"); }
};

} // namespace

TEST(FindDatabases, FolderChoice)
{
    struct Case {
        const char *name;
        std::function<void(Folders &)> setup;
        QStringList browserAnswers;   // "<alt>" = the folder holding the databases
        bool found;
        QString expectedFolder;       // "<db>" = Databases/, "<alt>" = the other folder
        bool browserShown;
        QByteArray pathFileAfter;     // "-" = no path file
        QStringList messages;
    };
    const Case cases[] = {
        {"databases under the program folder; the path file is left alone",
         [](Folders &f) { QDir().rename(f.alt + "Metadati.mdb", f.app.databases() + "Metadati.mdb"); },
         {}, true, "<db>", false, "-", {}},
        {"the file name in another letter case is found",
         [](Folders &f) { QDir().rename(f.alt + "Metadati.mdb", f.app.databases() + "metadati.MDB"); },
         {}, true, "<db>", false, "-", {}},
        {"the folder of the path file, written on Linux",
         [](Folders &f) { f.pathFile(f.alt.toUtf8() + "\n"); }, {}, true, "<alt>", false, "<alt>\n", {}},
        {"no path file: browser, the chosen folder is remembered", [](Folders &) {}, {"<alt>"}, true, "<alt>", true,
         "<alt>\r\n", {}},
        {"a folder named Metadati.mdb is not the database",
         [](Folders &f) { QDir().mkpath(f.app.databases() + "Metadati.mdb"); }, {"<alt>"}, true, "<alt>", true, "<alt>\r\n",
         {}},
        {"path file naming a folder without the databases: browser",
         [](Folders &f) { f.pathFile(f.app.databases().toUtf8() + "\r\n"); }, {"<alt>"}, true, "<alt>", true, "<alt>\r\n", {}},
        {"path file naming a file, not a folder: browser",
         [](Folders &f) { f.pathFile(f.alt.toUtf8() + "Metadati.mdb\r\n"); }, {"<alt>"}, true, "<alt>", true,
         "<alt>\r\n", {}},
        {"browser cancelled: the program ends, nothing written", [](Folders &) {}, {""}, false, "", true, "",
         {NoDb}},
        {"browser gives a folder without the databases", [](Folders &f) { f.pathFile("/nessuna\r\n"); },
         {"<db>"}, false, "", true, "/nessuna\r\n", {NoDb}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Folders f;
        c.setup(f);
        auto place = [&](QString s) { return s.replace("<alt>", f.alt).replace("<db>", f.app.databases()); };
        for (const QString &a : c.browserAnswers)
            f.app.prompts.folders.push_back(place(a));
        EXPECT_EQ(frame::FindDatabases(), c.found);
        EXPECT_EQ(gDbPath, place(c.expectedFolder));
        bool browsed = false;
        for (const auto &s : f.app.prompts.shown)
            browsed = browsed || (s.kind == "browseForFolder" && s.text == DbPrompt);
        EXPECT_EQ(browsed, c.browserShown);
        if (c.pathFileAfter == "-")
            EXPECT_FALSE(f.pathFileExists());
        else
            EXPECT_EQ(f.pathFileText(), place(QString::fromUtf8(c.pathFileAfter)).toUtf8());
        EXPECT_EQ(f.app.prompts.messages(), c.messages);
        for (const auto &s : f.app.prompts.shown)
            if (s.kind == "msgBox") {
                EXPECT_EQ(s.style, Critical);
                EXPECT_EQ(s.title, "Attenzione");
            }
        EXPECT_FALSE(QFileInfo::exists(f.app.files() + "Error.log"));
    }
}

TEST(FindShapeFiles, FolderChoice)
{
    const QString noMaps =
        QString::fromUtf8("Nessun File delle cartine trovato. In questa sessione non sarà possibile vedere le cartine!");
    struct Case {
        const char *name;
        std::function<void(testenv::ProgramFolder &)> setup;
        QStringList browserAnswers;
        QString expected;   // "<shape>" = Shape/, "<other>" = Altre/
        QStringList messages;
        QByteArray pathFileAfter;   // "-" = none
    };
    auto emptyShape = [](testenv::ProgramFolder &a) {
        QDir().rename(a.path() + "Shape", a.path() + "Altre");
        QDir().mkpath(a.path() + "Shape");
    };
    const Case cases[] = {
        {"shape files under the program folder", [](testenv::ProgramFolder &) {}, {}, "<shape>", {}, "-"},
        {"upper-case extension",
         [](testenv::ProgramFolder &a) {
             for (const QString &n : QDir(a.path() + "Shape").entryList({"*.shp"}, QDir::Files))
                 QDir().rename(a.path() + "Shape/" + n, a.path() + "Shape/" + n.toUpper());
         },
         {}, "<shape>", {}, "-"},
        {"path file", [&](testenv::ProgramFolder &a) {
             emptyShape(a);
             QFile f(a.files() + "SHPath.rqm");
             f.open(QIODevice::WriteOnly);
             f.write((a.path() + "Altre/").toUtf8());
         }, {}, "<other>", {}, "<other>"},
        {"browser", emptyShape, {"<other>"}, "<other>", {}, "<other>\r\n"},
        {"browser cancelled: no maps, start-up goes on", emptyShape, {""}, "", {noMaps}, ""},
        {"browser gives a folder without shape files", emptyShape, {"<dbs>"}, "", {noMaps}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder app(false);
        gAppPath = app.path();
        gFilesPath = app.files();
        c.setup(app);
        auto place = [&](QString s) {
            return s.replace("<shape>", app.path() + "Shape/").replace("<other>", app.path() + "Altre/").replace("<dbs>", app.databases());
        };
        for (const QString &a : c.browserAnswers)
            app.prompts.folders.push_back(place(a));
        gShapePath = "stale";
        frame::FindShapeFiles();
        EXPECT_EQ(gShapePath, place(c.expected));
        EXPECT_EQ(app.prompts.messages(), c.messages);
        for (const auto &s : app.prompts.shown)
            if (s.kind == "msgBox") {
                EXPECT_EQ(s.style, Information);
            }
        if (c.pathFileAfter == "-")
            EXPECT_FALSE(QFileInfo::exists(app.files() + "SHPath.rqm"));
        else
            EXPECT_EQ(frametest::readAll(app.files() + "SHPath.rqm"), place(QString::fromUtf8(c.pathFileAfter)).toUtf8());
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
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("/dati/vecchia/\r\n");
        old.close();
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
