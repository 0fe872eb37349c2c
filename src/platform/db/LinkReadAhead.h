#pragma once
// What the relinking of attached tables reads at every start, read on a thread
// of its own while the toolkit starts: the rows of tablelink in Metadati.mdb of
// a databases folder, and for every file those rows name inside the folder
// (holders and sources) that opens as a database, the names of its tables and
// views. The files are opened alone and read-only, on connections of the
// thread's own, whatever links are set.
//
// Each file is kept with its identity on disk when it was read (device, inode,
// size, modification and change times to the nanosecond) and is given back
// only for the same path while it still has that identity: a file replaced,
// touched, grown, removed or put back since, or one of another folder, is
// not given, nor is a file that failed here, so the caller opens it itself.
#include "platform/db/Database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace platform::db {

// One row of tablelink: the table, the file that holds it, the file that shows it.
struct TablelinkRow {
    QString table, source, holder;
};
// The rows of tablelink in `metadati` (its first three columns, as text).
std::vector<TablelinkRow> ReadTablelink(Database &metadati);

class LinkReadAhead {
public:
    // What the thread read, by the path of each file.
    class Files {
    public:
        // The rows of tablelink, when `path` is the Metadati.mdb read and is unchanged.
        std::optional<std::vector<TablelinkRow>> tablelink(const QString &path) const;
        // The names of the tables and views of the database at `path` (as
        // stored), when it was read and is unchanged.
        std::optional<QStringList> names(const QString &path) const;

    private:
        friend class LinkReadAhead;
        struct Identity {
            dev_t device = 0;
            ino_t inode = 0;
            off_t size = 0;
            timespec modified{}, changed{};
            bool operator==(const Identity &o) const;
        };
        static std::optional<Identity> identityOf(const QString &path);
        struct File {
            Identity identity;
            QStringList names;
        };
        const File *unchanged(const QString &path) const;
        // Reads `path` into the files; `more` reads more of it on the same
        // connection. False when it failed.
        bool read(const QString &path, const std::function<void(Database &)> &more = {});

        std::map<QString, File> m_files;
        QString m_metadati;
        std::vector<TablelinkRow> m_rows;
    };

    // Starts the thread at once; `folder` runs on it and gives the databases
    // folder ("" for none).
    explicit LinkReadAhead(std::function<QString()> folder);
    ~LinkReadAhead();
    LinkReadAhead(const LinkReadAhead &) = delete;
    LinkReadAhead &operator=(const LinkReadAhead &) = delete;

    // What was read, once the thread is done (waits for it). Handed over once:
    // later calls give nothing.
    Files take();

private:
    Files m_result;
    std::thread m_thread;
};

} // namespace platform::db
