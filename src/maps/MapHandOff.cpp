#include "maps/MapHandOff.h"

#include "frame/Globals.h"
#include "frame/Guard.h"
#include "maps/frmSelMappa.h"
#include "maps/frm_Mappa.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "platform/grid/TextGrid.h"

#include <QStringList>

namespace maps {

using platform::prompts;
namespace mb = platform::mb;

namespace {
// Territory columns: a value column starts after them.
constexpr int FirstValueCol = 5;
}

bool CaricaDataGridMappa(DataTableLink &t)
{
    bool result = false;
    frame::Guard(QStringLiteral("frm_dispData"), QStringLiteral("CaricaDataGridMappa"), [&] {
        auto &g = t.datagrid;
        auto &g2 = t.datagrid2;
        g2.Clear();
        if (g2.Cols() < g.Cols())
            g2.setCols(g.Cols());
        g2.setRows(g.Rows());
        g.setSort(platform::grid::sort::GenericAscending);
        int k = 1;
        for (int r = 1; r < g.Rows(); ++r) {
            const auto type = platform::num::parse(g.TextMatrix(r, 0));
            if (!type || *type != t.tipoTerrNow)
                continue;
            result = true;
            for (int c = 0; c < g.Cols(); ++c)
                g2.setTextMatrix(k, c, g.TextMatrix(r, c));
            ++k;
        }
        g2.setRedraw(false);
        g2.setRows(k);
        g2.setColSel(g.ColSel());
        g2.setRedraw(true);
    });
    return result;
}

MapInput MapInputFromGrids(const DataTableLink &t)
{
    MapInput in;
    const int col = t.datagrid2.ColSel();
    in.header = t.datagrid.TextMatrix(0, t.datagrid.ColSel());
    in.description = t.descVar ? t.descVar() : QString();
    in.level = gLivelloMappa;
    in.levelName = gNomeLivelloMappa;
    for (int r = 1; r < t.datagrid2.Rows(); ++r)
        in.rows.push_back({t.datagrid2.TextMatrix(r, gLivelloMappa), t.datagrid2.TextMatrix(r, col)});
    return in;
}

void mnu_createMap_Click(DataTableLink &t)
{
    frame::Guard(QStringLiteral("frm_dispData"), QStringLiteral("mnu_createMap_Click"), [&] {
        if (t.datagrid.ColSel() < FirstValueCol) {
            prompts().msgBox(QStringLiteral("Selezionare una variabile."), mb::Exclamation);
            return;
        }
        if (t.descVar && t.descVar().isEmpty() && t.datagrid_EnterCell)
            t.datagrid_EnterCell();

        t.tipoTerrNow = gLivelloTerritorio;
        switch (gLivelloTerritorio) {
        case 1:
            gLivelloMappa = 2;
            break;
        case 2:
            gLivelloMappa = 3;
            break;
        case 3:
            if (frmSelMappa::Choose(t.tipoTerrNow) == 0)
                return;
            break;
        default:
            break;
        }
        if (gShapePath.isEmpty()) {
            prompts().msgBox(QStringLiteral("Il Path dei file Shape non è stao impostato!\r\n"
                                            "Se si vuole vedere le mappe chiudere il programma e riaprirlo, quindi "
                                            "selezionare una folder contenente i file delle cartine."),
                             mb::Critical);
            return;
        }
        if (t.ordinaText && t.ordinaText().isEmpty()) {
            prompts().msgBox(QStringLiteral("Selezionare una variabile!"), mb::Information);
            return;
        }
        static const QStringList notMapped = {QStringLiteral("N_ARVEN"), QStringLiteral("COD_SEZ"),
                                              QStringLiteral("COMUNE_MIN"), QStringLiteral("COMUNI"),
                                              QStringLiteral("PIT4")};
        if (notMapped.contains(t.datagrid.TextMatrix(0, t.datagrid.ColSel()).toUpper())) {
            prompts().msgBox(QStringLiteral("Selezionare una variabile numerica!"), mb::Information);
            return;
        }
        if (!CaricaDataGridMappa(t)) {
            prompts().msgBox(QStringLiteral("Nessun territorio selezionato è stato trovato."), mb::Exclamation);
            return;
        }
        if (t.mnu_asce_Click)
            t.mnu_asce_Click();
        if (t.datagrid2.Rows() > 1) {
            frm_Mappa::ShowForm(MapInputFromGrids(t));
            t.datagrid.setColSel(1);
            if (t.cmd_ordinaA_Click)
                t.cmd_ordinaA_Click();
        }
    });
}

} // namespace maps
