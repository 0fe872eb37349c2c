#include "selection/Register.h"
#include "selection/FormdatiTab.h"
#include "selection/frm_dispData.h"
#include "frame/Forms.h"

void RegisterFunzioneForms();

void RegisterSelectionForms()
{
    frame::RegisterForm(QStringLiteral("FORMDATITAB"), [] { FormdatiTab::ShowForm(); });
    frame::RegisterForm(QStringLiteral("FRM_DISPDATA"), [] { frm_dispData::ShowForm(); });
    RegisterFunzioneForms();
}
