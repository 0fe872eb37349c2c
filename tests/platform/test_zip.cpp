// Extraction of zip archives: safe names, replacement all or nothing, revert,
// passwords.
#include "platform/Prompts.h"
#include "platform/zip/CGUnzipFiles.h"
#include "platform/zip/Unzip.h"
#include "test_zip_support.h"

#include <QFile>
#include <QProcess>
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
        {"a\nb\x01.txt", false, "", false},
        {"tab\tname.mdb", false, "", false},
        {"del\x7f.mdb", false, "", false},
        {QString::fromUtf8("c1\u0085.mdb"), false, "", false},
        {".aggiornamento-x1/journal", false, "", false},
        {"./.AGGIORNAMENTO-x1/", false, "", false},
        {"Storico/.aggiornamento-x1", true, "Storico/.aggiornamento-x1", false},
        {QString::fromUtf8("Città/perché.mdb"), true, QString::fromUtf8("Città/perché.mdb"), false},
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
        {"a file and a folder of the same name", {{"Nuovo", "x"}, {"nuovo/x.mdb", "x"}}, code::Disk},
        {"no entries", {}, code::Empty},
        {"folders only", {{"Nuovi/", {}, Entry::Dir}, {"Nuovi/2008/", {}, Entry::Dir}}, code::Empty},
        {"control characters in a name", {{"Metadati.mdb", "x"}, {"a<LF>b<SOH>.txt", "x"}}, code::Skipped},
        // Marked as UTF-8, such a name makes the whole archive unreadable.
        {"control characters in a UTF-8 name", {{"Metadati.mdb", "x"}, {"citt\xc3\xa0<SOH>.txt", "x"}}, code::NoZip},
        {"the name of an update's staging folder", {{".aggiornamento-abc123/journal", "x"}}, code::Skipped},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        const auto before = ziptest::snapshot(f.dest);
        const QString zip = f.zip(c.entries);
        // Names the archive library would not write.
        if (QByteArray(c.what).startsWith("control characters in a name"))
            ASSERT_TRUE(ziptest::renameEntries(zip, "a<LF>b<SOH>.txt", QByteArray("a\nb\x01_______.txt")));
        if (QByteArray(c.what).startsWith("control characters in a UTF-8"))
            ASSERT_TRUE(ziptest::renameEntries(zip, "<SOH>", QByteArray("\x01____")));
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
        EXPECT_EQ(prompts.shown[0].kind, "passwordBox");   // what is typed is not shown
        if (c.ok) {
            EXPECT_EQ(get(f.dest + "Variabili.mdb"), "secret variabili");
        } else {
            EXPECT_EQ(result, code::BadPassword);
            EXPECT_EQ(ziptest::snapshot(f.dest), before);
        }
    }
}

