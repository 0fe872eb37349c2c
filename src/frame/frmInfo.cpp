#include "frame/frmInfo.h"
#include "frame/Widgets.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Relink.h"
#include "frame/Utility.h"
#include "frame/WaitCursor.h"
#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/db/Database.h"
#include "platform/db/Links.h"
#include "platform/zip/CGUnzipFiles.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

using frame::Named;

using platform::RuntimeError;
namespace mb = platform::mb;

namespace {


// Sets the attached tables again from the databases now in the folder. Returns
// the number of tablelink rows left out, or -1 when the links cannot be set at
// all (the failure is logged).
int relink()
{
    if (gDbPath.isEmpty())
        return 0;
    try {
        return frame::SetLinksFromTablelink();
    } catch (...) {
        frame::LogCurrentException(QStringLiteral("frmInfo"), QStringLiteral("RefreshLinkOnDB_2"));
        return -1;
    }
}

// The tablelink rows that gave no attached table at the last relinking.
int missingLinks()
{
    if (gDbPath.isEmpty())
        return 0;
    auto db = platform::db::Database::open(gDbPath, QStringLiteral("Metadati.mdb"), platform::db::OpenMode::ReadOnly);
    const qint64 rows = db.query(QStringLiteral("select count(*) from tablelink")).field(0).toInt();
    return int(rows - qint64(platform::db::Links::all().size()));
}

} // namespace

frmInfo::frmInfo(QWidget *parent) : QDialog(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setWindowTitle(QStringLiteral("Informazioni su Trambelo"));
    setModal(true);

    picIcon = Named(new QLabel, "picIcon");
    picIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = Named(new QLabel(QStringLiteral("Trambelo")), "lblTitle");
    QFont title = lblTitle->font();
    title.setPointSize(title.pointSize() + 8);
    title.setBold(true);
    lblTitle->setFont(title);
    lblVersione = Named(new QLabel(QStringLiteral("Versione: 1.00")), "lblVersione");
    lblVersioneBd = Named(new QLabel(QStringLiteral("Ultimo aggiornamento banca dati:")), "lblVersioneBd");
    lblNote = Named(new QLabel(QStringLiteral("Note: ")), "lblNote");
    lblFonte = Named(new QLabel(QStringLiteral("Banca dati degli indicatori di dotazione e funzionalità delle "
                                               "infrastrutture delle province e delle regioni italiane, 1996-2008.\n\n"
                                               "Confini delle province e delle regioni:\n"
                                               "Fonte: ISTAT, confini amministrativi (CC BY)")),
                     "lblFonte");
    for (QLabel *l : {lblVersioneBd, lblNote, lblFonte}) {
        l->setWordWrap(true);
        l->setTextFormat(Qt::PlainText);
    }

    cmdAggiornaBd = Named(new QPushButton(QStringLiteral("Aggiorna BD")), "cmdAggiornaBd");
    cmdOK = Named(new QPushButton(QStringLiteral("OK")), "cmdOK");
    cmdOK->setDefault(true);
    cmdHelp = Named(new QPushButton(QStringLiteral("Help")), "cmdHelp");

    auto *text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersione);
    text->addSpacing(8);
    text->addWidget(lblVersioneBd);
    text->addWidget(lblNote);
    text->addSpacing(8);
    text->addWidget(lblFonte);
    text->addStretch();

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdAggiornaBd);
    buttons->addWidget(cmdHelp);
    buttons->addStretch();

    auto *row = new QHBoxLayout(this);
    row->addWidget(picIcon);
    row->addLayout(text, 1);
    row->addSpacing(12);
    row->addLayout(buttons);
    setMinimumWidth(560);

    connect(cmdAggiornaBd, &QPushButton::clicked, this, &frmInfo::cmdAggiornaBd_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmInfo::cmdOK_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmInfo::cmdHelp_Click);
}

void frmInfo::ShowModal()
{
    QMdiArea *area = frame::MdiArea();
    frmInfo dlg(area ? area->window() : nullptr);   // owned by the main window
    frame::Guard(&dlg, QStringLiteral("Form_Load"), [&] { dlg.Form_Load(); });
    dlg.exec();
}

void frmInfo::Form_Load()
{
    CaricaInfoAggiornamento();
}

void frmInfo::CaricaInfoAggiornamento()
{
    auto db = Utility::GetDbConnection(QStringLiteral("Metadati.mdb"), QString(), platform::db::OpenMode::ReadOnly);
    if (!db)
        throw RuntimeError(platform::err::FileNotFound, QStringLiteral("Impossibile aprire il database Metadati.mdb"));
    auto rs = db->query(QStringLiteral("select * from InfoAggiornamento"));
    if (!rs.eof()) {
        lblVersioneBd->setText(QStringLiteral("Ultimo aggiornamento banca dati: ") + rs.text(0));
        lblNote->setText(QStringLiteral("Note: ") + rs.text(1));
    }
}

void frmInfo::cmdAggiornaBd_Click()
{
    bool updated = false;
    const bool ok = frame::Guard(this, QStringLiteral("cmdAggiornaBd_Click"), [&] {
        // The databases the program is using now.
        const QString target = gDbPath.isEmpty() ? gAppPath + QStringLiteral("Databases/") : gDbPath;
        const QString archive = platform::prompts().openFile(QStringLiteral("Aggiorna banca dati"),
                                                             QStringLiteral("File zip (*.zip)"), QString());
        if (archive.isEmpty())
            return;
        if (platform::prompts().msgBox(QStringLiteral("Si desidera aggiornare la banca dati con il file: ") + archive +
                                           QStringLiteral(" ?"),
                                       mb::YesNo + mb::Question) != mb::Yes)
            return;

        // Attached tables already missing before the update do not count against it.
        const int missingBefore = missingLinks();

        // No other window may hold a database while the files change.
        Utility::CloseOtherForms(objectName());
        frame::WaitCursor wait;
        CGUnzipFiles unzip;
        const long result = unzip.Unzip(archive, target);
        if (result != 0)
            throw RuntimeError(result, QStringLiteral("Estrazione dell'archivio non riuscita (codice ") +
                                           QString::number(result) + QStringLiteral("): ") + unzip.GetLastMessage() +
                                           QStringLiteral("."));

        // The new files must make a complete set: otherwise the old ones come back.
        long number = 0;
        QString description;
        try {
            const int missingAfter = relink();
            if (missingAfter < 0 || missingAfter > missingBefore)
                throw RuntimeError(3024, QStringLiteral("Mancano alcuni Database dopo l'aggiornamento"));
            CaricaInfoAggiornamento();
            updated = true;
            return;
        } catch (const RuntimeError &e) {
            number = e.number();
            description = e.description();
        } catch (const std::exception &e) {
            description = QString::fromLocal8Bit(e.what());
        }
        const bool restored = unzip.Revert();
        relink();
        try {
            CaricaInfoAggiornamento();
        } catch (...) {
        }
        throw RuntimeError(number, description +
                                       (restored ? QStringLiteral(". Sono stati ripristinati i Database precedenti.")
                                                 : QStringLiteral(". Impossibile ripristinare tutti i Database "
                                                                  "precedenti.")));
    });
    if (!ok)
        platform::prompts().msgBox(QStringLiteral("Aggiornamento Banca Dati FALLITO!"), mb::OkOnly);
    else if (updated)
        platform::prompts().msgBox(QStringLiteral("Aggiornamento Banca Dati effettuato."), mb::OkOnly);
}

void frmInfo::cmdOK_Click()
{
    accept();
}

void frmInfo::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpContextID);
}
