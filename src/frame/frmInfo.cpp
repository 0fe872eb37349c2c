#include "frame/frmInfo.h"
#include "frame/Widgets.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Relink.h"
#include "frame/UpdateCheck.h"
#include "frame/Utility.h"
#include "frame/Utility_RQM.h"
#include "frame/WaitCursor.h"
#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/db/Database.h"
#include "platform/db/Links.h"
#include "platform/zip/CGUnzipFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QVBoxLayout>
#include <climits>
#include <functional>
#include <memory>

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

// The count of the archive's entries while they are extracted, shown once the
// extraction lasts (not before: a question such as the password comes first).
// The window is repainted, but takes no input until the update ends.
class ExtractionProgress {
public:
    explicit ExtractionProgress(QWidget *owner) : m_owner(owner) { m_clock.start(); }
    void operator()(qint64 done, qint64 total)
    {
        const qint64 now = m_clock.elapsed();
        if (now < 500 || (done < total && now - m_last < 50))
            return;
        m_last = now;
        if (!m_dialog) {
            m_dialog = std::make_unique<QProgressDialog>(QString(), QString(), 0, 1, m_owner);
            m_dialog->setObjectName(QStringLiteral("prgAggiornamento"));
            m_dialog->setWindowTitle(QStringLiteral("Aggiornamento della banca dati"));
            m_dialog->setCancelButton(nullptr);
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->setMinimumDuration(0);
        }
        m_dialog->setMaximum(int(std::min<qint64>(total, INT_MAX)));
        m_dialog->setValue(int(std::min<qint64>(done, INT_MAX)));
        m_dialog->setLabelText(QStringLiteral("Estrazione dei file dell'archivio: %1 di %2").arg(done).arg(total));
        m_dialog->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QWidget *m_owner;
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    qint64 m_last = -1000;
};

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
    if (m_updating)
        return;
    bool updated = false;
    // A failure is logged and told in one box, with its reason.
    Utility_RQM::ErrorBatch batch([](int n) {
        return QStringLiteral("%1 errori durante l'aggiornamento della banca dati.").arg(n);
    });
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

        // No other window may hold a database while the files change.
        Utility::CloseOtherForms(objectName());
        m_updating = true;
        const auto done = qScopeGuard([this] { m_updating = false; });
        frame::WaitCursor wait;
        ExtractionProgress progress(this);
        CGUnzipFiles unzip;
        unzip.setHooks({std::ref(progress), &frame::CheckUpdate});
        const long result = unzip.Unzip(archive, target);
        if (result != 0)
            throw RuntimeError(result, unzip.GetLastMessage(), unzip.GetLastDetail());

        // The files were checked before they replaced anything; should the
        // links or the update information still fail, the old ones come back.
        long number = 0;
        QString description;
        try {
            if (relink() < 0)
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
    if (ok) {
        batch.finish();   // links left out of a sound update, already missing before it
        if (updated)
            platform::prompts().msgBox(QStringLiteral("Aggiornamento Banca Dati effettuato."), mb::OkOnly);
        return;
    }
    const QString reason = batch.last();
    batch.discard();
    platform::prompts().msgBox(QStringLiteral("Aggiornamento Banca Dati FALLITO!") +
                                   (reason.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + reason),
                               mb::OkOnly);
}

void frmInfo::reject()
{
    if (!m_updating)   // the window stays while its databases change
        QDialog::reject();
}

void frmInfo::cmdOK_Click()
{
    accept();
}

void frmInfo::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpContextID);
}
