#include "selection/frmFunzione.h"
#include "frame/Widgets.h"

#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/WaitCursor.h"
#include "platform/Prompts.h"
#include "platform/grid/TextGrid.h"
#include "selection/frm_dispData.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using frame::Named;

using platform::grid::TextGrid;

namespace {


QPushButton *keyButton(const QString &name, const QString &caption)
{
    auto *b = Named(new QPushButton(caption), name);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    b->setFixedSize(44, 34);
    QFont f = b->font();
    f.setPointSizeF(f.pointSizeF() * 1.25);
    f.setBold(true);
    b->setFont(f);
    return b;
}

QFrame *panel(const QString &name)
{
    auto *f = Named(new QFrame, name);
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Raised);
    f->setAutoFillBackground(true);
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, QColor(212, 208, 200));
    f->setPalette(pal);
    return f;
}

} // namespace

frmFunzione::frmFunzione(frm_dispData &dati, QWidget *parent) : QDialog(parent), m_dati(dati)
{
    setObjectName(QString::fromLatin1(FormName));
    setWindowTitle(QStringLiteral("Crea nuovo indicatore"));
    setModal(true);
    buildUi();
    Form_Load();
}

void frmFunzione::ShowForm()
{
    frm_dispData *dati = frm_dispData::Instance();
    if (!dati)
        return;
    frmFunzione dlg(*dati, dati);
    // Modal over the program's windows, while the help stays usable.
    dlg.setWindowModality(Qt::WindowModal);
    dlg.exec();
}

