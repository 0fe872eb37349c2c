#include "sample_generator.h"
#include "sample_catalog.h"

#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QRadialGradient>
#include <QString>

#include <sqlite3.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace fs = std::filesystem;

namespace sample {
namespace {

// ---------------------------------------------------------------------------
// Deterministic numbers: every random draw is a pure function of its key, so
// values do not depend on the order in which they are computed.

uint64_t splitmix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t hashText(const char *s)
{
    uint64_t h = 1469598103934665603ull;
    for (; *s; ++s) {
        h ^= static_cast<unsigned char>(*s);
        h *= 1099511628211ull;
    }
    return h;
}

// A number in [0, 1) fixed by its key.
double uniform(uint64_t a, uint64_t b = 0, uint64_t c = 0)
{
    const uint64_t x = splitmix(splitmix(splitmix(a ^ 0x7A3B5EEDull) ^ b) ^ c);
    return static_cast<double>(x >> 11) * (1.0 / 9007199254740992.0);
}

double roundTo(double v, int decimals)
{
    const double f = decimals == 0 ? 1.0 : 100.0;
    return std::round(v * f) / f;
}

// ---------------------------------------------------------------------------
// Territories

constexpr int kProvinces = 107;
constexpr int kRipartizione[21] = {0, 1, 1, 1, 2, 2, 2, 1, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 5, 5};
const char *const kRipartizioneName[6] = {"", "Nord-ovest", "Nord-est", "Centro", "Sud", "Isole"};

bool isObjective1(int reg) { return reg >= 14; }

// Sardinia before 2005: the four provinces of 2005 were part of these.
const std::map<int, std::vector<int>> kOldSardinia = {{90, {90, 104}}, {91, {91, 105}}, {92, {92, 106, 107}}};
bool isNewSardinian(int p) { return p >= 104 && p <= 107; }

struct Province {
    int code = 0;
    std::string name;
    int reg = 0;
    std::string regName;
};

struct Territory {
    int cod = 0;
    std::string name;
    int tipo = 0;
    int prov = 0; // 0 = Null
    int reg = 0;  // 0 = Null
    std::vector<int> provinces;
};

std::vector<std::string> splitLine(const std::string &line)
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : line) {
        if (c == ';') {
            out.push_back(cur);
            cur.clear();
        } else if (c != '\r') {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

std::vector<Province> readProvinces(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::vector<Province> byCode(kProvinces + 1);
    std::string line;
    bool header = true;
    int count = 0;
    while (std::getline(in, line)) {
        if (header) {
            header = false;
            continue;
        }
        if (line.empty() || line == "\r")
            continue;
        const auto f = splitLine(line);
        if (f.size() != 5)
            throw std::runtime_error("bad province line: " + line);
        Province p{std::stoi(f[0]), f[2], std::stoi(f[3]), f[4]};
        if (p.code < 1 || p.code > kProvinces || p.reg < 1 || p.reg > 20 || byCode[p.code].code != 0)
            throw std::runtime_error("bad province line: " + line);
        byCode[p.code] = p;
        ++count;
    }
    if (count != kProvinces)
        throw std::runtime_error("expected 107 provinces in " + path);
    return byCode;
}

std::vector<Territory> makeTerritories(const std::vector<Province> &prov)
{
    std::vector<Territory> out;
    std::map<int, std::string> regionName;
    std::map<int, std::vector<int>> regionProvinces;
    for (int p = 1; p <= kProvinces; ++p) {
        out.push_back({p, prov[p].name, 1, p, prov[p].reg, {p}});
        regionName[prov[p].reg] = prov[p].regName;
        regionProvinces[prov[p].reg].push_back(p);
    }
    auto provincesOf = [&](auto pred) {
        std::vector<int> list;
        for (int p = 1; p <= kProvinces; ++p)
            if (pred(prov[p].reg))
                list.push_back(p);
        return list;
    };
    for (const auto &[reg, name] : regionName)
        out.push_back({200 + reg, name, 2, 0, reg, regionProvinces[reg]});
    for (int r = 1; r <= 5; ++r)
        out.push_back({300 + r, kRipartizioneName[r], 3, 0, 0, provincesOf([r](int reg) { return kRipartizione[reg] == r; })});
    out.push_back({306, "Centro-Nord", 3, 0, 0, provincesOf([](int reg) { return reg <= 12; })});
    out.push_back({307, "Mezzogiorno", 3, 0, 0, provincesOf([](int reg) { return reg >= 13; })});
    out.push_back({400, "Italia", 4, 0, 0, provincesOf([](int) { return true; })});
    out.push_back({501, "Aree Obiettivo 1", 5, 0, 0, provincesOf([](int reg) { return isObjective1(reg); })});
    out.push_back({502, "Aree non Obiettivo 1", 5, 0, 0, provincesOf([](int reg) { return !isObjective1(reg); })});
    return out;
}

// ---------------------------------------------------------------------------
// Values

constexpr double kAreaPerPerson = 301336.0 / 56900000.0; // km² per inhabitant in Italy

using YearValues = std::array<double, kProvinces + 1>; // by province code; index 0 unused

class Model {
public:
    Model(std::vector<Province> provinces)
        : m_prov(std::move(provinces)), m_territories(makeTerritories(m_prov))
    {
        makePopulationAndArea();
        for (const VariableDef &v : variables())
            if (!m_base.count(v.id))
                makeVariable(v);
    }

    const std::vector<Territory> &territories() const { return m_territories; }
    const Territory &italia() const
    {
        for (const Territory &t : m_territories)
            if (t.tipo == 4)
                return t;
        throw std::logic_error("no Italia");
    }

    // The value of a variable in a data table cell.
    std::optional<double> published(const VariableDef &v, const Territory &t, int year) const
    {
        if (t.tipo != 1)
            return sum(v, t.provinces, year);
        const int p = t.cod;
        if (v.regionalOnly)
            return std::nullopt;
        if (v.missingSardiniaYear == year && m_prov[p].reg == 20)
            return std::nullopt;
        if (v.oldSardinia && year < 2005) {
            if (isNewSardinian(p))
                return std::nullopt;
            if (auto it = kOldSardinia.find(p); it != kOldSardinia.end())
                return sum(v, it->second, year);
        }
        return base(v.id, year)[p];
    }

    // The value of an indicator in a data table cell: computed on the same
    // territory as the published values of its variables.
    std::optional<double> indicator(const IndicatorDef &ind, const Territory &t, int year) const
    {
        const auto value = ratio(ind, t, year);
        if (!value || !ind.relative)
            return value;
        if (t.tipo == 4)
            return 100.0;
        const auto it = ratio(ind, italia(), year);
        if (!it || *it == 0)
            return std::nullopt;
        return *value / *it * 100.0;
    }

private:
    const YearValues &base(const std::string &id, int year) const { return m_base.at(id)[year - kFirstYear]; }

    double sum(const VariableDef &v, const std::vector<int> &provinces, int year) const
    {
        const YearValues &b = base(v.id, year);
        double s = 0;
        for (int p : provinces)
            s += b[p];
        return roundTo(s, v.decimals);
    }

    static const VariableDef &variable(const char *id)
    {
        for (const VariableDef &v : variables())
            if (std::string(v.id) == id)
                return v;
        throw std::logic_error(std::string("unknown variable ") + id);
    }

    std::optional<double> ratio(const IndicatorDef &ind, const Territory &t, int year) const
    {
        std::vector<int> extent = t.provinces;
        if (t.tipo == 1) {
            bool old = false;
            for (const char *id : ind.variables) {
                const VariableDef &v = variable(id);
                if (!published(v, t, year))
                    return std::nullopt;
                old = old || (v.oldSardinia && year < 2005);
            }
            if (auto it = kOldSardinia.find(t.cod); old && it != kOldSardinia.end())
                extent = it->second;
        }
        return ind.ratio([&](const char *id) { return sum(variable(id), extent, year); });
    }

    void makePopulationAndArea()
    {
        // 1996 population of some provinces (2006 boundaries), the rest drawn.
        const std::map<int, double> pop = {
            {58, 3760000}, {15, 3710000}, {63, 3090000}, {1, 2220000}, {72, 1560000}, {82, 1240000},
            {17, 1070000}, {87, 1080000}, {65, 1070000}, {16, 940000},  {48, 950000},  {37, 910000},
            {10, 910000},  {27, 815000},  {28, 830000},  {23, 800000},  {24, 760000},  {26, 750000},
            {12, 800000},  {75, 810000},  {61, 850000},  {78, 750000},  {83, 680000},  {71, 690000},
            {7, 118000},   {94, 92000},   {105, 58000},  {104, 138000}, {106, 105000}, {107, 132000},
            {90, 320000},  {91, 164000},  {92, 543000},  {95, 158000},  {101, 176000}, {102, 180000},
            {86, 185000},  {57, 150000},  {14, 176000},  {25, 211000},  {55, 225000},  {77, 205000},
            {62, 295000}};
        const std::map<int, double> area = {
            {32, 211.82},  {100, 365.26}, {63, 1171.13}, {99, 533.92},  {21, 7399.97}, {22, 6206.87},
            {1, 6830.25},  {4, 6903.00},  {71, 7007.54}, {58, 5352.00}, {15, 1983.78}, {7, 3263.22},
            {90, 4281.75}, {91, 3933.82}, {92, 4569.57}, {104, 3398.59}, {105, 1854.32}, {106, 1516.19},
            {107, 1495.02}, {95, 3034.30}, {31, 466.02}, {97, 816.17},  {98, 782.20},  {13, 1288.07},
            {12, 1198.55}, {14, 3211.90}, {76, 6548.52}, {82, 4992.23}, {78, 6649.73}};
        const double totalPop = 56900000, totalArea = 301336.0;
        const uint64_t hp = hashText("popolazione"), ha = hashText("superficie");

        std::array<double, kProvinces + 1> p0{}, a0{};
        double anchorsPop = 0, drawnPop = 0, anchorsArea = 0, drawnArea = 0;
        for (int p = 1; p <= kProvinces; ++p) {
            if (auto it = pop.find(p); it != pop.end())
                anchorsPop += p0[p] = std::round(it->second * (1 + 0.01 * (uniform(hp, p, 3) - 0.5)));
            else
                drawnPop += p0[p] = 120000.0 * std::pow(5.5, uniform(hp, p));
            if (auto it = area.find(p); it != area.end())
                anchorsArea += a0[p] = it->second;
            else
                drawnArea += a0[p] = 900.0 * std::pow(5.0, uniform(ha, p));
        }
        const double popScale = (totalPop - anchorsPop) / drawnPop;
        const double areaScale = (totalArea - anchorsArea) / drawnArea;
        const double ripGrowth[6] = {0, 0.0055, 0.0075, 0.006, 0.001, 0.0005};

        auto &popSeries = m_base["A0101"];
        auto &areaSeries = m_base["A0102"];
        popSeries.resize(kYears);
        areaSeries.resize(kYears);
        for (int p = 1; p <= kProvinces; ++p) {
            const double start = pop.count(p) ? p0[p] : p0[p] * popScale;
            const double a = roundTo(area.count(p) ? a0[p] : a0[p] * areaScale, 2);
            const double g = ripGrowth[kRipartizione[m_prov[p].reg]] + 0.004 * (uniform(hp, p, 7) - 0.5);
            for (int y = kFirstYear; y <= kLastYear; ++y) {
                popSeries[y - kFirstYear][p] = std::round(start * std::pow(1 + g, y - kFirstYear));
                areaSeries[y - kFirstYear][p] = a;
            }
        }
    }

    void makeVariable(const VariableDef &v)
    {
        auto &series = m_base[v.id];
        series.assign(kYears, YearValues{});
        const uint64_t h = hashText(v.id);
        const int first = v.years.front();
        const auto &pop = m_base.at("A0101");
        const auto &area = m_base.at("A0102");
        const std::string id = v.id;

        for (int y : v.years) {
            YearValues &out = series[y - kFirstYear];
            const int t = y - first;
            for (int p = 1; p <= kProvinces; ++p) {
                const int reg = m_prov[p].reg;
                const double regF = 1 + v.regSpread * (2 * uniform(h, 1000 + reg) - 1);
                const double provF = 1 + v.spread * (2 * uniform(h, p, 1) - 1);
                const double jitter = 1 + v.jitter * (uniform(h, p, y) - 0.5);
                const double people = pop[y - kFirstYear][p];
                double value = 0;
                if (v.zeros.count(p)) {
                    value = 0;
                } else if (v.driver != Driver::Custom) {
                    // Networks grow with both the land and the people they serve.
                    const double driver = v.driver == Driver::Population
                                              ? people
                                              : std::sqrt(area[y - kFirstYear][p] * people * kAreaPerPerson);
                    value = v.level * driver * regF * provF * (isObjective1(reg) ? v.south : 1.0) *
                            std::pow(1 + v.growth, t) * jitter;
                } else if (id == "B0202") {
                    const double share =
                        reg == 20 ? 0.0 : std::min(0.95, 0.45 + 0.4 * uniform(h, 2000 + reg) + 0.005 * (y - kFirstYear));
                    value = m_base.at("B0201")[y - kFirstYear][p] * share;
                } else if (id == "B0301") {
                    static const std::set<int> large = {10, 11, 27, 32, 39, 42, 49, 58, 63, 65,
                                                        72, 73, 74, 80, 82, 83, 89, 92};
                    if (coastalProvinces().count(p)) {
                        const double u = uniform(h, p, 1);
                        const double start = large.count(p) ? 60 + 140 * u : 4 + 40 * u * u;
                        value = start * (1 + v.growth * (y - kFirstYear));
                    }
                } else if (id == "B0302") {
                    const double berths = m_base.at("B0301")[y - kFirstYear][p];
                    value = berths * (60 + 120 * uniform(h, p, 1)) * std::pow(1 + v.growth, t) * jitter;
                } else if (id == "B0401") {
                    const auto &airports = airportPassengers1996();
                    if (auto it = airports.find(p); it != airports.end()) {
                        double g = 0.03 + 0.05 * uniform(h, p, 1);
                        if (p == 16)
                            g = 0.16; // low-cost carriers
                        else if (p == 26 || p == 50)
                            g = 0.1;
                        value = it->second * std::pow(1 + g, t) * jitter;
                    }
                } else if (id == "C0202") {
                    const int rip = kRipartizione[reg];
                    const double kg = rip <= 2 ? 130 : rip == 3 ? 70 : 15;
                    const double g = rip <= 2 ? 0.09 : rip == 3 ? 0.11 : 0.2;
                    value = kg * people / 1000 * regF * provF * std::pow(1 + g, t) * jitter;
                } else {
                    throw std::logic_error("no generation rule for " + id);
                }
                out[p] = roundTo(value, v.decimals);
            }
        }
    }

    std::vector<Province> m_prov;
    std::vector<Territory> m_territories;
    std::map<std::string, std::vector<YearValues>> m_base;
};

// ---------------------------------------------------------------------------
// SQLite output

using Cell = std::variant<std::monostate, long long, double, std::string>;

Cell text(const char *s) { return s ? Cell(std::string(s)) : Cell(); }
Cell number(std::optional<double> v) { return v ? Cell(*v) : Cell(); }
Cell flag(bool b) { return Cell(static_cast<long long>(b ? 1 : 0)); }
Cell integer(long long v) { return Cell(v); }

std::string quoted(const std::string &name) { return "\"" + name + "\""; }

// A database written into a temporary file, renamed to its final name on commit.
class SqlFile {
public:
    explicit SqlFile(fs::path finalPath)
        : m_final(std::move(finalPath)), m_temp(m_final.string() + ".tmp")
    {
        fs::create_directories(m_final.parent_path());
        fs::remove(m_temp);
        if (sqlite3_open_v2(m_temp.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            fail("open");
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    }
    ~SqlFile()
    {
        close();
        if (!m_done) {
            std::error_code ec;
            fs::remove(m_temp, ec);
        }
    }
    SqlFile(const SqlFile &) = delete;
    SqlFile &operator=(const SqlFile &) = delete;

    void exec(const std::string &sql)
    {
        char *err = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            const std::string msg = err ? err : "?";
            sqlite3_free(err);
            throw std::runtime_error(m_final.string() + ": " + msg + " in: " + sql.substr(0, 200));
        }
    }

    void insert(const std::string &table, const std::vector<Cell> &row)
    {
        sqlite3_stmt *&stmt = m_inserts[table];
        if (!stmt) {
            std::string sql = "INSERT INTO " + quoted(table) + " VALUES (";
            for (size_t i = 0; i < row.size(); ++i)
                sql += i ? ",?" : "?";
            sql += ")";
            if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
                fail("prepare " + sql);
        }
        for (size_t i = 0; i < row.size(); ++i) {
            const int col = static_cast<int>(i) + 1;
            const Cell &c = row[i];
            if (std::holds_alternative<long long>(c))
                sqlite3_bind_int64(stmt, col, std::get<long long>(c));
            else if (std::holds_alternative<double>(c))
                sqlite3_bind_double(stmt, col, std::get<double>(c));
            else if (std::holds_alternative<std::string>(c))
                sqlite3_bind_text(stmt, col, std::get<std::string>(c).c_str(), -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(stmt, col);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE)
            fail("insert into " + table);
        sqlite3_reset(stmt);
    }

    void commit()
    {
        exec("COMMIT");
        close();
        fs::rename(m_temp, m_final);
        m_done = true;
    }

private:
    [[noreturn]] void fail(const std::string &what)
    {
        throw std::runtime_error(m_final.string() + ": " + what + ": " + (m_db ? sqlite3_errmsg(m_db) : "?"));
    }
    void close()
    {
        for (auto &[name, stmt] : m_inserts)
            sqlite3_finalize(stmt);
        m_inserts.clear();
        if (m_db)
            sqlite3_close(m_db);
        m_db = nullptr;
    }

    fs::path m_final;
    std::string m_temp;
    sqlite3 *m_db = nullptr;
    std::map<std::string, sqlite3_stmt *> m_inserts;
    bool m_done = false;
};

// Writes a text file through a temporary name.
void writeFile(const fs::path &path, const std::string &content)
{
    fs::create_directories(path.parent_path());
    const fs::path temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out)
            throw std::runtime_error("cannot write " + temp.string());
    }
    fs::rename(temp, path);
}

bool hasYear(const std::vector<int> &years, int y)
{
    for (int v : years)
        if (v == y)
            return true;
    return false;
}

std::string yearColumns(const char *prefix, const char *type)
{
    std::string s;
    for (int y = kFirstYear; y <= kLastYear; ++y)
        s += ", " + quoted(prefix + std::to_string(y)) + " " + type;
    return s;
}

// ---------------------------------------------------------------------------
// The files

void writeTerritorio(const fs::path &file, const Model &model)
{
    SqlFile db(file);
    db.exec("CREATE TABLE land_Ind (COD_TERR INTEGER PRIMARY KEY, DES_TERR TEXT NOT NULL COLLATE NOCASE UNIQUE, "
            "COD_TIPO_TERR INTEGER NOT NULL CHECK (COD_TIPO_TERR BETWEEN 1 AND 5), PROV INTEGER, REG INTEGER)");
    db.exec("CREATE TABLE land (N_PROV INTEGER PRIMARY KEY, Provincia TEXT NOT NULL, reg INTEGER NOT NULL, "
            "REGIONE TEXT NOT NULL)");
    std::map<int, std::string> regionName;
    for (const Territory &t : model.territories())
        if (t.tipo == 2)
            regionName[t.reg] = t.name;
    for (const Territory &t : model.territories()) {
        db.insert("land_Ind", {integer(t.cod), Cell(t.name), integer(t.tipo), t.prov ? integer(t.prov) : Cell(),
                               t.reg ? integer(t.reg) : Cell()});
    }
    for (const Territory &t : model.territories())
        if (t.tipo == 1)
            db.insert("land", {integer(t.cod), Cell(t.name), integer(t.reg), Cell(regionName.at(t.reg))});
    db.commit();
}

void writeMetadati(const fs::path &file)
{
    SqlFile db(file);
    db.exec("CREATE TABLE DBMainMenu (IdRiga INTEGER PRIMARY KEY, IdMenu INTEGER NOT NULL, IdMenuParent INTEGER NOT NULL, "
            "DescName TEXT, isSeparator BOOLEAN NOT NULL DEFAULT 0, isDisable BOOLEAN NOT NULL DEFAULT 0, "
            "isChecked BOOLEAN NOT NULL DEFAULT 0, FormToOpen TEXT, DBname TEXT, TipoDb TEXT, Orderb INTEGER NOT NULL)");
    int riga = 0;
    for (const MenuRow &m : menuRows())
        db.insert("DBMainMenu", {integer(++riga), integer(m.idMenu), integer(m.idMenuParent), text(m.descName),
                                 flag(m.isSeparator), flag(m.isDisable), flag(false), text(m.formToOpen),
                                 text(m.dbName), text(m.tipoDb), integer(m.orderb)});

    db.exec("CREATE TABLE DbConfigs (DbFile TEXT NOT NULL, dbdesc TEXT NOT NULL, dbnames TEXT NOT NULL, TipoDb TEXT, "
            "AnnoIniziale INTEGER, AnnoFinale INTEGER, Ordine INTEGER, Attivo BOOLEAN, Versione TEXT, Note TEXT, "
            "DescSelezione TEXT)");
    db.insert("DbConfigs", {text("Variabili.mdb"), text("Variabili di dotazione infrastrutturale"),
                            text("Variabili.mdb"), text("Variabili"), integer(kFirstYear), integer(kLastYear),
                            integer(1), flag(true), text("1.0"), Cell(), text("Variabili")});
    db.insert("DbConfigs", {text("Indicatori.mdb"), text("Indicatori di dotazione infrastrutturale"),
                            text("Indicatori.mdb"), text("Indicatori"), integer(kFirstYear), integer(kLastYear),
                            integer(2), flag(true), text("1.0"), Cell(), text("Indicatori")});

    db.exec("CREATE TABLE tablelink (NomeTabella TEXT NOT NULL, DbOrigine TEXT NOT NULL, DbDestinazione TEXT NOT NULL)");
    for (const auto &[holder, meta] : {std::pair{"Variabili.mdb", "MetadatiVariabili"},
                                       std::pair{"Indicatori.mdb", "MetadatiIndicatori"}}) {
        db.insert("tablelink", {text("land_Ind"), text("Territorio.mdb"), text(holder)});
        for (const char *t : {"Settore", "Argomento", "IndVarAnno", meta})
            db.insert("tablelink", {text(t), text("Metadati.mdb"), text(holder)});
    }

    db.exec("CREATE TABLE InfoAggiornamento (DataAggiornamento TEXT, Note TEXT)");
    db.insert("InfoAggiornamento",
              {text("30/06/2009"), text("Banca dati dimostrativa: territori e classificazioni reali, valori "
                                        "sintetici (dati dimostrativi). Anni 1996-2008.")});

    db.exec("CREATE TABLE Settore (idSettore TEXT PRIMARY KEY COLLATE NOCASE CHECK (length(idSettore) = 1), "
            "\"Descrizione Settore\" TEXT NOT NULL)");
    for (const Sector &s : sectors())
        db.insert("Settore", {text(s.id), text(s.desc)});

    db.exec("CREATE TABLE Argomento (\"Codice argomento\" TEXT PRIMARY KEY COLLATE NOCASE, \"Desc argomento\" TEXT, "
            "idSettore TEXT NOT NULL COLLATE NOCASE REFERENCES Settore(idSettore))");
    for (const SubArea &a : subAreas())
        db.insert("Argomento", {text(a.code), text(a.desc), text(a.sector)});

    db.exec("CREATE TABLE IndVarAnno (Variabile TEXT NOT NULL COLLATE NOCASE, "
            "Anno INTEGER NOT NULL CHECK (Anno BETWEEN 1996 AND 2008), "
            "TipoVar TEXT NOT NULL COLLATE NOCASE CHECK (TipoVar IN ('I','V')), Settore TEXT NOT NULL COLLATE NOCASE, "
            "Argomento TEXT NOT NULL COLLATE NOCASE, Tabella TEXT NOT NULL, PRIMARY KEY (Variabile, Anno))");
    for (const VariableDef &v : variables()) {
        const std::string id = v.id;
        for (int y : v.years)
            db.insert("IndVarAnno", {Cell(id), integer(y), text("V"), Cell(id.substr(0, 1)), Cell(id.substr(0, 3)),
                                     Cell("V_" + id.substr(0, 2) + "_" + std::to_string(y))});
    }
    for (const IndicatorDef &ind : indicators()) {
        const std::string id = ind.id;
        for (int y : ind.years)
            db.insert("IndVarAnno", {Cell(id), integer(y), text("I"), Cell(id.substr(0, 1)), Cell(id.substr(0, 3)),
                                     Cell("I_" + id.substr(0, 3) + "_" + std::to_string(y))});
    }

    db.exec("CREATE TABLE MetadatiVariabili (IdVariabile TEXT PRIMARY KEY COLLATE NOCASE, DescVariabile TEXT, "
            "CodiceArgomento TEXT NOT NULL COLLATE NOCASE, Fonte TEXT, PubblRecente TEXT, Ente TEXT, "
            "UltimoAnnoDisponibile INTEGER" +
            yearColumns("", "BOOLEAN") + ", UnitaMisura TEXT, PeriodoRif TEXT, NoteSerie TEXT" +
            yearColumns("Note_", "TEXT") + yearColumns("Fonte_", "TEXT") + yearColumns("Pubblicazione_", "TEXT") +
            yearColumns("Ente_", "TEXT") + ", LivelloTerritoriale TEXT, NumProvince INTEGER)");
    for (const VariableDef &v : variables()) {
        const std::string id = v.id;
        const int last = v.years.back();
        std::vector<Cell> row = {Cell(id), text(v.desc), Cell(id.substr(0, 3)), text(v.fonte),
                                 Cell(std::string(v.pubblicazione) + " " + std::to_string(last + 1)), text(v.ente),
                                 integer(last)};
        for (int y = kFirstYear; y <= kLastYear; ++y)
            row.push_back(flag(hasYear(v.years, y)));
        row.push_back(text(v.unit));
        row.push_back(text(v.period));
        row.push_back(text(v.noteSerie));
        for (int y = kFirstYear; y <= kLastYear; ++y) {
            auto it = v.notes.find(y);
            row.push_back(it == v.notes.end() ? Cell() : text(it->second));
        }
        const Cell missing = v.dashWhenMissing ? text("-") : Cell();
        for (int y = kFirstYear; y <= kLastYear; ++y) {
            auto it = v.fonteYears.find(y);
            row.push_back(!hasYear(v.years, y) ? missing : text(it == v.fonteYears.end() ? v.fonte : it->second));
        }
        for (int y = kFirstYear; y <= kLastYear; ++y) {
            if (!hasYear(v.years, y))
                row.push_back(missing);
            else if (v.dashPublication.count(y))
                row.push_back(text("-"));
            else
                row.push_back(Cell(std::string(v.pubblicazione) + " " + std::to_string(y + 1)));
        }
        for (int y = kFirstYear; y <= kLastYear; ++y)
            row.push_back(hasYear(v.years, y) ? text(v.ente) : missing);
        row.push_back(text(v.regionalOnly ? "R" : "P"));
        row.push_back(v.regionalOnly ? Cell() : integer(kProvinces));
        db.insert("MetadatiVariabili", row);
    }

    db.exec("CREATE TABLE MetadatiIndicatori (IdIndicatore TEXT PRIMARY KEY COLLATE NOCASE, DescIndicatore TEXT, "
            "Argomento TEXT NOT NULL COLLATE NOCASE, ModalitaCalcolo TEXT, IdVariabilAssociate TEXT" +
            yearColumns("", "BOOLEAN") +
            ", NoteTecniche TEXT, PSM TEXT, BdQuid TEXT, Valutazione TEXT COLLATE NOCASE, Destinazione TEXT, "
            "Prov INTEGER, SLL INTEGER, Comune INTEGER, DatoPuntuale INTEGER, UtilizzSintesi TEXT)");
    for (const IndicatorDef &ind : indicators()) {
        const std::string id = ind.id;
        std::string assoc, sources;
        for (const char *v : ind.variables)
            assoc += (assoc.empty() ? "" : ", ") + std::string(v);
        std::vector<Cell> row = {Cell(id), text(ind.desc), Cell(id.substr(0, 3)), text(ind.modalita), Cell(assoc)};
        for (int y = kFirstYear; y <= kLastYear; ++y)
            row.push_back(flag(hasYear(ind.years, y)));
        std::string note = "Calcolato dalle variabili " + assoc + " negli stessi confini territoriali.";
        if (ind.relative)
            note += "\nIl valore dell'Italia è posto uguale a 100.";
        note += "\nValori vuoti quando una delle variabili manca o il denominatore è zero.";
        row.push_back(Cell(note));
        row.push_back(text(ind.relative ? "Si" : "No"));
        row.push_back(text(id[0] == 'B' || id[0] == 'C' ? "Si" : "No"));
        row.push_back(text(ind.valutazione));
        row.push_back(text(ind.destinazione));
        row.push_back(integer(1));
        row.push_back(integer(ind.sll));
        row.push_back(integer(ind.comune));
        row.push_back(integer(ind.datoPuntuale));
        row.push_back(text(ind.relative ? "Si" : "No"));
        db.insert("MetadatiIndicatori", row);
    }

    db.exec("CREATE TABLE Valutazioni (Valutazione TEXT PRIMARY KEY COLLATE NOCASE, Descrizione TEXT)");
    for (const TextPair &v : valutazioni())
        db.insert("Valutazioni", {text(v.first), text(v.second)});

    db.exec("CREATE TABLE Glossario (Nome TEXT PRIMARY KEY COLLATE NOCASE, Definizione TEXT, idsettore TEXT COLLATE NOCASE)");
    for (const GlossaryTerm &g : glossary())
        db.insert("Glossario", {text(g.nome), text(g.definizione), text(g.settore)});
    db.commit();
}

// One data table per (code prefix, year): `prefixLength` characters of the Ids.
template <typename Item, typename ValueOf>
void writeDataTables(SqlFile &db, const Model &model, const std::vector<Item> &items, const char *tablePrefix,
                     size_t prefixLength, ValueOf valueOf)
{
    std::vector<std::string> prefixes;
    for (const Item &it : items) {
        const std::string p = std::string(it.id).substr(0, prefixLength);
        if (prefixes.empty() || prefixes.back() != p)
            prefixes.push_back(p);
    }
    for (const std::string &prefix : prefixes) {
        for (int y = kFirstYear; y <= kLastYear; ++y) {
            std::vector<const Item *> group;
            for (const Item &it : items)
                if (std::string(it.id).substr(0, prefixLength) == prefix && hasYear(it.years, y))
                    group.push_back(&it);
            if (group.empty())
                continue;
            const std::string table = std::string(tablePrefix) + prefix + "_" + std::to_string(y);
            std::string ddl = "CREATE TABLE " + table + " (COD_TERR INTEGER PRIMARY KEY";
            for (const Item *it : group)
                ddl += std::string(", ") + it->id + " REAL";
            db.exec(ddl + ")");
            for (const Territory &t : model.territories()) {
                std::vector<Cell> row = {integer(t.cod)};
                for (const Item *it : group)
                    row.push_back(number(valueOf(*it, t, y)));
                db.insert(table, row);
            }
        }
    }
}

void writeVariabili(const fs::path &file, const Model &model)
{
    SqlFile db(file);
    writeDataTables(db, model, variables(), "V_", 2,
                    [&](const VariableDef &v, const Territory &t, int y) { return model.published(v, t, y); });
    db.commit();
}

void writeIndicatori(const fs::path &file, const Model &model)
{
    SqlFile db(file);
    writeDataTables(db, model, indicators(), "I_", 3,
                    [&](const IndicatorDef &i, const Territory &t, int y) { return model.indicator(i, t, y); });
    db.commit();
}

void writeUserDb(const fs::path &file)
{
    SqlFile db(file);
    db.exec("CREATE TABLE tabope (Id INTEGER PRIMARY KEY); INSERT INTO tabope VALUES (1)");
    db.commit();
}

const char *const kInfoText =
    "Trambelo - banca dati di indicatori e variabili di dotazione infrastrutturale\n"
    "delle province e delle regioni italiane, anni 1996-2008.\n"
    "\n"
    "Il programma permette di scegliere variabili e indicatori per anno e territorio,\n"
    "di consultarne i valori in tabella, di calcolare nuove colonne, di rappresentarli\n"
    "su mappa e di leggerne i metadati (schede, elenco dei codici, glossario).\n"
    "\n"
    "Territori (province, regioni, ripartizioni, Italia, aree Obiettivo 1) e classificazioni\n"
    "sono reali; i valori sono dati dimostrativi, generati per prova: non sono statistiche ufficiali.\n"
    "\n"
    "Fonte: ISTAT, confini amministrativi (CC BY)\n";

// A soft blue-grey gradient with a faint diagonal weave.
void writeBackground(const fs::path &file)
{
    QImage image(1024, 768, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient gradient(0, 0, image.width(), image.height());
    gradient.setColorAt(0.0, QColor(226, 232, 239));
    gradient.setColorAt(0.55, QColor(196, 208, 221));
    gradient.setColorAt(1.0, QColor(168, 184, 202));
    painter.fillRect(image.rect(), gradient);

    QRadialGradient glow(QPointF(image.width() * 0.22, image.height() * 0.18), image.width() * 0.6);
    glow.setColorAt(0.0, QColor(255, 255, 255, 70));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(image.rect(), glow);

    painter.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    for (int x = -image.height(); x < image.width(); x += 28)
        painter.drawLine(QPointF(x, 0), QPointF(x + image.height(), image.height()));
    painter.setPen(QPen(QColor(60, 80, 110, 12), 1.0));
    for (int x = 0; x < image.width() + image.height(); x += 28)
        painter.drawLine(QPointF(x, 0), QPointF(x - image.height(), image.height()));
    painter.end();

    fs::create_directories(file.parent_path());
    const fs::path temp = file.string() + ".tmp";
    QImageWriter writer(QString::fromStdString(temp.string()), "jpg");
    writer.setQuality(85);
    if (!writer.write(image))
        throw std::runtime_error("cannot write " + temp.string() + ": " + writer.errorString().toStdString());
    fs::rename(temp, file);
}

} // namespace

void generate(const std::string &appDir, const std::string &provinceCsv)
{
    const fs::path app(appDir);
    const Model model(readProvinces(provinceCsv));
    writeTerritorio(app / "Databases" / "Territorio.mdb", model);
    writeMetadati(app / "Databases" / "Metadati.mdb");
    writeVariabili(app / "Databases" / "Variabili.mdb", model);
    writeIndicatori(app / "Databases" / "Indicatori.mdb", model);
    writeUserDb(app / "Files" / "pxn_utente.mdb");
    writeFile(app / "Files" / "InfoQrl.txt", kInfoText);
    writeBackground(app / "Images" / "sfondopxn2.jpg");
}

} // namespace sample
