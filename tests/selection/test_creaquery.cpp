// The data query of a request, without windows or databases.
#include "selection/FormdatiTabLogic.h"
#include "selection/FillSons.h"
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

} // namespace

TEST(CreaQuery, WorkedExampleGivesTheExactText)
{
    FakeLookup lk;
    lk.tables = {{"I0101/2004", "T_04"}, {"I0101/2005", "T_05"}};
    const QString sql = CreaQuery({"I0102-2004 - X", "I0101-2004 - Y", "I0101-2005 - Y"}, "Indicatori",
                                  "land_Ind.DES_TERR IN( 'A', 'B')", lk.fn());
    EXPECT_EQ(sql.toStdString(),
              "SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, land_Ind.PROV, land_Ind.REG, "
              "land_Ind.DES_TERR as Territorio, Format(T_04.I0101, '0.00') as I0101_2004, Format(T_05.I0101, '0.00') "
              "as I0101_2005, Format(T_04.I0102, '0.00') as I0102_2004 FROM (T_04 INNER JOIN land_Ind  ON "
              "T_04.COD_TERR = land_Ind.COD_TERR) INNER JOIN T_05 ON T_05.COD_TERR = T_04.COD_TERR WHERE "
              "land_Ind.DES_TERR IN( 'A', 'B')");
    EXPECT_EQ(lk.calls, QStringList({"I0101/2004", "I0101/2005"}));
}

TEST(CreaQuery, OneItemHasNoParenthesesAndNoFilterNoCondition)
{
    FakeLookup lk;
    lk.tables = {{"V0101/2004", "V_V0_2004"}};
    // A line given twice counts once.
    EXPECT_EQ(CreaQuery({"V0101-2004 - Strade", "V0101-2004 - Strade"}, "Variabili", "", lk.fn()),
              CreaQuery({"V0101-2004 - Strade"}, "Variabili", "", lk.fn()));
    EXPECT_EQ(CreaQuery({"V0101-2004 - Strade"}, "Variabili", "", lk.fn()).toStdString(),
              "SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, land_Ind.PROV, land_Ind.REG, "
              "land_Ind.DES_TERR as Territorio, Format(V_V0_2004.V0101, '0.00') as V0101_2004 FROM V_V0_2004 "
              "INNER JOIN land_Ind  ON V_V0_2004.COD_TERR = land_Ind.COD_TERR");
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
    struct Case {
        const char *kind;
        QStringList lines;
        QStringList expectedCalls;
    };
    const Case cases[] = {
        // variables: two characters of prefix
        {"Variabili", {"V0101-2004 - a", "V0201-2004 - b"}, {"V0101/2004"}},
        {"Variabili", {"V0101-2004 - a", "V1101-2004 - b"}, {"V0101/2004", "V1101/2004"}},
        // indicators: three characters
        {"Indicatori", {"V0101-2004 - a", "V0201-2004 - b"}, {"V0101/2004", "V0201/2004"}},
        // any other word counts as variables
        {"indicatori", {"V0101-2004 - a", "V0201-2004 - b"}, {"V0101/2004"}},
        // the same Id in two years: two groups
        {"Variabili", {"V0101-2005 - a", "V0101-2004 - a"}, {"V0101/2004", "V0101/2005"}},
        // an Id shorter than the prefix is its own prefix
        {"Indicatori", {"V1-2004 - a", "V12-2004 - b"}, {"V1/2004", "V12/2004"}},
    };
    for (const Case &c : cases) {
        FakeLookup lk;
        for (const QString &l : c.lines) {
            const auto r = ParseSelectionLine(l);
            lk.tables[r.id + u'/' + r.anno] = "T" + r.id.left(2) + "_" + r.anno;
        }
        CreaQuery(c.lines, c.kind, "", lk.fn());
        EXPECT_EQ(lk.calls, c.expectedCalls) << c.kind << " " << c.lines.join("|").toStdString();
    }
}

