#include "frame/RegisterStart.h"
#include "frame/Forms.h"
#include "frame/Startup.h"
#include "frame/frmInfo.h"
#include "frame/frmStart.h"

void RegisterStartForms()
{
    frame::SetStartPageOpener([] { frmStart::ShowForm(); });
    frame::RegisterForm(QStringLiteral("FRMINFO"), [] { frmInfo::ShowModal(); });
}
