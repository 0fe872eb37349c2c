#pragma once
// The two configuration objects created at start-up and kept for the whole run:
// MetaConfig (metadata browser settings) and AreaConfig (the selection window's
// areas and the saved queries it leaves in the current statistical database).
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

class MetaConfig {
public:
    virtual ~MetaConfig() = default;
    // Connection prefix, databases folder and the metadata database's file name.
    void Init(const QString &connPrefix, const QString &dbFolder, const QString &dbFile);
    // The statistical database chosen in the metadata browser; the result is not used.
    int SetDatabase(const QString &dbFile);

    const QString &connPrefix() const { return m_connPrefix; }
    const QString &dbFolder() const { return m_dbFolder; }
    const QString &metadataFile() const { return m_dbFile; }
    const QString &currentDatabase() const { return m_current; }

private:
    QString m_connPrefix, m_dbFolder, m_dbFile, m_current;
};

class AreaConfig {
public:
    virtual ~AreaConfig() = default;
    void SetConnection(const QString &connection);
    void SetFilesPath(const QString &filesPath);
    void Load();

    // The areas; stored by the selection window.
    virtual QVariantList GetAreaArray() const { return {}; }
    // The saved queries of the current statistical database that the selection
    // window leaves behind: each element is empty or holds two parts whose
    // concatenation is a query name.
    virtual std::vector<QStringList> GetAreaQueries() const { return {}; }

    const QString &connection() const { return m_connection; }
    const QString &filesPath() const { return m_filesPath; }
    bool loaded() const { return m_loaded; }

private:
    QString m_connection, m_filesPath;
    bool m_loaded = false;
};

namespace frame {
// The start-up instances (created on first use; gMetaConfig / gAreaConfig point at them
// unless a test installed others).
MetaConfig &TheMetaConfig();
AreaConfig &TheAreaConfig();
}
