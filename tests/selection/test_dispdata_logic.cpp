// The data table's search rules and row moves on a grid of texts.
#include "platform/Error.h"
#include "platform/grid/TextGrid.h"
#include "selection/dispData_Logic.h"

#include <gtest/gtest.h>
#include <tuple>

using platform::grid::TextGrid;

namespace {

// A grid with a header and one column of texts; column 1 numbers the rows.
void fill(TextGrid &g, const QStringList &values)
{
    g.setCols(2);
    g.setRows(int(values.size()) + 1);
    g.setTextMatrix(0, 0, "V");
    g.setTextMatrix(0, 1, "N");
    for (int r = 0; r < values.size(); ++r) {
        g.setTextMatrix(r + 1, 0, values[r]);
        g.setTextMatrix(r + 1, 1, QString::number(r + 1));
    }
}

QStringList column(const TextGrid &g, int c)
{
    QStringList out;
    for (int r = 0; r < g.Rows(); ++r)
        out << g.TextMatrix(r, c);
    return out;
}

} // namespace

TEST(DispDataSearch, PlanFromTheBoundsAndTheColumn)
{
    using K = dispData::SearchPlan;
    const QString needNumbers = "Per fare una ricerca da --- a inserire due numeri interi!";
    const struct Case { int listIndex; QString da, a; K::Kind kind; QString aAfter, message; } cases[] = {
        {3, "", "", K::Nothing, "", ""}, {3, "   ", "4", K::Nothing, "4", ""}, {0, "Roma", "", K::Nothing, "", ""},
        {5, "Roma", "", K::Text, "", ""},
        {5, "10", "", K::Range, "10", ""},         // a single number searches its integer part
        {5, "10,7", "10,2", K::Range, "10,2", ""}, // the integer parts are equal
        {5, "-3", "-3", K::Range, "-3", ""},
        {5, "5", "2", K::Warn, "2", "Il secondo numero deve essere maggiore o uguale al primo!"},
        {5, "abc", "3", K::Warn, "3", needNumbers}, {5, "3", "abc", K::Warn, "abc", needNumbers},
        {5, "1.5", "", K::Text, "", ""},           // not a number under Italian settings
    };
    for (const Case &k : cases) {
        const auto p = dispData::PlanSearch(k.listIndex, k.da, k.a);
        EXPECT_EQ(p.kind, k.kind) << k.da.toStdString() << " / " << k.a.toStdString();
        EXPECT_EQ(p.a, k.aAfter) << k.da.toStdString();
        EXPECT_EQ(p.warning.text, k.message);
        if (p.kind == K::Warn) {
            EXPECT_EQ(std::make_pair(p.warning.style, p.warning.title), std::make_pair(64, QString("Attenzione")));
        }
        if (p.kind == K::Text || p.kind == K::Range) {
            EXPECT_EQ(p.col, k.listIndex - 1);
        }
    }
}

TEST(DispDataSearch, RangeMovesMatchesInOrderAndSelectsThem)
{
    struct Case { QString da, a; QStringList expected; int row, rowSel; }; // expected: column 0 after, header included
    // The grid as the search leaves it after its ascending sort.
    const QStringList sorted = {"", "-3,50", "-2,50", "-0,40", "0,00", "10,00", "10,99", "11,00", "n.d."};
    const std::vector<Case> cases = {
        {"10", "10", {"V", "10,00", "10,99", "", "-3,50", "-2,50", "-0,40", "0,00", "11,00", "n.d."}, 1, 2},
        // Int rounds down: -2,50 has integer part -3, -3,50 has -4
        {"-3", "-3", {"V", "-2,50", "", "-3,50", "-0,40", "0,00", "10,00", "10,99", "11,00", "n.d."}, 1, 1},
        {"-1", "0", {"V", "-0,40", "0,00", "", "-3,50", "-2,50", "10,00", "10,99", "11,00", "n.d."}, 1, 2},
        // nothing found: the order stays, the header row becomes current
        {"50", "60", QStringList{"V"} + sorted, 0, 0},
    };
    for (const Case &k : cases) {
        TextGrid g;
        fill(g, sorted);
        const int found = dispData::RangeSearch(g, 0, k.da, k.a);
        EXPECT_EQ(column(g, 0), k.expected) << k.da.toStdString();
        EXPECT_EQ(std::make_tuple(found, g.Row(), g.RowSel(), g.Col(), g.ColSel(), g.TopRow()),
                  std::make_tuple(k.rowSel, k.row, k.rowSel, 0, 0, 1));
    }
}

TEST(DispDataSearch, TextMatchesGoToRowOneLastFoundFirst)
{
    TextGrid g;
    fill(g, {"Milano", "roma", "Torino", " ROMA ", "Rom"});
    EXPECT_EQ(dispData::TextSearch(g, 0, " Roma"), 2);
    EXPECT_EQ(column(g, 1), QStringList({"N", "4", "2", "1", "3", "5"}));
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.RowSel(), 1);

    // the header is never a match
    TextGrid h;
    fill(h, {"x", "V"});
    EXPECT_EQ(dispData::TextSearch(h, 0, "v"), 1);
    EXPECT_EQ(column(h, 0), QStringList({"V", "V", "x"}));

    TextGrid none;
    fill(none, {"a", "b"});
    none.setRow(2);
    EXPECT_EQ(dispData::TextSearch(none, 0, "c"), 0);
    EXPECT_EQ(none.Row(), 2);
}

TEST(DispDataQuery, FailureMessages)
{
    const auto tooMany = dispData::QueryFailureMessage(platform::err::RequestTooComplex, "too many tables", "Variabili");
    const auto other = dispData::QueryFailureMessage(platform::err::DatabaseError, "no such table: X", "Variabili");
    EXPECT_EQ(std::make_pair(tooMany.text, tooMany.style),
              std::make_pair(QString("Numero di Variabili selezionate troppo elevato. Eliminarle alcune."), 48));
    EXPECT_EQ(std::make_pair(other.text, other.style), std::make_pair(QString("no such table: X -2147217900"), 16));
    EXPECT_EQ(dispData::QueryText("SELECT 1"), "SELECT 1 order by land_Ind.COD_TERR");
    EXPECT_EQ(dispData::ItemIdOfHeader("AB1234_2005"), "AB1234");
    EXPECT_EQ(dispData::ItemIdOfHeader("Funz1"), "Funz1");
}
