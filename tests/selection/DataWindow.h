#pragma once
// The data table window opened on a request of the sample databases, as the
// selection window opens it; shared by the tests of the table, its export and
// its formula columns.
#include "frame/Globals.h"
#include "platform/db/Database.h"
#include "platform/grid/TextGrid.h"
#include "selection/FormdatiTabLogic.h"
#include "selection/frm_dispData.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>
#include <utility>

namespace testenv {

// The data query of the selection window for `items` ("Id-Anno") and the territories named (all when none).
inline QString request(const QString &dbName, const QString &kind, const QStringList &items,
                       const QStringList &names = {})
{
    auto db = platform::db::Database::open(gDbPath, dbName, platform::db::OpenMode::ReadOnly);
    QStringList lines;
    for (const QString &i : items)
        lines << i + " - x";
    return selection::CreaQuery(lines, kind, selection::CreaFiltroTerritori(names),
                                [&](const QString &id, const QString &anno) {
                                    auto rs = db.query(selection::LookupQuery(id, anno));
                                    return rs.eof() ? QString() : rs.text(0);
                                });
}

class DataWindowTest : public ::testing::Test {
protected:
    ProgramFolder pf;
    frm_dispData *w = nullptr;

    void TearDown() override { delete w; }

    // The window on `sql`; the one open before is gone first, even when what follows throws.
    frm_dispData *open(const QString &dbName, const QString &kind, const QString &sql, int livello = 3)
    {
        delete std::exchange(w, nullptr);
        gDbName = dbName;
        gTipoDb = kind;
        gSqlDati = sql;
        gLivelloTerritorio = livello;
        w = frm_dispData::ShowForm();
        QApplication::processEvents();
        return w;
    }
    frm_dispData *openItems(const QString &dbName, const QString &kind, const QStringList &items,
                            const QStringList &names = {})
    {
        delete std::exchange(w, nullptr);
        return open(dbName, kind, request(dbName, kind, items, names));
    }
    platform::grid::TextGrid &grid() { return must(w, "data window")->datagrid(); }
    QStringList messages() const { return pf.prompts.messages(); }
    QString errorLog() const
    {
        QFile log(gFilesPath + "Error.log");
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }
};

} // namespace testenv
