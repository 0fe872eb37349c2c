#include "selection/frm_dispData.h"
#include "frame/Widgets.h"
#include "frame/Shared.h"
#include "selection/frmNota.h"
#include "selection/ExcelExport.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/WaitCursor.h"
#include "frame/Layout.h"
#include "frame/Shared.h"
#include "frame/Utility.h"
#include "frame/Utility_RQM.h"
#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/grid/GridView.h"
#include "platform/grid/TextGrid.h"
#include "platform/grid/TextWidths.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>
#include <optional>
#include <vector>

using frame::Named;

using platform::grid::TextGrid;

namespace {

using frame::WaitCursor;

// A sort or search in progress: the grid's redraw is off and the flag is
// set until the operation ends, however it ends.
class Reordering {
public:
    Reordering(TextGrid &grid, bool &flag) : m_grid(grid), m_flag(flag)
    {
        m_grid.setRedraw(false);
        m_flag = true;
    }
    ~Reordering()
    {
        m_grid.setRedraw(true);
        m_flag = false;
    }
    Reordering(const Reordering &) = delete;
    Reordering &operator=(const Reordering &) = delete;

private:
    TextGrid &m_grid;
    bool &m_flag;
};


// The pictures of the picture buttons, drawn.
enum class Pic { SortUp, SortDown, Map, Formula, Info };

QIcon drawPicture(Pic kind)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    f.setBold(true);
    switch (kind) {
    case Pic::SortUp:
    case Pic::SortDown: {
        const bool up = kind == Pic::SortUp;
        f.setPixelSize(11);
        p.setFont(f);
        p.setPen(QColor(0, 0, 128));
        p.drawText(QRect(2, 1, 14, 14), Qt::AlignCenter, up ? QStringLiteral("A") : QStringLiteral("Z"));
        p.drawText(QRect(2, 17, 14, 14), Qt::AlignCenter, up ? QStringLiteral("Z") : QStringLiteral("A"));
        QPainterPath arrow;
        arrow.moveTo(22, 4);
        arrow.lineTo(22, 24);
        p.setPen(QPen(QColor(0, 110, 0), 3));
        p.drawPath(arrow);
        QPolygonF head;
        head << QPointF(16, 22) << QPointF(28, 22) << QPointF(22, 30);
        p.setBrush(QColor(0, 110, 0));
        p.setPen(Qt::NoPen);
        p.drawPolygon(head);
        break;
    }
    case Pic::Map: {
        const QColor shades[4] = {QColor(255, 235, 160), QColor(250, 180, 90), QColor(225, 110, 50), QColor(170, 40, 30)};
        p.setPen(QPen(Qt::black, 1));
        for (int i = 0; i < 4; ++i) {
            p.setBrush(shades[i]);
            p.drawRect(QRectF(3 + (i % 2) * 13, 3 + (i / 2) * 13, 13, 13));
        }
        break;
    }
    case Pic::Formula:
        f.setPixelSize(15);
        f.setItalic(true);
        p.setFont(f);
        p.setPen(QColor(0, 0, 128));
        p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("f(x)"));
        break;
    case Pic::Info:
        p.setBrush(QColor(0, 0, 160));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        f.setPixelSize(19);
        f.setFamily(QStringLiteral("Serif"));
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("i"));
        break;
    }
    return QIcon(pm);
}

// The pictures drawn once for the program (every table window shows the
// same), let go with the application.
std::map<Pic, QIcon> *gPictures = nullptr;

QIcon picture(Pic kind)
{
    if (!gPictures) {
        gPictures = new std::map<Pic, QIcon>;
        qAddPostRoutine([] {
            delete gPictures;
            gPictures = nullptr;
        });
    }
    auto it = gPictures->find(kind);
    if (it == gPictures->end())
        it = gPictures->emplace(kind, drawPicture(kind)).first;
    return it->second;
}

QToolButton *pictureButton(const char *name, Pic kind, const QString &tip)
{
    auto *b = Named(new QToolButton, name);
    b->setIcon(picture(kind));
    b->setIconSize(QSize(28, 28));
    frame::Described(b, tip);
    b->setAutoRaise(false);
    return b;
}

