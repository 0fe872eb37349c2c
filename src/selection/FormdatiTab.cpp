#include "selection/FormdatiTab.h"
#include "frame/Widgets.h"
#include "selection/FillSons.h"
#include "frame/Config.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/WaitCursor.h"
#include "frame/Layout.h"
#include "frame/Relink.h"
#include "frame/Utility.h"
#include "frame/Utility_RQM.h"
#include "frame/Shared.h"
#include "platform/Prompts.h"
#include "platform/db/Database.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

using frame::Named;

using platform::prompts;
namespace mb = platform::mb;
namespace db = platform::db;

namespace {

using frame::WaitCursor;


} // namespace

FormdatiTab::FormdatiTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
}

FormdatiTab::~FormdatiTab() = default;

FormdatiTab *FormdatiTab::ShowForm()
{
    return frame::ShowSingleForm<FormdatiTab>(QString::fromLatin1(FormName), [&] {
        auto *w = new FormdatiTab;
        w->Form_Load();
        frame::OnFormActivate(w, [w] { w->Form_Activate(); });
        return w;
    });
}

// ---- layout ---------------------------------------------------------------

void FormdatiTab::buildUi()
{
    resize(880, 620);
    setMinimumSize(760, 560);

    Label8 = frame::TitleBand(QStringLiteral("Label8"), {}, this);

    SSTab1 = Named(new QTabWidget(this), "SSTab1");

    // Tab 0: territories.
    auto *terr = new QWidget;
    terr->setObjectName(QStringLiteral("SSTab1_Territorio"));
    lstDescTerr = Named(new QListWidget, "lstDescTerr");
    lstDescTerr->setSelectionMode(QAbstractItemView::MultiSelection);
    lstCodTerr = Named(new QListWidget(terr), "lstCodTerr");
    lstCodTerr->hide();

    Frame1 = Named(new QGroupBox(QStringLiteral("Visualizza")), "Frame1");
    optGroup = new QButtonGroup(this);
    auto *f1 = new QVBoxLayout(Frame1);
    const char *optText[3] = {"Solo regioni", "Solo province", "Tutto"};
    for (int i = 0; i < 3; ++i) {
        optVisualizza[i] = new QRadioButton(QString::fromUtf8(optText[i]));
        optVisualizza[i]->setObjectName(QStringLiteral("optVisualizza_%1").arg(i));
        optGroup->addButton(optVisualizza[i], i);
        f1->addWidget(optVisualizza[i]);
    }
    Frame2 = Named(new QGroupBox(QStringLiteral("Seleziona")), "Frame2");
    auto *f2 = new QVBoxLayout(Frame2);
    const char *chkText[6] = {"", "Tutte le Province", "Regioni", "Ripartizioni / Italia", "Aree Ob1/ Non Ob1",
                              "Seleziona Tutto"};
    for (int i = 1; i <= 5; ++i) {
        Check1[i] = new QCheckBox(QString::fromUtf8(chkText[i]));
        Check1[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        f2->addWidget(Check1[i]);
    }
    auto *terrSide = new QVBoxLayout;
    terrSide->addWidget(Frame1);
    terrSide->addWidget(Frame2);
    terrSide->addStretch(1);
    auto *terrLayout = new QHBoxLayout(terr);
    terrLayout->addWidget(lstDescTerr, 3);
    terrLayout->addLayout(terrSide, 2);
    SSTab1->addTab(terr, QStringLiteral("Territorio"));

    // Tab 1: items and years.
    auto *items = new QWidget;
    items->setObjectName(QStringLiteral("SSTab1_Elementi"));
    Label3 = Named(new QLabel(QStringLiteral("Aree -Sottoaree")), "Label3");
    objtree = Named(new QTreeWidget, "objtree");
    objtree->setHeaderHidden(true);
    objtree->setColumnCount(1);
    objtree->setExpandsOnDoubleClick(false);
    objtree->setSelectionMode(QAbstractItemView::SingleSelection);
    objtree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    objtree->header()->setStretchLastSection(false);
    objtree->viewport()->installEventFilter(this);

    Frame3 = Named(new QGroupBox(QStringLiteral("Selezione Variabili")), "Frame3");
    lst_allVar = Named(new QListWidget, "lst_allVar");
    lst_allVar->setSelectionMode(QAbstractItemView::SingleSelection);
    lblSelezionati = Named(new QLabel(QStringLiteral("Indicatori selezionati")), "lblSelezionati");
    txtCount = Named(new QLineEdit, "txtCount");
    txtCount->setReadOnly(true);
    txtCount->setMaximumWidth(60);
    txtCount->setAlignment(Qt::AlignRight);
    cmdmetadati = Named(new QPushButton(QStringLiteral("Visualizza scheda metadati")), "cmdmetadati");
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(lblSelezionati);
    countRow->addWidget(txtCount);
    countRow->addStretch(1);
    countRow->addWidget(cmdmetadati);
    auto *f3 = new QVBoxLayout(Frame3);
    f3->addWidget(lst_allVar, 1);
    f3->addLayout(countRow);

    Label2 = Named(new QLabel(QStringLiteral("Nota: In corrispondenza della")), "Label2");
    Image1 = Named(new QLabel, "Image1");
    Image1->setPixmap(Utility_RQM::NodeIcon(QStringLiteral("closeR")).pixmap(16, 16));
    Label5 = Named(new QLabel(QStringLiteral("si consiglia di consultare i metadati.")), "Label5");
    auto *noteRow = new QHBoxLayout;
    noteRow->addWidget(Label2);
    noteRow->addWidget(Image1);
    noteRow->addWidget(Label5);
    noteRow->addStretch(1);

    auto *treeCol = new QVBoxLayout;
    treeCol->addWidget(Label3);
    treeCol->addWidget(objtree, 1);
    auto *selCol = new QVBoxLayout;
    selCol->addWidget(Frame3, 1);
    selCol->addLayout(noteRow);
    auto *itemsLayout = new QHBoxLayout(items);
    itemsLayout->addLayout(treeCol, 1);
    itemsLayout->addLayout(selCol, 1);
    SSTab1->addTab(items, QStringLiteral("Indicatori"));

    // Buttons outside the tabs.
    serie = Named(new QPushButton(QStringLiteral("Visualizza Dati")), "serie");
    CmdNewric = Named(new QPushButton(QStringLiteral("Reset")), "CmdNewric");
    cmdChiudi = Named(new QPushButton(QStringLiteral("Chiudi")), "cmdChiudi");
    cmdHelp = Named(new QPushButton(QStringLiteral("Help")), "cmdHelp");
    cmdDatiPiu = Named(new QPushButton(QStringLiteral("join con dati esterni")), "cmdDatiPiu");
    conferma = Named(new QPushButton(QStringLiteral("dati")), "conferma");
    for (QPushButton *b : {serie, CmdNewric, cmdChiudi, cmdHelp, cmdDatiPiu, conferma})
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 24);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(serie);
    buttons->addWidget(CmdNewric);
    buttons->addStretch(1);
    buttons->addWidget(cmdDatiPiu);
    buttons->addWidget(conferma);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdChiudi);

    auto *main = new QVBoxLayout(this);
    main->addWidget(Label8);
    main->addWidget(SSTab1, 1);
    main->addLayout(buttons);

    mnu_mNote = Named(new QMenu(QStringLiteral("mNote"), this), "mnu_mNote");
    mnu_note = mnu_mNote->addAction(QStringLiteral("Note"));
    mnu_note->setObjectName(QStringLiteral("mnu_note"));

    // Wiring.
    connect(objtree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *n) { objtree_NodeClick(n); });
    connect(mnu_note, &QAction::triggered, this, [this] { mnu_note_Click(); });
    connect(lst_allVar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            lst_allVar_Click();
    });
    connect(lst_allVar, &QListWidget::itemDoubleClicked, this, [this] { lst_allVar_DblClick(); });
    connect(cmdmetadati, &QPushButton::clicked, this, [this] { cmdmetadati_Click(); });
    connect(serie, &QPushButton::clicked, this, [this] { serie_Click(); });
    connect(CmdNewric, &QPushButton::clicked, this, [this] { CmdNewric_Click(); });
    connect(cmdChiudi, &QPushButton::clicked, this, [this] { cmdChiudi_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(cmdDatiPiu, &QPushButton::clicked, this, [this] { cmdDatiPiu_Click(); });
    for (int i = 0; i < 3; ++i)
        connect(optVisualizza[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optVisualizza_Click(i);
        });
    for (int i = 1; i <= 5; ++i)
        connect(Check1[i], &QCheckBox::toggled, this, [this, i] { Check1_Click(i); });
}

// ---- load, activate, unload --------------------------------------------------

void FormdatiTab::Form_Load()
{
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        m_numSelezionati = 0;
        SSTab1->setTabText(1, gTipoDb);
        const bool indicatori = gTipoDb == QLatin1String("Indicatori");
        lblSelezionati->setText(indicatori ? QStringLiteral("Indicatori selezionati")
                                           : QStringLiteral("Variabili selezionate"));
        Label2->setVisible(!indicatori);
        Image1->setVisible(!indicatori);
        Label5->setVisible(!indicatori);
        Label8->setText(QStringLiteral(" Selezione ") + gDescSelezione.toLower() + QStringLiteral(" e territorio "));
        conferma->setEnabled(false);
        cmdDatiPiu->setEnabled(false);
        Utility::InitFormLayout(this);

        if (!gAreaConfig)
            gAreaConfig = &frame::TheAreaConfig();
        m_areaArray = gAreaConfig->GetAreaArray();

        if (auto conn = Utility::GetDbConnection(gDbName, QString(), db::OpenMode::ReadOnly)) {
            Utility_RQM::fillsons(*conn, objtree);
            conn->close();
        }

        serie->setEnabled(false);
        conferma->setEnabled(false);
        cmdDatiPiu->setEnabled(false);
        cmdmetadati->setEnabled(false);
        txtCount->setText(QStringLiteral("0"));

        // "Tutto": its click handler loads every territory.
        if (optVisualizza[2]->isChecked())
            optVisualizza_Click(2);
        else
            optVisualizza[2]->setChecked(true);
    });
}

