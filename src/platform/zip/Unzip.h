#pragma once
// Extraction of a zip archive into a folder, all or nothing: every entry is
// first written into a staging folder inside the destination, checked, then
// the files are put in place with renames. When anything fails on the way (an
// unsafe entry name, a damaged entry, too little free space, a file refused by
// the caller's check, a failed rename), the destination is left exactly as it
// was. Existing files are replaced without a question; a name that matches an
// existing file ignoring letter case replaces that file. No file is ever
// written outside the destination folder, symbolic links inside it included.
//
// The renames are preceded by a journal in the staging folder: a program
// stopped between two renames leaves it behind, and recover() puts the old
// files back at the next start. The staging folder (and the copies of the
// files replaced, kept for revert()) is removed when the object is destroyed.
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QTemporaryDir;

namespace platform::zip {

// Result codes (the classic unzip numbers).
namespace code {
constexpr int Ok = 0;
constexpr int Skipped = 1;      // an entry refused: unsafe name or link
constexpr int Damaged = 2;      // an entry could not be read (bad data, bad checksum)
constexpr int Refused = 3;      // the files extracted did not pass the caller's check
constexpr int NoZip = 9;        // the archive is missing or is not a zip archive
constexpr int Param = 10;       // the destination folder does not exist
constexpr int Empty = 11;       // the archive holds no file
constexpr int Library = 48;     // the zip library cannot be loaded (or lacks a function)
constexpr int Disk = 50;        // too little free space, or writing or putting the files in place failed
constexpr int Unsupported = 81; // compression or encryption method not supported
constexpr int BadPassword = 82; // no password or a wrong one for an encrypted entry
}

// Asked for the password of an encrypted entry (its name given); an empty
// answer or none gives up the extraction.
using PasswordAsker = std::function<std::optional<QString>(const QString &entryName)>;

// The path, relative to the destination, that an entry name stands for, in
// `rel`: "\" taken as "/", "." and empty parts dropped. `isDir`: the entry is a
// folder (its name ends with a separator). False when the name is not allowed:
// absolute ("/x", "C:x", "\\host\x"), climbing out (".."), holding a control
// character, naming the staging folders of an update, or naming no file.
bool SafeEntryPath(const QString &name, QString &rel, bool &isDir);

// The destination folder as it will be once the staged files are in place,
// seen before anything is replaced.
class StagedView {
public:
    // The file that `name` (relative to the destination, letter case ignored)
    // will be: the staged copy when the archive brings it, else the file now in
    // the folder when it lies inside it; "" when there is none.
    QString pathOf(const QString &name) const;
    // True when the archive brings `name`.
    bool brings(const QString &name) const;
    // The relative paths of the files the archive brings.
    QStringList names() const;
    // The destination folder (ending with "/").
    const QString &folder() const { return m_folder; }

private:
    friend class Extraction;
    QString m_folder;
    std::map<QString, std::pair<QString, QString>> m_staged;   // case-folded name -> (name, staged path)
};

class Extraction {
public:
    struct Hooks {
        // Told after each entry of the archive: entries done, entries in all.
        std::function<void(qint64 done, qint64 total)> progress;
        // Looks at the files before they replace anything: "" lets the update
        // go on, any other text is the reason it is refused (code::Refused).
        std::function<QString(const StagedView &)> check;
    };

    Extraction();
    ~Extraction();
    Extraction(const Extraction &) = delete;
    Extraction &operator=(const Extraction &) = delete;

    // Extracts every entry of `zipPath` into `destFolder` (folders stored in the
    // archive recreated). Returns code::Ok, or another code with nothing changed.
    int run(const QString &zipPath, const QString &destFolder, const PasswordAsker &askPassword = {},
            const Hooks &hooks = {});

    // Puts back the files that the last successful run replaced and removes the
    // files and folders it added. False when something could not be put back.
    bool revert();

    // The text describing the last result, in the user's words ("" after a success).
    const QString &message() const { return m_message; }
    // The library's own text behind the last failure, when there is one.
    const QString &detail() const { return m_detail; }
    // The files written by the last successful run (full paths).
    QStringList files() const;

    // What recover() found in a folder.
    struct Recovery {
        int stagingFolders = 0;   // staging folders left by updates that did not end
        bool rolledBack = false;  // an update stopped among its renames was undone
        bool ok = true;           // everything could be put back and removed
    };
    // Puts back the files of an update stopped among its renames (from its
    // journal) and removes the staging folders left in `destFolder`. To be run
    // before anything opens a file of the folder.
    static Recovery recover(const QString &destFolder);

    // For tests: called before rename k of a commit (0, 1, ...) and, with the
    // number of renames, once they are all done and before the update is final.
    static void setCommitHook(std::function<void(int)> hook);

private:
    struct Staged {
        QString rel;      // path relative to the destination, as the archive writes it
        QString staged;   // the extracted file in the staging folder
        QString target;   // the file it replaces or adds (full path)
    };
    struct Step {
        QString target;   // the file put in place
        QString backup;   // the old file kept in the staging folder ("" = the file was added)
    };
    int fail(int code, const QString &message, const QString &detail = {});
    bool plan(const QString &dest);
    bool commit(const QString &dest);
    bool undo();

    std::unique_ptr<QTemporaryDir> m_staging;
    std::vector<Staged> m_files;
    QStringList m_dirs;
    std::vector<Step> m_steps;
    QStringList m_createdDirs;
    QString m_message;
    QString m_detail;
};

} // namespace platform::zip
