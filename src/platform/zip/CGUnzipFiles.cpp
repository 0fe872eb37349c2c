#include "platform/zip/CGUnzipFiles.h"
#include "platform/Prompts.h"

long CGUnzipFiles::Unzip(const QString &zipFileName, const QString &extractDir)
{
    if (!zipFileName.isEmpty())
        m_zipFileName = zipFileName;
    if (!extractDir.isEmpty())
        m_extractDir = extractDir;
    return m_extraction.run(m_zipFileName, m_extractDir, &mdl_Zip::UnzipPasswordCallback, m_hooks);
}

namespace mdl_Zip {

std::optional<QString> UnzipPasswordCallback(const QString &)
{
    return platform::prompts().passwordBox(QStringLiteral("Please Enter The Password!"), platform::AppTitle);
}

} // namespace mdl_Zip
