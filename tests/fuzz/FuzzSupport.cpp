#include "FuzzSupport.h"

#include "platform/Files.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

namespace {

// Answers with the defaults and forgets what was shown, so that a long run
// does not grow.
class QuietPrompts : public platform::ScriptedPrompts {
public:
    int msgBox(const QString &text, int style, const QString &title) override
    {
        const int answer = ScriptedPrompts::msgBox(text, style, title);
        if (shown.size() > 64)
            shown.clear();
        return answer;
    }
};

QuietPrompts *gPrompts = nullptr;
QTemporaryDir *gScratch = nullptr;

} // namespace

void init()
{
    if (gPrompts)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    // Qt's warnings about the odd names and files made from the inputs are noise here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            std::abort();
        }
    });
    // The files of every input are written and synced many times: in memory when possible.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static QTemporaryDir scratchDir(base + QStringLiteral("/trambelo-fuzz-XXXXXX"));
    if (!scratchDir.isValid()) {
        std::fprintf(stderr, "fuzz: no temporary folder\n");
        std::abort();
    }
    gScratch = &scratchDir;
    static QuietPrompts prompts;
    gPrompts = &prompts;
    platform::setPrompts(gPrompts);
}

QString scratch()
{
    return gScratch->path() + u'/';
}

QString freshFolder(const QString &name)
{
    const QString path = scratch() + name;
    QDir(path).removeRecursively();
    if (!QDir().mkpath(path)) {
        std::fprintf(stderr, "fuzz: cannot create %s\n", qPrintable(path));
        std::abort();
    }
    return path + u'/';
}

platform::ScriptedPrompts &prompts()
{
    return *gPrompts;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush()) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

QByteArray snapshot(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    entries.sort();
    QByteArray out;
    for (const QString &e : entries) {
        out += QFile::encodeName(QDir(folder).relativeFilePath(e)) + '\n';
        if (QFileInfo(e).isFile())
            out += readAll(e) + '\n';
    }
    return out;
}

QString builtAppDir()
{
    return QStringLiteral(TRAMBELO_APP_DIR);
}

void fail(const char *file, int line, const char *condition, const QString &detail)
{
    std::fprintf(stderr, "fuzz: %s:%d: check failed: %s\n  %s\n", file, line, condition, qPrintable(detail));
    std::abort();
}

} // namespace fuzz

// The targets' start, unless a target brings its own.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::init();
    return 0;
}
