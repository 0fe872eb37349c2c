#pragma once
// The extraction of an update archive as the program uses it: every entry,
// stored folders recreated, existing files replaced without a question, all or
// nothing (see Extraction). An encrypted entry asks for the password.
#include "platform/zip/Unzip.h"

#include <QString>

class CGUnzipFiles {
public:
    const QString &ZipFileName() const { return m_zipFileName; }
    void setZipFileName(const QString &v) { m_zipFileName = v; }
    const QString &ExtractDir() const { return m_extractDir; }
    void setExtractDir(const QString &v) { m_extractDir = v; }

    // The progress of the extraction and the check of the files before they
    // replace anything (see Extraction::Hooks).
    void setHooks(platform::zip::Extraction::Hooks hooks) { m_hooks = std::move(hooks); }

    // A non-empty argument replaces the property. Returns the result code
    // (platform::zip::code::Ok = 0 on success; any other: nothing changed).
    long Unzip(const QString &zipFileName = {}, const QString &extractDir = {});
    // The text describing the last result.
    QString GetLastMessage() const { return m_extraction.message(); }
    // The library's own text behind the last failure, for the error log.
    QString GetLastDetail() const { return m_extraction.detail(); }
    // The files written by the last successful Unzip.
    QStringList Files() const { return m_extraction.files(); }
    // Puts the folder back as it was before the last successful Unzip (possible
    // while this object lives). False when something could not be put back.
    bool Revert() { return m_extraction.revert(); }

private:
    QString m_zipFileName;
    QString m_extractDir;
    platform::zip::Extraction::Hooks m_hooks;
    platform::zip::Extraction m_extraction;
};

namespace mdl_Zip {

// Asks for the password of an encrypted entry: "Please Enter The Password!",
// what is typed hidden.
std::optional<QString> UnzipPasswordCallback(const QString &entryName);

} // namespace mdl_Zip