void FormdatiTab::Form_Activate()
{
    frame::Guard(this, QStringLiteral("Form_Activate"), [&] {
        Utility::CloseOtherForms(QString::fromLatin1(FormName));
        if (lstDescTerr->isVisible())
            lstDescTerr->setFocus();
    });
}

void FormdatiTab::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    frame::Guard(this, QStringLiteral("Form_Unload"), [&] {
        CmdNewric_Click();
        Utility_RQM::DeleteAreaQuery();
    });
    gLivelloTerritorio = 0;
    gSqlDati.clear();
}

void FormdatiTab::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// ---- tree -----------------------------------------------------------------------

bool FormdatiTab::isYearNode(const QTreeWidgetItem *node) const
{
    // sector > topic > item > year: a year lies three levels down.
    int depth = 0;
    for (const QTreeWidgetItem *p = node ? node->parent() : nullptr; p; p = p->parent())
        ++depth;
    return node && depth == 3;
}

QTreeWidgetItem *FormdatiTab::selectedNode() const
{
    const auto sel = objtree->selectedItems();
    return sel.isEmpty() ? nullptr : sel.front();
}

void FormdatiTab::objtree_NodeClick(QTreeWidgetItem *node)
{
    if (!node)
        return;
    frame::Guard(this, QStringLiteral("objtree_NodeClick"), [&] {
        Utility::ExpandNodeExclusive(objtree, node);
        if (isYearNode(node)) {
            selectYear(node);
            return;
        }
        if (node->childCount() > 0)
            return;
        // Only an item (two levels down) has years to load.
        if (node->parent() && node->parent()->parent())
            loadYears(node);
    });
}

