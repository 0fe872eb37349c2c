#include "support/TestEnv.h"
#include "frame/Globals.h"
#include "platform/db/Database.h"
#include "platform/db/Links.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace testenv {

QString builtAppDir()
{
    // Another program folder (a damaged copy, say) can stand in for the built one.
    return qEnvironmentVariable("TRAMBELO_TEST_APP_DIR", QStringLiteral(TRAMBELO_APP_DIR));
}
QString sourceDir() { return QStringLiteral(TRAMBELO_SOURCE_DIR); }

static void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo fi = it.fileInfo();
        const QString rel = QDir(from).relativeFilePath(fi.filePath());
        if (fi.isDir())
            QDir().mkpath(to + "/" + rel);
        else if (fi.fileName() != QLatin1String("trambelo"))
            QFile::copy(fi.filePath(), to + "/" + rel);
    }
}

void applyStartState(const QString &appPath)
{
    ResetGlobals();
    gAppPath = appPath;
    gDbPassword = QStringLiteral("trambelo2009");
    gFilesPath = appPath + QStringLiteral("Files/");
    gExcelPath = appPath + QStringLiteral("Excel/");
    gConnAdo = QStringLiteral("Driver={SQLite};Pwd=%1;Dbq= ").arg(gDbPassword);
    gConnDao = QStringLiteral("SQLite;pwd=%1").arg(gDbPassword);
    gDbPath = appPath + QStringLiteral("Databases/");
    gShapePath = appPath + QStringLiteral("Shape/");
    std::vector<platform::db::Link> links;
    try {
        auto db = platform::db::Database::open(gDbPath, QStringLiteral("Metadati.mdb"), platform::db::OpenMode::ReadOnly);
        auto rs = db.query(QStringLiteral("select * from tablelink"));
        for (; !rs.eof(); rs.moveNext())
            links.push_back({rs.text(0), rs.text(1), rs.text(2)});
    } catch (...) {
    }
    platform::db::Links::set(gDbPath, links);
}

ProgramFolder::ProgramFolder(bool startState)
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for the program folder: " + m_dir.errorString().toStdString());
    copyTree(builtAppDir(), m_dir.path());
    platform::setPrompts(&prompts);
    if (startState)
        applyStartState(path());
    else
        ResetGlobals();
}

ProgramFolder::~ProgramFolder()
{
    platform::setPrompts(nullptr);
    platform::db::Links::clear();
    ResetGlobals();
}

QString ProgramFolder::path() const { return m_dir.path() + "/"; }
QString ProgramFolder::databases() const { return path() + "Databases/"; }
QString ProgramFolder::files() const { return path() + "Files/"; }

} // namespace testenv
