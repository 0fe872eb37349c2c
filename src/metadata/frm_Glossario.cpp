#include "metadata/frm_Glossario.h"
#include "frame/Widgets.h"
#include "metadata/Glossario.h"
#include "metadata/rptGlossario.h"
#include "frame/Forms.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Shared.h"
#include "frame/Utility.h"
#include "platform/Prompts.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using frame::Named;

namespace db = platform::db;
namespace mb = platform::mb;
using platform::prompts;


frm_Glossario::frm_Glossario(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
}

frm_Glossario::~frm_Glossario()
{
    Form_Unload();
}

frm_Glossario *frm_Glossario::ShowForm()
{
    return frame::ShowSingleForm<frm_Glossario>(QString::fromLatin1(FormName), [&] {
        auto *w = new frm_Glossario;
        w->Form_Load();
        frame::OnFormActivate(w, [w] { w->Form_Activate(); });
        return w;
    });
}

void frm_Glossario::buildUi()
{
    resize(780, 600);
    setMinimumSize(660, 500);

    Label3 = frame::TitleBand(QStringLiteral("Label3"), QStringLiteral(" Glossario "));

    const char *optText[5] = {"Il termine contiene :", "Ricerca per lettera", "Il termine inizia per :",
                              "Visualizza tutti i termini", "Ricerca per settore"};
    optGroup = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        Option1[i] = Named(new QRadioButton(QString::fromUtf8(optText[i])), QStringLiteral("Option1_%1").arg(i));
        Option1[i]->setStyleSheet(QStringLiteral("QRadioButton { font-weight: bold; }"));
        optGroup->addButton(Option1[i], i);
    }
    for (int i = 0; i < 2; ++i)
        txt_ricerca[i] = Named(new QLineEdit, QStringLiteral("txt_ricerca_%1").arg(i));
    cmd_ricerca = Named(new QPushButton(QStringLiteral("Ricerca")), QStringLiteral("cmd_ricerca"));
    cmb_alfabeto = Named(new QComboBox, QStringLiteral("cmb_alfabeto"));
    cmb_alfabeto->setMaxVisibleItems(26);
    cmbSettore = Named(new QComboBox, QStringLiteral("cmbSettore"));
    cmbSettore->setMinimumContentsLength(24);
    cmbSettore->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbIdSettore = Named(new QComboBox(this), QStringLiteral("cmbIdSettore"));
    cmbIdSettore->hide();

    fraRicerca = Named(new QGroupBox, QStringLiteral("fraRicerca"));
    auto *search = new QGridLayout(fraRicerca);
    search->addWidget(Option1[Contiene], 0, 0);
    search->addWidget(txt_ricerca[0], 0, 1);
    search->addWidget(Option1[IniziaPer], 1, 0);
    search->addWidget(txt_ricerca[1], 1, 1);
    search->addWidget(cmd_ricerca, 0, 2, 2, 1, Qt::AlignVCenter);
    search->addWidget(Option1[Lettera], 2, 0);
    search->addWidget(cmb_alfabeto, 2, 1, Qt::AlignLeft);
    search->addWidget(Option1[Settore], 3, 0);
    search->addWidget(cmbSettore, 3, 1);
    search->addWidget(Option1[Tutti], 4, 0);
    search->setColumnStretch(1, 1);

    const QString labelStyle = QStringLiteral("QLabel { font-weight: bold; }");
    Label1 = Named(new QLabel(QStringLiteral("Denominazione")), QStringLiteral("Label1"));
    Label2 = Named(new QLabel(QStringLiteral("Definizione")), QStringLiteral("Label2"));
    Label1->setStyleSheet(labelStyle);
    Label2->setStyleSheet(labelStyle);
    lst_NameVar = Named(new QListWidget, QStringLiteral("lst_NameVar"));
    lst_NameVar->setSelectionMode(QAbstractItemView::SingleSelection);
    txt_desc = Named(new QPlainTextEdit, QStringLiteral("txt_desc"));
    txt_desc->setReadOnly(true);

    auto *names = new QVBoxLayout;
    names->addWidget(Label1);
    names->addWidget(lst_NameVar, 1);
    auto *definition = new QVBoxLayout;
    definition->addWidget(Label2);
    definition->addWidget(txt_desc, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(names, 1);
    body->addLayout(definition, 1);

    Cmd_print = Named(new QPushButton(QStringLiteral("Stampa")), QStringLiteral("Cmd_print"));
    cmdChiudi = Named(new QPushButton(QStringLiteral("Chiudi")), QStringLiteral("cmdChiudi"));
    cmdHelp = Named(new QPushButton(QStringLiteral("Help")), QStringLiteral("cmdHelp"));
    for (QPushButton *b : {cmd_ricerca, Cmd_print, cmdChiudi, cmdHelp})
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 32);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_print);
    buttons->addStretch(1);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdChiudi);

    auto *main = new QVBoxLayout(this);
    main->addWidget(Label3);
    main->addWidget(fraRicerca);
    main->addLayout(body, 1);
    main->addLayout(buttons);

    connect(optGroup, &QButtonGroup::idClicked, this, [this](int id) { Option1_Click(id); });
    connect(cmb_alfabeto, &QComboBox::activated, this, [this] { cmb_alfabeto_Click(); });
    connect(cmbSettore, &QComboBox::activated, this, [this] { cmbSettore_Click(); });
    connect(cmd_ricerca, &QPushButton::clicked, this, [this] { cmd_ricerca_Click(); });
    connect(lst_NameVar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            lst_NameVar_Click();
    });
    connect(Cmd_print, &QPushButton::clicked, this, [this] { Cmd_print_Click(); });
    connect(cmdChiudi, &QPushButton::clicked, this, [this] { cmdChiudi_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
}

// ---- load, activate, unload ----------------------------------------------------

void frm_Glossario::Form_Load()
{
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        Utility::InitFormLayout(this);
        {
            const QSignalBlocker b(cmb_alfabeto);
            cmb_alfabeto->addItems(metadata::LettereAlfabeto());
            cmb_alfabeto->setCurrentIndex(-1);
        }
        {
            const QSignalBlocker b1(cmbSettore), b2(cmbIdSettore);
            Utility::FillSettoreCombos(cmbSettore, cmbIdSettore);
            cmbSettore->setCurrentIndex(-1);
            cmbIdSettore->setCurrentIndex(-1);
        }
        m_conn = Utility::GetDbConnection(QStringLiteral("metadati.mdb"), QString(), db::OpenMode::ReadOnly);
        {
            const QSignalBlocker b(cmb_alfabeto);
            cmb_alfabeto->setCurrentIndex(0);
        }
        cmb_alfabeto_Click();
        Option1[Lettera]->setChecked(true);
        Option1_Click(Lettera);
    });
}