QLabel *caption(const char *name, const QString &text)
{
    auto *l = Named(new QLabel(text), name);
    l->setStyleSheet(QStringLiteral("QLabel { color: #000080; font-weight: bold; }"));
    return l;
}

} // namespace

frm_dispData::frm_dispData(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    m_datagrid = Named(new TextGrid(this), "datagrid_model");
    m_datagrid2 = Named(new TextGrid(this), "datagrid2");
    buildUi();
}

frm_dispData::~frm_dispData() = default;

frm_dispData *frm_dispData::Instance()
{
    return qobject_cast<frm_dispData *>(frame::FindForm(QString::fromLatin1(FormName)));
}

frm_dispData *frm_dispData::ShowForm()
{
    if (frm_dispData *open = Instance()) {
        frame::ShowChild(open);
        open->DoQuery();
        open->ShowControls();
        open->tipoTerrNow = gLivelloTerritorio;
        return open;
    }
    auto *w = new frm_dispData;
    w->Form_Load();
    frame::ShowChild(w);
    return w;
}

// ---- layout ----------------------------------------------------------------------

void frm_dispData::buildUi()
{
    resize(1000, 660);

    Label8 = frame::TitleBand(QStringLiteral("Label8"), QStringLiteral(" Visualizza ed esporta dati "));

    // Sorting and the commands on a column.
    Shape4 = Named(new QFrame, "Shape4");
    Shape4->setFrameShape(QFrame::Box);
    cmd_ordinaA = pictureButton("cmd_ordinaA", Pic::SortUp, QStringLiteral("Ordina ascendente"));
    cmd_ordinaD = pictureButton("cmd_ordinaD", Pic::SortDown, QStringLiteral("Ordina discendente"));
    cmb_Ordina = Named(new QComboBox, "cmb_Ordina");
    cmb_Ordina->setMinimumContentsLength(18);
    cmb_Ordina->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmd_createmap = pictureButton("cmd_createmap", Pic::Map, QStringLiteral("Crea cartogramma"));
    cmdFunzione = pictureButton("cmdFunzione", Pic::Formula, QStringLiteral("Crea indicatore"));
    cmdInfo = pictureButton("cmdInfo", Pic::Info, QStringLiteral("Nota"));
    auto *sortRow = new QHBoxLayout(Shape4);
    sortRow->setContentsMargins(6, 4, 6, 4);
    sortRow->addWidget(cmd_ordinaA);
    sortRow->addWidget(cmd_ordinaD);
    sortRow->addWidget(cmb_Ordina);
    sortRow->addSpacing(16);
    sortRow->addWidget(cmd_createmap);
    sortRow->addWidget(cmdFunzione);
    sortRow->addWidget(cmdInfo);

    // The search.
    Shape1 = Named(new QFrame, "Shape1");
    Shape1->setFrameShape(QFrame::Box);
    Label3 = caption("Label3", QStringLiteral("Campo :"));
    cmb_ric = Named(new QComboBox, "cmb_ric");
    cmb_ric->setMinimumContentsLength(18);
    cmb_ric->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Label1 = caption("Label1", QStringLiteral("Da"));
    txt_ricda = Named(new QLineEdit, "txt_ricda");
    Label2 = caption("Label2", QStringLiteral("a"));
    txt_rica = Named(new QLineEdit, "txt_rica");
    txt_ricda->setMaximumWidth(140);
    txt_rica->setMaximumWidth(140);
    cmd_ric = Named(new QPushButton(QStringLiteral("Ricerca")), "cmd_ric");
    auto *searchRow = new QHBoxLayout(Shape1);
    searchRow->setContentsMargins(6, 4, 6, 4);
    searchRow->addWidget(Label3);
    searchRow->addWidget(cmb_ric);
    searchRow->addWidget(Label1);
    searchRow->addWidget(txt_ricda);
    searchRow->addWidget(Label2);
    searchRow->addWidget(txt_rica);
    searchRow->addWidget(cmd_ric);

    auto *tools = new QHBoxLayout;
    tools->addWidget(Shape4);
    tools->addStretch(1);
    tools->addWidget(Shape1);

    lblDescVar = Named(new QLineEdit, "lblDescVar");
    lblDescVar->setReadOnly(true);

    m_view = Named(new platform::grid::GridView, "datagrid");
    m_view->setGrid(m_datagrid);
    m_view->setBackColorBkg(QColor(0, 0, 128));
    // The grid keeps the usual window colours (its lines are drawn from them),
    // whatever colour the window itself takes.
    QPalette gridPalette = m_view->palette();
    gridPalette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    m_view->setPalette(gridPalette);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);

    cmdEsportaXls = Named(new QPushButton(QStringLiteral("Esporta in Excel")), "cmdEsportaXls");
    cmdHelp = Named(new QPushButton(QStringLiteral("Help")), "cmdHelp");
    cmdChiudi = Named(new QPushButton(QStringLiteral("Chiudi")), "cmdChiudi");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdEsportaXls);
    buttons->addStretch(1);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdChiudi);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->addWidget(Label8);
    main->addLayout(tools);
    main->addWidget(lblDescVar);
    main->addWidget(m_view, 1);
    main->addLayout(buttons);

    // The popup menu of the grid.
    mnu_ordinam = Named(new QMenu(this), "mnu_ordinam");
    mnu_ordina = Named(mnu_ordinam->addMenu(QStringLiteral("Ordina")), "mnu_ordina");
    mnu_asce = Named(mnu_ordina->addAction(QStringLiteral("Ascendente")), "mnu_asce");
    mnu_disce = Named(mnu_ordina->addAction(QStringLiteral("Discendente")), "mnu_disce");
    mnu_createMap = Named(mnu_ordinam->addAction(QStringLiteral("Crea cartogramma da questa colonna")), "mnu_createMap");
    mClipbo = Named(mnu_ordinam->addMenu(QStringLiteral("Appunti")), "mClipbo");
    mnu_clipboard = Named(mClipbo->addAction(QStringLiteral("Copia negli Appunti")), "mnu_clipboard");
    mClipbo->menuAction()->setVisible(false);
    mnu_metadati = Named(mnu_ordinam->addAction(QStringLiteral("Visualizza metadati")), "mnu_metadati");

    // The working controls appear once the query has run; the grid keeps its
    // place meanwhile, so that its columns can be sized.
    for (QWidget *w : std::initializer_list<QWidget *>{cmd_ordinaA, cmd_ordinaD, cmdInfo, cmd_createmap, m_view,
                                                        cmdEsportaXls, cmdChiudi, lblDescVar, cmdFunzione, Shape1,
                                                        Shape4, Label8}) {
        QSizePolicy sp = w->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        w->setSizePolicy(sp);
        w->setVisible(false);
    }

    connect(cmd_ordinaA, &QToolButton::clicked, this, &frm_dispData::cmd_ordinaA_Click);
    connect(cmd_ordinaD, &QToolButton::clicked, this, &frm_dispData::cmd_ordinaD_Click);
    connect(cmd_createmap, &QToolButton::clicked, this, &frm_dispData::cmd_createmap_Click);
    connect(cmdFunzione, &QToolButton::clicked, this, &frm_dispData::cmdFunzione_Click);
    connect(cmdInfo, &QToolButton::clicked, this, &frm_dispData::cmdInfo_Click);
    connect(cmd_ric, &QPushButton::clicked, this, &frm_dispData::cmd_ric_Click);
    connect(cmdEsportaXls, &QPushButton::clicked, this, &frm_dispData::cmdEsportaXls_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frm_dispData::cmdHelp_Click);
    connect(cmdChiudi, &QPushButton::clicked, this, &frm_dispData::cmdChiudi_Click);
    connect(mnu_asce, &QAction::triggered, this, &frm_dispData::mnu_asce_Click);
    connect(mnu_disce, &QAction::triggered, this, &frm_dispData::mnu_disce_Click);
    connect(mnu_createMap, &QAction::triggered, this, &frm_dispData::mnu_createMap_Click);
    connect(mnu_clipboard, &QAction::triggered, this, &frm_dispData::mnu_clipboard_Click);
    connect(mnu_metadati, &QAction::triggered, this, &frm_dispData::mnu_metadati_Click);
    connect(m_datagrid, &TextGrid::EnterCell, this, &frm_dispData::datagrid_EnterCell);
    connect(m_view, &platform::grid::GridView::Click, this, &frm_dispData::datagrid_Click);
    connect(m_view, &platform::grid::GridView::MouseDown, this,
            [this](int button, int, const QPoint &pos) { datagrid_MouseDown(button, pos); });
    connect(m_view, &platform::grid::GridView::KeyDown, this, [this](int key, int) { datagrid_KeyDown(key); });
}

