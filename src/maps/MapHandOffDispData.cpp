// The hand-off wired to the data table window.
#include "maps/MapHandOff.h"
#include "selection/frm_dispData.h"

#include <QComboBox>
#include <QLineEdit>

namespace maps {

void mnu_createMap(frm_dispData &form)
{
    DataTableLink link{form.datagrid(),
                       form.datagrid2(),
                       form.tipoTerrNow,
                       [&form] { return form.lblDescVar ? form.lblDescVar->text() : QString(); },
                       [&form] { return form.cmb_Ordina ? form.cmb_Ordina->currentText() : QString(); },
                       [&form] { form.datagrid_EnterCell(); },
                       [&form] { form.mnu_asce_Click(); },
                       [&form] { form.cmd_ordinaA_Click(); }};
    mnu_createMap_Click(link);
}

} // namespace maps
