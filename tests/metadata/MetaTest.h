#pragma once
// A copy of the sample program folder for the metadata windows and reports,
// with statements on its metadata database and the error log it writes.
#include "platform/db/Database.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>
#include <tuple>

namespace testenv {

class MetaTest : public ::testing::Test {
protected:
    ProgramFolder pf;

    void sql(const QString &statement) { platform::db::Database::open(pf.databases(), "Metadati.mdb").execute(statement); }
    QString errorLog() const
    {
        QFile log(pf.files() + "Error.log");
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
    }
    // The messages shown, one a line ("" when none).
    QString messages() const { return pf.prompts.messages().join('\n'); }
};

} // namespace testenv
