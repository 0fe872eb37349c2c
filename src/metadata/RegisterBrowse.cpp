#include "metadata/RegisterBrowse.h"
#include "metadata/frmListaMetadati.h"
#include "metadata/frmMetadati.h"
#include "metadata/frm_Glossario.h"
#include "frame/Forms.h"

void RegisterBrowseForms()
{
    frame::RegisterForm(QStringLiteral("FRMMETADATI"), [] { frmMetadati::ShowForm(); });
    frame::RegisterForm(QStringLiteral("FRMLISTAMETADATI"), [] { frmListaMetadati::ShowForm(); });
    frame::RegisterForm(QStringLiteral("GLOSSARIO"), [] { frm_Glossario::ShowForm(); });
}
