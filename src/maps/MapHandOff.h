#pragma once
// The hand-off of a data table column to the map: checks the column and the
// shape folder, settles the map level, copies the rows of that territory type
// into the hidden grid and opens the map window on a snapshot of them.
#include "maps/MapClasses.h"

#include <QString>
#include <functional>

class frm_dispData;

namespace platform::grid {
class TextGrid;
}

namespace maps {

// What the hand-off uses of the data table window.
struct DataTableLink {
    platform::grid::TextGrid &datagrid;
    platform::grid::TextGrid &datagrid2;
    int &tipoTerrNow;
    std::function<QString()> descVar;           // lblDescVar's text
    std::function<QString()> ordinaText;        // cmb_Ordina's text
    std::function<void()> datagrid_EnterCell;
    std::function<void()> mnu_asce_Click;
    std::function<void()> cmd_ordinaA_Click;
};

// Copies the data rows whose column 0 is the territory type tipoTerrNow into
// datagrid2 from row 1 on (row 0 stays empty), after sorting datagrid
// ascending on its selected columns. True when a row was copied.
bool CaricaDataGridMappa(DataTableLink &t);

// The map window's input taken from the two grids: the header of the selected
// column, the description, the current level and each copied row's code (the
// level's code column) and value.
MapInput MapInputFromGrids(const DataTableLink &t);

// The hand-off ("Crea cartogramma"): errors are logged for frm_dispData under
// "mnu_createMap_Click".
void mnu_createMap_Click(DataTableLink &t);

// The same on the data table window.
void mnu_createMap(frm_dispData &form);

} // namespace maps
