#include "frame/Folders.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/NetPath.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace frame {

namespace {

const QString MainLabel = QStringLiteral("frmMainMDI");
const QString MetadatiFile = QStringLiteral("Metadati.mdb");

QString readPathFile(const QString &name)
{
    QString result;
    try {
        if (gFilesPath.isEmpty())
            return {};
        QString path = platform::files::resolve(gFilesPath, name);
        if (path.isEmpty()) {
            path = gFilesPath + name;
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))   // the reader leaves an empty file behind
                f.close();
            return {};
        }
        QString text;
        if (!platform::files::readText(path, text))
            return {};
        result = NormalisePathFileText(text);
    } catch (...) {
        result.clear();
    }
    return result;
}

void writePathFile(const QString &name, const QString &folder, const QString &proc)
{
    Guard(MainLabel, proc, [&] {
        QString path = platform::files::resolve(gFilesPath, name);
        if (path.isEmpty())
            path = gFilesPath + name;
        QString error;
        if (!platform::files::writeTextAtomic(path, folder + QStringLiteral("\r\n"), &error))
            throw platform::RuntimeError(75, error);
    });
}

bool holdsMetadati(const QString &folder)
{
    return !folder.isEmpty() && FileExistsIn(MetadatiFile, folder);
}

} // namespace

bool FileExistsIn(const QString &fileName, const QString &folder)
{
    try {
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            return false;
        const QString p = platform::files::resolve(folder, fileName);
        return !p.isEmpty() && QFileInfo(p).isFile();
    } catch (...) {
        return false;
    }
}

bool HasShapeFiles(const QString &folder)
{
    try {
        return !folder.isEmpty() && !platform::files::find(folder, QStringLiteral("*.shp")).isEmpty();
    } catch (...) {
        return false;
    }
}

QString NormalisePathFileText(const QString &text)
{
    QString t = text;
    t.remove(u'\r');
    t.remove(u'\n');
    t = t.trimmed();
    if (t.isEmpty())
        return {};
    if (QDir::isRelativePath(t))
        t = QDir::cleanPath(gAppPath + t);
    return NetPath::WithOneSep(t);
}

QString GetDbPathFile() { return readPathFile(QStringLiteral("DBPath.rqm")); }
QString GetShPathFile() { return readPathFile(QStringLiteral("SHPath.rqm")); }

void WriteDBPath(const QString &folder) { writePathFile(QStringLiteral("DBPath.rqm"), folder, QStringLiteral("WriteDBPath")); }
void WriteSHPath(const QString &folder) { writePathFile(QStringLiteral("SHPath.rqm"), folder, QStringLiteral("WriteSHPath")); }

bool FindDatabases(QWidget *owner)
{
    QString folder = gAppPath + QStringLiteral("Databases/");
    if (!holdsMetadati(folder)) {
        folder = GetDbPathFile();
        if (!holdsMetadati(folder)) {
            folder = NetPath::BrowseForFolder(owner, QStringLiteral("Selezionare la cartella contenente i Databases"), folder);
            if (!holdsMetadati(folder)) {
                platform::prompts().msgBox(QStringLiteral("Impossibile trovare i Databases\r\nL'Applicazione sarà chiusa."),
                                           platform::mb::Critical, QStringLiteral("Attenzione"));
                return false;
            }
            WriteDBPath(folder);
        }
    }
    gDbPath = folder;
    return true;
}

void FindShapeFiles(QWidget *owner)
{
    Guard(MainLabel, QStringLiteral("FindShapeFiles"), [&] {
        QString folder = gAppPath + QStringLiteral("Shape/");
        if (!HasShapeFiles(folder)) {
            folder = GetShPathFile();
            if (!HasShapeFiles(folder)) {
                folder = NetPath::BrowseForFolder(owner, QStringLiteral("Selezionare la cartella contenente i File delle cartine"),
                                                  folder);
                if (!HasShapeFiles(folder)) {
                    platform::prompts().msgBox(QStringLiteral("Nessun File delle cartine trovato. In questa sessione non "
                                                              "sarà possibile vedere le cartine!"),
                                               platform::mb::Information);
                    gShapePath.clear();
                    return;
                }
                WriteSHPath(folder);
            }
        }
        gShapePath = folder;
    });
}

} // namespace frame
