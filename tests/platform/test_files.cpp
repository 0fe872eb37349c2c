#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/FileSizeLimit.h"

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(WriteAtomic, ReplacesTheFileAndKeepsItsPermissions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ShapeConfig.xml");
    writeRaw(path, "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    QString error;
    ASSERT_TRUE(platform::files::writeAtomic(path, "new contents", &error)) << error.toStdString();
    EXPECT_EQ(readAll(path), "new contents");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir.path()), QStringList{"ShapeConfig.xml"});
}

TEST(WriteAtomic, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("DBPath.rqm");
    writeRaw(path, "C:/vecchia/cartella/\r\n");
    QString error;
    {
        testsupport::FileSizeLimit limit(4);
        EXPECT_FALSE(platform::files::writeAtomic(path, QByteArray(64 * 1024, 'x'), &error));
    }
    EXPECT_EQ(readAll(path), "C:/vecchia/cartella/\r\n");
    EXPECT_TRUE(error.contains("DBPath.rqm")) << error.toStdString();
    EXPECT_EQ(entries(dir.path()), QStringList{"DBPath.rqm"});
}

TEST(WriteAtomic, FailuresAreReportedWithTheirReason)
{
    QTemporaryDir dir;
    struct Case {
        QString path;
        QString reason;
    } cases[] = {
        {dir.filePath("manca/file.txt"), "la cartella non esiste"},
        {dir.path(), "esiste una cartella"},
    };
    for (const Case &c : cases) {
        QString error;
        EXPECT_FALSE(platform::files::writeAtomic(c.path, "x", &error)) << c.path.toStdString();
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
    }
}

TEST(WriteAtomic, RemovesOnlyItsOwnStaleTemporaries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ShapeConfig.xml");
    const QStringList stale{"ShapeConfig.xml.tmp-a1B2c3", "ShapeConfig.xml.tmp-ZZZZZZ"};
    const QStringList kept{"ShapeConfig.xml.bak", "ShapeConfig.xml.tmp-1", "Altro.xml.tmp-abcdef"};
    for (const QString &n : stale + kept)
        writeRaw(dir.filePath(n), "x");
    ASSERT_TRUE(platform::files::writeAtomic(path, "<Configs/>"));
    QStringList expected = kept;
    expected << "ShapeConfig.xml";
    expected.sort();
    EXPECT_EQ(entries(dir.path()), expected);
}

} // namespace
