#include "frame/Globals.h"

void ResetGlobals()
{
    gAppPath.clear();
    gDbPassword.clear();
    gFilesPath.clear();
    gExcelPath.clear();
    gConnAdo.clear();
    gConnDao.clear();
    gDbPath.clear();
    gShapePath.clear();
    gHelpFile.clear();
    gDbName.clear();
    gTipoDb.clear();
    gDescSelezione.clear();
    gSqlDati.clear();
    gSqlScheda.clear();
    gLivelloTerritorio = 0;
    gLivelloMappa = 0;
    gNomeLivelloMappa.clear();
    gMatriceDati.clear();
    gArrFormToOpen.fill({});
    gArrDBName.fill({});
    gArrTipoDb.fill({});
}
