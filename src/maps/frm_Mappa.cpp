#include "maps/frm_Mappa.h"
#include "frame/Widgets.h"

#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/WaitCursor.h"
#include "frame/Layout.h"
#include "maps/ColorBox.h"
#include "maps/MapRenderer.h"
#include "maps/MapWorkTable.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "platform/db/Database.h"
#include "platform/grid/GridView.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using frame::Named;

using platform::prompts;
namespace mb = platform::mb;
using namespace maps;

namespace {


using frame::WaitCursor;

// The bound boxes take digits, a minus sign and the decimal separator (the
// user's and the comma), typed or pasted.
class BoundValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        const QChar dp = platform::num::decimalPoint();
        for (const QChar ch : input)
            if (!(ch.isDigit() && ch.unicode() < 128) && ch != u'-' && ch != u',' && ch != dp)
                return Invalid;
        return Acceptable;
    }
};

const QColor White(Qt::white);

// The class grid is a legend: cells show their own colours, never a selection.
class LegendDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    }
};
constexpr int ColorColTwips = 300;

// Scrolls the panel that holds `w` until `w` (and a little around it) is in view.
void bringIntoView(QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (auto *panel = qobject_cast<QScrollArea *>(p)) {
            panel->ensureWidgetVisible(w);
            return;
        }
}

// The identify list: at least the header and the rows of an identified
// territory (its value, its name and its region) fit without scrolling,
// whatever the font.
class IdentifyList : public QTreeWidget {
public:
    static constexpr int Rows = 3;

    QSize minimumSizeHint() const override
    {
        QStyleOptionViewItem opt;
        initViewItemOption(&opt);
        opt.features |= QStyleOptionViewItem::HasDisplay;
        opt.text = QStringLiteral("Provincia");
        const int row = style()->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), this).height();
        const int height = 2 * frameWidth() + header()->sizeHint().height() + Rows * row +
                           horizontalScrollBar()->sizeHint().height();
        return {QTreeWidget::minimumSizeHint().width(), height};
    }
};

} // namespace

frm_Mappa::frm_Mappa(const MapInput &input, QWidget *parent) : QWidget(parent), m_input(input),
      m_workTable(std::make_unique<MapWorkTable>())
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
}

frm_Mappa::~frm_Mappa() = default;

frm_Mappa *frm_Mappa::Instance()
{
    return qobject_cast<frm_Mappa *>(frame::FindForm(QString::fromLatin1(FormName)));
}

frm_Mappa *frm_Mappa::ShowForm(const MapInput &input)
{
    if (frm_Mappa *open = Instance())
        frame::UnloadForm(open);
    auto *w = new frm_Mappa(input);
    if (!w->Form_Load()) {
        w->Form_Unload();
        delete w;
        return nullptr;
    }
    frame::ShowChild(w);
    return w;
}

// ---- layout -------------------------------------------------------------------

