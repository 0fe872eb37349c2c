#include "maps/RegisterPrint.h"

#include "maps/PrintMappa.h"
#include "maps/frm_Mappa.h"

void RegisterPrintForms()
{
    frm_Mappa::OpenPrintLayout = [](frm_Mappa &mappa) { PrintMappa::ShowForm(mappa); };
}
