// The sample databases of the built program folder: the invariants the
// program's queries rely on, the consistency of the values, determinism.
#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

QString dbDir() { return testenv::builtAppDir() + "/Databases/"; }

// A read-only connection through the raw engine; a failing statement fails the test.
class Sql {
public:
    using Row = std::vector<std::optional<std::string>>;
    explicit Sql(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path.toStdString();
    }
    ~Sql() { sqlite3_close(m_db); }
    std::vector<Row> rows(const std::string &sql) const
    {
        std::vector<Row> out;
        sqlite3_stmt *st = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr);
        if (rc == SQLITE_OK)
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                Row &row = out.emplace_back();
                for (int i = 0; i < sqlite3_column_count(st); ++i)
                    row.push_back(sqlite3_column_type(st, i) == SQLITE_NULL
                                      ? std::nullopt
                                      : std::optional<std::string>(reinterpret_cast<const char *>(sqlite3_column_text(st, i))));
            }
        if (rc != SQLITE_DONE)
            ADD_FAILURE() << sqlite3_errmsg(m_db) << " in: " << sql;
        sqlite3_finalize(st);
        return out;
    }
    long long count(const std::string &sql) const
    {
        const auto r = rows(sql);
        return r.empty() || r[0].empty() || !r[0][0] ? -1 : std::stoll(*r[0][0]);
    }
    std::vector<std::string> column(const std::string &sql) const
    {
        std::vector<std::string> out;
        for (const Row &r : rows(sql))
            out.push_back(r.at(0).value_or("<null>"));
        return out;
    }
    void attach(const char *file, const char *as) const { rows("ATTACH '" + (dbDir() + file).toStdString() + "' AS " + as); }

private:
    sqlite3 *m_db = nullptr;
};

std::string q(const std::string &s) { return "'" + s + "'"; }

bool near(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)}); }

const char *const kFiles[] = {"Databases/Metadati.mdb", "Databases/Territorio.mdb", "Databases/Variabili.mdb",
                              "Databases/Indicatori.mdb", "Files/pxn_utente.mdb", "Files/InfoQrl.txt",
                              "Images/sfondopxn2.jpg"};

} // namespace

TEST(SampleData, Territories)
{
    Sql db(dbDir() + "Territorio.mdb");
    const std::map<int, long long> perType = {{1, 107}, {2, 20}, {3, 7}, {4, 1}, {5, 2}};
    for (const auto &[type, n] : perType)
        EXPECT_EQ(db.count("select count(*) from land_Ind where COD_TIPO_TERR=" + std::to_string(type)), n) << type;

    struct Case { const char *what; const char *sql; };
    const Case violations[] = {
        {"duplicate names", "select count(*) - count(distinct DES_TERR) from land_Ind"},
        {"province codes", "select count(*) from land_Ind where COD_TIPO_TERR=1 and "
                           "(PROV is not COD_TERR or COD_TERR not between 1 and 107 or REG not between 1 and 20)"},
        {"region codes", "select count(*) from land_Ind where COD_TIPO_TERR=2 and (PROV is not null or COD_TERR <> 200 + REG)"},
        {"aggregates with codes", "select count(*) from land_Ind where COD_TIPO_TERR>2 and (PROV is not null or REG is not null)"},
        {"land differs", "select count(*) from land_Ind l left join land d on d.N_PROV = l.PROV where l.COD_TIPO_TERR=1 and "
                         "(d.N_PROV is null or d.Provincia <> l.DES_TERR or d.reg <> l.REG)"},
        {"region names", "select count(*) from land d join land_Ind r on r.COD_TIPO_TERR=2 and r.REG=d.reg "
                         "where r.DES_TERR <> d.REGIONE"},
        {"codes out of order", "select count(*) from land_Ind a join land_Ind b on b.rowid = a.rowid + 1 "
                               "where b.COD_TERR <= a.COD_TERR"},
    };
    for (const Case &c : violations)
        EXPECT_EQ(db.count(c.sql), 0) << c.what;
    EXPECT_EQ(db.count("select count(*) from land"), 107);
    EXPECT_EQ(db.column("select DES_TERR from land_Ind where COD_TERR in (7, 66, 220, 400) order by COD_TERR"),
              (std::vector<std::string>{"Aosta", "L'Aquila", "Sardegna", "Italia"}));
}