void frm_Mappa::buildUi()
{
    resize(1100, 760);
    setWindowTitle(QStringLiteral("Cartogramma"));

    // Left: the column, its statistics, the classes and the panels.
    auto *left = new QWidget;
    left->setObjectName(QStringLiteral("panelSinistro"));
    left->setAutoFillBackground(true);
    auto *lv = new QVBoxLayout(left);

    lbl_Ricfor = Named(new QLabel, "lbl_Ricfor");
    QFont bold = lbl_Ricfor->font();
    bold.setBold(true);
    lbl_Ricfor->setFont(bold);
    txtVariabile = Named(new QLineEdit, "txtVariabile");
    txtVariabile->setReadOnly(true);
    lv->addWidget(lbl_Ricfor);
    lv->addWidget(txtVariabile);

    auto *stats = new QGridLayout;
    Label9 = Named(new QLabel, "Label9");
    Label11 = Named(new QLabel, "Label11");
    Label12 = Named(new QLabel, "Label12");
    stats->addWidget(new QLabel(QStringLiteral("Minimo")), 0, 0);
    stats->addWidget(Label9, 0, 1);
    stats->addWidget(new QLabel(QStringLiteral("Massimo")), 0, 2);
    stats->addWidget(Label11, 0, 3);
    stats->addWidget(new QLabel(QStringLiteral("Media")), 0, 4);
    stats->addWidget(Label12, 0, 5);
    lv->addLayout(stats);

    auto *opts = new QHBoxLayout;
    Option1 = Named(new QRadioButton(QStringLiteral("Quartili")), "Option1");
    Option2 = Named(new QRadioButton(QStringLiteral("Classi di uguale ampiezza")), "Option2");
    Option3 = Named(new QRadioButton(QStringLiteral("Manuale")), "Option3");
    opts->addWidget(Option1);
    opts->addWidget(Option2);
    opts->addWidget(Option3);
    lv->addLayout(opts);

    // Quartiles.
    Frame5 = Named(new QGroupBox(QStringLiteral("Quartili")), "Frame5");
    auto *f5 = new QGridLayout(Frame5);
    lbl_mincolor = Named(new ColorBox, "lbl_mincolor");
    lbl_mincolor->setColor(QuartileFrom);
    lbl_maxcolor = Named(new ColorBox, "lbl_maxcolor");
    lbl_maxcolor->setColor(QuartileTo);
    frame::Described(lbl_mincolor, QStringLiteral("Colore della classe più bassa"));
    frame::Described(lbl_maxcolor, QStringLiteral("Colore della classe più alta"));
    Cmd_cmdAutocolor = Named(new QPushButton(QStringLiteral("Visualizza cartogramma")), "Cmd_cmdAutocolor");
    cmdNota = Named(new QPushButton(QStringLiteral("Nota")), "cmdNota");
    f5->addWidget(new QLabel(QStringLiteral("Da")), 0, 0);
    f5->addWidget(lbl_mincolor, 0, 1);
    f5->addWidget(new QLabel(QStringLiteral("a")), 0, 2);
    f5->addWidget(lbl_maxcolor, 0, 3);
    f5->addWidget(Cmd_cmdAutocolor, 1, 0, 1, 3);
    f5->addWidget(cmdNota, 1, 3);
    lv->addWidget(Frame5);

    // Equal amplitude.
    Frame3 = Named(new QGroupBox(QStringLiteral("Classi di uguale ampiezza")), "Frame3");
    auto *f3 = new QGridLayout(Frame3);
    txtClassi = Named(new QLineEdit, "txtClassi");
    txtClassi->setMaxLength(1);
    txtClassi->setMaximumWidth(40);
    txtClassi->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]?")), txtClassi));
    Label4 = Named(new QLabel(QStringLiteral("(Max 9 classi)")), "Label4");
    cmdSelClassiUgualeAmp = Named(new QPushButton(QStringLiteral("Seleziona")), "cmdSelClassiUgualeAmp");
    Command2 = Named(new QPushButton(QStringLiteral("Visualizza mappa")), "Command2");
    f3->addWidget(new QLabel(QStringLiteral("Numero classi")), 0, 0);
    f3->addWidget(txtClassi, 0, 1);
    f3->addWidget(Label4, 0, 2);
    f3->addWidget(cmdSelClassiUgualeAmp, 1, 0, 1, 2);
    f3->addWidget(Command2, 1, 2);
    lv->addWidget(Frame3);

    // Manual.
    Frame2 = Named(new QGroupBox(QStringLiteral("Manuale")), "Frame2");
    auto *f2 = new QGridLayout(Frame2);
    lbl_colore = Named(new ColorBox, "lbl_colore");
    lbl_colore->setColor(EqualAmplitudeFrom);
    frame::Described(lbl_colore, QStringLiteral("Colore della prossima classe"));
    cmd_Select = Named(new QPushButton(QStringLiteral("Aggiungi classe")), "cmd_Select");
    cmd_GoMap = Named(new QPushButton(QStringLiteral("Visualizza mappa")), "cmd_GoMap");
    f2->addWidget(new QLabel(QStringLiteral("Colore")), 0, 0);
    f2->addWidget(lbl_colore, 0, 1);
    f2->addWidget(cmd_Select, 1, 0, 1, 2);
    f2->addWidget(cmd_GoMap, 1, 2);
    lv->addWidget(Frame2);

    // Bounds of the next class.
    auto *bounds = new QGridLayout;
    txt_min = Named(new QLineEdit, "txt_min");
    txt_Max = Named(new QLineEdit, "txt_Max");
    txt_min->setValidator(new BoundValidator(txt_min));
    txt_Max->setValidator(new BoundValidator(txt_Max));
    lbl_mincon = Named(new QLabel, "lbl_mincon");
    lbl_maxcon = Named(new QLabel, "lbl_maxcon");
    bounds->addWidget(new QLabel(QStringLiteral("Da")), 0, 0);
    bounds->addWidget(txt_min, 0, 1);
    bounds->addWidget(lbl_mincon, 0, 2);
    bounds->addWidget(new QLabel(QStringLiteral("a")), 1, 0);
    bounds->addWidget(txt_Max, 1, 1);
    bounds->addWidget(lbl_maxcon, 1, 2);
    lv->addLayout(bounds);

    cmd_reset = Named(new QPushButton(QStringLiteral("Reset")), "cmd_reset");
    lv->addWidget(cmd_reset);

    // The class grid.
    fraCB = Named(new QGroupBox, "fraCB");
    auto *fcb = new QVBoxLayout(fraCB);
    m_grid = new platform::grid::TextGrid(this);
    m_grid->setObjectName(QStringLiteral("GridIndici"));
    m_grid->setFixedRows(0);
    m_grid->setCols(2);
    m_grid->setRows(1);
    GridIndiciView = Named(new platform::grid::GridView, "GridIndiciView");
    GridIndiciView->setGrid(m_grid);
    GridIndiciView->horizontalHeader()->hide();
    GridIndiciView->verticalHeader()->hide();
    GridIndiciView->setMinimumHeight(150);
    GridIndiciView->setItemDelegate(new LegendDelegate(GridIndiciView));
    GridIndiciView->horizontalHeader()->setStretchLastSection(true);
    GridIndiciView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fcb->addWidget(GridIndiciView);
    lv->addWidget(fraCB);

    auto *modes = new QHBoxLayout;
    chk_zoom = Named(new QCheckBox(QStringLiteral("Zoom")), "chk_zoom");
    chk_inform = Named(new QCheckBox(QStringLiteral("Informazioni sul poligono")), "chk_inform");
    chk_zoom->setChecked(true);
    modes->addWidget(chk_zoom);
    modes->addWidget(chk_inform);
    lv->addLayout(modes);

    // Advanced: the layer style panel and the identify list.
    Avanz = Named(new QCheckBox(QStringLiteral("Avanzate")), "Avanz");
    lv->addWidget(Avanz);
    Frame4 = Named(new QGroupBox(QStringLiteral("Livelli")), "Frame4");
    auto *f4 = new QGridLayout(Frame4);
    cmb_namelayers = Named(new QComboBox, "cmb_namelayers");
    pic_colorsfondo = frame::Described(Named(new ColorBox, "pic_colorsfondo"), QStringLiteral("Colore del livello"));
    lbl_colors = Named(new QLabel(QStringLiteral("Colore")), "lbl_colors");
    chk_Trasparent = Named(new QCheckBox(QStringLiteral("Trasparente")), "chk_Trasparent");
    chk_outline = frame::Described(Named(new QCheckBox, "chk_outline"), QStringLiteral("Bordo"));
    lbl_sep = Named(new QLabel(QStringLiteral("Bordo")), "lbl_sep");
    pic_colorSep = frame::Described(Named(new ColorBox, "pic_colorSep"), QStringLiteral("Colore del bordo"));
    lbl_colorsep = Named(new QLabel(QStringLiteral("Colore bordo")), "lbl_colorsep");
    pic_mapbackcolor =
        frame::Described(Named(new ColorBox, "pic_mapbackcolor"), QStringLiteral("Colore dello sfondo della mappa"));
    cmd_applica = Named(new QPushButton(QStringLiteral("Applica")), "cmd_applica");
    cmd_salva = Named(new QPushButton(QStringLiteral("Salva Layer")), "cmd_salva");
    f4->addWidget(cmb_namelayers, 0, 0, 1, 4);
    f4->addWidget(lbl_colors, 1, 0);
    f4->addWidget(pic_colorsfondo, 1, 1);
    f4->addWidget(chk_Trasparent, 1, 2, 1, 2);
    f4->addWidget(chk_outline, 2, 0, Qt::AlignRight);
    f4->addWidget(lbl_sep, 2, 1);
    f4->addWidget(lbl_colorsep, 2, 2);
    f4->addWidget(pic_colorSep, 2, 3);
    f4->addWidget(new QLabel(QStringLiteral("Sfondo mappa")), 3, 0, 1, 2);
    f4->addWidget(pic_mapbackcolor, 3, 2);
    f4->addWidget(cmd_applica, 4, 0, 1, 2);
    f4->addWidget(cmd_salva, 4, 2, 1, 2);
    lv->addWidget(Frame4);
    Label6 = Named(new QLabel(QStringLiteral("Informazioni sul poligono")), "Label6");
    ListView1 = Named(new IdentifyList, "ListView1");
    ListView1->setRootIsDecorated(false);
    lv->addWidget(Label6);
    lv->addWidget(ListView1);
    lv->addStretch(1);

    auto *buttons = new QHBoxLayout;
    cmd_Stampa = Named(new QPushButton(QStringLiteral("Salva e Stampa")), "cmd_Stampa");
    cmd_export = Named(new QToolButton, "cmd_export");
    cmd_export->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    frame::Described(cmd_export, QStringLiteral("Salva e Stampa"));
    cmdHelp = Named(new QPushButton(QStringLiteral("Help")), "cmdHelp");
    cmd_close = Named(new QPushButton(QStringLiteral("Chiudi")), "cmd_close");
    buttons->addWidget(cmd_Stampa);
    buttons->addWidget(cmd_export);
    buttons->addStretch(1);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmd_close);
    lv->addLayout(buttons);

    auto *scroll = new QScrollArea;
    scroll->setWidget(left);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(330);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Right: the map and its scale.
    auto *right = new QWidget;
    auto *rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    Map2 = Named(new platform::map::MapWidget, "Map2");
    Map2->setMinimumSize(300, 300);
    lblScalaKm = Named(new QLabel, "lblScalaKm");
    lblScalaKm->setAutoFillBackground(true);
    rv->addWidget(Map2, 1);
    rv->addWidget(lblScalaKm);

    picSplitter = Named(new QSplitter(Qt::Horizontal), "picSplitter");
    picSplitter->addWidget(scroll);
    picSplitter->addWidget(right);
    picSplitter->setStretchFactor(0, 0);
    picSplitter->setStretchFactor(1, 1);
    picSplitter->setSizes({380, 720});
    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(4, 4, 4, 4);
    top->addWidget(picSplitter);

    // Wiring.
    // Option buttons and check boxes follow their state, however it changes: a
    // click, the keyboard or an assistive tool.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) { if (on) Option1_Click(); });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) { if (on) Option2_Click(); });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) { if (on) Option3_Click(); });
    connect(Cmd_cmdAutocolor, &QPushButton::clicked, this, &frm_Mappa::Cmd_cmdAutocolor_Click);
    connect(cmd_reset, &QPushButton::clicked, this, [this] {
        frame::Guard(this, QStringLiteral("cmd_reset_Click"), [&] { cmd_reset_Click(); });
    });
    connect(cmdNota, &QPushButton::clicked, this, &frm_Mappa::cmdNota_Click);
    connect(cmdSelClassiUgualeAmp, &QPushButton::clicked, this, &frm_Mappa::cmdSelClassiUgualeAmp_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_Mappa::Command2_Click);
    connect(cmd_Select, &QPushButton::clicked, this, &frm_Mappa::cmd_Select_Click);
    connect(cmd_GoMap, &QPushButton::clicked, this, &frm_Mappa::cmd_GoMap_Click);
    connect(lbl_mincolor, &ColorBox::clicked, this, &frm_Mappa::lbl_mincolor_Click);
    connect(lbl_maxcolor, &ColorBox::clicked, this, &frm_Mappa::lbl_maxcolor_Click);
    connect(lbl_colore, &ColorBox::clicked, this, &frm_Mappa::lbl_colore_Click);
    connect(pic_colorsfondo, &ColorBox::clicked, this, &frm_Mappa::pic_colorsfondo_Click);
    connect(pic_colorSep, &ColorBox::clicked, this, &frm_Mappa::pic_colorSep_Click);
    connect(pic_mapbackcolor, &ColorBox::clicked, this, &frm_Mappa::pic_mapbackcolor_Click);
    connect(GridIndiciView, &platform::grid::GridView::Click, this, &frm_Mappa::GridIndici_Click);
    connect(chk_zoom, &QCheckBox::toggled, this, &frm_Mappa::chk_zoom_Click);
    connect(chk_inform, &QCheckBox::toggled, this, &frm_Mappa::chk_inform_Click);
    connect(chk_outline, &QCheckBox::toggled, this, &frm_Mappa::chk_outline_Click);
    connect(chk_Trasparent, &QCheckBox::toggled, this, &frm_Mappa::chk_Trasparent_Click);
    connect(Avanz, &QCheckBox::toggled, this, &frm_Mappa::Avanz_Click);
    connect(cmb_namelayers, &QComboBox::currentIndexChanged, this, &frm_Mappa::cmb_namelayers_Click);
    connect(cmd_applica, &QPushButton::clicked, this, &frm_Mappa::cmd_applica_Click);
    connect(cmd_salva, &QPushButton::clicked, this, &frm_Mappa::cmd_salva_Click);
    connect(Map2, &platform::map::MapWidget::mouseDown, this, &frm_Mappa::Map2_MouseDown);
    connect(Map2, &platform::map::MapWidget::rectangleTracked, this, [this](const platform::map::MapRect &r) {
        Map2->setExtent(r);
        RefreshScale();
    });
    connect(Map2, &platform::map::MapWidget::afterDraw, this, &frm_Mappa::RefreshScale);
    connect(cmd_close, &QPushButton::clicked, this, &frm_Mappa::cmd_close_Click);
    connect(cmd_Stampa, &QPushButton::clicked, this, &frm_Mappa::cmd_Stampa_Click);
    connect(cmd_export, &QToolButton::clicked, this, &frm_Mappa::cmd_export_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frm_Mappa::cmdHelp_Click);

    Frame4->hide();
    Label6->hide();
    ListView1->hide();
    cmd_Stampa->hide();
}

