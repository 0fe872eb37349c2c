#include "platform/db/LinkReadAhead.h"
#include "platform/Aside.h"
#include "platform/Error.h"
#include "platform/Files.h"

#include <QFile>
#include <set>
#include <utility>

namespace platform::db {

std::vector<TablelinkRow> ReadTablelink(Database &metadati)
{
    std::vector<TablelinkRow> rows;
    auto rs = metadati.query(QStringLiteral("select * from tablelink"));
    for (; !rs.eof(); rs.moveNext())
        rows.push_back({rs.text(0), rs.text(1), rs.text(2)});
    return rows;
}

bool LinkReadAhead::Files::Identity::operator==(const Identity &o) const
{
    return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
           changed.tv_nsec == o.changed.tv_nsec;
}

std::optional<LinkReadAhead::Files::Identity> LinkReadAhead::Files::identityOf(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    // The change time too: it cannot be set back, so a file written again and
    // given its old modification time is still told apart.
    return Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

const LinkReadAhead::Files::File *LinkReadAhead::Files::unchanged(const QString &path) const
{
    const auto it = m_files.find(path);
    if (it == m_files.end())
        return nullptr;
    const auto now = identityOf(path);
    return now && *now == it->second.identity ? &it->second : nullptr;
}

std::optional<std::vector<TablelinkRow>> LinkReadAhead::Files::tablelink(const QString &path) const
{
    if (path.isEmpty() || path != m_metadati || !unchanged(path))
        return std::nullopt;
    return m_rows;
}

std::optional<QStringList> LinkReadAhead::Files::names(const QString &path) const
{
    const File *f = unchanged(path);
    return f ? std::optional<QStringList>(f->names) : std::nullopt;
}

bool LinkReadAhead::Files::read(const QString &path, const std::function<void(Database &)> &more)
{
    const auto before = identityOf(path);
    if (!before)
        return false;
    try {
        Database db = Database::openFileOnly(path, OpenMode::ReadOnly);
        File f{*before, db.tablesAndViews()};
        if (more)
            more(db);
        // Changed while it was read: the caller reads it.
        if (identityOf(path) != before)
            return false;
        m_files.emplace(path, std::move(f));
        return true;
    } catch (...) {
        return false;
    }
}

LinkReadAhead::LinkReadAhead(std::function<QString()> folder)
    : m_thread(StartAside([this, folder = std::move(folder)] {
          try {
              const QString dir = folder();
              const QString metadati = dir.isEmpty() ? QString() : files::resolve(dir, QStringLiteral("Metadati.mdb"));
              std::vector<TablelinkRow> rows;
              if (metadati.isEmpty() || !m_result.read(metadati, [&](Database &db) { rows = ReadTablelink(db); }))
                  return;
              m_result.m_metadati = metadati;
              m_result.m_rows = std::move(rows);
              // Only files of the folder, as the relinking itself allows; each
              // once, a file that failed (locked, say) included.
              std::set<QString> tried{metadati};
              for (const TablelinkRow &row : m_result.m_rows)
                  for (const QString &name : {row.holder, row.source})
                      if (const QString path = files::resolveInside(dir, name);
                          !path.isEmpty() && tried.insert(path).second)
                          m_result.read(path);
          } catch (...) {
              // What was read so far stands; the rest is read by the caller.
          }
      }))
{
}

LinkReadAhead::~LinkReadAhead()
{
    if (m_thread.joinable())
        m_thread.join();
}

LinkReadAhead::Files LinkReadAhead::take()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::exchange(m_result, Files());
}

} // namespace platform::db