TEST(SampleData, ClassificationInvariants)
{
    Sql db(dbDir() + "Metadati.mdb");
    const std::string group = "substr(Variabile, 1, case TipoVar when 'V' then 2 else 3 end) || '/' || Anno";
    std::vector<std::pair<std::string, std::string>> violations = {
        {"duplicate item and year", "select count(*) from (select 1 from IndVarAnno group by Variabile, Anno having count(*) > 1)"},
        {"Id of both kinds", "select count(*) from (select 1 from IndVarAnno group by Variabile having count(distinct TipoVar) > 1)"},
        {"sector length", "select count(*) from Settore where length(idSettore) <> 1"},
        {"sub-area length", "select count(*) from Argomento where length([Codice argomento]) <> 3"},
        {"variable length", "select count(*) from IndVarAnno where TipoVar = 'V' and length(Variabile) <> 5"},
        {"indicator length", "select count(*) from IndVarAnno where TipoVar = 'I' and length(Variabile) <> 6"},
        {"Id characters", "select count(*) from IndVarAnno where Variabile glob '*[^A-Za-z0-9]*' or Variabile not glob '[A-Za-z]*'"},
        {"table name characters", "select count(*) from IndVarAnno where Tabella glob '*[^A-Za-z0-9_]*' or Tabella not glob '[A-Za-z]*'"},
        {"group with two tables", "select count(*) from (select 1 from IndVarAnno group by " + group + " having count(distinct Tabella) > 1)"},
        {"table of two groups", "select count(*) from (select 1 from IndVarAnno group by Tabella having count(distinct " + group + ") > 1)"},
        {"item in two places", "select count(*) from (select 1 from IndVarAnno group by Variabile having count(distinct Settore || Argomento) > 1)"},
        {"sector/sub-area disagree", "select count(*) from IndVarAnno i left join Argomento a on a.[Codice argomento] = i.Argomento "
                                     "where a.idSettore is null or a.idSettore <> i.Settore or substr(i.Variabile, 1, 3) <> i.Argomento"},
        {"variable without metadata", "select count(*) from IndVarAnno i left join MetadatiVariabili m on m.IdVariabile = i.Variabile "
                                      "where i.TipoVar = 'V' and m.IdVariabile is null"},
        {"indicator without metadata", "select count(*) from IndVarAnno i left join MetadatiIndicatori m on m.IdIndicatore = i.Variabile "
                                       "where i.TipoVar = 'I' and m.IdIndicatore is null"},
        {"evaluation without description", "select count(*) from MetadatiIndicatori m left join Valutazioni v on v.Valutazione = m.Valutazione "
                                           "where v.Valutazione is null"},
    };
    for (int y = 1996; y <= 2008; ++y) {
        const std::string ys = std::to_string(y);
        for (const auto &[table, key] : {std::pair{"MetadatiVariabili", "IdVariabile"}, std::pair{"MetadatiIndicatori", "IdIndicatore"}})
            violations.push_back({std::string(table) + " flag " + ys,
                                  std::string("select count(*) from ") + table + " m where m.[" + ys + "] <> exists(select 1 from IndVarAnno i "
                                  "where i.Variabile = m." + key + " and i.Anno = " + ys + ")"});
    }
    for (const auto &[what, sql] : violations)
        EXPECT_EQ(db.count(sql), 0) << what;

    // Content the windows exercise.
    EXPECT_GT(db.count("select count(*) from MetadatiVariabili where coalesce(Note_2003, '') <> ''"), 0);
    EXPECT_GT(db.count("select count(*) from MetadatiVariabili where Fonte_1996 = '-' or Pubblicazione_1996 = '-'"), 0);
    EXPECT_GT(db.count("select count(*) from MetadatiVariabili where instr(NoteSerie, char(10)) > 0 and instr(NoteSerie, char(8226)) > 0"), 0);
    EXPECT_EQ(db.count("select count(*) from Settore where idSettore = 'A'"), 1);
    EXPECT_EQ(db.count("select count(distinct Valutazione) from MetadatiIndicatori"), db.count("select count(*) from Valutazioni"));
    const long long terms = db.count("select count(*) from Glossario");
    EXPECT_GE(terms, 25);
    EXPECT_GT(db.count("select count(*) from Glossario where instr(Nome, '''') > 0"), 0);
    EXPECT_EQ(db.count("select count(*) from Glossario where substr(Nome, 1, 1) glob '[A-Z]'"), terms);
}