// ---- load and unload --------------------------------------------------------------

bool frm_Mappa::Form_Load()
{
    bool ok = false;
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        Option1->setChecked(true);
        Option1_Click();
        Frame5->show();
        Label4->show();
        txtClassi->show();
        fraCB->hide();
        TabMappa = maps::TabMappa;

        lbl_Ricfor->setText(m_input.header);
        txtVariabile->setText(m_input.header + QStringLiteral(": ") + m_input.description);
        txtVariabile->setCursorPosition(0); // a long description shows its beginning

        m_rows = ValuedRows(m_input.rows);
        const auto stats = ColumnStatistics(m_rows);
        if (!stats) {
            prompts().msgBox(QStringLiteral("La colonna selezionata non contiene valori numerici."), mb::Exclamation);
            return;
        }
        ValMin = stats->ValMin;
        ValMax = stats->ValMax;
        ValSomma = stats->ValSomma;
        ValMedia = stats->ValMedia;
        ValVarianza = stats->ValVarianza;
        ValDevStd = stats->ValDevStd;
        ValCV = stats->ValCV;
        lbl_mincon->setText(QStringLiteral("(") + NumberText(ValMin) + QStringLiteral(")"));
        lbl_maxcon->setText(QStringLiteral("(") + NumberText(ValMax) + QStringLiteral(")"));
        Label9->setText(RoundedCaption(ValMin));
        Label11->setText(RoundedCaption(ValMax));
        Label12->setText(RoundedCaption(ValMedia));

        ListView1->setHeaderLabels({QStringLiteral("Campo"), QStringLiteral("Valore")});

        loadLayers();
        cmb_namelayers->blockSignals(true);
        cmb_namelayers->clear();
        for (const auto &r : LayerInfo)
            cmb_namelayers->addItem(r.FileName);
        cmb_namelayers->blockSignals(false);
        cmb_namelayers->setCurrentIndex(LayerInfo.empty() ? -1 : 0);
        cmb_namelayers_Click();

        cmd_GoMap->setEnabled(false);
        Command2->setEnabled(false);
        txt_min->setText(NumberText(ValMin));
        txt_Max->setText(NumberText(ValMax));
        m_grid->setColWidth(0, ColorColTwips);
        m_grid->setColWidth(1, std::max(ColorColTwips, GridIndiciView->widthTwips() - ColorColTwips));
        setGridShown(false);
        Utility::InitFormLayout(this);
        ok = true;
    });
    return ok;
}

