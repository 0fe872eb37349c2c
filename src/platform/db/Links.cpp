#include "platform/db/Links.h"

namespace platform::db {

namespace {
QString g_folder;
std::vector<Link> g_links;
} // namespace

void Links::set(const QString &folder, std::vector<Link> links)
{
    g_folder = folder;
    g_links = std::move(links);
}

void Links::clear()
{
    g_folder.clear();
    g_links.clear();
}

QString Links::folder() { return g_folder; }

const std::vector<Link> &Links::all() { return g_links; }

std::vector<Link> Links::forHolder(const QString &fileName)
{
    std::vector<Link> out;
    for (const Link &l : g_links)
        if (l.holderFile.compare(fileName, Qt::CaseInsensitive) == 0)
            out.push_back(l);
    return out;
}

} // namespace platform::db