void FormdatiTab::loadYears(QTreeWidgetItem *node)
{
    auto conn = Utility::GetDbConnection(gDbName, QString(), db::OpenMode::ReadOnly);
    if (!conn)
        return;
    const QString key = Utility_RQM::NodeKey(node);
    auto rs = conn->query(selection::YearsQuery(gTipoDb, key));
    const bool variabili = gTipoDb == QLatin1String("Variabili");
    for (; !rs.eof(); rs.moveNext()) {
        const QString anno = rs.text(0);
        const QString yearKey = key + u'-' + anno;
        if (Utility_RQM::FindNode(objtree, yearKey))
            continue;
        bool note = false;
        if (variabili) {
            // A year without a note column, or with an empty note, has no note.
            const int col = rs.fieldIndex(QStringLiteral("Note_") + anno);
            note = col >= 0 && !rs.field(col).isNull() && !rs.text(col).isEmpty();
        }
        Utility_RQM::AddNode(objtree, node, yearKey, anno, note ? QStringLiteral("closeR") : QStringLiteral("close"));
    }
    if (node->childCount() > 0 && !node->isExpanded())
        node->setExpanded(true);
    conn->close();
}

void FormdatiTab::selectYear(QTreeWidgetItem *node)
{
    const QString text = selection::SelectionLine(Utility_RQM::NodeKey(node), node->parent()->text(0));
    for (int i = 0; i < lst_allVar->count(); ++i)
        if (lst_allVar->item(i)->text() == text)
            return;
    if (m_numSelezionati < selection::MaxSelezionati) {
        lst_allVar->addItem(text);
        lst_allVar->setCurrentRow(lst_allVar->count() - 1);
        serie->setEnabled(true);
        ++m_numSelezionati;
        txtCount->setText(QString::number(m_numSelezionati));
    } else {
        prompts().msgBox(QStringLiteral("Raggiunto il limite massimo di ") + gTipoDb + QStringLiteral(" selezionabili."),
                         mb::Exclamation);
    }
}

