#pragma once
// Helpers of the frame tests, which include this header first (it brings the
// test framework, the database and the linked tables): small changes to the
// sample databases of a temporary program folder, reading and writing the files
// the program uses, and a main window with its document area.
#include "frame/Forms.h"
#include "frame/Layout.h"
#include "platform/db/Database.h"
#include "platform/db/Links.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace frametest {

// Runs `sql` on the file itself, without its linked tables.
inline void exec(const QString &folder, const QString &file, const QString &sql)
{
    const QString linkFolder = platform::db::Links::folder();
    const auto links = platform::db::Links::all();
    platform::db::Links::clear();
    {
        auto db = platform::db::Database::open(folder, file);
        for (const QString &stmt : sql.split(u';', Qt::SkipEmptyParts))
            if (!stmt.trimmed().isEmpty())
                db.execute(stmt);
    }
    platform::db::Links::set(linkFolder, links);
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The lines of Files/Error.log.
inline QStringList logLines(const QString &filesFolder)
{
    return QString::fromUtf8(readAll(filesFolder + "Error.log")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// The lines of Files/Error.log: `count` of them, each naming `where`.
inline QStringList expectLog(const QString &filesFolder, qsizetype count, const QString &where)
{
    const QStringList lines = logLines(filesFolder);
    EXPECT_EQ(lines.size(), count) << lines.join(" | ").toStdString();
    for (const QString &l : lines)
        EXPECT_TRUE(l.contains(where)) << l.toStdString();
    return lines;
}

inline void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The names of the open windows, in their order.
inline QStringList openNames()
{
    QStringList out;
    for (QWidget *w : frame::OpenForms())
        out << w->objectName();
    return out;
}

inline void unloadAll()
{
    for (QWidget *w : frame::OpenForms())
        frame::UnloadForm(w);
    processDeletes();
}

// A shown main window of a known size with the program's document area,
// installed as the program's area; its windows are unloaded with it.
struct MainWindow {
    QMainWindow window;
    frame::BackgroundMdiArea *area = new frame::BackgroundMdiArea;
    explicit MainWindow(QSize size = {1000, 760})
    {
        window.setObjectName("frmMainMDI");
        area->setObjectName("MDIClient");
        window.setCentralWidget(area);
        window.resize(size);
        window.show();
        QApplication::processEvents();
        frame::SetMdiArea(area);
    }
    ~MainWindow()
    {
        unloadAll();
        frame::SetMdiArea(nullptr);
    }
};

// Sets an environment variable for the lifetime of the object.
struct EnvVar {
    const char *name;
    QByteArray old;
    EnvVar(const char *n, const QString &value) : name(n), old(qgetenv(n)) { qputenv(n, value.toLocal8Bit()); }
    ~EnvVar()
    {
        if (old.isNull())
            qunsetenv(name);
        else
            qputenv(name, old);
    }
};

} // namespace frametest