void frm_dispData::ShowControls()
{
    for (QWidget *w : std::initializer_list<QWidget *>{cmd_ordinaA, cmd_ordinaD, cmdInfo, cmd_createmap, m_view,
                                                        cmdEsportaXls, cmdChiudi, lblDescVar, cmdFunzione, Shape1,
                                                        Shape4, Label8})
        w->setVisible(true);
}

// ---- load and unload ----------------------------------------------------------------

void frm_dispData::Form_Load()
{
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        WaitCursor wait;
        DoQuery();
        ShowControls();
        tipoTerrNow = gLivelloTerritorio;
        Utility::InitFormLayout(this);
    });
}

void frm_dispData::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gSqlDati.clear();
    SortInProgress = false;
}

void frm_dispData::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// ---- the query ------------------------------------------------------------------------

void frm_dispData::enableAfterQuery(bool ok)
{
    cmb_ric->setEnabled(ok);
    txt_ricda->setEnabled(ok);
    txt_rica->setEnabled(ok);
    // Without data there is nothing to export, compute or map.
    cmdEsportaXls->setEnabled(ok);
    cmdFunzione->setEnabled(ok);
    cmd_createmap->setEnabled(ok);
    mnu_createMap->setEnabled(ok);
    // Nor anything to sort.
    cmd_ordinaA->setEnabled(ok);
    cmd_ordinaD->setEnabled(ok);
    cmb_Ordina->setEnabled(ok);
    mnu_ordina->menuAction()->setEnabled(ok);
    mnu_asce->setEnabled(ok);
    mnu_disce->setEnabled(ok);
}

