// The whole start-up on the sample program folder, headless: the main window,
// the single-instance lock, the folders, the links, the shape folder, the
// configuration objects and the menu bar read from the database, up to a menu
// that answers. The first run is timed from the start of the process (the
// toolkit's own start included); the benchmark then repeats the sequence warm.
#include "frame/Globals.h"
#include "frame/MainWindow.h"
#include "platform/db/Links.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

QTemporaryDir *g_lockDir = nullptr;
QString g_app;

bool startOnce()
{
    frmMainMDI w(g_app, g_lockDir->path() + "/trambelo.lock");
    const bool ok = w.MDIForm_Load();
    QCoreApplication::processEvents();   // the window shown and its menu drawn
    return ok && w.menuBar()->actions().size() == 4;
}

void BM_Startup(benchmark::State &state)
{
    for (auto _ : state) {
        const bool ok = startOnce();
        if (!ok)
            state.SkipWithError("start-up failed");
    }
}
BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer cold;
    cold.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QApplication app(argc, argv);
    QTranslator qt;
    if (qt.load(QLocale(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qt);
    const qint64 qtStart = cold.elapsed();

    // The sample program folder as built (read only: nothing is written there).
    QTemporaryDir lockDir;
    g_lockDir = &lockDir;
    g_app = testenv::builtAppDir() + "/";
    const bool ok = startOnce();
    std::printf("first start-up, process start to usable menu: %lld ms (toolkit start %lld ms)%s\n",
                static_cast<long long>(cold.elapsed()), static_cast<long long>(qtStart), ok ? "" : " FAILED");

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    platform::db::Links::clear();
    return ok ? 0 : 1;
}
