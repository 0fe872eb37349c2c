#include "metadata/frmSchedaIndicatori.h"
#include "metadata/SchedaLogic.h"
#include "metadata/SchedaUi.h"
#include "metadata/rptIndicatori.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Utility.h"
#include "platform/Prompts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace scheda;

frmSchedaIndicatori::frmSchedaIndicatori(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Scheda metadati indicatori"));
    buildUi();
}

frmSchedaIndicatori *frmSchedaIndicatori::Instance()
{
    return qobject_cast<frmSchedaIndicatori *>(frame::FindForm(QString::fromLatin1(FormName)));
}

frmSchedaIndicatori *frmSchedaIndicatori::ShowForm()
{
    // An open sheet of another item gives way to the sheet asked for.
    if (frmSchedaIndicatori *open = Instance(); open && open->m_sql != gSqlScheda)
        frame::UnloadForm(open);
    return frame::ShowSingleForm<frmSchedaIndicatori>(QString::fromLatin1(FormName), [&] {
        auto *w = new frmSchedaIndicatori;
        w->Form_Load();
        return w;
    });
}

QSize frmSchedaIndicatori::sizeHint() const
{
    return {900, 720};
}

void frmSchedaIndicatori::buildUi()
{
    using namespace scheda::ui;
    resize(sizeHint());
    txtIndicatore = LineBox(this, QStringLiteral("txtIndicatore"));
    txtSettore = LineBox(this, QStringLiteral("txtSettore"));
    txtArgomento = LineBox(this, QStringLiteral("txtArgomento"));
    txtPsm = LineBox(this, QStringLiteral("txtPsm"));
    txtBdquid = LineBox(this, QStringLiteral("txtBdquid"));
    txtValutazione = LineBox(this, QStringLiteral("txtValutazione"));
    txtModalitaCalcolo = TextBox(this, QStringLiteral("txtModalitaCalcolo"), 3);
    txtVariabiliAssociate = LineBox(this, QStringLiteral("txtVariabiliAssociate"));
    txtNoteTecniche = TextBox(this, QStringLiteral("txtNoteTecniche"), 5);
    txtDestinazione = LineBox(this, QStringLiteral("txtDestinazione"));
    chkProv = ShowOnlyCheck(this, QStringLiteral("chkProv"), QStringLiteral("Prov"));
    chkSll = ShowOnlyCheck(this, QStringLiteral("chkSll"), QStringLiteral("SLL"));
    chkComune = ShowOnlyCheck(this, QStringLiteral("chkComune"), QStringLiteral("Comune"));
    chkDatoP = ShowOnlyCheck(this, QStringLiteral("chkDatoP"), QStringLiteral("Dato puntuale"));
    chkSintesi = ShowOnlyCheck(this, QStringLiteral("chkSintesi"), QStringLiteral("Utilizza sintesi"));
    for (QCheckBox *c : {chkProv, chkSll, chkComune, chkDatoP, chkSintesi})
        c->setStyleSheet(QStringLiteral("QCheckBox { color: #000080; font-weight: bold; }"));
    QWidget *anni = YearsFrame(this, Check);
    cmdStampa = Button(this, QStringLiteral("cmdStampa"), QStringLiteral("Stampa "));
    cmdChiudi = Button(this, QStringLiteral("cmdChiudi"), QStringLiteral("Chiudi"));
    cmdHelp = Button(this, QStringLiteral("cmdHelp"), QStringLiteral("Help"));
    connect(cmdStampa, &QPushButton::clicked, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &QPushButton::clicked, this, [this] { cmdChiudi_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });

    auto *g = new QGridLayout;
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(6);
    int r = 0;
    auto row = [&](const char *label, const QString &text, QWidget *box, int col = 0, int span = 3) {
        g->addWidget(Caption(this, QString::fromLatin1(label), text), r, col);
        g->addWidget(box, r, col + 1, 1, span);
    };
    row("lblIndicatore", QStringLiteral("Indicatore"), txtIndicatore);
    ++r;
    row("lblArea", QStringLiteral("Area"), txtSettore);
    ++r;
    row("lblSottoarea", QStringLiteral("Sottoarea"), txtArgomento);
    ++r;
    row("lblPsm", QStringLiteral("Psm"), txtPsm, 0, 1);
    row("lblBdquid", QStringLiteral("Bdquid"), txtBdquid, 2, 1);
    ++r;
    row("lblDimensione", QStringLiteral("Dimensione"), txtValutazione, 0, 1);
    row("lblDestinazione", QStringLiteral("Destinazione"), txtDestinazione, 2, 1);
    ++r;
    row("lblModalita", QStringLiteral("Modalità di calcolo"), txtModalitaCalcolo);
    ++r;
    row("lblVariabili", QStringLiteral("Varaibili associate"), txtVariabiliAssociate);
    ++r;
    row("lblNoteTecniche", QStringLiteral("Note tecniche"), txtNoteTecniche);
    ++r;
    auto *checks = new QHBoxLayout;
    for (QCheckBox *c : {chkProv, chkSll, chkComune, chkDatoP, chkSintesi})
        checks->addWidget(c);
    checks->addStretch(1);
    g->addLayout(checks, r, 1, 1, 3);
    ++r;
    g->addWidget(anni, r, 0, 1, 4);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    g->setRowStretch(7, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdStampa);
    buttons->addWidget(cmdChiudi);
    buttons->addWidget(cmdHelp);

    auto *main = new QVBoxLayout(this);
    main->addWidget(Heading(this));
    main->addLayout(g, 1);
    main->addLayout(buttons);
}

