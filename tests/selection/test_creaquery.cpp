// The data query of a request, without windows or databases.
#include "selection/FormdatiTabLogic.h"
#include "platform/Error.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace selection;

namespace {

// A look-up over a fixed (Id, year) -> table map that records its calls.
struct FakeLookup {
    QMap<QString, QString> tables;   // "Id/year" -> table
    QStringList calls;
    TableLookup fn()
    {
        return [this](const QString &id, const QString &anno) {
            calls << id + u'/' + anno;
            return tables.value(id + u'/' + anno);
        };
    }
};

const char *const Head = "SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, land_Ind.PROV, "
                         "land_Ind.REG, land_Ind.DES_TERR as Territorio, ";

} // namespace

TEST(CreaQuery, ExactTextsOneItemOrSeveralAndTheFilter)
{
    const struct Case { QStringList lines; const char *kind; QString filter; QStringList calls; std::string tail; } cases[] = {
        {{"I0102-2004 - X", "I0101-2004 - Y", "I0101-2005 - Y"}, "Indicatori", CreaFiltroTerritori({"A", "L'Aquila"}),
         {"I0101/2004", "I0101/2005"},
         "Format(T_04.I0101, '0.00') as I0101_2004, Format(T_05.I0101, '0.00') as I0101_2005, Format(T_04.I0102, "
         "'0.00') as I0102_2004 FROM (T_04 INNER JOIN land_Ind  ON T_04.COD_TERR = land_Ind.COD_TERR) INNER JOIN T_05 "
         "ON T_05.COD_TERR = T_04.COD_TERR WHERE land_Ind.DES_TERR IN( 'A', 'L''Aquila')"},
        // one item: no parentheses; no filter: no condition; a line given twice counts once
        {{"V0101-2004 - Strade", "V0101-2004 - Strade"}, "Variabili", "", {"V0101/2004"},
         "Format(V_V0_2004.V0101, '0.00') as V0101_2004 FROM V_V0_2004 INNER JOIN land_Ind  ON V_V0_2004.COD_TERR = "
         "land_Ind.COD_TERR"},
    };
    for (const Case &c : cases) {
        FakeLookup lk;
        lk.tables = {{"I0101/2004", "T_04"}, {"I0101/2005", "T_05"}, {"V0101/2004", "V_V0_2004"}};
        EXPECT_EQ(CreaQuery(c.lines, c.kind, c.filter, lk.fn()).toStdString(), Head + c.tail);
        EXPECT_EQ(lk.calls, c.calls);
    }
}

TEST(CreaQuery, ItemsSortByIdFollowedByYearInCharacterCodes)
{
    // "A010102004" < "A01012005": the 6-character Id comes first; digits before capitals before small letters.
    FakeLookup lk;
    lk.tables = {{"A01010/2004", "T"}, {"A0101/2005", "U"}, {"Ab101/2004", "V"}};
    const QString sql =
        CreaQuery({"Ab101-2004 - z - 1999-2000", "A0101-2005 - x", "A01010-2004 - y-w"}, "Variabili", "", lk.fn());
    const int p1 = sql.indexOf("as A01010_2004"), p2 = sql.indexOf("as A0101_2005"), p3 = sql.indexOf("as Ab101_2004");
    ASSERT_GT(p1, 0);
    EXPECT_LT(p1, p2);
    EXPECT_LT(p2, p3);
}

TEST(CreaQuery, GroupsByKindPrefixAndYear)
{
    const std::tuple<const char *, QStringList, QStringList> cases[] = {
        // variables: two characters of prefix; indicators: three; any other word counts as variables
        {"Variabili", {"V0101-2004 - a", "V0201-2004 - b"}, {"V0101/2004"}},
        {"Variabili", {"V0101-2004 - a", "V1101-2004 - b"}, {"V0101/2004", "V1101/2004"}},
        {"Indicatori", {"V0101-2004 - a", "V0201-2004 - b"}, {"V0101/2004", "V0201/2004"}},
        {"indicatori", {"V0101-2004 - a", "V0201-2004 - b"}, {"V0101/2004"}},
        // the same Id in two years: two groups; an Id shorter than the prefix is its own prefix
        {"Variabili", {"V0101-2005 - a", "V0101-2004 - a"}, {"V0101/2004", "V0101/2005"}},
        {"Indicatori", {"V1-2004 - a", "V12-2004 - b"}, {"V1/2004", "V12/2004"}},
    };
    for (const auto &[kind, lines, calls] : cases) {
        FakeLookup lk;
        for (const QString &l : lines) {
            const auto r = ParseSelectionLine(l);
            lk.tables[r.id + u'/' + r.anno] = "T" + r.id.left(2) + "_" + r.anno;
        }
        CreaQuery(lines, kind, "", lk.fn());
        EXPECT_EQ(lk.calls, calls) << kind << " " << lines.join("|").toStdString();
    }
}

TEST(CreaQuery, RefusesRequestsItCannotBuildSoundly)
{
    const std::tuple<QStringList, QString, const char *> cases[] = {
        {{"A0101-2004 - a"}, "", "A0101 nell'anno 2004"}, // no data table for the item and year
        {{"A0101-2004 - a"}, "T 1", "T 1"},               // a table name that is not a plain name
        {{"A0'01-2004 - a"}, "T", "A0'01"},               // an Id that is not a plain name
        {{"A0101-20x4 - a"}, "T", "20x4"},                // not a year
        {{"A0101 - a"}, "T", "Anno"},                     // no year at all
        {{}, "T", "Nessun"},                              // nothing selected
    };
    for (const auto &[lines, table, inMessage] : cases) {
        try {
            CreaQuery(lines, "Variabili", "", [t = table](const QString &, const QString &) { return t; });
            ADD_FAILURE() << "accepted " << lines.join("|").toStdString();
        } catch (const platform::RuntimeError &e) {
            EXPECT_TRUE(e.description().contains(inMessage)) << e.description().toStdString();
        }
    }
}

TEST(CreaQuery, TerritoriesOfALevelAndLinesOfTheList)
{
    const std::pair<QString, std::string> cases[] = {
        {CaricaTerritoriQuery(0, 1),
         "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind where COD_TIPO_TERR=2 and COD_TIPO_TERR <> 1"},
        {CaricaTerritoriQuery(1, 0), "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind where COD_TIPO_TERR=1"},
        {CaricaTerritoriQuery(2, 0), "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind"},
        {CaricaTerritoriQuery(2, 5), "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind where COD_TIPO_TERR <> 5"},
        {CreaFiltroTerritori({}), ""},
        {SelectionLine("A0101-2005", "X"), "A0101-2005 - X"},
    };
    for (const auto &[sql, expected] : cases)
        EXPECT_EQ(sql.toStdString(), expected);
    // and back: Id and year of a line
    const std::pair<QString, QString> lines[] = {
        {"A0101-2005 - X", "A0101"}, {"AB1234-2005 - X-Y", "AB1234"}, {"A0101-2005 - Strade - rete", "A0101"}};
    for (const auto &[line, id] : lines) {
        const RequestItem r = ParseSelectionLine(line);
        EXPECT_EQ(QStringList({r.id, r.anno, SelectionId(line)}), QStringList({id, "2005", id})) << line.toStdString();
    }
}