void frm_Mappa::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    frame::Guard(this, QStringLiteral("Form_Unload"), [&] {
        m_drawn = false;
        m_workTable->DropMapQuery();
    });
    m_workTable->Close();
}

void frm_Mappa::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frm_Mappa::loadLayers()
{
    Map2->map().clearLayers();
    CaricaShapeLayers(Map2->map(), LayerInfo, IdxLayerTema, ShapeConfigFile(), m_input.levelName, gShapePath);
    ApplyLayerSymbols(LayerInfo);
    pic_mapbackcolor->setColor(Map2->backColor());
    Map2->setExtent(Map2->fullExtent());
    Map2->refresh();
    RefreshScale();
}

std::shared_ptr<platform::map::MapLayer> frm_Mappa::thematicLayer(bool warn) const
{
    if (IdxLayerTema < 0 || IdxLayerTema >= int(LayerInfo.size()))
        return nullptr;
    const auto &rec = LayerInfo[size_t(IdxLayerTema)];
    if (rec.Layer && rec.Layer->isValid())
        return rec.Layer;
    if (warn)
        prompts().msgBox(QStringLiteral("Impossibile aprire il file Shape del livello tematico: ") + rec.FileName +
                             QStringLiteral(".shp") +
                             (rec.Layer && !rec.Layer->errorText().isEmpty() ? u'\n' + rec.Layer->errorText() : QString()),
                         mb::Exclamation);
    return nullptr;
}