TEST(Extraction, NoWriteLeavesTheFolderThroughASymbolicLink)
{
    struct Case {
        const char *what;
        const char *link;      // made inside the destination
        const char *pointsTo;  // "out/..." outside it, "in/..." inside it
        std::vector<Entry> entries;
        int code;
        const char *written;   // Ok: the file, relative to the destination, that holds "nuovo"
    };
    const Case cases[] = {
        {"folder link leading out", "sub", "out/altrove", {{"sub/leggimi.txt", "nuovo"}}, code::Disk, nullptr},
        {"the same in other letter case", "sub", "out/altrove", {{"SUB/leggimi.txt", "nuovo"}}, code::Disk, nullptr},
        {"deeper below the link", "sub", "out/altrove", {{"sub/a/b/leggimi.txt", "nuovo"}}, code::Disk, nullptr},
        {"folder entry through the link", "sub", "out/altrove", {{"sub/nuova/", {}, Entry::Dir}, {"x.mdb", "nuovo"}},
         code::Disk, nullptr},
        {"folder link staying inside", "alias", "in/Storico", {{"alias/nuovo.mdb", "nuovo"}}, code::Ok,
         "Storico/nuovo.mdb"},
        {"file link leading out: the link itself is replaced", "link.mdb", "out/file.txt",
         {{"link.mdb", "nuovo"}}, code::Ok, "link.mdb"},
        {"link to a folder where a file goes", "dir.mdb", "out/altrove", {{"dir.mdb", "nuovo"}}, code::Disk, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        const QString out = f.root.path() + "/out/";
        QDir().mkpath(out + "altrove");
        put(out + "file.txt", "esterno");
        const QString target = QString(c.pointsTo).startsWith("out/") ? f.root.path() + "/" + c.pointsTo
                                                                      : f.dest + QString(c.pointsTo).mid(3);
        ASSERT_TRUE(QFile::link(target, f.dest + c.link));
        const auto outsideBefore = ziptest::snapshot(out);
        const auto before = ziptest::snapshot(f.dest);
        Extraction ex;
        EXPECT_EQ(ex.run(f.zip(c.entries), f.dest), c.code) << ex.message().toStdString();
        EXPECT_EQ(ziptest::snapshot(out), outsideBefore);   // nothing written outside
        if (c.code == code::Ok) {
            EXPECT_EQ(get(f.dest + c.written), "nuovo");
            EXPECT_FALSE(QFileInfo(f.dest + c.written).isSymLink());
        } else {
            EXPECT_FALSE(ex.message().isEmpty());
            EXPECT_EQ(ziptest::snapshot(f.dest), before);
        }
    }
}

TEST(Extraction, RoomIsCheckedBeforeAnythingIsWritten)
{
    struct Case { const char *what; int entries; quint32 declared; int code; const char *message; };
    const Case cases[] = {
        // Sizes declared far beyond any free disk: refused before a byte is written.
        {"declared past the free space", 2000, 0xFFFFFF00u, code::Disk, "Spazio su disco insufficiente"},
        // More data than declared: the extraction stops at the declared size.
        {"data longer than declared", 1, 10, code::Damaged, "dimensione dichiarata"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        std::vector<Entry> entries;
        for (int i = 0; i < c.entries; ++i)
            entries.push_back({"voce" + std::to_string(i) + ".mdb", QByteArray(1000, 'x'), Entry::File, nullptr, true});
        const QString zip = f.zip(entries);
        ASSERT_EQ(ziptest::declareSizes(zip, c.declared), c.entries);
        const auto before = ziptest::snapshot(f.dest);
        Extraction ex;
        EXPECT_EQ(ex.run(zip, f.dest), c.code) << ex.message().toStdString();
        EXPECT_TRUE(ex.message().contains(QString::fromUtf8(c.message))) << ex.message().toStdString();
        EXPECT_EQ(ziptest::snapshot(f.dest), before);
    }
}

TEST(Extraction, TheCheckSeesTheFolderAsTheUpdateWouldLeaveIt)
{
    Folders f;
    const QString out = f.root.path() + "/fuori.mdb";
    put(out, "esterno");
    ASSERT_TRUE(QFile::link(out, f.dest + "Esterno.mdb"));
    const QString zip = f.zip({{"metadati.MDB", "new metadati"}, {"Nuovi/", {}, Entry::Dir}, {"Nuovi/a.mdb", "a"}});
    const auto before = ziptest::snapshot(f.dest);
    for (const bool refuse : {true, false}) {
        SCOPED_TRACE(refuse ? "refused" : "accepted");
        std::map<QString, QByteArray> seen;
        QStringList brought;
        std::vector<std::pair<qint64, qint64>> progress;
        Extraction::Hooks hooks;
        hooks.progress = [&](qint64 done, qint64 total) { progress.emplace_back(done, total); };
        hooks.check = [&](const StagedView &view) {
            brought = view.names();
            for (const QString &name : {"Metadati.mdb", "Variabili.mdb", "nuovi/A.mdb", "Manca.mdb", "Esterno.mdb",
                                        "../Databases/Variabili.mdb"})
                seen[name] = view.pathOf(name).isEmpty() ? QByteArray("<none>") : get(view.pathOf(name));
            EXPECT_TRUE(view.brings("METADATI.mdb"));
            EXPECT_FALSE(view.brings("Variabili.mdb"));
            EXPECT_EQ(view.folder(), f.dest);
            return refuse ? QString("non va") : QString();
        };
        Extraction ex;
        const int result = ex.run(zip, f.dest, {}, hooks);
        const std::map<QString, QByteArray> expected = {
            {"Metadati.mdb", "new metadati"},  {"Variabili.mdb", "old variabili"}, {"nuovi/A.mdb", "a"},
            {"Manca.mdb", "<none>"},           {"Esterno.mdb", "<none>"},          // a link leading out is no file of the folder
            {"../Databases/Variabili.mdb", "<none>"},
        };
        EXPECT_EQ(seen, expected);
        brought.sort();
        EXPECT_EQ(brought, QStringList({"Nuovi/a.mdb", "metadati.MDB"}));
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), std::make_pair(qint64(3), qint64(3)));
        for (size_t i = 1; i < progress.size(); ++i)
            EXPECT_LE(progress[i - 1].first, progress[i].first);
        if (refuse) {
            EXPECT_EQ(result, code::Refused);
            EXPECT_EQ(ex.message(), "non va");
            EXPECT_EQ(ziptest::snapshot(f.dest), before);
        } else {
            EXPECT_EQ(result, code::Ok);
            EXPECT_EQ(get(f.dest + "Metadati.mdb"), "new metadati");
        }
    }
}

