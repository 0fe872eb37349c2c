// Formula columns: a formula typed by hand is compiled against the columns of
// the data table and computed for every row. Whatever the text, compiling and
// computing end (no crash, no hang), every cell is empty or a number, and a
// formula nested deeper than the parser allows is refused.
#include "FuzzSupport.h"

#include "platform/NumText.h"
#include "platform/grid/TextGrid.h"
#include "selection/Formula.h"

#include <algorithm>
#include <cmath>

namespace {

const QStringList Headers{"TipoTerritorio", "COD_TERR", "PROV",       "REG",  "Territorio",
                          "I0101_1996",     "V0203_2008", "I0101_2008", "Funz1"};

platform::grid::TextGrid &grid()
{
    static platform::grid::TextGrid g;
    if (g.Rows() == 0) {
        const std::vector<QStringList> rows{
            Headers,
            {"1", "001", "TO", "01", "Torino", "12,50", "3,00", "0,00", "1,0000"},
            {"1", "002", "VC", "01", "Vercelli", "-7,25", "", "0,00", "n.d."},
            {"2", "01", "", "01", "Piemonte", "1000000000", "0,0001", "-0,00", "2,5"},
            {"3", "ITA", "", "", "Italia", "abc", "1,5", "1e308", "-1"},
        };
        g.SetContents(rows, int(Headers.size()));
    }
    return g;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::init();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto e = formula::Expression::Compile(text, Headers);
    int depth = 0, deepest = 0;
    for (const QChar c : text) {
        if (c == u'(')
            deepest = std::max(deepest, ++depth);
        else if (c == u')')
            --depth;
    }
    FUZZ_CHECK(!e || deepest <= formula::Expression::MaxNesting,
               QStringLiteral("%1 parentheses deep, compiled").arg(deepest));
    if (!e)
        return 0;
    for (const int k : e->Columns())
        FUZZ_CHECK(k >= 5 && k < Headers.size(), QStringLiteral("column %1 of \"%2\"").arg(k).arg(text));

    const auto v = e->Evaluate([](int column) { return double(column) - 6.5; });
    FUZZ_CHECK(!v || std::isfinite(*v), text);

    const std::vector<QString> cells = e->CalcolaColonna(grid());
    FUZZ_CHECK(cells.size() == size_t(grid().Rows() - 1), text);
    for (const QString &c : cells)
        FUZZ_CHECK(c.isEmpty() || platform::num::parse(c).has_value(),
                   QStringLiteral("cell \"%1\" of \"%2\"").arg(c, text));
    return 0;
}