void frmFunzione::buildUi()
{
    lstFunzione = Named(new QPlainTextEdit, QStringLiteral("lstFunzione"));
    // The formula grows only through the keypad and the list, which keep its tokens well formed.
    lstFunzione->setReadOnly(true);
    lstFunzione->setTabChangesFocus(true);
    lstFunzione->setFixedHeight(64);
    QFont mono = lstFunzione->font();
    mono.setPointSizeF(mono.pointSizeF() * 1.15);
    lstFunzione->setFont(mono);

    lstColonne = Named(new QListWidget, QStringLiteral("lstColonne"));
    lstColonne->setMinimumWidth(190);
    lstFunzioneX = Named(new QListWidget(this), QStringLiteral("lstFunzioneX"));
    lstFunzioneX->hide();

    for (int i = 0; i < 10; ++i)
        cmdNumero[size_t(i)] = keyButton(QStringLiteral("cmdNumero_%1").arg(i), QString::number(i));
    cmdVirgola = keyButton(QStringLiteral("cmdVirgola"), QStringLiteral(","));
    cmdSomma = keyButton(QStringLiteral("cmdSomma"), QStringLiteral("+"));
    cmdDifferenza = keyButton(QStringLiteral("cmdDifferenza"), QStringLiteral("-"));
    cmdMoltiplica = keyButton(QStringLiteral("cmdMoltiplica"), QStringLiteral("*"));
    cmdRapporto = keyButton(QStringLiteral("cmdRapporto"), QStringLiteral("/"));
    cmdEleva = keyButton(QStringLiteral("cmdEleva"), QStringLiteral("^"));
    cmdParentesiAp = keyButton(QStringLiteral("cmdParentesiAp"), QStringLiteral("("));
    cmdParentesiCh = keyButton(QStringLiteral("cmdParentesiCh"), QStringLiteral(")"));
    cmdPercentuale = keyButton(QStringLiteral("cmdPercentuale"), QStringLiteral("%"));

    cmdReset = Named(new QPushButton(QStringLiteral("Reset")), QStringLiteral("cmdReset"));
    cmdAnnulla = Named(new QPushButton(QStringLiteral("Annulla")), QStringLiteral("cmdAnnulla"));
    cmdEsegui = Named(new QPushButton(QStringLiteral("Esegui")), QStringLiteral("cmdEsegui"));
    for (QPushButton *b : {cmdReset, cmdAnnulla, cmdEsegui}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
    }

    lblAiuto = Named(new QLabel(QStringLiteral("Premere F1 per l'aiuto.")), QStringLiteral("lblAiuto"));
    QPalette lp = lblAiuto->palette();
    lp.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblAiuto->setPalette(lp);
    QFont lf = lblAiuto->font();
    lf.setBold(true);
    lblAiuto->setFont(lf);

    // The keypad, laid out as a calculator.
    Frame1 = panel(QStringLiteral("Frame1"));
    auto *keys = new QGridLayout(Frame1);
    keys->setSpacing(4);
    const int digitPos[10][2] = {{3, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 0}, {1, 1}, {1, 2}, {0, 0}, {0, 1}, {0, 2}};
    for (int i = 0; i < 10; ++i)
        keys->addWidget(cmdNumero[size_t(i)], digitPos[i][0], digitPos[i][1]);
    keys->addWidget(cmdVirgola, 3, 1);
    keys->addWidget(cmdPercentuale, 3, 2);
    keys->addWidget(cmdParentesiAp, 0, 3);
    keys->addWidget(cmdParentesiCh, 0, 4);
    keys->addWidget(cmdMoltiplica, 1, 3);
    keys->addWidget(cmdRapporto, 1, 4);
    keys->addWidget(cmdSomma, 2, 3);
    keys->addWidget(cmdDifferenza, 2, 4);
    keys->addWidget(cmdEleva, 3, 3);

    // The columns of the table.
    Frame2 = panel(QStringLiteral("Frame2"));
    auto *cols = new QVBoxLayout(Frame2);
    cols->addWidget(lstColonne);

    Shape1 = Named(new QFrame, QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::HLine);
    Shape1->setFrameShadow(QFrame::Sunken);
    Shape2 = Named(new QFrame, QStringLiteral("Shape2"));
    Shape2->setFrameShape(QFrame::HLine);
    Shape2->setFrameShadow(QFrame::Sunken);

    auto *middle = new QHBoxLayout;
    middle->addWidget(Frame1, 0, Qt::AlignTop);
    middle->addWidget(Frame2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblAiuto);
    buttons->addStretch(1);
    buttons->addWidget(cmdReset);
    buttons->addWidget(cmdAnnulla);
    buttons->addWidget(cmdEsegui);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(12, 12, 12, 12);
    main->addWidget(lstFunzione);
    main->addWidget(Shape1);
    main->addLayout(middle, 1);
    main->addWidget(Shape2);
    main->addLayout(buttons);
    resize(580, 380);

    for (int i = 0; i < 10; ++i)
        connect(cmdNumero[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdNumero_Click(i); });
    connect(cmdVirgola, &QPushButton::clicked, this, &frmFunzione::cmdVirgola_Click);
    connect(cmdSomma, &QPushButton::clicked, this, &frmFunzione::cmdSomma_Click);
    connect(cmdDifferenza, &QPushButton::clicked, this, &frmFunzione::cmdDifferenza_Click);
    connect(cmdMoltiplica, &QPushButton::clicked, this, &frmFunzione::cmdMoltiplica_Click);
    connect(cmdRapporto, &QPushButton::clicked, this, &frmFunzione::cmdRapporto_Click);
    connect(cmdEleva, &QPushButton::clicked, this, &frmFunzione::cmdEleva_Click);
    connect(cmdParentesiAp, &QPushButton::clicked, this, &frmFunzione::cmdParentesiAp_Click);
    connect(cmdParentesiCh, &QPushButton::clicked, this, &frmFunzione::cmdParentesiCh_Click);
    connect(cmdPercentuale, &QPushButton::clicked, this, &frmFunzione::cmdPercentuale_Click);
    connect(lstColonne, &QListWidget::itemDoubleClicked, this, [this] { lstColonne_DblClick(); });
    connect(cmdReset, &QPushButton::clicked, this, &frmFunzione::cmdReset_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmFunzione::cmdAnnulla_Click);
    connect(cmdEsegui, &QPushButton::clicked, this, &frmFunzione::cmdEsegui_Click);
}

void frmFunzione::Form_Load()
{
    Utility::InitFormLayout(this);
    lstColonne->clear();
    m_keypad.Reset();
    showFormula();
    CaricaVariabili();
}

void frmFunzione::showFormula()
{
    lstFunzione->setPlainText(m_keypad.Text());
    lstFunzione->moveCursor(QTextCursor::End);
}

void frmFunzione::CaricaVariabili()
{
    frame::Guard(this, QStringLiteral("CaricaVariabili"), [&] {
        lstColonne->clear();
        m_keypad.Reset();
        showFormula();
        NomiColonne.clear();
        m_headers.clear();

        const int rows = int(gMatriceDati.size());
        const int colsCount = rows > 0 ? int(gMatriceDati.front().size()) : 0;

        // The value columns of the table as they were when the window opened
        // (an empty copy leaves the table alone).
        TextGrid &g = m_dati.datagrid();
        if (rows == 0)
            return;
        g.setRedraw(false);
        g.setRows(rows);
        g.setCols(colsCount);
        for (int r = 0; r < rows; ++r) {
            const QStringList &row = gMatriceDati[size_t(r)];
            for (int c = dispData::FirstValueCol; c < colsCount && c < row.size(); ++c)
                if (g.TextMatrix(r, c) != row.at(c))
                    g.setTextMatrix(r, c, row.at(c));
        }
        g.setRedraw(true);

        for (int c = 0; c < colsCount; ++c) {
            const QString header = gMatriceDati.front().value(c);
            m_headers << header;
            NomiColonne << (c >= dispData::FirstValueCol ? header : QString());
            if (c >= dispData::FirstValueCol)
                lstColonne->addItem(header);
        }
    });
}

