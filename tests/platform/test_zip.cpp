// Extraction of zip archives: safe names, replacement all or nothing, revert,
// passwords.
#include "platform/Prompts.h"
#include "platform/zip/CGUnzipFiles.h"
#include "platform/zip/Unzip.h"
#include "test_zip_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform::zip;
using ziptest::Entry;

namespace {

void put(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray get(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A destination folder with two databases and a sub-folder, beside a folder for archives.
struct Folders {
    QTemporaryDir root;
    QString dest, zips;
    Folders()
    {
        dest = root.path() + "/Databases/";
        zips = root.path() + "/zips/";
        QDir().mkpath(dest + "Storico");
        QDir().mkpath(zips);
        put(dest + "Metadati.mdb", "old metadati");
        put(dest + "Variabili.mdb", "old variabili");
        put(dest + "Storico/2007.mdb", "old 2007");
    }
    QString zip(const std::vector<Entry> &entries, const QString &name = "update.zip")
    {
        const QString path = zips + name;
        EXPECT_TRUE(ziptest::write(path, entries));
        return path;
    }
};

} // namespace

TEST(SafeEntryPath, AcceptsRelativeNamesOnly)
{
    struct Case { QString name; bool ok; QString rel; bool isDir; };
    const Case cases[] = {
        {"Metadati.mdb", true, "Metadati.mdb", false},
        {"Storico/2007.mdb", true, "Storico/2007.mdb", false},
        {"Storico\\2007.mdb", true, "Storico/2007.mdb", false},
        {"./a//b.mdb", true, "a/b.mdb", false},
        {"Storico/", true, "Storico", true},
        {"./", true, "", true},
        {"dots..name.mdb", true, "dots..name.mdb", false},
        {"../evil.mdb", false, "", false},
        {"a/../../evil.mdb", false, "", false},
        {"a\\..\\evil.mdb", false, "", false},
        {"/etc/passwd", false, "", false},
        {"\\\\host\\share\\x", false, "", false},
        {"C:/Windows/x.dll", false, "", false},
        {"c:x.mdb", false, "", false},
        {".", false, "", false},
        {"", false, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QString rel;
        bool isDir = false;
        EXPECT_EQ(SafeEntryPath(c.name, rel, isDir), c.ok);
        if (c.ok) {
            EXPECT_EQ(rel, c.rel);
            EXPECT_EQ(isDir, c.isDir);
        }
    }
}

TEST(Extraction, ReplacesAddsAndKeepsTheRest)
{
    Folders f;
    platform::ScriptedPrompts prompts;
    platform::setPrompts(&prompts);
    const QString zip = f.zip({{"METADATI.MDB", "new metadati"},
                               {"Indicatori.mdb", "new indicatori"},
                               {"storico/2007.mdb", "new 2007"},
                               {"Nuovi/", {}, Entry::Dir},
                               {"Nuovi/2008/2008.mdb", "new 2008"}});
    {
        Extraction ex;
        ASSERT_EQ(ex.run(zip, f.dest), code::Ok) << ex.message().toStdString();
        EXPECT_EQ(ex.files().size(), 4);
    }
    const std::map<std::string, std::string> expected = {
        {"Indicatori.mdb", "new indicatori"},
        {"Metadati.mdb", "new metadati"},          // the file that was there, under its own name
        {"Nuovi/", {}},
        {"Nuovi/2008/", {}},
        {"Nuovi/2008/2008.mdb", "new 2008"},
        {"Storico/", {}},
        {"Storico/2007.mdb", "new 2007"},
        {"Variabili.mdb", "old variabili"},
    };
    EXPECT_EQ(ziptest::snapshot(f.dest), expected);   // no staging folder left behind
    EXPECT_TRUE(prompts.shown.empty());                // replaced without a question
    platform::setPrompts(nullptr);
}

TEST(Extraction, FailureLeavesTheFolderAsItWas)
{
    struct Case {
        const char *what;
        std::vector<Entry> entries;
        int code;
    };
    const std::vector<Case> cases = {
        {"climbing out", {{"Metadati.mdb", "x"}, {"../evil.mdb", "x"}}, code::Skipped},
        {"climbing out of a folder", {{"Storico/../../evil.mdb", "x"}}, code::Skipped},
        {"absolute", {{"Metadati.mdb", "x"}, {"/tmp/evil.mdb", "x"}}, code::Skipped},
        {"symbolic link", {{"Metadati.mdb", "x"}, {"link.mdb", "/etc/passwd", Entry::Symlink}}, code::Skipped},
        {"folder in the way", {{"Metadati.mdb", "x"}, {"Variabili.mdb", "x"}, {"Storico", "a file"}}, code::Disk},
        {"file in the way", {{"Metadati.mdb", "x"}, {"Variabili.mdb/x.mdb", "x"}}, code::Disk},
        {"no entries", {}, code::Empty},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        const auto before = ziptest::snapshot(f.dest);
        const QString zip = f.zip(c.entries);
        const auto outside = ziptest::snapshot(f.root.path());
        Extraction ex;
        EXPECT_EQ(ex.run(zip, f.dest), c.code);
        EXPECT_FALSE(ex.message().isEmpty());
        EXPECT_EQ(ziptest::snapshot(f.dest), before);
        EXPECT_EQ(ziptest::snapshot(f.root.path()), outside);
        EXPECT_TRUE(ex.files().isEmpty());
    }
}

TEST(Extraction, BadArchivesAndDestinations)
{
    Folders f;
    const auto before = ziptest::snapshot(f.dest);
    // A damaged entry: its data changed after writing (the checksum no longer matches).
    QByteArray noise(4000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + i / 13) % 251);   // hardly compressible
    const QString damaged = f.zip({{"Metadati.mdb", noise}, {"Variabili.mdb", noise}}, "damaged.zip");
    // Stored entries: only the checksum tells the change.
    const QString damagedStored = f.zip({{"Metadati.mdb", noise, Entry::File, nullptr, true},
                                         {"Variabili.mdb", noise, Entry::File, nullptr, true}},
                                        "damagedstored.zip");
    for (const QString &path : {damaged, damagedStored}) {
        QByteArray bytes = get(path);
        const qsizetype at = bytes.indexOf("Variabili.mdb") + 40;   // inside the second entry's data
        bytes[at] = char(bytes[at] ^ 0x55);
        put(path, bytes);
    }
    put(f.zips + "notazip.zip", "this is not an archive");

    struct Case { const char *what; QString zip, dest; int code; };
    const Case cases[] = {
        {"damaged data", damaged, f.dest, code::Damaged},
        {"damaged stored data", damagedStored, f.dest, code::Damaged},
        {"not a zip", f.zips + "notazip.zip", f.dest, code::NoZip},
        {"missing archive", f.zips + "missing.zip", f.dest, code::NoZip},
        {"missing destination", f.zip({{"a.mdb", "x"}}, "ok.zip"), f.root.path() + "/nowhere/", code::Param},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Extraction ex;
        EXPECT_EQ(ex.run(c.zip, c.dest), c.code) << ex.message().toStdString();
        EXPECT_EQ(ziptest::snapshot(f.dest), before);
    }
    EXPECT_FALSE(QFileInfo::exists(f.root.path() + "/nowhere"));
}

TEST(Extraction, RevertPutsBackReplacedAndRemovesAdded)
{
    Folders f;
    const auto before = ziptest::snapshot(f.dest);
    Extraction ex;
    ASSERT_EQ(ex.run(f.zip({{"Metadati.mdb", "new"}, {"Nuovo/Dentro/x.mdb", "added"}, {"Storico/2007.mdb", "new"}}),
                     f.dest),
              code::Ok);
    EXPECT_EQ(get(f.dest + "Metadati.mdb"), "new");
    EXPECT_TRUE(ex.revert());
    auto after = ziptest::snapshot(f.dest);
    for (auto it = after.begin(); it != after.end();)   // the staging folder lives as long as the object
        it = it->first.rfind(".aggiornamento-", 0) == 0 ? after.erase(it) : std::next(it);
    EXPECT_EQ(after, before);
}

TEST(CGUnzipFiles, EncryptedEntriesAskForThePassword)
{
    if (ziptest::encryptionMethod() == ZIP_EM_NONE)
        GTEST_SKIP() << "libzip cannot write encrypted entries here";
    struct Case {
        const char *what;
        std::vector<std::optional<QString>> answers;
        bool ok;
        int asked;
    };
    const Case cases[] = {
        {"right password: asked once for both entries", {"segreto"}, true, 1},
        {"wrong, then right", {"sbagliata", "segreto"}, true, 2},
        {"empty answer gives up", {""}, false, 1},
        {"cancelled", {std::nullopt}, false, 1},
        {"wrong three times", {"a", "b", "c", "segreto"}, false, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        const auto before = ziptest::snapshot(f.dest);
        const QString zip = f.zip({{"Metadati.mdb", "secret metadati", Entry::File, "segreto"},
                                   {"Variabili.mdb", "secret variabili", Entry::File, "segreto"}});
        platform::ScriptedPrompts prompts;
        prompts.inputs.assign(c.answers.begin(), c.answers.end());
        platform::setPrompts(&prompts);
        CGUnzipFiles unzip;
        const long result = unzip.Unzip(zip, f.dest);
        platform::setPrompts(nullptr);
        EXPECT_EQ(result == 0, c.ok) << unzip.GetLastMessage().toStdString();
        ASSERT_EQ(int(prompts.shown.size()), c.asked);
        EXPECT_EQ(prompts.shown[0].text, "Please Enter The Password!");
        if (c.ok) {
            EXPECT_EQ(get(f.dest + "Variabili.mdb"), "secret variabili");
        } else {
            EXPECT_EQ(result, code::BadPassword);
            EXPECT_EQ(ziptest::snapshot(f.dest), before);
        }
    }
}