void frm_Mappa::colourThematicLayer(const std::vector<QColor> &palette, const QColor &defaultColor,
                                    std::optional<platform::db::Recordset> table)
{
    const auto layer = thematicLayer(true);
    if (!layer)
        return;
    Utility::ApplyRendererFromRecordset(*layer, table ? *table : m_workTable->MapRecordset(), palette,
                                        LayerInfo[size_t(IdxLayerTema)].FieldId, defaultColor);
}

// ---- class grid -----------------------------------------------------------------------

void frm_Mappa::setGridShown(bool shown)
{
    m_gridShown = shown;
    GridIndiciView->setVisible(shown);
}

void frm_Mappa::appendGridRow(const QString &label, const QColor &color)
{
    if (m_gridShown)
        m_grid->setRows(m_grid->Rows() + 1);
    else
        setGridShown(true);
    const int r = m_grid->Rows() - 1;
    m_grid->setTextMatrix(r, 1, label);
    m_grid->setRow(r);
    m_grid->setCol(0);
    m_grid->setCellBackColor(color);
    m_grid->setColWidth(0, ColorColTwips);
}

std::vector<QColor> frm_Mappa::gridColors(int rows) const
{
    std::vector<QColor> out;
    for (int r = 0; r < rows && r < m_grid->Rows(); ++r)
        out.push_back(m_grid->cellBackColor(r, 0));
    return out;
}

// ---- quartiles and reset ----------------------------------------------------------------

void frm_Mappa::Cmd_cmdAutocolor_Click()
{
    frame::Guard(this, QStringLiteral("cmd_cmdAutocolor_Click"), [&] {
        cmd_reset_Click();
        // Without the thematic layer there is nothing to colour: no classes, no page.
        if (!thematicLayer(true))
            return;
        fraCB->show();
        WaitCursor wait;
        const QuartileResult q = QuartileClasses(m_rows);
        platform::db::Recordset stored = m_workTable->SaveMapQuery(QuartileRows(m_rows, q));
        if (q.tie)
            prompts().msgBox(QuartileTieMessage(), mb::Exclamation);
        const std::vector<QColor> palette = RampColors(lbl_mincolor->color(), lbl_maxcolor->color(), QuartileCount);
        for (int i = 0; i < QuartileCount; ++i)
            appendGridRow(q.labels[size_t(i)], palette[size_t(i)]);
        m_drawn = true;
        m_drawnClasses = QuartileCount;
        colourThematicLayer(palette, White, std::move(stored));
        Map2->refresh();
        cmd_GoMap->setEnabled(false);
        txt_Max->setEnabled(false);
        txt_min->setEnabled(false);
        cmd_Select->setEnabled(false);
        cmdSelClassiUgualeAmp->setEnabled(false);
        cmd_Stampa->show();
        appendGridRow(QStringLiteral(" Dato non presente"), White);
    });
}

