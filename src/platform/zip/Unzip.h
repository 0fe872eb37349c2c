#pragma once
// Extraction of a zip archive into a folder, all or nothing: every entry is
// first written into a staging folder inside the destination, then the files
// are put in place with renames. When anything fails on the way (an unsafe
// entry name, a damaged entry, a full disk, a failed rename), the destination
// is left exactly as it was. Existing files are replaced without a question;
// a name that matches an existing file ignoring letter case replaces that file.
// The staging folder (and the copies of the files replaced, kept for revert())
// is removed when the object is destroyed.
#include <QString>
#include <QStringList>
#include <functional>
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
constexpr int NoZip = 9;        // the archive is missing or is not a zip archive
constexpr int Param = 10;       // the destination folder does not exist
constexpr int Empty = 11;       // the archive holds no file
constexpr int Disk = 50;        // writing or putting the files in place failed
constexpr int Unsupported = 81; // compression or encryption method not supported
constexpr int BadPassword = 82; // no password or a wrong one for an encrypted entry
}

// Asked for the password of an encrypted entry (its name given); an empty
// answer or none gives up the extraction.
using PasswordAsker = std::function<std::optional<QString>(const QString &entryName)>;

// The path, relative to the destination, that an entry name stands for, in
// `rel`: "\" taken as "/", "." and empty parts dropped. `isDir`: the entry is a
// folder (its name ends with a separator). False when the name is not allowed:
// absolute ("/x", "C:x", "\\host\x"), climbing out (".."), or naming no file.
bool SafeEntryPath(const QString &name, QString &rel, bool &isDir);

class Extraction {
public:
    Extraction();
    ~Extraction();
    Extraction(const Extraction &) = delete;
    Extraction &operator=(const Extraction &) = delete;

    // Extracts every entry of `zipPath` into `destFolder` (folders stored in the
    // archive recreated). Returns code::Ok, or another code with nothing changed.
    int run(const QString &zipPath, const QString &destFolder, const PasswordAsker &askPassword = {});

    // Puts back the files that the last successful run replaced and removes the
    // files and folders it added. False when something could not be put back.
    bool revert();

    // The text describing the last result ("" after a success).
    const QString &message() const { return m_message; }
    // The files written by the last successful run (full paths).
    QStringList files() const;

private:
    struct Step {
        QString target;   // the file put in place
        QString backup;   // the old file kept in the staging folder ("" = the file was added)
    };
    int fail(int code, const QString &message);
    bool commit(const QString &destFolder);
    bool undo();

    struct Staged {
        QString rel;      // path relative to the destination
        QString staged;   // the extracted file in the staging folder
    };
    std::unique_ptr<QTemporaryDir> m_staging;
    std::vector<Staged> m_files;
    QStringList m_dirs;
    std::vector<Step> m_steps;
    QStringList m_createdDirs;
    QString m_message;
};

} // namespace platform::zip