void frm_Glossario::Form_Activate()
{
    frame::Guard(this, QStringLiteral("Form_Activate"), [&] { Utility::CloseOtherForms(QString::fromLatin1(FormName)); });
}

void frm_Glossario::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_conn)
        m_conn->close();
    m_conn.reset();
}

void frm_Glossario::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// ---- searches --------------------------------------------------------------------

void frm_Glossario::fillList(const QString &sql, bool clearDesc)
{
    // Without a connection the opener has already reported why.
    if (!m_conn)
        return;
    const QStringList terms = metadata::GlossarioNomi(*m_conn, sql);
    {
        const QSignalBlocker b(lst_NameVar);
        lst_NameVar->clear();
        lst_NameVar->addItems(terms);
        lst_NameVar->setCurrentRow(-1);
    }
    if (clearDesc)
        txt_desc->clear();
}

void frm_Glossario::Option1_Click(int index)
{
    frame::Guard(this, QStringLiteral("Option1_Click"), [&] {
        struct Abilitati {
            bool contiene, lettera, inizia, ricerca;
        };
        // In the sector mode only the sector list acts: the other inputs are off.
        static const Abilitati perModo[5] = {
            {true, false, false, true},    // contains
            {false, true, false, false},   // letter
            {false, false, true, true},    // begins with
            {false, false, false, false},  // all terms
            {false, false, false, false},  // sector
        };
        if (index < 0 || index > 4)
            return;
        const Abilitati &a = perModo[index];
        txt_ricerca[0]->setEnabled(a.contiene);
        cmb_alfabeto->setEnabled(a.lettera);
        txt_ricerca[1]->setEnabled(a.inizia);
        cmd_ricerca->setEnabled(a.ricerca);
        txt_ricerca[0]->clear();
        txt_ricerca[1]->clear();
        if (index == Tutti)
            fillList(metadata::GlossarioTuttiQuery(), false);
    });
}

void frm_Glossario::cmb_alfabeto_Click()
{
    frame::Guard(this, QStringLiteral("cmb_alfabeto_Click"), [&] {
        if (cmb_alfabeto->currentIndex() < 0)
            return;
        fillList(metadata::GlossarioLetteraQuery(cmb_alfabeto->currentText()), true);
    });
}

void frm_Glossario::cmbSettore_Click()
{
    frame::Guard(this, QStringLiteral("cmbSettore_Click"), [&] {
        const int index = cmbSettore->currentIndex();
        if (index < 0 || index >= cmbIdSettore->count())
            return;
        cmbIdSettore->setCurrentIndex(index);
        fillList(metadata::GlossarioSettoreQuery(cmbIdSettore->currentText()), true);
    });
}

void frm_Glossario::cmd_ricerca_Click()
{
    frame::Guard(this, QStringLiteral("cmd_ricerca_Click"), [&] {
        metadata::RicercaTesto r;
        r.contieneAbilitato = txt_ricerca[0]->isEnabled();
        r.contiene = txt_ricerca[0]->text();
        r.iniziaAbilitato = txt_ricerca[1]->isEnabled();
        r.inizia = txt_ricerca[1]->text();
        if (const auto sql = metadata::GlossarioRicercaQuery(r))
            fillList(*sql, true);
    });
}

void frm_Glossario::lst_NameVar_Click()
{
    frame::Guard(this, QStringLiteral("lst_NameVar_Click"), [&] {
        QListWidgetItem *item = lst_NameVar->currentItem();
        if (lst_NameVar->count() == 0 || !item || !m_conn)
            return;
        if (const auto definizione = metadata::GlossarioDefinizione(*m_conn, item->text()))
            txt_desc->setPlainText(*definizione);
    });
}

void frm_Glossario::Cmd_print_Click()
{
    frame::Guard(this, QStringLiteral("Cmd_print_Click"), [&] {
        QListWidgetItem *item = lst_NameVar->currentItem();
        if (!item) {
            prompts().msgBox(QStringLiteral("Selezionare un termine da stampare."), mb::Exclamation,
                             QStringLiteral("Attenzione"));
            return;
        }
        // The term as listed, blanks included: the same key that found its definition.
        const QString key = item->text();
        rptGlossario &report = rptGlossario::Default();
        if (report.InitReport(key))
            report.Show(this);
        else
            prompts().msgBox(QStringLiteral("Impossibile eseguire la stampa"), mb::OkOnly);
    });
}

void frm_Glossario::cmdChiudi_Click()
{
    frame::UnloadForm(this);
}

void frm_Glossario::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}
