#include "metadata/rptMetadata.h"
#include "frame/Guard.h"
#include "frame/Utility.h"

bool rptMetadata::OpenData(const QString &sql)
{
    m_conn.reset();
    clearDataSource();
    bool ok = false;
    frame::Guard(name(), QStringLiteral("InitReport"), [&] {
        m_conn = Utility::GetDbConnection(QStringLiteral("Metadati.mdb"), QString(), platform::db::OpenMode::ReadOnly);
        if (!m_conn)
            return;   // the opener has reported it
        setDataSource(m_conn->query(sql));
        ok = true;
    });
    if (!ok)
        m_conn.reset();
    return ok;
}

void rptMetadata::DataReport_Terminate()
{
    clearDataSource();
    m_conn.reset();
}

QString QuoteSql(const QString &text)
{
    QString q = text;
    q.replace(u'\'', QLatin1String("''"));
    return q;
}
