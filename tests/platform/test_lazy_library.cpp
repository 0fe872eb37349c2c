// The zip library and the workbook writer opened at first use: a library and
// function that are there resolve and work; a missing library or function
// gives the Italian error, every time it is asked for, and no crash.
#include "platform/Error.h"
#include "platform/LazyLibrary.h"
#include "platform/xlsx/WorkbookLibrary.h"
#include "platform/zip/ZipLibrary.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <dlfcn.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace platform;

namespace {

using VersionFn = decltype(&::zip_libzip_version);   // const char *(void), as lxw_version

const QString Missing = QStringLiteral("libtrambelo-assente.so.0");

} // namespace

TEST(LazyLibrary, ResolvesOrFailsInItalian)
{
    const QString zipName = QString::fromLatin1(platform::zip::library().fileName());
    const QString xlsxName = QString::fromLatin1(platform::xlsx::library().fileName());
    struct Case {
        const char *label;
        QString file;
        const char *function;
        const char *version;   // what the function answers; nullptr when it must fail
        long number;
        QString description;
    };
    const Case cases[] = {
        {"zip library", zipName, "zip_libzip_version", LIBZIP_VERSION, 0, {}},
        {"workbook writer", xlsxName, "lxw_version", LXW_VERSION, 0, {}},
        {"missing library", Missing, "zip_open", nullptr, err::LibraryNotLoaded,
         QStringLiteral("Impossibile caricare la libreria %1: la libreria non è installata o non può essere aperta.")
             .arg(Missing)},
        {"missing function", zipName, "zip_funzione_assente", nullptr, err::LibraryFunctionMissing,
         QStringLiteral("Impossibile caricare la libreria %1: manca la funzione zip_funzione_assente (la versione "
                        "installata non è compatibile).")
             .arg(zipName)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const QByteArray file = c.file.toLatin1();
        LazyLibrary lib(file.constData());
        for (int attempt = 0; attempt < 2; ++attempt) {   // the same answer when asked again
            if (c.version) {
                const VersionFn fn = lib.function<VersionFn>(c.function);
                ASSERT_NE(fn, nullptr);
                EXPECT_STREQ(fn(), c.version);
                continue;
            }
            try {
                lib.function<VersionFn>(c.function);
                ADD_FAILURE() << "no error";
            } catch (const RuntimeError &e) {
                EXPECT_EQ(e.number(), c.number);
                EXPECT_EQ(e.description(), c.description);
                EXPECT_FALSE(e.detail().isEmpty());   // the loader's own text, for the log
            }
        }
    }
}

TEST(LazyLibrary, ProgramTablesResolveEveryFunction)
{
    const platform::zip::Functions &z = platform::zip::functions();
    const platform::xlsx::Functions &x = platform::xlsx::functions();
    std::string unresolved;
#define CHECK_RESOLVED(table, name) \
    if (!table.name)                \
        unresolved += " " #name;
#define CHECK_ZIP(name) CHECK_RESOLVED(z, name)
#define CHECK_XLSX(name) CHECK_RESOLVED(x, name)
    TRAMBELO_ZIP_FUNCTIONS(CHECK_ZIP)
    TRAMBELO_XLSX_FUNCTIONS(CHECK_XLSX)
    EXPECT_EQ(unresolved, "");
    // The very functions the library exports: the program and a direct call meet the same code.
    EXPECT_EQ(reinterpret_cast<void *>(z.zip_open), ::dlsym(RTLD_DEFAULT, "zip_open"));
    EXPECT_EQ(&platform::zip::functions(), &z);   // resolved once
}

TEST(LazyLibrary, FirstUseFromManyThreads)
{
    const void *expected = ::dlsym(RTLD_DEFAULT, "zip_fread");
    const QByteArray missing = Missing.toLatin1();
    LazyLibrary present(platform::zip::library().fileName());
    LazyLibrary absent(missing.constData());
    std::atomic<int> same{0}, failed{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            if (present.address("zip_fread") == expected)
                ++same;
            try {
                absent.address("zip_fread");
            } catch (const RuntimeError &e) {
                if (e.number() == err::LibraryNotLoaded)
                    ++failed;
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(same, 8);
    EXPECT_EQ(failed, 8);
}

TEST(LazyLibrary, ProgramStartsWithoutThem)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(TRAMBELO_APP_DIR "/trambelo")});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QString loaded = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    ASSERT_TRUE(loaded.contains(QLatin1String("libQt6Core"))) << loaded.toStdString();
    for (const char *name : {"libzip", "libxlsxwriter", "libminizip", "libcrypto", "libbz2"})
        EXPECT_FALSE(loaded.contains(QLatin1String(name))) << name;
}