namespace {

// Runs the update in a process of its own, killed at `stop`; true when it died.
bool killedAt(const QString &zip, const QString &dest, int stop)
{
    QProcess child;
    child.start(TRAMBELO_UPDATE_KILL, {zip, dest, QString::number(stop)});
    if (!child.waitForFinished(60000))
        return false;
    return child.exitStatus() == QProcess::CrashExit;
}

bool hasStaging(const std::map<std::string, std::string> &files)
{
    for (const auto &[name, content] : files)
        if (name.rfind(".aggiornamento-", 0) == 0)
            return true;
    return false;
}

} // namespace

TEST(Extraction, AnUpdateStoppedAmongItsRenamesIsUndoneAtTheNextStart)
{
    const std::vector<Entry> entries = {{"Metadati.mdb", "new metadati"},
                                        {"Nuovi/", {}, Entry::Dir},
                                        {"Nuovi/2008/2008.mdb", "new 2008"},
                                        {"Storico/2007.mdb", "new 2007"},
                                        {"Variabili.mdb", "new variabili"}};
    const int renames = 4;
    for (int stop = 0; stop <= renames; ++stop) {
        SCOPED_TRACE("killed before rename " + std::to_string(stop));
        Folders f;
        const auto before = ziptest::snapshot(f.dest);
        ASSERT_TRUE(killedAt(f.zip(entries), f.dest, stop));
        const auto stopped = ziptest::snapshot(f.dest);
        EXPECT_TRUE(hasStaging(stopped));
        if (stop >= 1 && stop < renames) {
            EXPECT_EQ(get(f.dest + "Metadati.mdb"), "new metadati");      // the new beside the old
            EXPECT_EQ(get(f.dest + "Variabili.mdb"), "old variabili");
        }
        const Extraction::Recovery r = Extraction::recover(f.dest);
        EXPECT_EQ(r.stagingFolders, 1);
        EXPECT_TRUE(r.rolledBack);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(ziptest::snapshot(f.dest), before);
        const Extraction::Recovery again = Extraction::recover(f.dest);   // nothing left to do
        EXPECT_EQ(again.stagingFolders, 0);
        EXPECT_FALSE(again.rolledBack);
    }
}

TEST(Extraction, RecoveryRemovesStagingFoldersWithoutAJournal)
{
    Folders f;
    const auto before = ziptest::snapshot(f.dest);
    QDir().mkpath(f.dest + ".aggiornamento-Ab12Cd/old");
    put(f.dest + ".aggiornamento-Ab12Cd/n0", "half written");
    put(f.dest + ".aggiornamento-Ab12Cd/old/0", "old metadati");
    // A journal that is not ours is not followed.
    QDir().mkpath(f.dest + ".aggiornamento-Zz99Yy");
    put(f.dest + ".aggiornamento-Zz99Yy/journal", "F\tMetadati.mdb\t\tn0\n");
    const Extraction::Recovery r = Extraction::recover(f.dest);
    EXPECT_EQ(r.stagingFolders, 2);
    EXPECT_FALSE(r.rolledBack);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(ziptest::snapshot(f.dest), before);
}
