// Extraction of zip archives: safe names, replacement all or nothing, revert,
// passwords.
#include "platform/zip/CGUnzipFiles.h"
#include "platform/zip/Unzip.h"
#include "test_common.h"
#include "test_zip_support.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform::zip;
using ziptest::Entry;
using ptest::readFile;

namespace {

void put(const QString &path, const QByteArray &data) { ASSERT_TRUE(ptest::writeFile(path, data)); }

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
    // The name kept, with "/" after a folder's; nothing when refused.
    auto kept = [](const QString &name) -> std::optional<QString> {
        QString rel;
        bool isDir = false;
        return SafeEntryPath(name, rel, isDir) ? std::optional(rel + (isDir ? "/" : "")) : std::nullopt;
    };
    const std::pair<QString, QString> accepted[] = {
        {"Metadati.mdb", "Metadati.mdb"}, {"Storico/2007.mdb", "Storico/2007.mdb"}, {"Storico\\2007.mdb", "Storico/2007.mdb"},
        {"./a//b.mdb", "a/b.mdb"}, {"Storico/", "Storico/"}, {"./", "/"}, {"dots..name.mdb", "dots..name.mdb"},
        {"Storico/.aggiornamento-x1", "Storico/.aggiornamento-x1"},
        {QString::fromUtf8("Città/perché.mdb"), QString::fromUtf8("Città/perché.mdb")},
    };
    for (const auto &[name, expected] : accepted)
        EXPECT_EQ(kept(name), expected) << name.toStdString();
    for (const char *name : {"../evil.mdb", "a/../../evil.mdb", "a\\..\\evil.mdb", "/etc/passwd", "\\\\host\\share\\x",
                             "C:/Windows/x.dll", "c:x.mdb", ".", "", "a\nb\x01.txt", "tab\tname.mdb", "del\x7f.mdb",
                             "c1\u0085.mdb", ".aggiornamento-x1/journal", "./.AGGIORNAMENTO-x1/"})
        EXPECT_EQ(kept(QString::fromUtf8(name)), std::nullopt) << name;
}

TEST(Extraction, ReplacesAddsAndKeepsTheRestThenRevertPutsItBack)
{
    Folders f;
    ptest::PromptsScope prompts;
    const auto before = ziptest::snapshot(f.dest);
    // What the folder holds, the update's staging folder left aside (it lives as long as the object).
    auto contents = [&] {
        auto files = ziptest::snapshot(f.dest);
        for (auto it = files.begin(); it != files.end();)
            it = it->first.rfind(".aggiornamento-", 0) == 0 ? files.erase(it) : std::next(it);
        return files;
    };
    {
        Extraction ex;
        ASSERT_EQ(ex.run(f.zip({{"METADATI.MDB", "new metadati"}, {"Indicatori.mdb", "new indicatori"},
                                {"storico/2007.mdb", "new 2007"}, {"Nuovi/", {}, Entry::Dir}, {"Nuovi/2008/2008.mdb", "new 2008"}}),
                         f.dest),
                  code::Ok)
            << ex.message().toStdString();
        EXPECT_EQ(ex.files().size(), 4);
        const std::map<std::string, std::string> expected = {
            {"Indicatori.mdb", "new indicatori"}, {"Metadati.mdb", "new metadati"},   // the file that was there, under its own name
            {"Nuovi/", {}}, {"Nuovi/2008/", {}}, {"Nuovi/2008/2008.mdb", "new 2008"},
            {"Storico/", {}}, {"Storico/2007.mdb", "new 2007"}, {"Variabili.mdb", "old variabili"},
        };
        EXPECT_EQ(contents(), expected);
        EXPECT_TRUE(prompts.p.shown.empty());   // replaced without a question
        EXPECT_TRUE(ex.revert());
        EXPECT_EQ(contents(), before);
    }
    {
        Extraction ex;
        ASSERT_EQ(ex.run(f.zip({{"Metadati.mdb", "di nuovo"}}), f.dest), code::Ok);
    }
    auto after = before;
    after["Metadati.mdb"] = "di nuovo";
    EXPECT_EQ(ziptest::snapshot(f.dest), after);   // no staging folder left behind
}

