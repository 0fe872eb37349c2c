// A long chain of inner joins keeps its written order (the engine is told so
// with CROSS JOIN): the text the engine gets, and the same rows as the chain
// left for the engine to order.
#include "platform/db/Database.h"
#include "test_common.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::db::Database;
using platform::db::Recordset;

namespace {

// "(...(T0 INNER JOIN T1 ON ..) INNER JOIN T2 ON ..) ... INNER JOIN Tn-1 ON ..", parenthesised as the
// data query writes it, or flat (which the engine takes as written, and orders as it likes).
QString chain(int tables, bool parenthesised, const QString &joinWord = QStringLiteral("INNER JOIN"))
{
    QString from = QStringLiteral("T0");
    for (int k = 1; k < tables; ++k) {
        const QString next = QStringLiteral(" %1 T%2 ON T%2.k = T%3.k").arg(joinWord).arg(k).arg(k - 1);
        from = parenthesised && k > 1 ? u'(' + from + u')' + next : from + next;
    }
    return from;
}

} // namespace

TEST(JetJoins, ALongChainKeepsItsWrittenOrder)
{
    struct Case { const char *what; QString sql; int crossJoins; };
    const Case cases[] = {
        {"seven joins are left to the engine", "SELECT * FROM " + chain(8, true), 0},
        {"eight joins keep their order", "SELECT * FROM " + chain(9, true), 8},
        {"a chain without parentheses is left as written", "SELECT * FROM " + chain(12, false), 0},
        {"left joins stay left joins", "SELECT * FROM " + chain(12, true, "LEFT JOIN"), 0},
        {"a subquery keeps its own joins",
         "SELECT * FROM " + chain(9, true) + " WHERE T0.k IN (SELECT a.k FROM a INNER JOIN b ON a.k = b.k)", 8},
        {"the next statement is not touched", "SELECT * FROM " + chain(9, true) + "; SELECT * FROM a INNER JOIN b ON 1", 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = Database::translate(c.sql);
        EXPECT_EQ(out.count(QStringLiteral("CROSS JOIN")), c.crossJoins) << out.toStdString();
        // Nothing else changes: the same text with INNER back, apart from the dropped parentheses.
        QString back = out;
        back.replace(QStringLiteral("CROSS JOIN"), QStringLiteral("INNER JOIN"));
        QString plain = c.sql;
        EXPECT_EQ(back.remove(u'(').remove(u')').simplified(), plain.remove(u'(').remove(u')').simplified());
    }
}

TEST(JetJoins, TheRowsAreThoseOfTheEnginesOwnOrder)
{
    QTemporaryDir dir;
    Database db = Database::create(dir.path() + u'/', QStringLiteral("j.mdb"));
    const int tables = 12;
    QString script;
    for (int t = 0; t < tables; ++t) {
        script += QStringLiteral("CREATE TABLE T%1 (k INTEGER PRIMARY KEY, v REAL);").arg(t);
        // Each table lacks two keys of its own: the join keeps the keys they all hold.
        QStringList rows;
        for (int k = 1; k <= 40; ++k)
            if (k != t + 1 && k != t + 15)
                rows << QStringLiteral("(%1, %2)").arg(k).arg(k * 10 + t);
        script += QStringLiteral("INSERT INTO T%1 VALUES %2;").arg(t).arg(rows.join(u','));
    }
    db.execute(script);
    QString columns = QStringLiteral("T0.k");
    for (int t = 0; t < tables; ++t)
        columns += QStringLiteral(", T%1.v").arg(t);
    const QString where = QStringLiteral(" WHERE T3.v > 50 ORDER BY T0.k");
    const Recordset fixed = db.query("SELECT " + columns + " FROM " + chain(tables, true) + where);
    const Recordset free = db.query("SELECT " + columns + " FROM " + chain(tables, false) + where);
    ASSERT_GT(fixed.recordCount(), 0);
    ASSERT_EQ(fixed.recordCount(), free.recordCount());
    for (int r = 0; r < fixed.recordCount(); ++r)
        for (int c = 0; c <= tables; ++c)
            EXPECT_EQ(fixed.at(r, c), free.at(r, c)) << "row " << r << " column " << c;
}
