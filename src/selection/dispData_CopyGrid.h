#pragma once
// The text copy of the data grid for the formula window.
namespace platform::grid {
class TextGrid;
}

namespace Utility {

// Fills gMatriceDati with every cell of `grid`, row 0 (the column names)
// included: gMatriceDati[r][c] = TextMatrix(r, c). Returns 0.
int CopyGridToArray(const platform::grid::TextGrid &grid);

} // namespace Utility
