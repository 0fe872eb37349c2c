#include "frame/Config.h"

void MetaConfig::Init(const QString &connPrefix, const QString &dbFolder, const QString &dbFile)
{
    m_connPrefix = connPrefix;
    m_dbFolder = dbFolder;
    m_dbFile = dbFile;
}

int MetaConfig::SetDatabase(const QString &dbFile)
{
    m_current = dbFile;
    return 0;
}

void AreaConfig::SetConnection(const QString &connection) { m_connection = connection; }
void AreaConfig::SetFilesPath(const QString &filesPath) { m_filesPath = filesPath; }
void AreaConfig::Load() { m_loaded = true; }

namespace frame {

MetaConfig &TheMetaConfig()
{
    static MetaConfig instance;
    return instance;
}

AreaConfig &TheAreaConfig()
{
    static AreaConfig instance;
    return instance;
}

} // namespace frame
