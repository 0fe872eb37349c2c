#include "platform/Files.h"
#include "support/FileSizeLimit.h"
#include "test_common.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>

using ptest::names;
using ptest::readFile;

namespace {

void writeRaw(const QString &path, const QByteArray &bytes) { ASSERT_TRUE(ptest::writeFile(path, bytes)); }

TEST(WriteAtomic, ReplacesTheFileKeepsItsPermissionsAndRemovesOnlyItsOwnStaleTemporaries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ShapeConfig.xml");
    writeRaw(path, "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    const QStringList stale{"ShapeConfig.xml.tmp-a1B2c3", "ShapeConfig.xml.tmp-ZZZZZZ"};
    const QStringList kept{"ShapeConfig.xml.bak", "ShapeConfig.xml.tmp-1", "Altro.xml.tmp-abcdef"};
    for (const QString &n : stale + kept)
        writeRaw(dir.filePath(n), "x");
    QString error;
    ASSERT_TRUE(platform::files::writeAtomic(path, "new contents", &error)) << error.toStdString();
    EXPECT_EQ(readFile(path), "new contents");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    QStringList expected = kept;
    expected << "ShapeConfig.xml";
    expected.sort();
    EXPECT_EQ(names(dir.path()), expected);
}

TEST(WriteAtomic, AFailedWriteLeavesTheOldFileAndNoTemporaryAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("DBPath.rqm");
    writeRaw(path, "C:/vecchia/cartella/\r\n");
    struct Case { QString path; rlim_t cap; QString reason; } cases[] = {   // cap: 0 for none
        {path, 4, "DBPath.rqm"},
        {dir.filePath("manca/file.txt"), 0, "la cartella non esiste"},
        {dir.path(), 0, "esiste una cartella"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        QString error;
        {
            std::optional<testsupport::FileSizeLimit> limit;
            if (c.cap)
                limit.emplace(c.cap);
            EXPECT_FALSE(platform::files::writeAtomic(c.path, QByteArray(64 * 1024, 'x'), &error));
        }
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
        EXPECT_EQ(readFile(path), "C:/vecchia/cartella/\r\n");
        EXPECT_EQ(names(dir.path()), QStringList{"DBPath.rqm"});
    }
}

TEST(WriteAtomic, TheLongestNameIsWrittenAndItsStaleTemporariesRemoved)
{
    QTemporaryDir dir;
    // 255 bytes, as long as a name can be ("ò" takes two).
    const QString name = QString(100, u'ò') + QString(50, u'a') + ".xlsx";
    const QString path = dir.filePath(name);
    ASSERT_TRUE(platform::files::writeAtomic(path, "prima"));
    EXPECT_EQ(readFile(path), "prima");
    // A save cut short leaves a temporary named after the name cut to fit.
    const QString stale = QString(100, u'ò') + QString(44, u'a') + ".tmp-Ab12Cd";
    ASSERT_EQ(QFile::encodeName(stale).size(), 255);
    writeRaw(dir.filePath(stale), "x");
    QString error;
    ASSERT_TRUE(platform::files::writeAtomic(path, "dopo", &error)) << error.toStdString();
    EXPECT_EQ(readFile(path), "dopo");
    EXPECT_EQ(names(dir.path()), QStringList{name});
}

TEST(AppendText, AFailedAppendLeavesTheFileAsItWasAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Error.log");
    writeRaw(path, "riga uno\r\n");
    struct Case {
        const char *what;
        QString path;
        rlim_t cap;   // 0: no cap
        QString reason;
    } cases[] = {
        {"disk full in the middle of the line", path, 16, "Errore di scrittura sul disco"},
        {"folder missing", dir.filePath("manca/Error.log"), 0, "la cartella non esiste"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        bool written = true;
        {
            std::optional<testsupport::FileSizeLimit> limit;
            if (c.cap)
                limit.emplace(c.cap);
            written = platform::files::appendText(c.path, "riga due, troppo lunga per il disco\r\n", &error);
        }
        EXPECT_FALSE(written);
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
        EXPECT_TRUE(error.contains("Error.log")) << error.toStdString();
        EXPECT_EQ(readFile(path), "riga uno\r\n");
    }
    ASSERT_TRUE(platform::files::appendText(path, "riga tre\r\n"));
    EXPECT_EQ(readFile(path), "riga uno\r\nriga tre\r\n");
}

} // namespace

TEST(ReadText, Utf8ElseTheWindowsWesternCodePage)
{
    struct Case { const char *what; QByteArray bytes; QString text; };
    const Case cases[] = {
        {"plain ASCII", "Banca dati\r\n", "Banca dati\r\n"},
        {"UTF-8", "citt\xc3\xa0 \xe2\x82\xac", QString::fromUtf8("città €")},
        {"euro sign", "Costo 5 \x80", QString::fromUtf8("Costo 5 €")},
        {"typographic quotes and dashes", "\x91uno\x92 \x93" "due\x94 \x96 \x97 \x85",
         QString::fromUtf8("‘uno’ “due” – — …")},
        {"accented letters", "citt\xe0 perch\xe9", QString::fromUtf8("città perché")},
        {"bytes the code page leaves undefined", "\x81\x8d\x8f\x90\x9d", QString::fromUtf8("\u0081\u008d\u008f\u0090\u009d")},
        {"other signs of the range", "\x8a\x8c\x8e\x99\x9f", QString::fromUtf8("ŠŒŽ™Ÿ")},
        {"UTF-8 with a byte-order mark", "\xef\xbb\xbf/dati/Banche\r\n", QString::fromUtf8("/dati/Banche\r\n")},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.path() + "/InfoQrl.txt";
        writeRaw(path, c.bytes);
        QString text;
        ASSERT_TRUE(platform::files::readText(path, text));
        EXPECT_EQ(text.toStdString(), c.text.toStdString());
    }
    QString text;
    EXPECT_FALSE(platform::files::readText(dir.path() + "/manca.txt", text));
}

TEST(StaysInside, NamesOfFilesOfTheFolderOnly)
{
    QTemporaryDir root;
    const QString folder = root.path() + "/Databases/";
    QDir().mkpath(folder + "Storico");
    QDir().mkpath(root.path() + "/altrove");
    writeRaw(folder + "Metadati.mdb", "m");
    writeRaw(root.path() + "/altrove/segreto.mdb", "s");
    QFile::link(root.path() + "/altrove", folder + "sub");
    QFile::link(root.path() + "/altrove/segreto.mdb", folder + "Collegato.mdb");
    QFile::link(folder + "Metadati.mdb", folder + "Alias.mdb");
    QFile::link(folder + "nessuno.mdb", folder + "Rotto.mdb");
    struct Case { QString name; bool inside; QString resolved; };
    const Case cases[] = {
        {"Metadati.mdb", true, folder + "Metadati.mdb"},
        {"metadati.MDB", true, folder + "Metadati.mdb"},
        {"Storico/Nuovo.mdb", true, ""},             // not there yet, but inside
        {"Alias.mdb", true, folder + "Alias.mdb"},   // a link that stays inside
        {"../altrove/segreto.mdb", false, ""},
        {"Storico/../../altrove/segreto.mdb", false, ""},
        {"..\\altrove\\segreto.mdb", false, ""},
        {root.path() + "/altrove/segreto.mdb", false, ""},
        {"C:\\Windows\\win.ini", false, ""},
        {"sub/segreto.mdb", false, ""},              // through a folder link leading out
        {"SUB/nuovo.mdb", false, ""},
        {"Collegato.mdb", false, ""},                 // a file link leading out
        {"Rotto.mdb", false, ""},                     // a link leading nowhere
        {"", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(platform::files::staysInside(folder, c.name), c.inside);
        EXPECT_EQ(platform::files::resolveInside(folder, c.name).toStdString(), c.resolved.toStdString());
    }
}

TEST(Files, WildcardsIgnoreLetterCase)
{
    struct Case { const char *name, *pattern; bool match; };
    const Case cases[] = {
        {"province_2006.shp", "*.shp", true}, {"PROVINCE_2006.SHP", "*.shp", true},
        {"province_2006.shx", "*.shp", false}, {"province.shp.bak", "*.shp", false},
        {".shp", "*.shp", true}, {"a.shp", "?.shp", true}, {"ab.shp", "?.shp", false},
        {"Città.dbf", "CITTÀ.*", true}, {"aXbXc", "a*b*c", true}, {"aXbX", "a*b*c", false},
        {"", "*", true}, {"", "?", false}, {"abc", "", false}, {"abc", "abc", true}, {"abc", "**c", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(platform::files::wildcardMatch(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.match)
            << c.name << " ~ " << c.pattern;
}
