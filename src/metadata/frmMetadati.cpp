#include "metadata/frmMetadati.h"
#include "frame/Widgets.h"
#include "selection/FillSons.h"
#include "frame/Config.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "frame/Shared.h"
#include "frame/Utility.h"
#include "frame/WaitCursor.h"
#include "platform/Error.h"
#include "platform/db/Database.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

using frame::Named;

namespace db = platform::db;

namespace metadata {

QString TipoDbPerIndice(int index)
{
    return index == 0 ? QStringLiteral("Variabili") : QStringLiteral("Indicatori");
}

} // namespace metadata

namespace {


// Depth of a node: 0 area, 1 sub-area, 2 item.
int depthOf(const QTreeWidgetItem *node)
{
    int depth = 0;
    for (const QTreeWidgetItem *p = node->parent(); p; p = p->parent())
        ++depth;
    return depth;
}

} // namespace

frmMetadati::frmMetadati(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("PXN - Metadati - Variabili"));
    buildUi();
}

frmMetadati *frmMetadati::ShowForm()
{
    return frame::ShowSingleForm<frmMetadati>(QString::fromLatin1(FormName), [&] {
        auto *w = new frmMetadati;
        w->Form_Load();
        frame::OnFormActivate(w, [w] { w->Form_Activate(); });
        return w;
    });
}

void frmMetadati::buildUi()
{
    resize(560, 600);
    setMinimumSize(460, 420);

    Label3 = frame::TitleBand(QStringLiteral("Label3"), QStringLiteral(" Visualizza Metadati "));

    cmb_Databases = Named(new QComboBox, "cmb_Databases");
    cmb_DatabasesN = Named(new QComboBox(this), "cmb_DatabasesN");
    cmb_DatabasesN->hide();

    Frame1 = Named(new QGroupBox(QStringLiteral("Settori - Argomenti")), "Frame1");
    Label1 = Named(new QLabel(QStringLiteral("Aree -Sottoaree")), "Label1");
    objtree = Named(new QTreeWidget, "objtree");
    objtree->setHeaderHidden(true);
    objtree->setColumnCount(1);
    objtree->setExpandsOnDoubleClick(false);
    objtree->setSelectionMode(QAbstractItemView::SingleSelection);
    objtree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    objtree->header()->setStretchLastSection(false);
    auto *f1 = new QVBoxLayout(Frame1);
    f1->addWidget(Label1);
    f1->addWidget(objtree, 1);

    cmdmetadati = Named(new QPushButton(QStringLiteral("Visualizza")), "cmdmetadati");
    cmdChiudi = Named(new QPushButton(QStringLiteral("Chiudi")), "cmdChiudi");
    cmdHelp = Named(new QPushButton(QStringLiteral("Help")), "cmdHelp");
    for (QPushButton *b : {cmdmetadati, cmdChiudi, cmdHelp})
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 32);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdmetadati);
    buttons->addStretch(1);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdChiudi);

    auto *main = new QVBoxLayout(this);
    main->addWidget(Label3);
    main->addWidget(cmb_Databases);
    main->addWidget(Frame1, 1);
    main->addLayout(buttons);

    connect(cmb_Databases, &QComboBox::activated, this, [this] { cmb_Databases_Click(); });
    connect(objtree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *n) { objtree_NodeClick(n); });
    connect(cmdmetadati, &QPushButton::clicked, this, [this] { cmdmetadati_Click(); });
    connect(cmdChiudi, &QPushButton::clicked, this, [this] { cmdChiudi_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
}

void frmMetadati::Form_Load()
{
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        Utility::InitFormLayout(this);
        auto conn = Utility::GetDbConnection(QStringLiteral("Metadati.mdb"), QString(), db::OpenMode::ReadOnly);
        if (!conn)
            return;   // the opener reported it
        {
            const QSignalBlocker b1(cmb_Databases), b2(cmb_DatabasesN);
            auto rs = conn->query(QStringLiteral("Select dbdesc ,dbnames from dbconfigs"));
            for (; !rs.eof(); rs.moveNext()) {
                cmb_Databases->addItem(rs.text(0));
                cmb_DatabasesN->addItem(rs.text(1));
            }
        }
        // Choosing the first database builds its tree before the load goes on. A
        // list without databases has no first one: the load fails there.
        if (cmb_Databases->count() == 0)
            throw platform::RuntimeError(380, QStringLiteral("Valore della proprietà non valido"));
        {
            const QSignalBlocker b(cmb_Databases);
            cmb_Databases->setCurrentIndex(0);
        }
        cmb_Databases_Click();
        conn->close();
        gSqlScheda.clear();
    });
}

void frmMetadati::Form_Activate()
{
    frame::Guard(this, QStringLiteral("Form_Activate"), [&] { Utility::CloseOtherForms(QString::fromLatin1(FormName)); });
}

void frmMetadati::cmb_Databases_Click()
{
    frame::Guard(this, QStringLiteral("cmb_Databases_Click"), [&] {
        const int index = cmb_Databases->currentIndex();
        if (index < 0)
            return;
        gTipoDb = metadata::TipoDbPerIndice(index);
        objtree->clear();
        auto conn = Utility::GetDbConnection(QStringLiteral("metadati.mdb"), QString(), db::OpenMode::ReadOnly);
        if (!conn)
            return;
        const QString dbFile = cmb_DatabasesN->itemText(index);
        if (!gMetaConfig)
            gMetaConfig = &frame::TheMetaConfig();
        gMetaConfig->SetDatabase(dbFile);
        {
            frame::WaitCursor wait;
            Utility_RQM::fillsons(*conn, objtree);
        }
        conn->close();
        gSqlScheda.clear();
    });
}

void frmMetadati::nodeClick(QTreeWidgetItem *node)
{
    if (!node)
        throw platform::RuntimeError(91, QStringLiteral("Nessun elemento selezionato nell'albero dei metadati"));
    Utility::ExpandNodeExclusive(objtree, node);
    // Only an item (an area's sub-area's leaf) has a sheet.
    if (node->childCount() > 0 || depthOf(node) != 2)
        return;
    gSqlScheda = Utility::CreaQueryMetadati(gTipoDb, Utility::NodeKey(node));
    frame::OpenRegisteredForm(gTipoDb != QLatin1String("Variabili") ? QStringLiteral("FRMSCHEDAINDICATORI")
                                                                    : QStringLiteral("FRMSCHEDAVARIABILI"));
}

void frmMetadati::objtree_NodeClick(QTreeWidgetItem *node)
{
    frame::Guard(this, QStringLiteral("objtree_NodeClick"), [&] { nodeClick(node); });
}

void frmMetadati::cmdmetadati_Click()
{
    frame::Guard(this, QStringLiteral("cmdmetadati_Click"), [&] {
        const auto sel = objtree->selectedItems();
        // The same as a click on the selected node, reported under its name.
        objtree_NodeClick(sel.isEmpty() ? nullptr : sel.front());
    });
}

void frmMetadati::cmdChiudi_Click()
{
    frame::UnloadForm(this);
}

void frmMetadati::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}
