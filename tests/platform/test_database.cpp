#include "platform/db/Database.h"
#include "platform/db/Links.h"
#include "test_common.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;
using namespace platform::db;
using ptest::errorOf;
using ptest::LocaleScope;

namespace {

class DbTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.path() + "/"; }
    Database make(const QString &name, const QString &script)
    {
        Database db = Database::create(folder(), name);
        db.execute(script);
        return db;
    }
    void TearDown() override { Links::clear(); }
};

} // namespace

TEST_F(DbTest, OpenerRefusesMissingAndForeignFilesAndResolvesCase)
{
    make("Metadati.mdb", "CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (7);");
    ASSERT_TRUE(ptest::writeFile(folder() + "Access.mdb", QByteArray(4096, 'x')));

    EXPECT_EQ(errorOf([&] { Database::open(folder(), "Manca.mdb"); }), err::FileNotFound);
    EXPECT_FALSE(QFile::exists(folder() + "Manca.mdb")) << "opening must never create a file";
    EXPECT_EQ(errorOf([&] { Database::open(folder(), "Access.mdb"); }), err::DatabaseError);
    EXPECT_EQ(errorOf([&] { Database::open(folder() + "nessuna/", "Metadati.mdb"); }), err::FileNotFound);

    for (const char *name : {"Metadati.mdb", "metadati.mdb", "METADATI.MDB"}) {
        Database db = Database::open(folder(), name);
        EXPECT_EQ(db.query("select a from t").text(0), "7") << name;
    }
    Database viaConn = Database::openConnectionString("Driver={x};Pwd=p;Dbq= " + folder() + "metadati.MDB");
    EXPECT_EQ(viaConn.query("select a from t").text("A"), "7");

    Database ro = Database::open(folder(), "Metadati.mdb", OpenMode::ReadOnly);
    EXPECT_EQ(errorOf([&] { ro.execute("INSERT INTO t VALUES (8)"); }), err::DatabaseError);
}