void frm_Mappa::cmd_reset_Click()
{
    txtClassi->clear();
    cmd_Select->setEnabled(true);
    Cmd_cmdAutocolor->setEnabled(true);
    cmdSelClassiUgualeAmp->setEnabled(true);
    cmd_GoMap->setEnabled(false);
    Command2->setEnabled(false);
    fraCB->hide();
    txt_Max->setEnabled(true);
    txt_min->setEnabled(true);
    txt_Max->setText(NumberText(ValMax));
    txt_min->setText(NumberText(ValMin));
    setGridShown(false);
    m_grid->setRows(1);
    m_grid->Clear();
    m_classes.clear();
    m_drawn = false;
    m_drawnClasses = 0;
    ListView1->clear(); // what identify found belongs to the map before
    m_workTable->DropMapQuery();
    Map2->map().clearLayers();
    Map2->refresh();
    loadLayers();
    cmb_namelayers_Click();
}

// ---- equal amplitude and manual classes -----------------------------------------------------

void frm_Mappa::cmdSelClassiUgualeAmp_Click()
{
    frame::Guard(this, QStringLiteral("cmdSelClassiUgualeAmp_Click"), [&] {
        fraCB->show();
        cmd_Select->setEnabled(false);
        const QString count = txtClassi->text().trimmed();
        if (count.isEmpty() || count.toInt() < 1) {
            prompts().msgBox(ClassCountMessage(), mb::Exclamation, QStringLiteral("Attenzione!"));
            txtClassi->setFocus();
            return;
        }
        QString mn = txt_min->text(), mx = txt_Max->text();
        const BoundsCheck check = CheckBounds(mn, mx, ValMin, ValMax);
        txt_min->setText(mn);
        txt_Max->setText(mx);
        switch (check) {
        case BoundsCheck::MaxBelowMin:
            prompts().msgBox(MaxBelowMinMessage(), mb::Information);
            return;
        case BoundsCheck::LowOutOfRange:
            prompts().msgBox(EqualAmplitudeDoneMessage(), mb::Information);
            return;
        case BoundsCheck::HighOutOfRange:
            prompts().msgBox(RangeMessage(ValMin, ValMax), mb::Information);
            txt_Max->setFocus();
            return;
        case BoundsCheck::Ok:
            break;
        }
        const EqualAmplitudeResult r = EqualAmplitudeClasses(mn, ValMin, ValMax, count.toInt());
        for (const ClassDef &c : r.classes) {
            appendGridRow(c.label, c.color);
            m_classes.push_back(c);
        }
        txt_min->setText(r.txtMin);
        txt_Max->setText(r.txtMax);
        if (r.maxReached) {
            Command2->setEnabled(true);
            cmdSelClassiUgualeAmp->setEnabled(false);
        }
        Map2->refresh();
        cmd_GoMap->setEnabled(false);
        Cmd_cmdAutocolor->setEnabled(false);
        cmd_Stampa->show();
    });
}

void frm_Mappa::cmd_Select_Click()
{
    frame::Guard(this, QStringLiteral("cmd_Select_Click"), [&] {
        cmdSelClassiUgualeAmp->setEnabled(false);
        Cmd_cmdAutocolor->setEnabled(false);
        fraCB->show();
        QString mn = txt_min->text(), mx = txt_Max->text();
        const BoundsCheck check = CheckBounds(mn, mx, ValMin, ValMax);
        txt_min->setText(mn);
        txt_Max->setText(mx);
        switch (check) {
        case BoundsCheck::MaxBelowMin:
            prompts().msgBox(MaxBelowMinMessage(), mb::Information);
            return;
        case BoundsCheck::LowOutOfRange:
            prompts().msgBox(RangeMessage(ValMin, ValMax), mb::Information);
            txt_min->setFocus();
            return;
        case BoundsCheck::HighOutOfRange:
            prompts().msgBox(RangeMessage(ValMin, ValMax), mb::Information);
            txt_Max->setFocus();
            return;
        case BoundsCheck::Ok:
            break;
        }
        const ManualStep st = ManualClass(mn, mx, lbl_colore->color(), ValMax);
        appendGridRow(st.cls.label, st.cls.color);
        m_classes.push_back(st.cls);
        txt_min->setText(st.txtMin);
        txt_Max->setText(st.txtMax);
        if (st.maxReached) {
            cmd_GoMap->setEnabled(true);
            cmd_Select->setEnabled(false);
            txt_Max->setEnabled(false);
            txt_min->setEnabled(false);
        }
    });
}

void frm_Mappa::cmd_GoMap_Click()
{
    frame::Guard(this, QStringLiteral("cmd_GoMap_Click"), [&] {
        if (m_classes.empty() || !thematicLayer(true))
            return;
        WaitCursor wait;
        // The grid holds the colours, recoloured or not.
        const int classCount = int(m_classes.size());
        const std::vector<QColor> palette = gridColors(classCount);
        for (int i = 0; i < classCount && i < int(palette.size()); ++i)
            m_classes[size_t(i)].color = palette[size_t(i)];
        platform::db::Recordset stored = m_workTable->SaveMapQuery(GridRows(m_rows, m_classes));
        m_drawn = true;
        m_drawnClasses = classCount;
        colourThematicLayer(palette, White, std::move(stored));
        Map2->refresh();
        cmd_Stampa->show();
        Cmd_cmdAutocolor->setEnabled(false);
        appendGridRow(QStringLiteral("Dato non presente"), White);
        cmd_GoMap->setEnabled(false);
    });
}