bool FormdatiTab::objtree_MouseDown(Qt::MouseButton button)
{
    bool offered = false;
    frame::Guard(this, QStringLiteral("objtree_MouseDown"), [&] {
        QTreeWidgetItem *node = selectedNode();
        if (!node || button != Qt::RightButton || !isYearNode(node))
            return;
        const QString image = Utility_RQM::NodeImage(node);
        if (image != QLatin1String("closeR") && image != QLatin1String("openR"))
            return;
        offered = true;
        mnu_mNote->exec(QCursor::pos());
    });
    return offered;
}

void FormdatiTab::mnu_note_Click()
{
    frame::Guard(this, QStringLiteral("mnu_note_Click"), [&] {
        QTreeWidgetItem *node = selectedNode();
        if (!node || !node->parent())
            return;
        auto conn = Utility::GetDbConnection(gDbName, QString(), db::OpenMode::ReadOnly);
        if (!conn)
            return;
        auto rs = conn->query(
            selection::NoteQuery(gTipoDb, node->text(0), Utility_RQM::NodeKey(node->parent())));
        if (!rs.eof() && !rs.field(0).isNull())
            prompts().msgBox(rs.text(0), mb::OkOnly, QStringLiteral("Note Anno"));
        conn->close();
    });
}

bool FormdatiTab::eventFilter(QObject *watched, QEvent *event)
{
    if (objtree && watched == objtree->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton) {
            // The right button acts on the node already selected and does not
            // move the selection.
            objtree_MouseDown(me->button());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- selection list ----------------------------------------------------------------

void FormdatiTab::lst_allVar_Click()
{
    frame::Guard(this, QStringLiteral("lst_allVar_Click"), [&] {
        cmdmetadati->setEnabled(true);
        if (QListWidgetItem *it = lst_allVar->currentItem())
            lst_allVar->setToolTip(it->text());
    });
}

void FormdatiTab::lst_allVar_DblClick()
{
    frame::Guard(this, QStringLiteral("lst_allVar_DblClick"), [&] {
        const int row = lst_allVar->currentRow();
        if (row < 0 || !lst_allVar->item(row)->isSelected())
            return;
        delete lst_allVar->takeItem(row);
        --m_numSelezionati;
        txtCount->setText(QString::number(m_numSelezionati));
        if (lst_allVar->count() == 0)
            serie->setEnabled(false);
    });
}

void FormdatiTab::cmdmetadati_Click()
{
    frame::Guard(this, QStringLiteral("cmdmetadati_Click"), [&] {
        QListWidgetItem *it = lst_allVar->currentItem();
        if (!it || !it->isSelected())
            return;
        const QString id = selection::SelectionId(it->text());
        gSqlScheda = Utility::CreaQueryMetadati(gTipoDb, id);
        frame::OpenRegisteredForm(gTipoDb != QLatin1String("Variabili") ? QStringLiteral("FRMSCHEDAINDICATORI")
                                                                        : QStringLiteral("FRMSCHEDAVARIABILI"));
    });
}

void FormdatiTab::CmdNewric_Click()
{
    frame::Guard(this, QStringLiteral("CmdNewric_Click"), [&] {
        m_numSelezionati = 0;
        txtCount->setText(QStringLiteral("0"));
        serie->setEnabled(false);
        conferma->setEnabled(false);
        cmdDatiPiu->setEnabled(false);
        lst_allVar->clear();
        lst_allVar->setToolTip(QString());
        for (QTreeWidgetItemIterator it(objtree); *it; ++it)
            (*it)->setExpanded(false);
        gSqlDati.clear();
        cmdmetadati->setEnabled(false);
    });
}

void FormdatiTab::cmdChiudi_Click()
{
    frame::UnloadForm(this);
}

void FormdatiTab::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}

void FormdatiTab::cmdDatiPiu_Click()
{
    serie_Click();
}

// ---- territories ----------------------------------------------------------------

void FormdatiTab::CaricaTerritori(int tipo, int escludi)
{
    lstDescTerr->clear();
    lstCodTerr->clear();
    m_arrTerr.clear();
    auto conn = Utility::GetDbConnection(QStringLiteral("Territorio.mdb"), QString(), db::OpenMode::ReadOnly);
    if (!conn)
        return;   // the opener reported it; the lists stay empty
    auto rs = conn->query(selection::CaricaTerritoriQuery(tipo, escludi));
    m_arrTerr.reserve(size_t(rs.recordCount()));
    QStringList names, codes;
    for (; !rs.eof(); rs.moveNext()) {
        m_arrTerr.push_back({rs.text(0), rs.text(1), rs.text(2)});
        names << rs.text(0);
        codes << rs.text(2);
    }
    lstDescTerr->addItems(names);
    lstCodTerr->addItems(codes);
    conn->close();
}

void FormdatiTab::optVisualizza_Click(int index)
{
    frame::Guard(this, QStringLiteral("optVisualizza_Click"), [&] {
        for (int i = 1; i <= 5; ++i)
            Check1[i]->setChecked(false);
        switch (index) {
        case 0:
            for (int i = 1; i <= 5; ++i)
                Check1[i]->setEnabled(i == 2);
            gNomeLivelloMappa = QStringLiteral("regione");
            CaricaTerritori(0, 1);
            gLivelloTerritorio = 2;
            break;
        case 1:
            for (int i = 1; i <= 5; ++i)
                Check1[i]->setEnabled(i == 1);
            gNomeLivelloMappa = QStringLiteral("provincia");
            CaricaTerritori(1, 0);
            gLivelloTerritorio = 1;
            break;
        case 2:
            for (int i = 1; i <= 5; ++i)
                Check1[i]->setEnabled(true);
            CaricaTerritori(2, 0);
            gLivelloTerritorio = 3;
            break;
        default:
            break;
        }
    });
}

void FormdatiTab::Check1_Click(int index)
{
    if (index < 1 || index > 5)
        return;
    frame::Guard(this, QStringLiteral("Check1_Click"), [&] {
        const bool ticked = Check1[index]->isChecked();
        if (index <= 4) {
            m_pTerr = selection::GroupCode(index);
            const int n = std::min<int>(int(m_arrTerr.size()), lstDescTerr->count());
            for (int i = 0; i < n; ++i)
                if (selection::InGroup(m_arrTerr[size_t(i)], index))
                    lstDescTerr->item(i)->setSelected(ticked);
            return;
        }
        if (ticked)
            lstDescTerr->selectAll();
        else
            lstDescTerr->clearSelection();
        for (int i = 1; i <= 4; ++i)
            Check1[i]->setChecked(ticked);
    });
}

void FormdatiTab::CreaFiltroTerritori()
{
    QStringList names;
    for (int i = 0; i < lstDescTerr->count(); ++i)
        if (lstDescTerr->item(i)->isSelected())
            names << lstDescTerr->item(i)->text();
    m_filtroTerritori = selection::CreaFiltroTerritori(names);
}

// ---- the data request ---------------------------------------------------------------

bool FormdatiTab::CreaQuery()
{
    // A request that cannot be built leaves no earlier query behind.
    gSqlDati.clear();
    bool built = false;
    frame::Guard(this, QStringLiteral("CreaQuery"), [&] {
        WaitCursor wait;
        QStringList lines;
        for (int i = 0; i < lst_allVar->count(); ++i)
            lines << lst_allVar->item(i)->text();
        auto conn = Utility::GetDbConnection(gDbName, QString(), db::OpenMode::ReadOnly);
        if (!conn)
            return;
        const auto lookup = [&](const QString &id, const QString &anno) -> QString {
            auto rs = conn->query(selection::LookupQuery(id, anno));
            if (rs.eof() || rs.field(0).isNull())
                return {};
            return rs.text(0);
        };
        const QString sql = selection::CreaQuery(lines, gTipoDb, m_filtroTerritori, lookup);
        conn->close();
        gSqlDati = sql;
        built = true;
    });
    return built;
}

void FormdatiTab::serie_Click()
{
    frame::Guard(this, QStringLiteral("serie_Click"), [&] {
        CreaFiltroTerritori();
        if (m_filtroTerritori.isEmpty()) {
            prompts().msgBox(QStringLiteral("Selezionare un territorio!"), mb::Exclamation);
            return;
        }
        if (!CreaQuery())
            return;
        frame::OpenRegisteredForm(QStringLiteral("FRM_DISPDATA"));
    });
}
