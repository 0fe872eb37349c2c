#include "metadata/frmListaMetadati.h"
#include "frame/Widgets.h"
#include "frame/Forms.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Utility.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using frame::Named;

namespace db = platform::db;


frmListaMetadati::frmListaMetadati(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
}

frmListaMetadati::~frmListaMetadati()
{
    Form_Unload();
}

frmListaMetadati *frmListaMetadati::ShowForm()
{
    return frame::ShowSingleForm<frmListaMetadati>(QString::fromLatin1(FormName), [&] {
        auto *w = new frmListaMetadati;
        w->Form_Load();
        return w;
    });
}

void frmListaMetadati::buildUi()
{
    resize(760, 520);
    setMinimumSize(640, 440);

    Label3 = frame::TitleBand(QStringLiteral("Label3"), QStringLiteral(" Lista variabili e indicatori"));

    cmbVarInd = Named(new QComboBox, QStringLiteral("cmbVarInd"));
    lst_CodVar = Named(new QListWidget, QStringLiteral("lst_CodVar"));
    lst_CodVar->setSelectionMode(QAbstractItemView::SingleSelection);
    lst_CodVar->setMaximumWidth(180);

    const QString labelStyle = QStringLiteral("QLabel { font-weight: bold; }");
    auto textBox = [](const char *name) {
        auto *t = Named(new QLineEdit, QString::fromLatin1(name));
        t->setReadOnly(true);
        return t;
    };
    Label7 = Named(new QLabel(QStringLiteral("Descrizione")), QStringLiteral("Label7"));
    txtDescrizione = textBox("txtDescrizione");
    Label10 = Named(new QLabel(QStringLiteral("Sottoarea")), QStringLiteral("Label10"));
    txtArgomento = textBox("txtArgomento");
    Label1 = Named(new QLabel(QStringLiteral("Area")), QStringLiteral("Label1"));
    txtSettore = textBox("txtSettore");
    for (QLabel *l : {Label7, Label10, Label1})
        l->setStyleSheet(labelStyle);

    Frame1 = Named(new QGroupBox(QStringLiteral("Anni disponibili")), QStringLiteral("Frame1"));
    Frame1->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
    auto *years = new QGridLayout(Frame1);
    for (int i = 0; i < metadata::NumAnni; ++i) {
        const QString year = QString::number(metadata::PrimoAnno + i);
        auto *label = Named(new QLabel(year), QStringLiteral("lblAnno%1").arg(i + 1));
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(labelStyle);
        Check[i] = Named(new QCheckBox, QStringLiteral("Check%1").arg(i + 1));
        // The boxes show the data; the user does not change them.
        Check[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        Check[i]->setFocusPolicy(Qt::NoFocus);
        frame::Described(Check[i], year);   // the year it shows
        years->addWidget(label, 0, i, Qt::AlignHCenter);
        years->addWidget(Check[i], 1, i, Qt::AlignHCenter);
    }

    cmdChiudi = Named(new QPushButton(QStringLiteral("Chiudi")), QStringLiteral("cmdChiudi"));
    cmdHelp = Named(new QPushButton(QStringLiteral("Help")), QStringLiteral("cmdHelp"));
    for (QPushButton *b : {cmdChiudi, cmdHelp})
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 32);

    auto *details = new QVBoxLayout;
    details->addWidget(Label7);
    details->addWidget(txtDescrizione);
    details->addWidget(Label10);
    details->addWidget(txtArgomento);
    details->addWidget(Label1);
    details->addWidget(txtSettore);
    details->addSpacing(8);
    details->addWidget(Frame1);
    details->addStretch(1);

    auto *left = new QVBoxLayout;
    left->addWidget(cmbVarInd);
    left->addWidget(lst_CodVar, 1);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(details, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdChiudi);

    auto *main = new QVBoxLayout(this);
    main->addWidget(Label3);
    main->addLayout(body, 1);
    main->addLayout(buttons);

    connect(cmbVarInd, &QComboBox::activated, this, [this] { cmbVarInd_Click(); });
    // A click or a move with the keyboard shows the code.
    connect(lst_CodVar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            lst_CodVar_Click();
    });
    connect(cmdChiudi, &QPushButton::clicked, this, [this] { cmdChiudi_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
}

void frmListaMetadati::Form_Load()
{
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        {
            const QSignalBlocker b(cmbVarInd);
            cmbVarInd->addItem(QStringLiteral("Variabili"));
            cmbVarInd->addItem(QStringLiteral("Indicatori"));
            cmbVarInd->setCurrentIndex(-1);
        }
        m_conn = Utility::GetDbConnection(QStringLiteral("metadati.mdb"), QString(), db::OpenMode::ReadOnly);
        {
            const QSignalBlocker b(cmbVarInd);
            cmbVarInd->setCurrentIndex(0);
        }
        cmbVarInd_Click();
        Utility::InitFormLayout(this);
    });
}

void frmListaMetadati::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_conn)
        m_conn->close();
    m_conn.reset();
}

void frmListaMetadati::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmListaMetadati::cmbVarInd_Click()
{
    frame::Guard(this, QStringLiteral("cmbVarInd_Click"), [&] { CaricaListaCodici(); });
}

void frmListaMetadati::lst_CodVar_Click()
{
    frame::Guard(this, QStringLiteral("lst_CodVar_Click"), [&] { MostraMetadato(); });
}

void frmListaMetadati::PulisciMetadato()
{
    txtDescrizione->clear();
    txtArgomento->clear();
    txtSettore->clear();
    for (QCheckBox *c : Check)
        c->setChecked(false);
}

void frmListaMetadati::CaricaListaCodici()
{
    lst_CodVar->clear();
    PulisciMetadato();
    const QString kind = cmbVarInd->currentText();
    // Without a connection the opener has already reported why.
    if (kind.isEmpty() || !m_conn)
        return;
    const QStringList codes = metadata::LeggiCodici(*m_conn, kind);
    const QSignalBlocker b(lst_CodVar);
    lst_CodVar->addItems(codes);
    lst_CodVar->setCurrentRow(-1);
}

void frmListaMetadati::MostraMetadato()
{
    PulisciMetadato();
    QListWidgetItem *item = lst_CodVar->currentItem();
    if (!item || !m_conn)
        return;
    const auto m = metadata::LeggiMetadato(*m_conn, cmbVarInd->currentText(), item->text());
    if (!m)
        return;   // no row: nothing is shown for the code
    txtDescrizione->setText(m->descrizione);
    txtDescrizione->setCursorPosition(0);
    txtArgomento->setText(m->argomento);
    txtArgomento->setCursorPosition(0);
    txtSettore->setText(m->settore);
    txtSettore->setCursorPosition(0);
    for (int i = 0; i < metadata::NumAnni; ++i)
        Check[i]->setChecked(m->anni[size_t(i)]);
}

void frmListaMetadati::cmdChiudi_Click()
{
    frame::UnloadForm(this);
}

void frmListaMetadati::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}