// ---- the keypad ------------------------------------------------------------------------------

void frmFunzione::OperatoreQuery(const QString &token)
{
    frame::Guard(this, QStringLiteral("OperatoreQuery"), [&] {
        if (m_keypad.OperatoreQuery(token))
            showFormula();
    });
}

void frmFunzione::AggiungiNumero(const QString &character)
{
    if (m_keypad.AggiungiNumero(character))
        showFormula();
}

void frmFunzione::cmdNumero_Click(int index)
{
    frame::Guard(this, QStringLiteral("cmdNumero_Click"), [&] { AggiungiNumero(QString::number(index)); });
}

void frmFunzione::cmdVirgola_Click()
{
    // The decimal point of a formula is always ".", whatever the user's settings.
    frame::Guard(this, QStringLiteral("cmdVirgola_Click"), [&] { AggiungiNumero(QStringLiteral(".")); });
}

void frmFunzione::cmdSomma_Click() { OperatoreQuery(QStringLiteral("+")); }
void frmFunzione::cmdDifferenza_Click() { OperatoreQuery(QStringLiteral("-")); }
void frmFunzione::cmdMoltiplica_Click() { OperatoreQuery(QStringLiteral("*")); }
void frmFunzione::cmdRapporto_Click() { OperatoreQuery(QStringLiteral("/")); }
void frmFunzione::cmdEleva_Click() { OperatoreQuery(QStringLiteral("^")); }
void frmFunzione::cmdParentesiAp_Click() { OperatoreQuery(QStringLiteral("(")); }
void frmFunzione::cmdParentesiCh_Click() { OperatoreQuery(QStringLiteral(")")); }
void frmFunzione::cmdPercentuale_Click() { OperatoreQuery(QStringLiteral("* 100")); }

void frmFunzione::lstColonne_DblClick()
{
    frame::Guard(this, QStringLiteral("lstColonne_DblClick"), [&] {
        lstColonne->setFocus();
        const QListWidgetItem *item = lstColonne->currentItem();
        if (item && m_keypad.AggiungiColonna(item->text()))
            showFormula();
    });
}

void frmFunzione::cmdReset_Click()
{
    CaricaVariabili();
}

void frmFunzione::cmdAnnulla_Click()
{
    reject();
}

void frmFunzione::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        Utility::ShowHelpTopic(HelpTopic);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- evaluation ------------------------------------------------------------------------------

QString frmFunzione::ChiediNomeIndicatore()
{
    const QString proposal = formula::ProponiNome(NomiColonne);
    for (;;) {
        const QString name =
            platform::prompts().inputBox(formula::PromptNome, formula::TitoloNome, proposal).value_or(QString());
        const formula::NomeCheck check = formula::VerificaNome(name, m_headers);
        if (check == formula::NomeCheck::Ok)
            return name;
        if (check == formula::NomeCheck::Empty)
            return {};
        platform::prompts().msgBox(formula::MessaggioNome(check), platform::mb::Exclamation, formula::TitoloAttenzione);
    }
}

void frmFunzione::cmdEsegui_Click()
{
    frame::Guard(this, QStringLiteral("cmdEsegui"), [&] {
        if (m_keypad.Text().trimmed().isEmpty())
            return;
        m_keypad.NumeroAperto = false;

        // The whole formula is checked before anything is asked or changed.
        const std::optional<formula::Expression> expr = formula::Expression::Compile(m_keypad.Text(), NomiColonne);
        if (!expr) {
            platform::prompts().msgBox(formula::MsgSintassi, platform::mb::Exclamation, formula::TitoloSintassi);
            return;
        }
        const QString name = ChiediNomeIndicatore();
        if (name.isEmpty())
            return;

        frame::WaitCursor wait;
        TextGrid &g = m_dati.datagrid();
        const std::vector<QString> results = expr->CalcolaColonna(g);

        // The new column at the right of the columns copied when the window opened.
        const int c = int(NomiColonne.size());
        g.setRedraw(false);
        g.setCols(c + 1);
        g.setTextMatrix(0, c, name);
        for (int r = 1; r < g.Rows(); ++r)
            g.setTextMatrix(r, c, results[size_t(r - 1)]);
        g.setRedraw(true);
        m_dati.cmb_Ordina->addItem(name);
        m_dati.ColorGridLines();
        accept();
    });
}