TEST(Extraction, FailureLeavesTheFolderAsItWas)
{
    // rename: names the archive library would not write, put into the archive's bytes afterwards.
    struct Case { const char *what; std::vector<Entry> entries; int code; QByteArray from = {}, to = {}; };
    const std::vector<Case> cases = {
        {"climbing out", {{"Metadati.mdb", "x"}, {"../evil.mdb", "x"}}, code::Skipped},
        {"symbolic link", {{"Metadati.mdb", "x"}, {"link.mdb", "/etc/passwd", Entry::Symlink}}, code::Skipped},
        {"folder in the way", {{"Metadati.mdb", "x"}, {"Variabili.mdb", "x"}, {"Storico", "a file"}}, code::Disk},
        {"file in the way", {{"Metadati.mdb", "x"}, {"Variabili.mdb/x.mdb", "x"}}, code::Disk},
        {"a file and a folder of the same name", {{"Nuovo", "x"}, {"nuovo/x.mdb", "x"}}, code::Disk},
        {"no entries", {}, code::Empty},
        {"folders only", {{"Nuovi/", {}, Entry::Dir}, {"Nuovi/2008/", {}, Entry::Dir}}, code::Empty},
        {"control characters in a name", {{"Metadati.mdb", "x"}, {"a<LF>b<SOH>.txt", "x"}}, code::Skipped,
         "a<LF>b<SOH>.txt", "a\nb\x01_______.txt"},
        // Marked as UTF-8, such a name makes the whole archive unreadable.
        {"control characters in a UTF-8 name", {{"Metadati.mdb", "x"}, {"citt\xc3\xa0<SOH>.txt", "x"}}, code::NoZip,
         "<SOH>", "\x01____"},
        {"the name of an update's staging folder", {{".aggiornamento-abc123/journal", "x"}}, code::Skipped},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        const auto before = ziptest::snapshot(f.dest);
        const QString zip = f.zip(c.entries);
        if (!c.from.isEmpty()) {
            ASSERT_TRUE(ziptest::renameEntries(zip, c.from, c.to));
        }
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
        QByteArray bytes = readFile(path);
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

TEST(CGUnzipFiles, EncryptedEntriesAskForThePassword)
{
    if (ziptest::encryptionMethod() == ZIP_EM_NONE)
        GTEST_SKIP() << "libzip cannot write encrypted entries here";
    struct Case { const char *what; std::vector<std::optional<QString>> answers; bool ok; int asked; };
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
        ptest::PromptsScope ps;
        auto &prompts = ps.p;
        prompts.inputs.assign(c.answers.begin(), c.answers.end());
        CGUnzipFiles unzip;
        const long result = unzip.Unzip(zip, f.dest);
        EXPECT_EQ(result == 0, c.ok) << unzip.GetLastMessage().toStdString();
        ASSERT_EQ(int(prompts.shown.size()), c.asked);
        EXPECT_EQ(prompts.shown[0].text, "Please Enter The Password!");
        EXPECT_EQ(prompts.shown[0].kind, "passwordBox");   // what is typed is not shown
        if (c.ok) {
            EXPECT_EQ(readFile(f.dest + "Variabili.mdb"), "secret variabili");
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
            EXPECT_EQ(readFile(f.dest + c.written), "nuovo");
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
            for (const char *name : {"Metadati.mdb", "Variabili.mdb", "nuovi/A.mdb", "Manca.mdb", "Esterno.mdb",
                                     "../Databases/Variabili.mdb"})
                seen[name] = view.pathOf(name).isEmpty() ? QByteArray("<none>") : readFile(view.pathOf(name));
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
            EXPECT_EQ(readFile(f.dest + "Metadati.mdb"), "new metadati");
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
            EXPECT_EQ(readFile(f.dest + "Metadati.mdb"), "new metadati");      // the new beside the old
            EXPECT_EQ(readFile(f.dest + "Variabili.mdb"), "old variabili");
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