void frm_dispData::DoQuery()
{
    cmb_Ordina->clear();
    cmb_ric->clear();
    SortInProgress = false;
    WaitCursor wait;
    std::optional<platform::RuntimeError> failure;
    bool ok = false;
    frame::Guard(this, QStringLiteral("DoQuery"), [&] {
        try {
            if (gSqlDati.trimmed().isEmpty())
                throw platform::RuntimeError(platform::err::DatabaseError,
                                             QStringLiteral("Nessuna selezione di dati da visualizzare."));
            auto conn = Utility::GetDbConnection(gDbName, QString(), platform::db::OpenMode::ReadOnly);
            if (!conn)
                return; // the opener has reported it
            const platform::db::Recordset rs = conn->query(dispData::QueryText(gSqlDati));
            conn->close();
            m_datagrid->setRedraw(false);
            m_datagrid->SetDataSource(rs);
            QStringList headers;
            for (int c = 0; c < m_datagrid->Cols(); ++c)
                headers << m_datagrid->TextMatrix(0, c);
            cmb_ric->addItem(QString());
            cmb_ric->addItems(headers);
            cmb_ric->setCurrentIndex(0);
            cmb_Ordina->addItems(headers);
            cmb_Ordina->setCurrentIndex(0);
            ColorGridLines();
            AutosizeCols();
            dispData::LayoutGrid(*m_datagrid);
            m_datagrid->setRedraw(true);
            ok = true;
        } catch (const platform::RuntimeError &e) {
            failure = e;
        }
    });
    m_datagrid->setRedraw(true);
    if (!ok)
        m_datagrid->SetContents({}, 0);
    if (failure) {
        const dispData::Message m = dispData::QueryFailureMessage(failure->number(), failure->description(), gTipoDb);
        platform::prompts().msgBox(m.text, m.style, m.title);
        Utility_RQM::WriteErrorLog(this, QStringLiteral("DoQuery"), QString::number(failure->number()),
                                   failure->description(), failure->detail());
    }
    enableAfterQuery(ok);
    m_descriptions.Clear();
    if (ok) {
        // The descriptions of the columns' items, read once for the whole table.
        frame::Guard(this, QStringLiteral("datagrid_EnterCell"), [&] {
            QStringList ids;
            for (int c = dispData::FirstValueCol; c < m_datagrid->Cols(); ++c)
                ids << dispData::ItemIdOfHeader(m_datagrid->TextMatrix(0, c));
            m_descriptions.Preload(ids, gTipoDb);
        });
    }
}