void frmSchedaIndicatori::Form_Load()
{
    m_sql = gSqlScheda;
    // "Stampa" acts only on a record shown.
    cmdStampa->setEnabled(false);
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        Utility::InitFormLayout(this);
        auto conn = Utility::GetDbConnection(QStringLiteral("metadati.mdb"), QString(), platform::db::OpenMode::ReadOnly);
        if (!conn)
            return;   // the opener has reported it
        const platform::db::Recordset rs = conn->query(gSqlScheda);
        if (rs.eof() || rs.bof()) {
            platform::prompts().msgBox(QStringLiteral("Informazioni per l'indicatore non disponibili!"),
                                       platform::mb::Information);
            return;
        }
        cmdStampa->setEnabled(true);
        fill(rs);
    });
}

void frmSchedaIndicatori::fill(const platform::db::Recordset &rs)
{
    using ui::SetText;
    m_id = NzStr(rs.field(QStringLiteral("IdIndicatore")));
    SetText(txtIndicatore, m_id + QStringLiteral(" - ") + NzStr(rs.field(QStringLiteral("DescIndicatore"))));
    SetText(txtSettore, NzStr(rs.field(QStringLiteral("Descrizione Settore"))));
    SetText(txtArgomento, NzStr(rs.field(QStringLiteral("Argomento"))) + QStringLiteral(" - ") +
                              NzStr(rs.field(QStringLiteral("Desc argomento"))));
    SetText(txtPsm, NzStr(rs.field(QStringLiteral("PSM"))));
    SetText(txtBdquid, NzStr(rs.field(QStringLiteral("BdQuid"))));
    SetText(txtValutazione, ValutazioneWord(NzStr(rs.field(QStringLiteral("Valutazione")))));
    SetText(txtModalitaCalcolo, NzStr(rs.field(QStringLiteral("ModalitaCalcolo"))));
    SetText(txtVariabiliAssociate, NzStr(rs.field(QStringLiteral("IdVariabilAssociate"))));
    SetText(txtNoteTecniche, NzStr(rs.field(QStringLiteral("NoteTecniche"))));
    SetText(txtDestinazione, NzStr(rs.field(QStringLiteral("Destinazione"))));
    chkProv->setChecked(IsOne(rs.field(QStringLiteral("Prov"))));
    chkSll->setChecked(IsOne(rs.field(QStringLiteral("SLL"))));
    chkComune->setChecked(IsOne(rs.field(QStringLiteral("Comune"))));
    chkDatoP->setChecked(IsOne(rs.field(QStringLiteral("DatoPuntuale"))));
    chkSintesi->setChecked(IsSi(rs.field(QStringLiteral("UtilizzSintesi"))));
    for (int k = 0; k < Years; ++k)
        Check[size_t(k)]->setChecked(YearAvailable(rs, FirstYear + k));
}

void frmSchedaIndicatori::cmdStampa_Click()
{
    frame::Guard(this, QStringLiteral("cmdStampa_Click"), [&] {
        const QString key = m_id.isEmpty() ? IdOfHeading(txtIndicatore->text()) : m_id.trimmed();
        rptIndicatori &report = rptIndicatori::Default();
        if (report.InitReport(key))
            report.Show(this);
        else
            platform::prompts().msgBox(QStringLiteral("Impossibile eseguire la stampa"), platform::mb::OkOnly);
    });
}

void frmSchedaIndicatori::cmdChiudi_Click()
{
    frame::UnloadForm(this);
}

void frmSchedaIndicatori::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}