TEST(SampleData, ProgramFolderConfigurationAndLinks)
{
    for (const char *f : kFiles)
        EXPECT_TRUE(QFileInfo::exists(testenv::builtAppDir() + "/" + f)) << f;
    QFile info(testenv::builtAppDir() + "/Files/InfoQrl.txt");
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(info.readAll());
    EXPECT_TRUE(text.contains("dati dimostrativi") && text.contains("Fonte: ISTAT, confini amministrativi (CC BY)"));
    EXPECT_FALSE(QImage(testenv::builtAppDir() + "/Images/sfondopxn2.jpg").isNull());
    Sql user(testenv::builtAppDir() + "/Files/pxn_utente.mdb");
    EXPECT_EQ(user.count("select count(*) from tabope"), 1);
    EXPECT_EQ(user.count("select count(*) from sqlite_master where name like 'tMappa'"), 0);

    Sql db(dbDir() + "Metadati.mdb");
    const auto configs = db.rows("select * from DbConfigs");
    ASSERT_EQ(configs.size(), 2u);
    ASSERT_EQ(configs[0].size(), 11u);
    EXPECT_EQ(configs[0][10], "Variabili");
    EXPECT_EQ(db.column("select dbnames from dbconfigs"), (std::vector<std::string>{"Variabili.mdb", "Indicatori.mdb"}));
    EXPECT_EQ(db.column("select instr(Note, 'dati dimostrativi') > 0 from InfoAggiornamento"),
              std::vector<std::string>{"1"});

    // The menu: popups on the bar, a nested popup, a separator, a greyed command,
    // each window opened by some command; the first command opens no database.
    EXPECT_EQ(db.count("select count(*) from DBMainMenu where IdMenuParent < 0 and IdMenu < 1"), 0);
    EXPECT_GT(db.count("select count(*) from DBMainMenu where IdMenuParent >= 0 and IdMenu >= 1 and not isSeparator"), 0);
    EXPECT_GT(db.count("select count(*) from DBMainMenu where isSeparator"), 0);
    EXPECT_GT(db.count("select count(*) from DBMainMenu where IdMenu < 1 and isDisable"), 0);
    const auto forms = db.column("select distinct upper(FormToOpen) from DBMainMenu where IdMenu < 1");
    for (const char *f : {"FORMDATITAB", "FRMMETADATI", "FRMLISTAMETADATI", "GLOSSARIO", "FRMINFO"})
        EXPECT_EQ(std::count(forms.begin(), forms.end(), f), 1) << f;
    const auto first = db.column("select coalesce(DBname, '') from DBMainMenu where IdMenu < 1 order by IdMenuParent, Orderb");
    ASSERT_EQ(first.size(), 8u);
    EXPECT_EQ(first[0].find(".mdb"), std::string::npos);

    // Each link names a source that holds the table and a holder that does not.
    const auto links = db.rows("select * from tablelink");
    EXPECT_EQ(links.size(), 10u);
    for (const auto &l : links) {
        ASSERT_EQ(l.size(), 3u);
        const std::string table = l[0].value_or(""), source = l[1].value_or(""), holder = l[2].value_or("");
        ASSERT_TRUE(QFileInfo::exists(dbDir() + QString::fromStdString(holder))) << holder;
        ASSERT_TRUE(QFileInfo::exists(dbDir() + QString::fromStdString(source))) << source;
        const std::string named = "select count(*) from sqlite_master where name = " + q(table);
        EXPECT_EQ(Sql(dbDir() + QString::fromStdString(source)).count(named + " and type = 'table'"), 1) << table;
        EXPECT_EQ(Sql(dbDir() + QString::fromStdString(holder)).count(named + " collate nocase"), 0) << table;
    }
}