void frm_dispData::ColorGridLines()
{
    frame::Guard(this, QStringLiteral("ColorGridLines"), [&] {
        // Even data rows in the button face colour, odd rows white, whatever
        // order the rows are in.
        m_datagrid->setRowBands(QApplication::palette().color(QPalette::Button), QColor(Qt::white));
    });
}

void frm_dispData::AutosizeCols()
{
    frame::Guard(this, QStringLiteral("AutosizeCols"), [&] {
        if (layout())
            layout()->activate();
        platform::grid::TextWidths widths(m_view->font());
        const int gridWidth = m_view->widthTwips();
        const int q = m_view->pixelsToTwips(widths.metrics().horizontalAdvance(QLatin1Char('Q')));
        TextGrid &g = *m_datagrid;
        // Row by row: the texts lie in memory in that order.
        std::vector<int> widest(size_t(g.Cols()), 0);
        for (int r = 0; r < g.Rows(); ++r) {
            for (int c = 0; c < g.Cols(); ++c) {
                const QString &t = g.cellText(r, c);
                const bool padded = !t.isEmpty() && (t.front().isSpace() || t.back().isSpace());
                widest[size_t(c)] = std::max(widest[size_t(c)], widths.width(padded ? t.trimmed() : t));
            }
        }
        for (int c = 0; c < g.Cols(); ++c) {
            const int w = m_view->pixelsToTwips(widest[size_t(c)]);
            g.setColWidth(c, gridWidth < w + q ? int(std::lround(gridWidth / 1.5)) : w + q);
        }
    });
}

void frm_dispData::AlignGrids()
{
    // The arrow keys only move the current cell: the table shows one grid,
    // so there is nothing to align.
}

// ---- the grid's events -------------------------------------------------------------------

void frm_dispData::datagrid_EnterCell()
{
    lblDescVar->clear();
    if (m_datagrid->Cols() == 0 || m_datagrid->Rows() == 0 || m_datagrid->ColSel() < dispData::FirstValueCol)
        return;
    frame::Guard(this, QStringLiteral("datagrid_EnterCell"), [&] {
        const QString id = dispData::ItemIdOfHeader(m_datagrid->TextMatrix(0, m_datagrid->ColSel()));
        lblDescVar->setText(m_descriptions.Describe(id, gTipoDb));
        lblDescVar->setCursorPosition(0);
    });
}

void frm_dispData::datagrid_Click()
{
    // The search and sort lists follow the clicked column (the search list
    // has no entry for a column added after the query).
    const int c = m_datagrid->ColSel();
    if (c + 1 < cmb_ric->count())
        cmb_ric->setCurrentIndex(c + 1);
    if (c < cmb_Ordina->count())
        cmb_Ordina->setCurrentIndex(c);
}

void frm_dispData::datagrid_MouseDown(int button, const QPoint &pos)
{
    frame::Guard(this, QStringLiteral("datagrid_MouseDown"), [&] {
        if (button == 2)
            mnu_ordinam->popup(m_view->viewport()->mapToGlobal(pos));
    });
}

void frm_dispData::datagrid_KeyDown(int keyCode)
{
    if (keyCode == 37 || keyCode == 39)
        AlignGrids();
}

// ---- sorting --------------------------------------------------------------------------------

void frm_dispData::sortOn(const QString &procName, int col, bool byName, int code)
{
    frame::Guard(this, procName, [&] {
        TextGrid &g = *m_datagrid;
        int i = col;
        if (byName) {
            i = dispData::ColumnNamed(g, cmb_Ordina->currentText());
            g.setCol(i);
            g.setColSel(i);
        }
        WaitCursor wait;
        Reordering busy(g, SortInProgress);
        g.setCol(i);
        g.setSort(code);
        ColorGridLines();
        g.setCol(i);
    });
}

void frm_dispData::cmd_ordinaA_Click()
{
    sortOn(QStringLiteral("cmd_ordinaA_Click"), -1, true, platform::grid::sort::GenericAscending);
}

