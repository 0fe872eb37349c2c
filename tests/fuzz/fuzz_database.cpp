// The metadata database at start-up: Metadati.mdb opened, its tablelink read
// and the attached tables set (relinking), the menu read from DBMainMenu and
// the classification trees of both kinds filled through the linked tables.
// Whatever the file holds, each step ends (no crash, no hang, no memory
// exhausted) and a failure reaches the user as a message.
//
// Input: a database file as it is (it starts with "SQLite format 3"), or else
// an SQL script that builds Metadati.mdb, so that mutations change tables and
// rows as well as the bytes of the file. The other databases are the samples.
#include "FuzzSupport.h"

#include "frame/Globals.h"
#include "frame/Menu.h"
#include "frame/Relink.h"
#include "frame/Utility.h"
#include "platform/db/Database.h"
#include "platform/db/Links.h"
#include "selection/FillSons.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <sqlite3.h>

#include <cstring>

namespace {

QString gApp;

void setUp()
{
    if (!gApp.isEmpty())
        return;
    fuzz::init();
    gApp = fuzz::freshFolder(QStringLiteral("app"));
    QDir().mkpath(gApp + QStringLiteral("Databases"));
    QDir().mkpath(gApp + QStringLiteral("Files"));
    for (const char *db : {"Territorio.mdb", "Variabili.mdb", "Indicatori.mdb"})
        QFile::copy(fuzz::builtAppDir() + QStringLiteral("/Databases/") + QLatin1String(db),
                    gApp + QStringLiteral("Databases/") + QLatin1String(db));
    // Lower bounds than the program's, reached sooner by the hostile inputs.
    platform::db::setLimits({qint64(32) << 20, qint64(16) << 20, qint64(4) << 20});
}

void startState()
{
    ResetGlobals();
    gAppPath = gApp;
    gDbPassword = QStringLiteral("trambelo2009");
    gFilesPath = gApp + QStringLiteral("Files/");
    gExcelPath = gApp + QStringLiteral("Excel/");
    gConnAdo = QStringLiteral("Driver={SQLite};Pwd=%1;Dbq= ").arg(gDbPassword);
    gConnDao = QStringLiteral("SQLite;pwd=%1").arg(gDbPassword);
    gDbPath = gApp + QStringLiteral("Databases/");
}

// Nothing of the script may reach another file.
int authorize(void *, int action, const char *, const char *, const char *, const char *)
{
    return action == SQLITE_ATTACH || action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

int stopLongScripts(void *steps)
{
    return ++*static_cast<int *>(steps) > 2000 ? 1 : 0;
}

// Builds the file from the script; whatever part of it runs is kept.
void runScript(const QString &path, const QByteArray &script)
{
    if (script.contains("VACUUM") || script.contains("vacuum"))
        return;   // VACUUM INTO writes another file
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) == SQLITE_OK) {
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_set_authorizer(db, authorize, nullptr);
        int steps = 0;
        sqlite3_progress_handler(db, 10000, stopLongScripts, &steps);
        sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;", nullptr, nullptr, nullptr);
        sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(db);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    setUp();
    startState();
    const QString meta = gDbPath + QStringLiteral("Metadati.mdb");
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(meta + QLatin1String(suffix));
    QFile::remove(gFilesPath + QStringLiteral("Error.log"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.startsWith(QByteArray("SQLite format 3\0", 16)))
        fuzz::writeAll(meta, bytes);
    else
        runScript(meta, bytes);

    platform::ScriptedPrompts &prompts = fuzz::prompts();
    prompts.shown.clear();
    if (!frame::RefreshLinkOnDB_2()) {
        FUZZ_CHECK(!prompts.messages().isEmpty(), QStringLiteral("relinking failed without a message"));
        return 0;
    }
    for (const platform::db::Link &l : platform::db::Links::all())
        FUZZ_CHECK(!l.table.isEmpty() && !l.sourceFile.isEmpty() && !l.holderFile.isEmpty(), l.table);

    mdlMenu::BuildMainMenu(nullptr);

    static QTreeWidget *tree = new QTreeWidget;
    for (const QString &kind : {QStringLiteral("Variabili"), QStringLiteral("Indicatori")}) {
        gTipoDb = kind;
        prompts.shown.clear();
        std::optional<platform::db::Database> conn = Utility::GetDbConnection(kind + QStringLiteral(".mdb"));
        if (!conn) {
            FUZZ_CHECK(!prompts.messages().isEmpty(), QStringLiteral("no connection and no message"));
            continue;
        }
        tree->clear();
        Utility_RQM::fillsons(*conn, tree);
    }
    platform::db::Links::clear();
    return 0;
}
