#include "metadata/frmSchedaVariabili.h"
#include "metadata/SchedaLogic.h"
#include "metadata/SchedaUi.h"
#include "metadata/rptVariabili.h"
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

frmSchedaVariabili::frmSchedaVariabili(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Scheda metadati variabili "));
    buildUi();
}

frmSchedaVariabili *frmSchedaVariabili::Instance()
{
    return qobject_cast<frmSchedaVariabili *>(frame::FindForm(QString::fromLatin1(FormName)));
}

frmSchedaVariabili *frmSchedaVariabili::ShowForm()
{
    // An open sheet of another item gives way to the sheet asked for.
    if (frmSchedaVariabili *open = Instance(); open && open->m_sql != gSqlScheda)
        frame::UnloadForm(open);
    return frame::ShowSingleForm<frmSchedaVariabili>(QString::fromLatin1(FormName), [&] {
        auto *w = new frmSchedaVariabili;
        w->Form_Load();
        return w;
    });
}

QSize frmSchedaVariabili::sizeHint() const
{
    return {900, 760};
}

void frmSchedaVariabili::buildUi()
{
    using namespace scheda::ui;
    resize(sizeHint());
    txtVariabili = LineBox(this, QStringLiteral("txtVariabili"));
    txtSettore = LineBox(this, QStringLiteral("txtSettore"));
    txtArgomento = LineBox(this, QStringLiteral("txtArgomento"));
    txtFonti = TextBox(this, QStringLiteral("txtFonti"), 4);
    txtPubblicazioni = TextBox(this, QStringLiteral("txtPubblicazioni"), 4);
    txtEnti = TextBox(this, QStringLiteral("txtEnti"), 4);
    txtLivelloTerr = LineBox(this, QStringLiteral("txtLivelloTerr"));
    txtNumProv = LineBox(this, QStringLiteral("txtNumProv"));
    txtUnita_mis = LineBox(this, QStringLiteral("txtUnità_mis"));
    txtPeriodo_rif = LineBox(this, QStringLiteral("txtPeriodo_rif"));
    txtNoteSerie = TextBox(this, QStringLiteral("txtNoteSerie"), 3);
    txtNoteAnni = TextBox(this, QStringLiteral("txtNoteAnni"), 4);
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
    row("lblVariabile", QStringLiteral("Variabile"), txtVariabili);
    ++r;
    row("lblArea", QStringLiteral("Area"), txtSettore);
    ++r;
    row("lblSottoarea", QStringLiteral("Sottoarea"), txtArgomento);
    ++r;
    row("lblFonte", QStringLiteral("Fonte"), txtFonti);
    ++r;
    row("lblPubblicazione", QStringLiteral("Pubblicazione"), txtPubblicazioni);
    ++r;
    row("lblEnte", QStringLiteral("Ente"), txtEnti);
    ++r;
    row("lblLivello", QStringLiteral("Livello territoriale"), txtLivelloTerr, 0, 1);
    row("lblNumProv", QStringLiteral("Numero province"), txtNumProv, 2, 1);
    ++r;
    row("lblUnita", QStringLiteral("Unità di misura"), txtUnita_mis, 0, 1);
    row("lblPeriodo", QStringLiteral("Periodo di riferimento"), txtPeriodo_rif, 2, 1);
    ++r;
    row("lblNoteSerie", QStringLiteral("Note sull' intera serie"), txtNoteSerie);
    ++r;
    row("lblNoteAnni", QStringLiteral("Note sui singoli anni"), txtNoteAnni);
    ++r;
    g->addWidget(anni, r, 0, 1, 4);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);

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

void frmSchedaVariabili::Form_Load()
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
            platform::prompts().msgBox(QStringLiteral("Informazioni per la variabile non disponibili!"),
                                       platform::mb::Information);
            return;
        }
        cmdStampa->setEnabled(true);
        fill(rs);
    });
}

void frmSchedaVariabili::fill(const platform::db::Recordset &rs)
{
    using ui::SetText;
    m_id = NzStr(rs.field(QStringLiteral("IdVariabile")));
    SetText(txtVariabili, m_id + QStringLiteral(" - ") + NzStr(rs.field(QStringLiteral("DescVariabile"))));
    SetText(txtSettore, NzStr(rs.field(QStringLiteral("Descrizione Settore"))));
    SetText(txtArgomento, SubAreaCode(NzStr(rs.field(QStringLiteral("CodiceArgomento")))) + QStringLiteral(" - ") +
                              NzStr(rs.field(QStringLiteral("Desc argomento"))));
    SetText(txtFonti, YearLines(rs, QStringLiteral("Fonte_")));
    SetText(txtPubblicazioni, YearLines(rs, QStringLiteral("Pubblicazione_")));
    SetText(txtEnti, YearLines(rs, QStringLiteral("Ente_")));
    if (const auto word = LivelloWord(NzStr(rs.field(QStringLiteral("LivelloTerritoriale")))))
        SetText(txtLivelloTerr, *word);
    SetText(txtNumProv, NzStr(rs.field(QStringLiteral("NumProvince"))));
    SetText(txtUnita_mis, NzStr(rs.field(QStringLiteral("UnitaMisura"))));
    SetText(txtPeriodo_rif, NzStr(rs.field(QStringLiteral("PeriodoRif"))));
    SetText(txtNoteSerie, PulisciTesto(NzStr(rs.field(QStringLiteral("NoteSerie")))));
    SetText(txtNoteAnni, YearLines(rs, QStringLiteral("Note_")));
    for (int k = 0; k < Years; ++k)
        Check[size_t(k)]->setChecked(YearAvailable(rs, FirstYear + k));
}

void frmSchedaVariabili::cmdStampa_Click()
{
    frame::Guard(this, QStringLiteral("cmdStampa_Click"), [&] {
        // The Id of the variable loaded, whatever its length.
        const QString key = m_id.isEmpty() ? IdOfHeading(txtVariabili->text()) : m_id.trimmed();
        rptVariabili &report = rptVariabili::Default();
        if (report.InitReport(key))
            report.Show(this);
        else
            platform::prompts().msgBox(QStringLiteral("Impossibile eseguire la stampa"), platform::mb::OkOnly);
    });
}

void frmSchedaVariabili::cmdChiudi_Click()
{
    frame::UnloadForm(this);
}

void frmSchedaVariabili::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}
