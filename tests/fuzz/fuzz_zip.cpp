// The database update from a zip archive: whatever the archive holds, the
// extraction either puts every file inside the destination folder, or changes
// nothing at all and says why. Nothing is ever written outside the folder, and
// a successful extraction can be taken back to the folder as it was.
#include "FuzzSupport.h"

#include "platform/zip/Unzip.h"

#include <QDir>
#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::init();
    const QString root = fuzz::freshFolder(QStringLiteral("zip"));
    const QString dest = root + QStringLiteral("Databases/");
    QDir().mkpath(dest + QStringLiteral("Shape"));
    QDir().mkpath(root + QStringLiteral("fuori"));
    fuzz::writeAll(dest + QStringLiteral("Metadati.mdb"), "metadati di prima");
    fuzz::writeAll(dest + QStringLiteral("InfoQrl.txt"), "testo di prima");
    fuzz::writeAll(root + QStringLiteral("fuori/InfoQrl.txt"), "fuori");
    const QString archive = root + QStringLiteral("aggiornamento.zip");
    fuzz::writeAll(archive, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QByteArray before = fuzz::snapshot(root);

    int asked = 0;
    const auto password = [&](const QString &) -> std::optional<QString> {
        if (++asked > 1)
            return std::nullopt;
        return QStringLiteral("segreta");
    };
    {
        platform::zip::Extraction extraction;
        const int rc = extraction.run(archive, dest, password);
        if (rc != platform::zip::code::Ok) {
            FUZZ_CHECK(!extraction.message().isEmpty(), QStringLiteral("code %1 without a message").arg(rc));
            FUZZ_CHECK(fuzz::snapshot(root) == before,
                       QStringLiteral("code %1 (%2) but the folders changed").arg(rc).arg(extraction.message()));
            return 0;
        }
        const QString canonicalDest = QFileInfo(dest).canonicalFilePath() + u'/';
        for (const QString &f : extraction.files()) {
            const QFileInfo fi(f);
            FUZZ_CHECK(fi.isFile() && !fi.isSymLink(), f);
            FUZZ_CHECK(fi.canonicalFilePath().startsWith(canonicalDest), QStringLiteral("written outside: ") + f);
        }
        FUZZ_CHECK(fuzz::readAll(root + QStringLiteral("fuori/InfoQrl.txt")) == "fuori", QStringLiteral("outside changed"));
        FUZZ_CHECK(extraction.revert(), QStringLiteral("revert failed"));
    }
    FUZZ_CHECK(fuzz::snapshot(root) == before, QStringLiteral("revert did not restore the folder"));
    return 0;
}
