#include "metadata/RegisterSchede.h"
#include "metadata/frmSchedaIndicatori.h"
#include "metadata/frmSchedaVariabili.h"
#include "frame/Forms.h"

void RegisterSchedeForms()
{
    frame::RegisterForm(QStringLiteral("FRMSCHEDAVARIABILI"), [] { frmSchedaVariabili::ShowForm(); });
    frame::RegisterForm(QStringLiteral("FRMSCHEDAINDICATORI"), [] { frmSchedaIndicatori::ShowForm(); });
}