TEST(CreaQuery, RefusesRequestsItCannotBuildSoundly)
{
    struct Case {
        QStringList lines;
        QString table;
        const char *inMessage;
    };
    const Case cases[] = {
        {{"A0101-2004 - a"}, "", "A0101 nell'anno 2004"}, // no data table for the item and year
        {{"A0101-2004 - a"}, "T 1", "T 1"},               // a table name that is not a plain name
        {{"A0'01-2004 - a"}, "T", "A0'01"},               // an Id that is not a plain name
        {{"A0101-20x4 - a"}, "T", "20x4"},                // not a year
        {{"A0101 - a"}, "T", "Anno"},                     // no year at all
        {{}, "T", "Nessun"},                              // nothing selected
    };
    for (const Case &c : cases) {
        try {
            CreaQuery(c.lines, "Variabili", "", [&](const QString &, const QString &) { return c.table; });
            ADD_FAILURE() << "accepted " << c.lines.join("|").toStdString();
        } catch (const platform::RuntimeError &e) {
            EXPECT_TRUE(e.description().contains(c.inMessage)) << e.description().toStdString();
        }
    }
}

TEST(CreaQuery, StatementsOfTheTreeYearsNotesTerritoriesAndLookUps)
{
    const std::vector<std::pair<QString, std::string>> cases = {
        {Utility_RQM::FillSonsQuery("Indicatori"),
         "SELECT Settore.idSettore, Settore.[Descrizione Settore], Argomento.[Codice argomento], Argomento.[Desc "
         "argomento], MetadatiIndicatori.IdIndicatore, MetadatiIndicatori.DescIndicatore, IndVarAnno.TipoVar FROM "
         "((Settore INNER JOIN Argomento ON Settore.idSettore = Argomento.idSettore) INNER JOIN IndVarAnno ON "
         "(Settore.idSettore = IndVarAnno.Settore) AND (Argomento.[Codice argomento] = IndVarAnno.Argomento)) INNER "
         "JOIN MetadatiIndicatori ON IndVarAnno.Variabile = MetadatiIndicatori.IdIndicatore Where "
         "(((IndVarAnno.TipoVar) = 'I')) GROUP BY Settore.idSettore, Settore.[Descrizione Settore], "
         "Argomento.[Codice argomento], Argomento.[Desc argomento], MetadatiIndicatori.IdIndicatore, "
         "MetadatiIndicatori.DescIndicatore, IndVarAnno.TipoVar ORDER BY Settore.idSettore, Argomento.[Codice "
         "argomento], MetadatiIndicatori.IdIndicatore;"},
        {YearsQuery("Variabili", "A0101"),
         "SELECT IndVarAnno.Anno, MetadatiVariabili.* FROM IndVarAnno INNER JOIN MetadatiVariabili ON "
         "IndVarAnno.Variabile = MetadatiVariabili.IdVariabile WHERE IndVarAnno.Variabile = 'A0101' order by "
         "IndVarAnno.Anno;"},
        {NoteQuery("Variabili", "2005", "A0101"),
         "SELECT Note_2005 FROM MetadatiVariabili WHERE IdVariabile = 'A0101' "},
        {CaricaTerritoriQuery(0, 1),
         "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind where COD_TIPO_TERR=2 and COD_TIPO_TERR <> 1"},
        {CaricaTerritoriQuery(1, 0), "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind where COD_TIPO_TERR=1"},
        {CaricaTerritoriQuery(2, 0), "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind"},
        {CaricaTerritoriQuery(2, 5), "SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind where COD_TIPO_TERR <> 5"},
        {LookupQuery("I0101", "2004"), "SELECT Tabella, Settore From IndVarAnno WHERE Variabile = 'I0101' and anno = 2004"},
        {CreaFiltroTerritori({"A", "B"}), "land_Ind.DES_TERR IN( 'A', 'B')"},
        {CreaFiltroTerritori({}), ""},
    };
    for (const auto &[sql, expected] : cases)
        EXPECT_EQ(sql.toStdString(), expected);
}

TEST(CreaQuery, SelectionLinesGiveBackIdAndYear)
{
    struct Case {
        QString line, id, anno, sheetId;
    };
    const Case cases[] = {
        {"A0101-2005 - X", "A0101", "2005", "A0101"},
        {"AB1234-2005 - X-Y", "AB1234", "2005", "AB1234"},
        {"A0101-2005 - Strade - rete", "A0101", "2005", "A0101"},
    };
    for (const Case &c : cases) {
        const RequestItem r = ParseSelectionLine(c.line);
        EXPECT_EQ(r.id, c.id) << c.line.toStdString();
        EXPECT_EQ(r.anno, c.anno) << c.line.toStdString();
        EXPECT_EQ(SelectionId(c.line), c.sheetId) << c.line.toStdString();
    }
    EXPECT_EQ(SelectionLine("A0101-2005", "X"), "A0101-2005 - X");
}
