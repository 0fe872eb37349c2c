// The formula window, opened by the data table's "Crea indicatore" button.
#include "frame/Forms.h"
#include "selection/frmFunzione.h"

void RegisterFunzioneForms()
{
    frame::RegisterForm(QStringLiteral("FRMFUNZIONE"), [] { frmFunzione::ShowForm(); });
}
