#include "selection/dispData_CopyGrid.h"
#include "frame/Globals.h"
#include "platform/grid/TextGrid.h"

namespace Utility {

int CopyGridToArray(const platform::grid::TextGrid &grid)
{
    std::vector<QStringList> m(static_cast<size_t>(grid.Rows()));
    for (int r = 0; r < grid.Rows(); ++r) {
        QStringList &row = m[size_t(r)];
        row.reserve(grid.Cols());
        for (int c = 0; c < grid.Cols(); ++c)
            row.append(grid.TextMatrix(r, c));
    }
    gMatriceDati = std::move(m);
    return 0;
}

} // namespace Utility
