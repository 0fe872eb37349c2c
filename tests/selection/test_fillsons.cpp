// The classification tree against small databases made for one case, and
// against the sample whose tables hold their rows many times over.
#include "selection/FillSons.h"
#include "frame/Globals.h"
#include "frame/Utility.h"
#include "platform/db/Database.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include <sys/resource.h>

using Utility_RQM::NodeKey;

namespace {

// "key:text" of every node, depth-first, children indented by one blank per level.
QStringList dump(QTreeWidget &tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        int depth = 0;
        for (auto *p = (*it)->parent(); p; p = p->parent())
            ++depth;
        out << QString(depth, u' ') + NodeKey(*it) + ":" + (*it)->text(0);
    }
    return out;
}

// A statistical database holding only the classification tables.
platform::db::Database fixture(const QString &folder, const QStringList &indVarAnno,
                               const QStringList &metadati)
{
    QDir().mkpath(folder);
    auto db = platform::db::Database::create(folder, "Fixture.mdb");
    db.execute("CREATE TABLE Settore (idSettore TEXT, [Descrizione Settore] TEXT)");
    db.execute("CREATE TABLE Argomento ([Codice argomento] TEXT, [Desc argomento] TEXT, idSettore TEXT)");
    db.execute("CREATE TABLE IndVarAnno (Variabile TEXT, Anno INTEGER, TipoVar TEXT, Settore TEXT, Argomento TEXT, "
               "Tabella TEXT)");
    db.execute("CREATE TABLE MetadatiVariabili (IdVariabile TEXT, DescVariabile TEXT)");
    db.execute("INSERT INTO Settore VALUES ('A', 'Contesto'), ('B', 'Trasporti')");
    db.execute("INSERT INTO Argomento VALUES ('A01', 'Popolazione', 'A'), ('B01', 'Rete stradale', 'B'), "
               "('B02', 'Ferrovie', 'B')");
    for (const QString &row : indVarAnno)
        db.execute("INSERT INTO IndVarAnno VALUES (" + row + ")");
    for (const QString &row : metadati)
        db.execute("INSERT INTO MetadatiVariabili VALUES (" + row + ")");
    return db;
}

} // namespace

TEST(FillSons, CasesOnSmallDatabases)
{
    // extra: a statement run before the tree is built; reported: the key in the error log, nullptr when none.
    const struct Case {
        const char *name; QStringList indVarAnno, metadati; QString extra; QStringList tree; const char *reported;
    } cases[] = {
        {"several years give one item; items in Id order under their topics",
         {"'A0102', 2004, 'V', 'A', 'A01', 'T'", "'A0101', 2004, 'V', 'A', 'A01', 'T'",
          "'A0101', 2005, 'V', 'A', 'A01', 'T'", "'B0101', 2004, 'V', 'B', 'B01', 'T'"},
         {"'A0101', 'Popolazione'", "'A0102', 'Superficie'", "'B0101', 'Autostrade'"}, "",
         {"A:Contesto", " A01:POPOLAZIONE", "  A0101:Popolazione", "  A0102:Superficie", "B:Trasporti",
          " B01:RETE STRADALE", "  B0101:Autostrade"},
         nullptr},
        {"no rows of the kind: an empty tree and no message",
         {"'A0101', 2004, 'I', 'A', 'A01', 'T'"}, {"'A0101', 'Popolazione'"}, "", {}, nullptr},
        {"the same item under two topics: reported once, the rest still built",
         {"'B0101', 2004, 'V', 'B', 'B01', 'T'", "'B0101', 2005, 'V', 'B', 'B02', 'T'",
          "'B0201', 2004, 'V', 'B', 'B02', 'T'"},
         {"'B0101', 'Autostrade'", "'B0201', 'Ferrovie'"}, "",
         {"B:Trasporti", " B01:RETE STRADALE", "  B0101:Autostrade", " B02:FERROVIE", "  B0201:Ferrovie"}, "B0101"},
        // The second A01 (under B) cannot take the key again: it and its items are
        // left out and reported instead of landing under sector A.
        {"a topic code repeated in another sector is not filed under the first",
         {"'A0101', 2004, 'V', 'A', 'A01', 'T'", "'B0101', 2004, 'V', 'B', 'A01', 'T'"},
         {"'A0101', 'Popolazione'", "'B0101', 'Autostrade'"}, "INSERT INTO Argomento VALUES ('A01', 'Popolazione', 'B')",
         {"A:Contesto", " A01:POPOLAZIONE", "  A0101:Popolazione", "B:Trasporti"}, "A01"},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::ProgramFolder pf;
        gTipoDb = "Variabili";
        auto db = fixture(pf.path() + QString("fx%1/").arg(n++), c.indVarAnno, c.metadati);
        if (!c.extra.isEmpty())
            db.execute(c.extra);
        QTreeWidget tree;
        Utility_RQM::fillsons(db, &tree);
        EXPECT_EQ(dump(tree), c.tree);
        EXPECT_EQ(pf.prompts.messages().size(), c.reported ? 1 : 0);
        if (c.reported) {
            QFile log(pf.files() + "Error.log");
            ASSERT_TRUE(log.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(log.readAll());
            EXPECT_TRUE(text.contains("Module:Utility Function: fillsons") && text.contains(c.reported)) << text.toStdString();
        }
    }
}

TEST(FillSons, MetadataTablesHoldingTheirRowsManyTimesOverAreReportedNotExhaustingMemory)
{
    testenv::ProgramFolder pf;
    {
        // Every classification table of the sample holds each row 64 times, without keys.
        auto meta = platform::db::Database::open(pf.databases(), "Metadati.mdb");
        for (const char *t : {"Settore", "Argomento", "IndVarAnno", "MetadatiVariabili"})
            meta.execute(QString("ALTER TABLE %1 RENAME TO copia; CREATE TABLE %1 AS SELECT copia.* FROM copia, "
                                 "(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 64) "
                                 "SELECT i FROM n); DROP TABLE copia;")
                             .arg(t));
    }
    gTipoDb = "Variabili";
    auto conn = Utility::GetDbConnection("Variabili.mdb");
    ASSERT_TRUE(conn.has_value());
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QTreeWidget tree;
    Utility_RQM::fillsons(*conn, &tree);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);

    EXPECT_EQ(tree.topLevelItemCount(), 0);
    ASSERT_EQ(pf.prompts.messages().size(), 1);
    EXPECT_TRUE(pf.prompts.messages()[0].contains("richiede troppa memoria")) << pf.prompts.messages()[0].toStdString();
    // The engine's bound, the rows read and what the program itself holds.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 1024L * 1024L) << "kB";
}
