#include "maps/Register.h"

#include "frame/Forms.h"
#include "maps/MapHandOff.h"
#include "maps/RegisterPrint.h"
#include "selection/frm_dispData.h"

void RegisterMapsForms()
{
    // "Crea cartogramma" of the data table: the column goes to the map window.
    frame::RegisterForm(QStringLiteral("MNU_CREATEMAP"), [] {
        if (frm_dispData *table = frm_dispData::Instance())
            maps::mnu_createMap(*table);
    });
    RegisterPrintForms();
}