TEST(SampleData, DataTablesHoldEveryTerritory)
{
    Sql meta(dbDir() + "Metadati.mdb");
    for (const auto &[kind, file] : {std::pair{"V", "Variabili.mdb"}, std::pair{"I", "Indicatori.mdb"}}) {
        Sql db(dbDir() + file);
        db.attach("Territorio.mdb", "terr");
        const long long territories = db.count("select count(*) from terr.land_Ind");
        const auto tables = meta.column(std::string("select distinct Tabella from IndVarAnno where TipoVar = '") + kind + "' order by 1");
        EXPECT_EQ(db.column("select name from sqlite_master where type = 'table' order by 1"), tables) << file;
        for (const std::string &t : tables) {
            auto columns = db.column("select name from pragma_table_info(" + q(t) + ") order by cid");
            const auto items = meta.column("select Variabile from IndVarAnno where Tabella = " + q(t) + " order by Variabile");
            ASSERT_FALSE(columns.empty()) << t;
            EXPECT_EQ(columns.front(), "COD_TERR") << t;
            EXPECT_EQ(std::vector<std::string>(columns.begin() + 1, columns.end()), items) << t;
            EXPECT_EQ(db.count("select count(*) from " + t + " d join terr.land_Ind l on l.COD_TERR = d.COD_TERR"), territories) << t;
            EXPECT_EQ(db.count("select count(*) from " + t), territories) << t;
        }
    }
}

