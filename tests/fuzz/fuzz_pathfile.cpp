// The path files DBPath.rqm and SHPath.rqm: any text read from them gives no
// folder or one folder with one trailing separator, and the folder written back
// reads back the same. Looking for the databases with that file never fails
// without telling the user.
#include "FuzzSupport.h"

#include "frame/Folders.h"
#include "frame/Globals.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::init();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString app = fuzz::freshFolder(QStringLiteral("app"));
    QDir().mkpath(app + QStringLiteral("Files"));
    ResetGlobals();
    gAppPath = app;
    gFilesPath = app + QStringLiteral("Files/");
    fuzz::writeAll(gFilesPath + QStringLiteral("DBPath.rqm"), bytes);
    fuzz::writeAll(gFilesPath + QStringLiteral("SHPath.rqm"), bytes);
    const QString shown = QString::fromLatin1(bytes.toPercentEncoding());

    const QString folder = frame::GetDbPathFile();
    FUZZ_CHECK(frame::GetShPathFile() == folder, shown);
    if (!folder.isEmpty()) {
        FUZZ_CHECK(folder.endsWith(u'/') && !folder.endsWith(QLatin1String("//")), folder);
        FUZZ_CHECK(!folder.contains(u'\r') && !folder.contains(u'\n'), folder);
        FUZZ_CHECK(!QDir::isRelativePath(folder), folder);

        frame::WriteDBPath(folder);
        FUZZ_CHECK(frame::GetDbPathFile() == folder, QStringLiteral("%1 read back as %2").arg(folder, frame::GetDbPathFile()));
    }

    // No Databases folder beside the program: the path file is used, else the
    // (cancelled) folder browser, and the user is told when nothing is found.
    fuzz::prompts().shown.clear();
    const bool found = frame::FindDatabases(nullptr);
    if (found)
        FUZZ_CHECK(frame::FileExistsIn(QStringLiteral("Metadati.mdb"), gDbPath), gDbPath);
    else
        FUZZ_CHECK(!fuzz::prompts().messages().isEmpty(), shown);
    ResetGlobals();
    return 0;
}