TEST_F(DbTest, FoldersWithBlanksQuotesAccentsAndLongPaths)
{
    make("Territorio.mdb", "CREATE TABLE land_Ind (COD_TERR INTEGER, DES_TERR TEXT); INSERT INTO land_Ind VALUES (1, 'Torino');");
    make("Dati.mdb", "CREATE TABLE v (a INTEGER);");
    QString deep;
    while (deep.toUtf8().size() < 560)
        deep += QString::fromUtf8("cartella dell'anno è àèìòù/");
    struct Case { const char *name; QString sub; bool opens; };   // sub: under the temporary folder
    const Case cases[] = {
        {"blanks, apostrophes and accents", QString::fromUtf8("qa dir/l'anno è/dati d'archivio %20 #1/"), true},
        {"long but within the engine's limit", deep.left(300).section(u'/', 0, -2) + "/", true},
        {"longer than the engine can open", deep, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString f = folder() + c.sub;
        ASSERT_TRUE(QDir().mkpath(f));
        for (const char *name : {"Territorio.mdb", "Dati.mdb"})
            ASSERT_TRUE(QFile::copy(folder() + name, f + name));
        Links::set(f, {{"land_Ind", "Territorio.mdb", "Dati.mdb"}});
        QString text;
        const QString error = ptest::failureOf([&] {
                                  Database db = Database::open(f, "Dati.mdb");
                                  text = db.query("select DES_TERR from land_Ind").text(0);
                                  db.execute("INSERT INTO v VALUES (1)");
                              }).text;
        if (c.opens) {
            EXPECT_EQ(text, "Torino") << error.toStdString();
        } else {
            EXPECT_TRUE(error.startsWith("Impossibile aprire il database '" + f + "Dati.mdb': il percorso è troppo lungo"))
                << error.toStdString();
        }
        Links::clear();
    }
}

TEST_F(DbTest, FailuresOfTheFileAreToldInItalianWithItsName)
{
    make("Dati.mdb", "CREATE TABLE t (a INTEGER);");
    const QString file = folder() + "Dati.mdb";
    struct Case { const char *name; std::function<void()> run; QString message; };
    Database holder = Database::open(folder(), "Dati.mdb");
    const Case cases[] = {
        {"writing through a read-only connection",
         [&] { Database::open(folder(), "Dati.mdb", OpenMode::ReadOnly).execute("INSERT INTO t VALUES (1)"); },
         "Impossibile scrivere nel database '" + file + "': il file o la sua cartella sono di sola lettura."},
        {"writing while another program holds the file",
         [&] {
             holder.execute("BEGIN EXCLUSIVE");
             Database::open(folder(), "Dati.mdb").execute("INSERT INTO t VALUES (1)");
         },
         QString::fromUtf8("Il database '") + file + QString::fromUtf8("' è bloccato da un altro utente o programma.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ptest::Failure f = ptest::failureOf(c.run);
        EXPECT_EQ(f.number, err::DatabaseError);
        EXPECT_EQ(f.text, c.message);
    }
    holder.execute("ROLLBACK");
}

TEST_F(DbTest, RecordsetValuesAndFields)
{
    LocaleScope it(ptest::italian());
    Database db = make("x.mdb", "CREATE TABLE t (Anno INTEGER, Valore REAL, Nome TEXT, Flag BOOLEAN, Vuoto REAL);"
                                "INSERT INTO t VALUES (2005, 12.5, 'Forlì', 1, NULL);"
                                "INSERT INTO t VALUES (2006, 2006.0, 'Aosta', 0, NULL);");
    Recordset rs = db.query("select * from t order by 1");
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.fieldName(1), "Valore");
    EXPECT_EQ(rs.text("anno"), "2005");
    EXPECT_EQ(rs.text("VALORE"), "12,5");
    EXPECT_EQ(rs.text(2), QString::fromUtf8("Forlì"));
    EXPECT_EQ(rs.field("Flag").type(), Value::Type::Boolean);
    EXPECT_TRUE(rs.field("Flag").toBool());
    EXPECT_EQ(rs.text("Vuoto"), "");
    EXPECT_EQ(errorOf([&] { rs.field("Manca"); }), err::ItemNotFound);
    rs.moveNext();
    EXPECT_EQ(rs.text("Valore"), "2006");
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_NE(errorOf([&] { rs.field(0); }), 0);
}

TEST_F(DbTest, JetFunctionsInBothLocales)
{
    Database db = make("f.mdb", "CREATE TABLE n (v REAL, s TEXT);"
                                "INSERT INTO n VALUES (NULL, 'Accosto');");
    struct Case { const char *expr; const char *it; const char *c; };
    const Case cases[] = {
        {"Format(v, '0.00') is null", "1", "1"},   {"CDbl(3)", "3", "3"},
        {"Format(CDbl('12,50') / CDbl('4,00') * 100, '0.0000')", "312,5000", "#"},
        {"Format(CDbl('12.50'), '0.00')", "#", "12.50"},
        {"left(s, 3)", "Acc", "Acc"},     {"left(s, 1) = 'a'", "1", "1"},         {"right(s, 2)", "to", "to"},
        {"left(v, 2) is null", "1", "1"}, {"InStr('B01-no', '-NO')", "4", "4"},  {"InStr('B01', '-NO')", "0", "0"},
        {"InStr(2, 'abcabc', 'A')", "4", "4"},
    };
    for (const Case &c : cases) {
        for (int loc = 0; loc < 2; ++loc) {
            LocaleScope g(loc == 0 ? ptest::italian() : QLocale::c());
            const char *want = loc == 0 ? c.it : c.c;
            const QString sql = QStringLiteral("select %1 from n").arg(QLatin1String(c.expr));
            if (QByteArray(want) == "#") {
                EXPECT_EQ(errorOf([&] { db.query(sql); }), err::DatabaseError) << c.expr << " locale " << loc;
            } else {
                EXPECT_EQ(db.query(sql).text(0), QString::fromUtf8(want)) << c.expr << " locale " << loc;
            }
        }
    }
}

TEST_F(DbTest, FormatOfStoredValuesRowByRow)
{
    // Every row of one query formatted in its turn: halves to the even digit on
    // the digits a user sees, signs kept, the long form of large numbers.
    struct Case { const char *stored; const char *pattern; const char *it; const char *c; };
    const Case cases[] = {
        {"0.125", "0.00", "0,12", "0.12"},          {"-0.125", "0.00", "-0,12", "-0.12"},
        {"2.675", "0.00", "2,68", "2.68"},          {"1.005", "0.00", "1,00", "1.00"},
        {"-0.004", "0.00", "-0,00", "-0.00"},       {"99.995", "0.00", "100,00", "100.00"},
        {"123456789012.345", "0.00", "123456789012,34", "123456789012.34"},
        {"999999999999.995", "0.00", "1000000000000,00", "1000000000000.00"},
        {"1e13", "0.00", "10000000000000,00", "10000000000000.00"},
        {"1e-300", "0.00", "0,00", "0.00"},         {"1e999", "0.00", "inf", "inf"},
        {"-1e999", "0.00", "-inf", "-inf"},         {"9007199254740993", "0.00", "9007199254740992,00", "9007199254740992.00"},
        {"'12,5'", "0.00", "12,50", "12,5"},        {"'n.d.'", "0.00", "n.d.", "n.d."},
        {"NULL", "0.00", "", ""},                   {"1.5", "0", "2", "2"},
        {"2.5", "0", "2", "2"},                     {"12.34565", "0.0000", "12,3456", "12.3456"},
        {"12.3456789", "#.##", "12,35", "12.35"},
        {"1e-10", "0.00000000000000000000", "0,00000000010000000000", "0.00000000010000000000"},
        {"1.5", "0.000000000000000000000000000000000000000000000000000000000000",
         "1,500000000000000000000000000000000000000000000000000000000000",
         "1.500000000000000000000000000000000000000000000000000000000000"},
    };
    QString script = "CREATE TABLE n (k INTEGER, v, p TEXT);";
    for (size_t i = 0; i < std::size(cases); ++i)
        script += QStringLiteral("INSERT INTO n VALUES (%1, %2, '%3');").arg(i).arg(cases[i].stored, cases[i].pattern);
    Database db = make("f.mdb", script);
    for (int loc = 0; loc < 2; ++loc) {
        LocaleScope g(loc == 0 ? ptest::italian() : QLocale::c());
        // The pattern is the same on every row of a real query (one query per
        // pattern), and last a pattern read from each row.
        for (const char *pattern : {"0.00", "0", "0.0000", "#.##", "0.00000000000000000000",
                                    "0.000000000000000000000000000000000000000000000000000000000000", ""}) {
            Recordset rs = db.query(*pattern ? QStringLiteral("SELECT k, Format(v, '%1') FROM n WHERE p = '%1' ORDER BY k")
                                                   .arg(QLatin1String(pattern))
                                             : QStringLiteral("SELECT k, Format(v, p) FROM n ORDER BY k"));
            for (; !rs.eof(); rs.moveNext()) {
                const Case &c = cases[size_t(rs.field(0).toInt())];
                EXPECT_EQ(rs.text(1), QString::fromUtf8(loc == 0 ? c.it : c.c)) << c.stored << " locale " << loc;
            }
        }
    }
}

TEST_F(DbTest, TranslatesOnlyWhatTheEngineRefuses)
{
    struct Case { const char *in; const char *out; };
    const Case cases[] = {
        {"select nome from glossario where left(nome,1) ='A'",
         "select nome from glossario where \"left\"(nome,1) COLLATE ITALIANO_BASE ='A' COLLATE NOCASE"},
        {"select right(left(s, 3), 1)",
         "select \"right\"(\"left\"(s, 3) COLLATE ITALIANO_BASE, 1) COLLATE ITALIANO_BASE"},
        {"select a from t LEFT JOIN u ON t.k = u.k", nullptr},
        {"select 'left(' from t", nullptr},
        {"select [left] from t", nullptr},
        {"SELECT * FROM (A INNER JOIN B ON A.k = B.k) INNER JOIN C ON C.k = B.k",
         "SELECT * FROM  A INNER JOIN B ON A.k = B.k  INNER JOIN C ON C.k = B.k"},
        {"SELECT * FROM Settore INNER JOIN (Argomento INNER JOIN M ON x = y) ON a = b", nullptr},
        {"SELECT * FROM (SELECT k FROM A) INNER JOIN B ON 1", nullptr},
        {"SELECT * FROM (A) INNER JOIN B ON 1", nullptr},
        {"select * from t where (((t.TipoVar) = 'I'))", "select * from t where (((t.TipoVar) = 'I' COLLATE NOCASE))"},
        // Text literals in comparisons.
        {"select a from t where k <>'x' and 'y'= k", "select a from t where k <>'x' COLLATE NOCASE and 'y' COLLATE NOCASE= k"},
        {"select a from t where nome = 'Èlite'", "select a from t where nome = 'Èlite' COLLATE ITALIANO"},
        {"select a from t where nome >= 'E' and nome<'F'",
         "select a from t where nome >= 'E' COLLATE ITALIANO and nome<'F' COLLATE ITALIANO"},
        {"select a from t where k = 'x' collate binary", nullptr},
        {"select a from t where nome like 'a%' and k in ('x', 'y') and n = 3", nullptr},
        {"update t set k = 'x' where k != 'y'", "update t set k = 'x' COLLATE NOCASE where k != 'y' COLLATE NOCASE"},
        // Sort keys.
        {"select nome from glossario order by 1;", "select nome from glossario order by 1 COLLATE ITALIANO;"},
        {"select a, b from t ORDER BY a DESC, left(b, 2), t.[c d] asc LIMIT 3",
         "select a, b from t ORDER BY a COLLATE ITALIANO DESC, \"left\"(b, 2) COLLATE ITALIANO_BASE COLLATE ITALIANO, "
         "t.[c d] COLLATE ITALIANO asc LIMIT 3"},
        {"select * from (select a from t order by a) x order by b collate binary",
         "select * from (select a from t order by a COLLATE ITALIANO) x order by b collate binary"},
        // Schema statements keep the engine's own collations.
        {"CREATE TABLE t (k TEXT CHECK (k <> 'x'))", nullptr},
        {"create view v as select left(a, 1) from t where a = 'x' order by a",
         "create view v as select \"left\"(a, 1) COLLATE NOCASE from t where a = 'x' order by a"},
        {"(select a from t where a = 'x')", "(select a from t where a = 'x' COLLATE NOCASE)"},
        {"select 1 from t where a = 'x'; create index i on t (a) where a = 'y'",
         "select 1 from t where a = 'x' COLLATE NOCASE; create index i on t (a) where a = 'y'"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Database::translate(QString::fromUtf8(c.in)).toStdString(), std::string(c.out ? c.out : c.in));
}

TEST_F(DbTest, LinksShowSourceTablesAndFollowTheFolder)
{
    make("Territorio.mdb", "CREATE TABLE land_Ind (COD_TERR INTEGER PRIMARY KEY, DES_TERR TEXT COLLATE NOCASE);"
                           "INSERT INTO land_Ind VALUES (1, 'Torino');")
        .close();
    make("Dati.mdb", "CREATE TABLE land_Ind (COD_TERR INTEGER, DES_TERR TEXT);"
                     "INSERT INTO land_Ind VALUES (99, 'locale');"
                     "CREATE TABLE T_05 (COD_TERR INTEGER PRIMARY KEY, X REAL); INSERT INTO T_05 VALUES (1, 2.5);")
        .close();
    Links::set(folder(), {{"land_Ind", "territorio.mdb", "Dati.mdb"}});
    {
        Database db = Database::open(folder(), "dati.mdb");
        Recordset rs = db.query("SELECT land_Ind.DES_TERR, Format(T_05.X, '0.00') as X_2005 FROM T_05 INNER JOIN "
                                "land_Ind  ON T_05.COD_TERR = land_Ind.COD_TERR WHERE land_Ind.DES_TERR IN( 'TORINO')");
        ASSERT_EQ(rs.recordCount(), 1) << "the link hides the local table and keeps NOCASE";
        EXPECT_EQ(rs.text(0), "Torino");
        EXPECT_TRUE(db.tables().contains("land_Ind")) << "the local table is still there";
        EXPECT_EQ(errorOf([&] { db.execute("INSERT INTO land_Ind VALUES (2, 'x')"); }), err::DatabaseError)
            << "a link is read-only";
    }
    // The databases moved: the same links read the new folder.
    QTemporaryDir other;
    QFile::copy(folder() + "Territorio.mdb", other.path() + "/Territorio.mdb");
    {
        Database o = Database::open(other.path() + "/", "Territorio.mdb");
        o.execute("UPDATE land_Ind SET DES_TERR = 'Torino nuova'");
    }
    Links::set(other.path() + "/", {{"land_Ind", "Territorio.mdb", "Dati.mdb"}});
    EXPECT_EQ(Database::open(folder(), "Dati.mdb").query("select DES_TERR from land_Ind").text(0), "Torino nuova");

    // A missing source is an error when the holder is opened; no file appears.
    Links::set(folder(), {{"land_Ind", "Manca.mdb", "Dati.mdb"}});
    EXPECT_EQ(errorOf([&] { Database::open(folder(), "Dati.mdb"); }), err::FileNotFound);
    EXPECT_FALSE(QFile::exists(folder() + "Manca.mdb"));
    // A source without the table is an error too.
    Links::set(folder(), {{"Settore", "Territorio.mdb", "Dati.mdb"}});
    EXPECT_EQ(errorOf([&] { Database::open(folder(), "Dati.mdb"); }), err::DatabaseError);
    // A damaged source is told by its own name, not by the holder's.
    ASSERT_TRUE(ptest::writeFile(folder() + "Rotto.mdb", QByteArray(4096, 'x')));
    Links::set(folder(), {{"land_Ind", "Rotto.mdb", "Dati.mdb"}});
    const QString text = ptest::failureOf([&] { Database::open(folder(), "Dati.mdb"); }).text;
    EXPECT_TRUE(text.contains("Rotto.mdb") && !text.contains("Dati.mdb")) << text.toStdString();
}

// The data query nests one parenthesised join per group of the selection.
static QString dataQuery(int groups)
{
    QString select = "SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, land_Ind.PROV, land_Ind.REG, "
                     "land_Ind.DES_TERR as Territorio";
    QString join = "T_0 INNER JOIN land_Ind  ON T_0.COD_TERR = land_Ind.COD_TERR";
    for (int k = 0; k < groups; ++k) {
        select += QStringLiteral(", Format(T_%1.X%1, '0.00') as X%1_2005").arg(k);
        if (k > 0)
            join = QStringLiteral("(%1) INNER JOIN T_%2 ON T_%2.COD_TERR = T_%3.COD_TERR").arg(join).arg(k).arg(k - 1);
    }
    return select + " FROM " + join + " WHERE land_Ind.DES_TERR IN( 'Torino', 'L''Aquila')";
}

TEST_F(DbTest, LongDataQueriesRunUpToTheEngineLimit)
{
    QString script = "CREATE TABLE land_Ind (COD_TERR INTEGER PRIMARY KEY, DES_TERR TEXT COLLATE NOCASE, "
                     "COD_TIPO_TERR INTEGER, PROV INTEGER, REG INTEGER);"
                     "INSERT INTO land_Ind VALUES (1, 'Torino', 1, 1, 1), (66, 'L''Aquila', 1, 66, 13), (201, 'Piemonte', 2, NULL, 1);";
    for (int k = 0; k < 70; ++k)
        script += QStringLiteral("CREATE TABLE T_%1 (COD_TERR INTEGER PRIMARY KEY, X%1 REAL);"
                                 "INSERT INTO T_%1 VALUES (1, %1.5), (66, NULL), (201, 3);")
                      .arg(k);
    Database db = make("big.mdb", script);

    Recordset rs = db.query(dataQuery(60) + " order by land_Ind.COD_TERR");
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.fieldCount(), 65);
    EXPECT_EQ(rs.text("X59_2005"), "59,50");
    rs.moveNext();
    EXPECT_EQ(rs.text("Territorio"), "L'Aquila");
    EXPECT_TRUE(rs.field("X3_2005").isNull());

    EXPECT_EQ(errorOf([&] { db.query(dataQuery(70)); }), err::RequestTooComplex);
}

TEST_F(DbTest, ParametersBatchesAndDropsByExactName)
{
    LocaleScope it(ptest::italian());
    Database db = make("u.mdb", "CREATE TABLE \"tMappa\" (\"N_ARVEN\" REAL, \"B0101_2005\" REAL, \"N4\" SMALLINT)");
    db.executeMany("INSERT INTO tMappa VALUES (?,?,?)",
                   {{Value::integer(37), Value::real(12.5), Value::integer(1)}, {Value::integer(38), Value::real(0), Value()}});
    Recordset rs = db.query("select * from tMappa order by N_ARVEN");
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.text(1), "12,5");
    rs.moveNext();
    EXPECT_TRUE(rs.field("n4").isNull());
    // A failing row leaves nothing of the batch.
    EXPECT_NE(errorOf([&] { db.executeMany("INSERT INTO nessuna VALUES (?)", {{Value::integer(1)}}); }), 0);
    EXPECT_EQ(db.execute("DELETE FROM tMappa WHERE N_ARVEN = ?", {Value::integer(37)}), 1);

    db.execute("CREATE VIEW qArea AS SELECT 1");
    EXPECT_FALSE(db.dropView("QAREA"));
    EXPECT_TRUE(db.dropView("qArea"));
    EXPECT_TRUE(db.views().isEmpty());
    EXPECT_FALSE(db.dropTable("tmappa"));
    EXPECT_TRUE(db.dropTable("tMappa"));
    EXPECT_TRUE(db.tables().isEmpty());
}

TEST_F(DbTest, NamesOfTablesAndViewsLeaveOutTheEnginesOwn)
{
    // The engine's own tables (a counter of AUTOINCREMENT, statistics) are
    // not the file's; names that only look like theirs are. Each kind comes
    // in the order it was made, whatever its name, and views after tables.
    Database db = make("Nomi.mdb", "CREATE VIEW zVista AS SELECT 1;"
                                   "CREATE TABLE \"Sqlite\" (a INTEGER PRIMARY KEY AUTOINCREMENT);"
                                   "CREATE TABLE \"sqlite t\" (b);"
                                   "CREATE TABLE \"mysqlite_t\" (a);"
                                   "CREATE TABLE \"sqlitè_t\" (a);"
                                   "CREATE TABLE \"Àrea\" (a);"
                                   "CREATE INDEX iArea ON \"Àrea\" (a);"
                                   "CREATE VIEW \"aVista\" AS SELECT 2;"
                                   "INSERT INTO \"Sqlite\" DEFAULT VALUES; ANALYZE;");
    const QStringList tables{"Sqlite", "sqlite t", "mysqlite_t", "sqlitè_t", "Àrea"};
    const QStringList views{"zVista", "aVista"};
    EXPECT_EQ(db.tables(), tables);
    EXPECT_EQ(db.views(), views);
    EXPECT_EQ(db.tablesAndViews(), tables + views);
}

TEST_F(DbTest, RequestsOverTheBoundsAreRefusedAndTheConnectionGoesOn)
{
    // Small bounds so that each case reaches its own quickly.
    const Limits saved = limits();
    setLimits({qint64(16) << 20, qint64(4) << 20, qint64(20) << 20});
    Database db = make("Ostile.mdb",
                       "CREATE TABLE t (a INTEGER, b TEXT);"
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                       "INSERT INTO t SELECT i, 'riga ripetuta ' || i FROM n;"
                       "CREATE VIEW infinita AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                       "SELECT x FROM c;");
    const QString file = folder() + "Ostile.mdb";
    struct Case { const char *sql, *reason; } cases[] = {
        {"SELECT t1.b, t2.b, count(*) FROM t t1, t t2 GROUP BY t1.b, t2.b", "richiede troppa memoria"},
        {"SELECT t1.b, t2.a FROM t t1, t t2", "produce troppi dati"},
        {"SELECT x FROM infinita WHERE x < 0", "richiede troppo tempo"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        const ptest::Failure f = ptest::failureOf([&] { db.query(c.sql); });
        EXPECT_EQ(f.number, err::OutOfMemory);
        EXPECT_EQ(f.text, QString::fromUtf8("Impossibile leggere il database '%1': la richiesta %2. Il file potrebbe "
                                          "essere danneggiato.")
                            .arg(file, QString::fromUtf8(c.reason)));
        EXPECT_EQ(db.query("SELECT count(*) FROM t").field(0).toInt(), 2000);
    }
    setLimits(saved);
    EXPECT_EQ(db.query("SELECT count(*) FROM t t1, t t2 WHERE t1.a <= 10").field(0).toInt(), 20000);
}

// A connection that keeps its statements prepared answers exactly as one
// that prepares them at every run, whatever another connection does to the
// tables in between, and holds no lock on the file between two runs.
TEST_F(DbTest, KeptStatementsAnswerAsFreshOnes)
{
    auto scenario = [&](bool keep) {
        const QString name = keep ? "kept.mdb" : "fresh.mdb";
        Database db = make(name, "CREATE TABLE t (a INTEGER, b TEXT); INSERT INTO t VALUES (1, 'uno');"
                                 "CREATE TABLE u (k INTEGER, v TEXT)");
        db.keepStatements(keep);
        Database other = Database::open(folder(), name);
        QStringList log;
        auto run = [&](const std::function<void()> &fn) {
            const ptest::Failure f = ptest::failureOf(fn);
            if (f.number)
                log << QString("error %1 %2").arg(f.number).arg(f.text);
        };
        auto select = [&](const QString &sql) {
            run([&] {
                Recordset rs = db.query(sql);
                QString line = rs.fieldNames().join(",") + ":";
                for (; !rs.eof(); rs.moveNext())
                    for (int f = 0; f < rs.fieldCount(); ++f)
                        line += (rs.field(f).isNull() ? QString("<null>") : rs.text(f)) + ";";
                log << line;
            });
        };
        const QString insert = "INSERT INTO u VALUES (?, ?)";
        // What the other connection runs first ("" = nothing), then the step.
        const std::pair<const char *, std::function<void()>> steps[] = {
            {"", [&] { select("SELECT * FROM t"); }},
            {"ALTER TABLE t ADD COLUMN c REAL", [&] { select("SELECT * FROM t"); }},
            {"DROP TABLE t; CREATE TABLE t (z TEXT); INSERT INTO t VALUES ('zeta')", [&] { select("SELECT * FROM t"); }},
            {"DROP TABLE t", [&] { select("SELECT * FROM t"); }},
            {"CREATE TABLE t (a INTEGER)", [&] { select("SELECT * FROM t"); }},
            // Parameters not given are Null, not what the last run bound.
            {"", [&] {
                 db.execute(insert, {Value::integer(1), Value::text("a")});
                 db.execute(insert, {Value::integer(2)});
                 db.executeMany(insert, {{Value::integer(3), Value::text("c")}, {Value::integer(4)}});
                 select("SELECT * FROM u ORDER BY k");
             }},
            // More statements than are kept, then the first ones again.
            {"", [&] {
                 for (int i = 0; i < 40; ++i)
                     select(QString("SELECT %1 AS n").arg(i % 20));
             }},
            // A statement that failed runs again.
            {"CREATE UNIQUE INDEX uk ON u (k)", [&] {
                 for (int k : {1, 9})
                     run([&] {
                         db.execute(insert, {Value::integer(k), Value::text("x")});
                         log << "inserted";
                     });
                 select("SELECT count(*) FROM u");
             }},
            // Two statements in one text; then one of them alone.
            {"", [&] {
                 log << QString::number(db.execute("UPDATE u SET v = 'y' WHERE k = 9; DELETE FROM u WHERE k = 1"));
                 log << QString::number(db.execute("DELETE FROM u WHERE k = 1"));
                 select("SELECT * FROM u ORDER BY k");
             }},
        };
        for (const auto &[otherSql, step] : steps) {
            if (*otherSql)
                other.execute(otherSql);
            step();
            // Nothing of the runs keeps the file locked.
            EXPECT_EQ(errorOf([&] { other.execute("BEGIN EXCLUSIVE"); other.execute("ROLLBACK"); }), 0);
        }
        return log.join("\n").replace(name, "<file>");
    };
    const QString fresh = scenario(false);
    EXPECT_EQ(scenario(true), fresh);
    // The scenario saw what it changed.
    for (const char *seen : {"a,b:1;uno;", "a,b,c:1;uno;<null>;", "z:zeta;", "Impossibile trovare la tabella o la query 't'",
                             "k,v:1;a;2;<null>;3;c;4;<null>;", "n:19;", "inserted", "error "})
        EXPECT_TRUE(fresh.contains(seen)) << seen << "\n" << fresh.toStdString();
}