void frm_dispData::cmd_ordinaD_Click()
{
    sortOn(QStringLiteral("cmd_ordinaD_Click"), -1, true, platform::grid::sort::GenericDescending);
}

void frm_dispData::mnu_asce_Click()
{
    sortOn(QStringLiteral("mnu_asce_Click"), m_datagrid->ColSel(), false, platform::grid::sort::GenericAscending);
}

void frm_dispData::mnu_disce_Click()
{
    sortOn(QStringLiteral("mnu_disce_Click"), m_datagrid->ColSel(), false, platform::grid::sort::GenericDescending);
}

// ---- search ------------------------------------------------------------------------------------

void frm_dispData::cmd_ric_Click()
{
    frame::Guard(this, QStringLiteral("cmd_ric_Click"), [&] {
        const dispData::SearchPlan plan = dispData::PlanSearch(cmb_ric->currentIndex(), txt_ricda->text(), txt_rica->text());
        if (plan.a != txt_rica->text())
            txt_rica->setText(plan.a);
        if (plan.kind == dispData::SearchPlan::Nothing)
            return;
        if (plan.kind == dispData::SearchPlan::Warn) {
            platform::prompts().msgBox(plan.warning.text, plan.warning.style, plan.warning.title);
            return;
        }
        TextGrid &g = *m_datagrid;
        WaitCursor wait;
        Reordering busy(g, SortInProgress);
        g.setCol(plan.col);
        g.setSort(platform::grid::sort::GenericAscending);
        if (plan.kind == dispData::SearchPlan::Text) {
            if (dispData::TextSearch(g, plan.col, plan.da) > 0)
                g.setTopRow(g.FixedRows()); // the row found is in view
        } else {
            dispData::RangeSearch(g, plan.col, plan.da, plan.a);
        }
        ColorGridLines();
    });
}

// ---- commands on a column --------------------------------------------------------------------------

void frm_dispData::mnu_clipboard_Click()
{
    frame::Guard(this, QStringLiteral("mnu_clipboard_Click"), [&] {
        QClipboard *cb = QApplication::clipboard();
        cb->clear();
        cb->setText(m_datagrid->TextMatrix(m_datagrid->RowSel(), m_datagrid->ColSel()));
    });
}

void frm_dispData::mnu_metadati_Click()
{
    frame::Guard(this, QStringLiteral("mnu_metadati_Click"), [&] {
        const int c = m_datagrid->ColSel();
        const QString header = m_datagrid->Cols() > 0 && m_datagrid->Rows() > 0 ? m_datagrid->TextMatrix(0, c) : QString();
        if (c < dispData::FirstValueCol || !header.contains(u'_')) {
            // Only an item's column has a metadata sheet.
            platform::prompts().msgBox(QStringLiteral("Selezionare una variabile."), platform::mb::Exclamation);
            return;
        }
        gSqlScheda = Utility::CreaQueryMetadati(gTipoDb, dispData::ItemIdOfHeader(header));
        frame::OpenRegisteredForm(gTipoDb == QLatin1String("Variabili") ? QStringLiteral("FRMSCHEDAVARIABILI")
                                                                        : QStringLiteral("FRMSCHEDAINDICATORI"));
    });
}

void frm_dispData::cmdFunzione_Click()
{
    frame::Guard(this, QStringLiteral("cmdFunzione_Click"), [&] {
        Utility::CopyGridToArray(*m_datagrid);
        frame::OpenRegisteredForm(QStringLiteral("FRMFUNZIONE"));
    });
}

void frm_dispData::cmd_createmap_Click()
{
    mnu_createMap_Click();
}

void frm_dispData::mnu_createMap_Click()
{
    // The map subsystem takes the current column from here.
    frame::OpenRegisteredForm(QStringLiteral("MNU_CREATEMAP"));
}

void frm_dispData::cmdEsportaXls_Click()
{
    ExcelExport::cmdEsportaXls_Click(*this);
}

void frm_dispData::cmdInfo_Click()
{
    frame::Guard(this, QStringLiteral("cmdInfo_Click"), [&] {
        frmNota nota(this);
        nota.exec();
    });
}

void frm_dispData::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}

void frm_dispData::cmdChiudi_Click()
{
    frame::UnloadForm(this);
}
