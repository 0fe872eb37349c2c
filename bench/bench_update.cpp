// The database update from an archive of 5,000 small entries (half of them in
// sub-folders), extracted into a databases folder that already holds files: the
// staging, the flush to disk and the renames with their journal, as the about
// window runs them. Each iteration extracts into a fresh folder.
#include "platform/zip/Unzip.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <zip.h>

namespace {

constexpr int Entries = 5000;

QString makeArchive(const QString &path)
{
    int err = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!za)
        return {};
    for (int i = 0; i < Entries; ++i) {
        const QByteArray name = (i % 2 ? QStringLiteral("Storico/%1/voce%2.txt").arg(i % 50).arg(i)
                                       : QStringLiteral("voce%1.txt").arg(i))
                                    .toUtf8();
        const QByteArray data = QByteArray("riga di dati ") + QByteArray::number(i) + QByteArray(200, 'x');
        void *copy = malloc(size_t(data.size()));
        memcpy(copy, data.constData(), size_t(data.size()));
        zip_source_t *src = zip_source_buffer(za, copy, zip_uint64_t(data.size()), 1);
        if (zip_file_add(za, name.constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            zip_discard(za);
            return {};
        }
    }
    if (zip_close(za) != 0) {
        zip_discard(za);
        return {};
    }
    return path;
}

void BM_Update5000Entries(benchmark::State &state)
{
    QTemporaryDir root;
    const QString zip = makeArchive(root.path() + "/aggiornamento.zip");
    if (zip.isEmpty()) {
        state.SkipWithError("archive not written");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString dest = root.path() + QStringLiteral("/Databases%1/").arg(round++);
        QDir().mkpath(dest);
        for (int i = 0; i < Entries; i += 10) {   // a tenth of the files are replaced
            QFile f(dest + QStringLiteral("voce%1.txt").arg(i));
            f.open(QIODevice::WriteOnly);
            f.write("vecchio");
        }
        state.ResumeTiming();

        platform::zip::Extraction ex;
        if (ex.run(zip, dest) != platform::zip::code::Ok)
            state.SkipWithError(ex.message().toUtf8().constData());

        state.PauseTiming();
        QDir(dest).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["entries"] = Entries;
}
BENCHMARK(BM_Update5000Entries)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
