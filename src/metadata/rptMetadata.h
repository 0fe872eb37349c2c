#pragma once
// The common part of the metadata reports: each opens its own read-only
// connection to Metadati.mdb and the rows of one record, kept while the report
// is shown and released when it ends.
#include "platform/db/Database.h"
#include "platform/report/Report.h"

#include <optional>

class rptMetadata : public platform::report::DataReport {
public:
    using DataReport::DataReport;

    // True while the report holds its connection.
    bool HasConnection() const { return m_conn.has_value(); }

protected:
    // Opens the connection and runs `sql` as the report's data. Errors are
    // logged under the report's name and "InitReport"; false then, with the
    // connection released.
    bool OpenData(const QString &sql);
    void DataReport_Terminate() override;

private:
    std::optional<platform::db::Database> m_conn;
};

// `text` with every apostrophe doubled, for a quoted SQL literal.
QString QuoteSql(const QString &text);