TEST(SampleData, AggregatesAreSumsOfTheirParts)
{
    const int ripartizione[21] = {0, 1, 1, 1, 2, 2, 2, 1, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 5, 5};
    // Aggregate code -> the regions it is made of.
    std::map<int, std::vector<int>> groups;
    for (int r = 1; r <= 20; ++r) {
        groups[300 + ripartizione[r]].push_back(r);
        groups[r <= 12 ? 306 : 307].push_back(r);
        groups[400].push_back(r);
        groups[r >= 14 ? 501 : 502].push_back(r);
    }
    Sql terr(dbDir() + "Territorio.mdb");
    std::map<int, int> regionOf;
    for (const auto &r : terr.rows("select COD_TERR, REG from land_Ind where COD_TIPO_TERR = 1"))
        regionOf[std::stoi(*r[0])] = std::stoi(*r[1]);

    Sql db(dbDir() + "Variabili.mdb");
    int checked = 0;
    for (const std::string &t : db.column("select name from sqlite_master where type = 'table'")) {
        for (const std::string &c : db.column("select name from pragma_table_info(" + q(t) + ") where cid > 0")) {
            std::map<int, std::optional<double>> v;
            for (const auto &r : db.rows("select COD_TERR, " + c + " from " + t))
                v[std::stoi(*r[0])] = r[1] ? std::optional<double>(std::stod(*r[1])) : std::nullopt;
            std::map<int, double> provSum;
            std::map<int, int> provCount;
            for (const auto &[p, reg] : regionOf)
                if (v[p]) {
                    provSum[reg] += *v[p];
                    ++provCount[reg];
                }
            for (int reg = 1; reg <= 20; ++reg) {
                ASSERT_TRUE(v[200 + reg]) << t << "." << c << " region " << reg;
                if (provCount[reg] > 0) {
                    EXPECT_TRUE(near(*v[200 + reg], provSum[reg])) << t << "." << c << " region " << reg;
                    ++checked;
                }
            }
            for (const auto &[agg, regions] : groups) {
                double s = 0;
                for (int reg : regions)
                    s += *v[200 + reg];
                ASSERT_TRUE(v[agg]) << t << "." << c << " " << agg;
                EXPECT_TRUE(near(*v[agg], s)) << t << "." << c << " " << agg;
            }
        }
    }
    EXPECT_GT(checked, 4000);

    // Empty cells where a series has none.
    struct Case { const char *what; const char *sql; long long expected; };
    const Case cases[] = {
        {"regional-only variable at province level", "select count(C0102) from V_C0_2005 where COD_TERR < 200", 0},
        {"new Sardinian provinces before 2005", "select count(D0201) from V_D0_2004 where COD_TERR between 104 and 107", 0},
        {"new Sardinian provinces from 2005", "select count(D0201) from V_D0_2005 where COD_TERR between 104 and 107", 4},
        {"series rebuilt on 2006 boundaries", "select count(A0101) from V_A0_1996 where COD_TERR between 104 and 107", 4},
        {"Sardinian broadband 2003", "select count(D0102) from V_D0_2003 where COD_TERR in (90, 91, 92, 95, 104, 105, 106, 107, 220)", 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(db.count(c.sql), c.expected) << c.what;
    EXPECT_GE(db.count("select count(*) from V_B0_2005 where COD_TERR < 200 and B0401 = 0"), 50);
    EXPECT_GT(db.count("select count(*) from V_B0_2005 where COD_TERR < 200 and B0101 = 0"), 5);
}

TEST(SampleData, IndicatorsFollowFromVariables)
{
    Sql db(dbDir() + "Indicatori.mdb");
    db.attach("Variabili.mdb", "v");
    struct Case { const char *indicator; const char *tables; const char *expected; };
    const Case cases[] = {
        {"A01001", "I_A01_2005 i join v.V_A0_2005 a using (COD_TERR)", "a.A0101 / a.A0102"},
        {"B01002", "I_B01_2005 i join v.V_B0_2005 b using (COD_TERR) join v.V_A0_2005 a using (COD_TERR)", "b.B0101 * 100 / a.A0102"},
        {"D02001", "I_D02_2008 i join v.V_D0_2008 d using (COD_TERR) join v.V_A0_2008 a using (COD_TERR)", "d.D0201 * 10000 / a.A0101"},
        {"C02002", "I_C02_1999 i join v.V_C0_1999 c using (COD_TERR) join v.V_A0_1999 a using (COD_TERR)", "c.C0202 * 1000 / a.A0101"},
    };
    for (const Case &c : cases) {
        const auto rows = db.rows(std::string("select i.") + c.indicator + ", " + c.expected + " from " + c.tables);
        EXPECT_EQ(rows.size(), 137u) << c.indicator;
        for (const auto &r : rows) {
            ASSERT_EQ(r[0].has_value(), r[1].has_value()) << c.indicator;
            if (r[0]) {
                EXPECT_TRUE(near(std::stod(*r[0]), std::stod(*r[1]))) << c.indicator << ": " << *r[0] << " vs " << *r[1];
            }
        }
    }
    // 0/0 gives an empty cell.
    EXPECT_EQ(db.count("select count(*) from I_B02_2005 i join v.V_B0_2005 b using (COD_TERR) where b.B0201 = 0 and i.B02002 is not null"), 0);
    EXPECT_GT(db.count("select count(*) from v.V_B0_2005 where B0201 = 0"), 0);

    // Italia = 100 in every index, every year.
    Sql meta(dbDir() + "Metadati.mdb");
    const auto indices = meta.rows("select i.Variabile, i.Tabella from IndVarAnno i join MetadatiIndicatori m on m.IdIndicatore = i.Variabile "
                                   "where m.DescIndicatore like '%(Italia = 100)%'");
    EXPECT_GT(indices.size(), 50u);
    for (const auto &r : indices)
        EXPECT_EQ(db.column("select " + *r[0] + " from " + *r[1] + " where COD_TERR = 400"), std::vector<std::string>{"100.0"}) << *r[1];
}

TEST(SampleData, GeneratorIsDeterministic)
{
    const QString exe = QDir(testenv::builtAppDir()).filePath("../data/gen_sample");
    ASSERT_TRUE(QFileInfo(exe).isExecutable()) << exe.toStdString();
    const QString csv = testenv::sourceDir() + "/data/province_2006.csv";
    QTemporaryDir a, b;
    for (const QTemporaryDir *d : {&a, &b}) {
        QProcess p;
        p.start(exe, {d->path(), csv});
        ASSERT_TRUE(p.waitForFinished(30000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    auto digest = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
    };
    for (const char *f : kFiles) {
        const QByteArray first = digest(a.path() + "/" + f);
        EXPECT_FALSE(first.isEmpty()) << f;
        EXPECT_EQ(first, digest(b.path() + "/" + f)) << f;
    }
    // Nothing half-written is left behind.
    QDirIterator it(a.path(), QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        EXPECT_FALSE(it.next().endsWith(".tmp"));
        ++files;
    }
    EXPECT_EQ(files, 7);
}