void frm_Mappa::Command2_Click()
{
    frame::Guard(this, QStringLiteral("Command2_Click"), [&] {
        cmd_GoMap_Click();
        Command2->setEnabled(false);
    });
}

// ---- style panel and colours ----------------------------------------------------------------

void frm_Mappa::pickColor(ColorBox *box)
{
    if (const auto c = prompts().chooseColor(box->color()))
        box->setColor(*c);
}

void frm_Mappa::Avanz_Click()
{
    const bool on = Avanz->isChecked();
    Frame4->setVisible(on);
    Label6->setVisible(on);
    ListView1->setVisible(on);
}

void frm_Mappa::chk_zoom_Click()
{
    chk_inform->setChecked(!chk_zoom->isChecked());
}

void frm_Mappa::chk_inform_Click()
{
    chk_zoom->setChecked(!chk_inform->isChecked());
}

void frm_Mappa::chk_outline_Click()
{
    const bool on = chk_outline->isChecked();
    pic_colorSep->setEnabled(on);
    lbl_colorsep->setEnabled(on);
}

void frm_Mappa::chk_Trasparent_Click()
{
    const bool on = chk_Trasparent->isChecked();
    pic_colorsfondo->setEnabled(!on);
    lbl_colors->setEnabled(!on);
}

void frm_Mappa::cmb_namelayers_Click()
{
    const int i = cmb_namelayers->currentIndex();
    if (i < 0 || i >= int(LayerInfo.size()))
        return;
    const auto &r = LayerInfo[size_t(i)];
    pic_colorsfondo->setColor(platform::map::colorFromLong(r.BackColor));
    chk_outline->setChecked(r.Outline);
    pic_colorSep->setEnabled(r.Outline);
    lbl_colorsep->setEnabled(r.Outline);
    pic_colorSep->setColor(platform::map::colorFromLong(r.OutlineColor));
    chk_Trasparent->setChecked(r.Trasparenza);
    chk_Trasparent_Click();
    chk_outline->setEnabled(true);
    lbl_sep->setEnabled(true);
}

void frm_Mappa::cmd_applica_Click()
{
    const int i = cmb_namelayers->currentIndex();
    if (i < 0 || i >= int(LayerInfo.size()))
        return;
    auto &r = LayerInfo[size_t(i)];
    r.BackColor = platform::map::colorToLong(pic_colorsfondo->color());
    r.Outline = chk_outline->isChecked();
    r.OutlineColor = platform::map::colorToLong(pic_colorSep->color());
    r.Trasparenza = chk_Trasparent->isChecked();
    if (r.Layer && r.Layer->isValid())
        r.Layer->setSymbol(LayerSymbol(r));
    Map2->setBackColor(pic_mapbackcolor->color());
    Map2->refresh();
}

void frm_Mappa::cmd_salva_Click()
{
    frame::Guard(this, QStringLiteral("cmd_salva_Click"), [&] {
        cmd_applica_Click();
        const int i = cmb_namelayers->currentIndex();
        if (i < 0 || i >= int(LayerInfo.size()))
            return;
        SalvaLayer(ShapeConfigFile(), m_input.levelName, platform::map::colorToLong(pic_mapbackcolor->color()),
                   cmb_namelayers->currentText(), LayerInfo[size_t(i)]);
    });
}

void frm_Mappa::pic_colorsfondo_Click() { pickColor(pic_colorsfondo); }
void frm_Mappa::pic_colorSep_Click() { pickColor(pic_colorSep); }
void frm_Mappa::pic_mapbackcolor_Click()
{
    frame::Guard(this, QStringLiteral("pic_mapbackcolor_Click"), [&] { pickColor(pic_mapbackcolor); });
}
void frm_Mappa::lbl_colore_Click()
{
    frame::Guard(this, QStringLiteral("lbl_colore_Click"), [&] { pickColor(lbl_colore); });
}
void frm_Mappa::lbl_mincolor_Click()
{
    frame::Guard(this, QStringLiteral("lbl_mincolor_Click"), [&] { pickColor(lbl_mincolor); });
}
void frm_Mappa::lbl_maxcolor_Click()
{
    frame::Guard(this, QStringLiteral("lbl_maxcolor_Click"), [&] { pickColor(lbl_maxcolor); });
}

void frm_Mappa::GridIndici_Click()
{
    frame::Guard(this, QStringLiteral("GridIndici_Click"), [&] {
        if (m_grid->Col() != 0 || !m_gridShown)
            return;
        const int row = m_grid->Row();
        const auto c = prompts().chooseColor(m_grid->cellBackColor(row, 0));
        if (!c)
            return;
        m_grid->setCellBackColor(*c);
        if (row < int(m_classes.size()))
            m_classes[size_t(row)].color = *c;
        // A drawn map follows its legend: classes and the row of territories
        // without a class.
        if (m_drawn && m_grid->Rows() > m_drawnClasses) {
            colourThematicLayer(gridColors(m_drawnClasses), m_grid->cellBackColor(m_drawnClasses, 0));
            Map2->refresh();
        }
    });
}

void frm_Mappa::Option1_Click()
{
    Option1->setChecked(true);
    Frame5->show();
    Frame3->hide();
    Frame2->hide();
    cmdNota->show();
    fraCB->setTitle(QString());
}

void frm_Mappa::Option2_Click()
{
    Option2->setChecked(true);
    Frame3->show();
    Frame2->hide();
    Frame5->hide();
    cmdNota->hide();
}

void frm_Mappa::Option3_Click()
{
    Option3->setChecked(true);
    Frame2->show();
    Frame5->hide();
    Frame3->hide();
    cmdNota->hide();
    fraCB->setTitle(QStringLiteral("Click sul colore per modificare"));
}

// ---- map interaction ----------------------------------------------------------------------

void frm_Mappa::Map2_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos)
{
    frame::Guard(this, QStringLiteral("Map2_MouseDown"), [&] {
        if (chk_zoom->isChecked()) {
            WaitCursor wait;
            if (button == Qt::LeftButton)
                DoZoom(modifiers);
            else if (button == Qt::RightButton)
                Map2->setExtent(Map2->fullExtent());
            RefreshScale();
        } else {
            DoIdentify(pos);
        }
    });
}

void frm_Mappa::DoZoom(Qt::KeyboardModifiers shift)
{
    if (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        Map2->setExtent(Map2->extent().scaled(1.5));
    else
        Map2->trackRectangle();
}

void frm_Mappa::DoIdentify(const QPoint &pos)
{
    if (m_grid->Rows() < 2)
        return;
    // Finding the territory: nothing found, or no thematic layer, ends quietly.
    const auto layer = thematicLayer(false);
    if (!layer)
        return;
    const QPointF p = Map2->toMapPoint(pos);
    constexpr double TolerancePx = 7;
    const auto found = layer->kind() == platform::map::ShapeKind::Polygon
                           ? layer->searchShape(p)
                           : layer->searchByDistance(p, Map2->toMapDistance(TolerancePx));
    if (found.empty()) {
        ListView1->clear();
        return;
    }
    Map2->flashShape(layer, found.front().shapeId, 3);
    const QString fieldId = LayerInfo[size_t(IdxLayerTema)].FieldId;
    const auto *idField = found.front().field(fieldId);
    if (!idField)
        return;
    const QString id = idField->text;

    frame::Guard(this, QStringLiteral("DoIdentify"), [&] {
        auto terr = platform::db::Database::open(gDbPath, QStringLiteral("Territorio.mdb"),
                                                 platform::db::OpenMode::ReadOnly);
        const QString code = CodeLiteral(id);
        const QString sql =
            fieldId == QLatin1String("COD_REG")
                ? QStringLiteral("SELECT land.REGIONE FROM land_Ind INNER JOIN land ON land_Ind.reg = land.reg "
                                 "where land_Ind.cod_tipo_terr = 2 and land_Ind.reg = ") + code
                : QStringLiteral("SELECT land.Provincia, land.REGIONE FROM land_Ind INNER JOIN land ON land_Ind.PROV = "
                                 "land.N_PROV where land_Ind.cod_tipo_terr = 1 and land_Ind.prov = ") + code;
        const auto rs = terr.query(sql);
        // The value is read only while a map is drawn (the work table holds it).
        const std::optional<QString> value = m_drawn ? m_workTable->MapValue(id) : std::nullopt;
        ListView1->clear();
        if (value)
            ListView1->addTopLevelItem(new QTreeWidgetItem({m_input.header, *value}));
        if (!rs.eof())
            for (int f = 0; f < rs.fieldCount(); ++f)
                ListView1->addTopLevelItem(new QTreeWidgetItem({rs.fieldName(f), rs.text(f)}));
        ListView1->resizeColumnToContents(0);
        ListView1->resizeColumnToContents(1);
        // The rows just found are shown, whatever part of the panel was in view.
        if (ListView1->isVisible())
            bringIntoView(ListView1);
    });
}

void frm_Mappa::RefreshScale()
{
    const double d = Map2->scaleDenominator();
    if (d > 0)
        lblScalaKm->setText(ScaleText(d));
}

// ---- buttons ------------------------------------------------------------------------------

void frm_Mappa::cmd_close_Click()
{
    frame::UnloadForm(this);
}

void frm_Mappa::cmd_Stampa_Click()
{
    frame::Guard(this, QStringLiteral("cmd_Stampa_Click"), [&] {
        if (OpenPrintLayout)
            OpenPrintLayout(*this);
    });
}

void frm_Mappa::cmd_export_Click()
{
    frame::Guard(this, QStringLiteral("cmd_export_Click"), [&] {
        if (OpenPrintLayout)
            OpenPrintLayout(*this);
    });
}

void frm_Mappa::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}

void frm_Mappa::cmdNota_Click()
{
    prompts().msgBox(QStringLiteral("Le classi comprendono gli estremi superiori."), mb::Information);
}
