#include "maps/PrintMappa.h"
#include "frame/Widgets.h"

#include "frame/Forms.h"
#include "frame/Layout.h"
#include "maps/ColorBox.h"
#include "maps/FontList.h"
#include "maps/PageImage.h"
#include "maps/frm_Mappa.h"
#include "platform/Prompts.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapWidget.h"
#include "platform/print/Print.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

using frame::Named;

using platform::prompts;
namespace mb = platform::mb;
using namespace maps;

namespace maps {

// The preview: a white sheet in a sunken frame 6495 x 8937 twips; its inner
// area represents the whole paper. Mouse positions are reported in page inches.
class PagePreview : public QFrame {
public:
    explicit PagePreview(QWidget *parent = nullptr) : QFrame(parent)
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
        const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
        setFixedSize(qRound(6495 * dpiX / 1440), qRound(8937 * dpiY / 1440));
        setMouseTracking(false);
        setAutoFillBackground(false);
    }
    std::function<void(QPainter &)> paintPage;
    std::function<void(Qt::MouseButton, const QPointF &)> mouseDown;
    std::function<void(Qt::MouseButtons, const QPointF &)> mouseMove;
    std::function<void()> mouseUp;
    std::function<QPointF(const QPointF &)> toPage;

protected:
    void paintEvent(QPaintEvent *e) override
    {
        {
            QPainter p(this);
            p.fillRect(contentsRect(), Qt::white);
            p.setClipRect(contentsRect());
            if (paintPage)
                paintPage(p);
        }
        QFrame::paintEvent(e);
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (mouseDown && toPage)
            mouseDown(e->button(), toPage(e->position()));
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (mouseMove && toPage)
            mouseMove(e->buttons(), toPage(e->position()));
    }
    void mouseReleaseEvent(QMouseEvent *) override
    {
        if (mouseUp)
            mouseUp();
    }
};

} // namespace maps

namespace {


QPushButton *button(const char *name, const QString &caption)
{
    auto *b = Named(new QPushButton(caption), name);
    b->setAutoDefault(false);
    return b;
}

QString showPopup(QMenu *menu, const QStringList &names)
{
    menu->clear();
    QString chosen;
    for (const QString &n : names) {
        QAction *a = menu->addAction(n);
        a->setObjectName(QStringLiteral("mnu_sel1"));
        a->setCheckable(true);
        QObject::connect(a, &QAction::triggered, menu, [&chosen, a] {
            a->setChecked(true);
            chosen = a->text();
        });
    }
    menu->exec(QCursor::pos());
    return chosen;
}

} // namespace

PrintMappa::PrintMappa(QWidget *parent) : QWidget(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QString::fromLatin1(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
}

PrintMappa::~PrintMappa() = default;

PrintMappa *PrintMappa::Instance()
{
    return qobject_cast<PrintMappa *>(frame::FindForm(QString::fromLatin1(FormName)));
}

PrintMappa *PrintMappa::ShowForm(frm_Mappa &mappa)
{
    return frame::ShowSingleForm<PrintMappa>(QString::fromLatin1(FormName), [&] {
        auto *w = new PrintMappa;
        w->Form_Load(mappa);
        return w;
    });
}

// ---- layout -----------------------------------------------------------------

void PrintMappa::buildUi()
{
    setWindowTitle(QStringLiteral("Stampa Cartogramma"));

    Label13 = Named(new QLabel(QStringLiteral("Stampa Cartogramma")), "Label13");
    QFont hf = Label13->font();
    hf.setBold(true);
    hf.setPointSizeF(hf.pointSizeF() * 1.4);
    Label13->setFont(hf);

    Picture1 = Named(new PagePreview, "Picture1");
    Picture1->paintPage = [this](QPainter &p) { regola(p, PreviewPageDevice()); };
    Picture1->toPage = [this](const QPointF &px) { return PreviewPageDevice().toPage(px); };
    Picture1->mouseDown = [this](Qt::MouseButton b, const QPointF &pt) { Picture1_MouseDown(b, pt); };
    Picture1->mouseMove = [this](Qt::MouseButtons b, const QPointF &pt) { Picture1_MouseMove(b, pt); };
    Picture1->mouseUp = [this] { Picture1_MouseUp(); };

    SSTab1 = Named(new QTabWidget, "SSTab1");
    auto visible = [](const char *name) { return Named(new QCheckBox(QStringLiteral("Visibile")), name); };
    auto caption = [](const char *text) { return new QLabel(QString::fromUtf8(text)); };
    auto swatch = [](const char *name) {
        auto *s = Named(new ColorBox, name);
        s->setFixedSize(40, 20);
        s->setCursor(Qt::PointingHandCursor);
        return s;
    };

    // The title and the description have tabs of the same shape.
    auto textTab = [&](const char *tabTitle, const char *chkName, QCheckBox *&chk, const char *txtName, QLineEdit *&txt,
                       const char *fontName, QComboBox *&font, const char *sizeName, QComboBox *&size,
                       const char *colourName, ColorBox *&colour) {
        auto *tab = new QWidget;
        auto *g = new QGridLayout(tab);
        chk = visible(chkName);
        txt = Named(new QLineEdit, txtName);
        font = Named(new QComboBox, fontName);
        size = Named(new QComboBox, sizeName);
        colour = swatch(colourName);
        g->addWidget(chk, 0, 0, 1, 2);
        g->addWidget(caption("Testo"), 1, 0);
        g->addWidget(txt, 1, 1);
        g->addWidget(caption("Tipo Carattere"), 2, 0);
        g->addWidget(font, 2, 1);
        g->addWidget(caption("Grandezza Carattere"), 3, 0);
        g->addWidget(size, 3, 1);
        g->addWidget(caption("Colore"), 4, 0);
        g->addWidget(colour, 4, 1, Qt::AlignLeft);
        g->setRowStretch(5, 1);
        SSTab1->addTab(tab, QString::fromUtf8(tabTitle));
    };

    // 0 Titolo
    textTab("Titolo", "Chk_Titolo", Chk_Titolo, "txt_Titolo", txt_Titolo, "cmb_Font", cmb_Font, "cmb_Fontsize",
            cmb_Fontsize, "lbl_colore", lbl_colore);
    // 1 Cartogramma
    {
        auto *tab = new QWidget;
        auto *g = new QGridLayout(tab);
        chk_Cartina = visible("chk_Cartina");
        Slider1 = Named(new QSlider(Qt::Horizontal), "Slider1");
        Slider1->setRange(10, 200);
        Slider1->setSingleStep(1);
        Slider1->setPageStep(10);
        Slider1->setTickPosition(QSlider::TicksBelow);
        Slider1->setTickInterval(10);
        g->addWidget(chk_Cartina, 0, 0, 1, 2);
        g->addWidget(caption("Grandezza"), 1, 0);
        g->addWidget(Slider1, 1, 1);
        g->setRowStretch(2, 1);
        SSTab1->addTab(tab, QStringLiteral("Cartogramma"));
    }
    // 2 Bordo
    {
        auto *tab = new QWidget;
        auto *g = new QGridLayout(tab);
        chk_Bordo = visible("chk_Bordo");
        g->addWidget(chk_Bordo, 0, 0, 1, 3);
        struct Margin {
            const char *label, *minus, *minusCap, *plus, *plusCap;
        };
        const Margin margins[] = {
            {"Margine Sinistro", "cmd_marsinmen", "-", "cmd_marsinpiu", "+"},
            {"Margine Destro", "cmd_mardesmen", "+", "cmd_mardespiu", "-"},
            {"Margine Inferiore", "cmd_marInfmen", "+", "cmd_marInfpiu", "-"},
            {"Margine Superiore", "cmd_margSupmen", "-", "cmd_margSuppiu", "+"},
        };
        int row = 1;
        for (const Margin &m : margins) {
            g->addWidget(caption(m.label), row, 0);
            for (auto [name, cap, col] : {std::tuple{m.minus, m.minusCap, 1}, std::tuple{m.plus, m.plusCap, 2}}) {
                QPushButton *b = button(name, QString::fromLatin1(cap));
                b->setFixedWidth(36);
                g->addWidget(b, row, col);
                const QString objName = QString::fromLatin1(name);
                connect(b, &QPushButton::clicked, this, [this, objName] {
                    ApplyMarginButton(m_page.borderHolder, objName);
                    RidisegnaAnteprima();
                });
            }
            ++row;
        }
        lbl_colorBordo = frame::Described(swatch("lbl_colorBordo"), QStringLiteral("Colore del bordo"));
        g->addWidget(caption("Colore"), row, 0);
        g->addWidget(lbl_colorBordo, row, 1, 1, 2, Qt::AlignLeft);
        g->setRowStretch(row + 1, 1);
        g->setColumnStretch(3, 1);
        SSTab1->addTab(tab, QStringLiteral("Bordo"));
    }
    // 3 Legenda
    {
        auto *tab = new QWidget;
        auto *g = new QGridLayout(tab);
        chk_Leggenda = visible("chk_Leggenda");
        lst_leggenda = Named(new QListWidget, "lst_leggenda");
        txtEditLegenda = Named(new QLineEdit, "txtEditLegenda");
        cmdEditOk = button("cmdEditOk", QStringLiteral("Ok"));
        txtEditLegenda->hide();
        cmdEditOk->hide();
        cmb_LFont = Named(new QComboBox, "cmb_LFont");
        cmb_LFontSize = Named(new QComboBox, "cmb_LFontSize");
        lbl_coloreleggenda = frame::Described(swatch("lbl_coloreleggenda"), QStringLiteral("Colore della legenda"));
        lbl_coloreleggenda->setColor(Qt::black);
        cmd_GrM = button("cmd_GrM", QStringLiteral("-"));
        cmd_GrP = button("cmd_GrP", QStringLiteral("+"));
        cmd_GrM->setFixedWidth(36);
        cmd_GrP->setFixedWidth(36);
        g->addWidget(chk_Leggenda, 0, 0, 1, 2);
        g->addWidget(lst_leggenda, 1, 0, 1, 2);
        auto *edit = new QHBoxLayout;
        edit->addWidget(txtEditLegenda);
        edit->addWidget(cmdEditOk);
        g->addLayout(edit, 2, 0, 1, 2);
        g->addWidget(caption("Tipo Carattere"), 3, 0);
        g->addWidget(cmb_LFont, 3, 1);
        g->addWidget(caption("Grandezza Carattere"), 4, 0);
        g->addWidget(cmb_LFontSize, 4, 1);
        g->addWidget(caption("Colore"), 5, 0);
        g->addWidget(lbl_coloreleggenda, 5, 1, Qt::AlignLeft);
        auto *boxes = new QHBoxLayout;
        boxes->addWidget(cmd_GrM);
        boxes->addWidget(cmd_GrP);
        boxes->addStretch();
        g->addWidget(caption("Grandezza Indicatori Legenda"), 6, 0);
        g->addLayout(boxes, 6, 1);
        SSTab1->addTab(tab, QStringLiteral("Legenda"));
    }
    // 4 Descrizione
    textTab("Descrizione", "chkDesc", chkDesc, "txtDesc", txtDesc, "cmbDesc_TipoFont", cmbDesc_TipoFont,
            "cmbDesc_DimFont", cmbDesc_DimFont, "lblDesc_Colore", lblDesc_Colore);
    frame::Describe(lbl_colore, QStringLiteral("Colore del titolo"));
    frame::Describe(lblDesc_Colore, QStringLiteral("Colore della descrizione"));
    SSTab1->setAutoFillBackground(true);
    SSTab1->setMinimumWidth(SSTab1->tabBar()->sizeHint().width() + 12);

    cmdStampa = button("cmdStampa", QStringLiteral("Stampa"));
    cmdSalva = button("cmdSalva", QStringLiteral("Salva"));
    cmd_close = button("cmd_close", QStringLiteral("Chiudi"));
    cmdHelp = button("cmdHelp", QStringLiteral("Help"));
    mnu_sel = Named(new QMenu(this), "mnu_sel");

    auto *right = new QVBoxLayout;
    right->addWidget(SSTab1, 1);
    auto *buttons = new QGridLayout;
    buttons->addWidget(cmdStampa, 0, 0);
    buttons->addWidget(cmdSalva, 0, 1);
    buttons->addWidget(cmdHelp, 1, 0);
    buttons->addWidget(cmd_close, 1, 1);
    right->addLayout(buttons);

    auto *body = new QHBoxLayout;
    body->addWidget(Picture1, 0, Qt::AlignTop);
    body->addLayout(right, 1);

    auto *root = new QVBoxLayout(this);
    root->addWidget(Label13);
    root->addLayout(body, 1);
    resize(Picture1->width() + SSTab1->minimumWidth() + 40, Picture1->height() + 70);
}

void PrintMappa::connectHandlers()
{
    connect(Chk_Titolo, &QCheckBox::toggled, this, &PrintMappa::Chk_Titolo_Click);
    connect(chkDesc, &QCheckBox::toggled, this, &PrintMappa::chkDesc_Click);
    for (QCheckBox *c : {chk_Cartina, chk_Bordo, chk_Leggenda}) {
        connect(c, &QCheckBox::toggled, this, [this] {
            m_page.showMap = chk_Cartina->isChecked();
            m_page.showBorder = chk_Bordo->isChecked();
            m_page.showLegend = chk_Leggenda->isChecked();
            RidisegnaAnteprima();
        });
    }
    connect(txt_Titolo, &QLineEdit::textChanged, this, [this](const QString &t) {
        m_page.titleHolder.Text = t;
        RidisegnaAnteprima();
    });
    connect(txtDesc, &QLineEdit::textChanged, this, [this](const QString &t) {
        m_page.descHolder.Text = t;
        RidisegnaAnteprima();
    });
    connect(txt_Titolo, &QLineEdit::editingFinished, this, &PrintMappa::txt_Titolo_LostFocus);
    connect(txtDesc, &QLineEdit::editingFinished, this, &PrintMappa::txtDesc_LostFocus);
    connect(cmb_Font, &QComboBox::currentIndexChanged, this, [this] {
        m_page.titleHolder.FontName = cmb_Font->currentText();
        RidisegnaAnteprima();
    });
    connect(cmbDesc_TipoFont, &QComboBox::currentIndexChanged, this, [this] {
        m_page.descHolder.FontName = cmbDesc_TipoFont->currentText();
        RidisegnaAnteprima();
    });
    connect(cmb_Fontsize, &QComboBox::currentIndexChanged, this, [this] {
        m_page.titleHolder.FontSize = cmb_Fontsize->currentText();
        RidisegnaAnteprima();
    });
    connect(cmbDesc_DimFont, &QComboBox::currentIndexChanged, this, [this] {
        m_page.descHolder.FontSize = cmbDesc_DimFont->currentText();
        RidisegnaAnteprima();
    });
    connect(lbl_colore, &ColorBox::clicked, this, &PrintMappa::lbl_colore_Click);
    connect(lblDesc_Colore, &ColorBox::clicked, this, &PrintMappa::lblDesc_Colore_Click);
    connect(lbl_colorBordo, &ColorBox::clicked, this, &PrintMappa::lbl_colorBordo_Click);
    connect(lbl_coloreleggenda, &ColorBox::clicked, this, &PrintMappa::lbl_coloreleggenda_Click);
    connect(Slider1, &QSlider::valueChanged, this, [this](int v) {
        m_page.zoomMappa = v / 100.0;
        RidisegnaAnteprima();
    });
    connect(cmd_GrM, &QPushButton::clicked, this, &PrintMappa::cmd_GrM_Click);
    connect(cmd_GrP, &QPushButton::clicked, this, &PrintMappa::cmd_GrP_Click);
    connect(lst_leggenda, &QListWidget::currentRowChanged, this, &PrintMappa::lst_leggenda_Click);
    connect(lst_leggenda, &QListWidget::itemDoubleClicked, this, &PrintMappa::lst_leggenda_DblClick);
    connect(cmdEditOk, &QPushButton::clicked, this, &PrintMappa::cmdEditOk_Click);
    connect(cmb_LFont, &QComboBox::currentIndexChanged, this, &PrintMappa::cmb_LFont_Click);
    connect(cmb_LFontSize, &QComboBox::currentIndexChanged, this, &PrintMappa::cmb_LFontSize_Click);
    connect(cmdStampa, &QPushButton::clicked, this, &PrintMappa::cmdStampa_Click);
    connect(cmdSalva, &QPushButton::clicked, this, &PrintMappa::cmdSalva_Click);
    connect(cmd_close, &QPushButton::clicked, this, &PrintMappa::cmd_close_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &PrintMappa::cmdHelp_Click);
}

// ---- loading ----------------------------------------------------------------------

void PrintMappa::Form_Load(frm_Mappa &mappa)
{
    LoadPage(mappa.Map2 ? mappa.Map2->exportMap() : QPicture(), mappa.txtVariabile ? mappa.txtVariabile->text() : QString(),
             mappa.GridIndici());
}

void PrintMappa::LoadPage(const QPicture &map, const QString &descText, const platform::grid::TextGrid &classGrid)
{
    Utility::InitFormLayout(this);

    // Font lists and sizes.
    for (QComboBox *c : {cmb_Font, cmb_LFont, cmbDesc_TipoFont})
        mdl_Font::FillFontCombo(c);
    for (int i = 1; i <= 50; ++i)
        for (QComboBox *c : {cmb_Fontsize, cmb_LFontSize, cmbDesc_DimFont})
            c->addItem(QString::number(i));
    cmb_Fontsize->setCurrentIndex(DefaultTitleSizeIndex);
    cmb_LFontSize->setCurrentIndex(DefaultLegendSizeIndex);
    cmbDesc_DimFont->setCurrentIndex(DefaultDescSizeIndex);
    // The fourteenth family; on a system with fewer, the system's own font.
    const QString family =
        DefaultFontFamily(mdl_Font::FontFamilies(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    for (QComboBox *c : {cmb_Font, cmb_LFont, cmbDesc_TipoFont})
        c->setCurrentIndex(c->findText(family));

    const QRectF paper = m_printer->pageLayout().fullRect(QPageLayout::Inch);
    SetupPage(m_page, paper.size(), cmb_Font->currentText(), cmbDesc_TipoFont->currentText(), descText);
    SetMapPicture(m_page, map, Picture1->logicalDpiX(), Picture1->logicalDpiY());
    CaricaLegenda(classGrid);

    txt_Titolo->setText(m_page.titleHolder.Text);
    txtDesc->setText(descText);
    for (QCheckBox *c : {chk_Bordo, chk_Cartina, chk_Leggenda, Chk_Titolo, chkDesc})
        c->setChecked(true);
    for (ColorBox *s : {lbl_colore, lblDesc_Colore, lbl_colorBordo})
        s->setColor(Qt::black);
    ScalaAnteprima();
    connectHandlers();
    Slider1->setValue(InitialMapZoom(m_page, PreviewPageDevice()));
    m_page.zoomMappa = Slider1->value() / 100.0;
    RidisegnaAnteprima();
}

void PrintMappa::CaricaLegenda(const platform::grid::TextGrid &grid)
{
    const QStringList texts = LoadLegend(m_page, grid, cmb_LFont->currentText(), cmb_LFontSize->currentText());
    lst_leggenda->addItems(texts);
    lst_leggenda->setCurrentRow(texts.isEmpty() ? -1 : 0);
}

void PrintMappa::AggiornaLegenda()
{
    QStringList texts;
    for (int i = 0; i < lst_leggenda->count(); ++i)
        texts << lst_leggenda->item(i)->text();
    UpdateLegendTexts(m_page, texts);
    lst_leggenda->setCurrentRow(texts.isEmpty() ? -1 : 0);
}

double PrintMappa::ScalaAnteprima()
{
    const QRect area = Picture1->contentsRect();
    const double dpiX = Picture1->logicalDpiX(), dpiY = Picture1->logicalDpiY();
    return PreviewRatio(QSizeF(area.width() / dpiX, area.height() / dpiY), m_page.paper);
}

PageDevice PrintMappa::PreviewPageDevice() const
{
    return PreviewDevice(Picture1, Picture1->contentsRect(), m_page.paper);
}

void PrintMappa::RidisegnaAnteprima()
{
    Picture1->update();
}

void PrintMappa::regola(QPainter &painter, const PageDevice &dev)
{
    RenderPage(m_page, painter, dev);
}

QImage PrintMappa::PreviewImage()
{
    const QRect area = Picture1->contentsRect();
    QImage img(area.size(), QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(Picture1->logicalDpiX() / 0.0254));
    img.setDotsPerMeterY(qRound(Picture1->logicalDpiY() / 0.0254));
    img.fill(Qt::white);
    QPainter p(&img);
    PageDevice dev = PreviewDevice(&img, QRectF(QPointF(0, 0), area.size()), m_page.paper);
    dev.dpiX = Picture1->logicalDpiX();
    dev.dpiY = Picture1->logicalDpiY();
    regola(p, dev);
    return img;
}

// ---- settings panel -----------------------------------------------------------------

void PrintMappa::Chk_Titolo_Click()
{
    const bool on = Chk_Titolo->isChecked();
    m_page.showTitle = on;
    RidisegnaAnteprima();
    for (QWidget *w : std::initializer_list<QWidget *>{txt_Titolo, cmb_Font, cmb_Fontsize, lbl_colore})
        w->setEnabled(on);
    if (on && txt_Titolo->text().trimmed().isEmpty())
        txt_Titolo->setText(DefaultTitle);
}

void PrintMappa::chkDesc_Click()
{
    const bool on = chkDesc->isChecked();
    m_page.showDesc = on;
    RidisegnaAnteprima();
    for (QWidget *w : std::initializer_list<QWidget *>{txtDesc, cmbDesc_TipoFont, cmbDesc_DimFont, lblDesc_Colore})
        w->setEnabled(on);
    if (on && txtDesc->text().trimmed().isEmpty())
        txtDesc->setText(DefaultDescription);
}

void PrintMappa::txt_Titolo_LostFocus()
{
    txt_Titolo->setText(txt_Titolo->text().trimmed());
    if (txt_Titolo->text().isEmpty())
        Chk_Titolo->setChecked(false);
}

void PrintMappa::txtDesc_LostFocus()
{
    txtDesc->setText(txtDesc->text().trimmed());
    if (txtDesc->text().isEmpty())
        chkDesc->setChecked(false);
}

namespace {
// The colour chooser; nullopt when closed without a choice.
std::optional<QColor> chosenColor(const ColorBox *swatch)
{
    return prompts().chooseColor(swatch->color(), {});
}
} // namespace

void PrintMappa::lbl_colore_Click()
{
    if (const auto c = chosenColor(lbl_colore)) {
        lbl_colore->setColor(*c);
        m_page.titleHolder.Color = RgbNumber(*c);
    }
    RidisegnaAnteprima();
}

void PrintMappa::lblDesc_Colore_Click()
{
    if (const auto c = chosenColor(lblDesc_Colore)) {
        lblDesc_Colore->setColor(*c);
        m_page.descHolder.Color = RgbNumber(*c);
    }
    RidisegnaAnteprima();
}

void PrintMappa::lbl_colorBordo_Click()
{
    if (const auto c = chosenColor(lbl_colorBordo)) {
        lbl_colorBordo->setColor(*c);
        m_page.borderHolder.Color = RgbNumber(*c);
    }
    RidisegnaAnteprima();
}

void PrintMappa::lbl_coloreleggenda_Click()
{
    if (const auto c = chosenColor(lbl_coloreleggenda)) {
        lbl_coloreleggenda->setColor(*c);
        const double rgb = RgbNumber(*c);
        ForSelectedLegendRows(m_page, legendSelection(), [rgb](LayoutLegend::Row &r) { r.TextColor = rgb; });
    }
    RidisegnaAnteprima();
}

int PrintMappa::legendSelection() const
{
    return lst_leggenda->currentRow();
}

void PrintMappa::cmb_LFont_Click()
{
    const QString name = cmb_LFont->currentText();
    ForSelectedLegendRows(m_page, legendSelection(), [&](LayoutLegend::Row &r) { r.FontName = name; });
    RidisegnaAnteprima();
}

void PrintMappa::cmb_LFontSize_Click()
{
    const int size = cmb_LFontSize->currentText().toInt();
    ForSelectedLegendRows(m_page, legendSelection(), [&](LayoutLegend::Row &r) { r.FontSize = size; });
    RidisegnaAnteprima();
}

void PrintMappa::lst_leggenda_Click()
{
    const int k = legendSelection();
    if (k > 0 && k < m_page.legendHolder.Count())
        lbl_coloreleggenda->setColor(ColorOf(m_page.legendHolder.row(k).TextColor));
}

void PrintMappa::lst_leggenda_DblClick()
{
    const int k = legendSelection();
    if (k < 0)
        return;
    editIndex = k;
    txtEditLegenda->setText(lst_leggenda->item(k)->text());
    txtEditLegenda->show();
    cmdEditOk->show();
    txtEditLegenda->setFocus();
}

void PrintMappa::cmdEditOk_Click()
{
    if (editIndex >= 0 && editIndex < lst_leggenda->count())
        lst_leggenda->item(editIndex)->setText(txtEditLegenda->text());
    txtEditLegenda->hide();
    cmdEditOk->hide();
    AggiornaLegenda();
    RidisegnaAnteprima();
}

void PrintMappa::cmd_GrM_Click()
{
    m_page.legendBoxSize -= 0.1;
    RidisegnaAnteprima();
}

void PrintMappa::cmd_GrP_Click()
{
    m_page.legendBoxSize += 0.1;
    RidisegnaAnteprima();
}

// ---- placement with the mouse ----------------------------------------------------------

void PrintMappa::Picture1_MouseDown(Qt::MouseButton btn, const QPointF &pt)
{
    if (btn != Qt::RightButton)
        return;
    int row = -1;
    const QStringList names = HitTest(m_page, pt, PreviewPageDevice(), &row);
    if (names.isEmpty())
        return;
    QString hit = names.front();
    if (names.size() > 1)
        hit = PopupChooser ? PopupChooser(names) : showPopup(mnu_sel, names);
    const QString h = hit.toLower();
    if (h == QLatin1String("leggenda")) {
        SSTab1->setCurrentIndex(TabLegenda);
        lst_leggenda->setCurrentRow(row);
    } else if (h == QLatin1String("titolo")) {
        SSTab1->setCurrentIndex(TabTitolo);
    } else if (h == QLatin1String("mappa")) {
        SSTab1->setCurrentIndex(TabCartogramma);
    }
}

void PrintMappa::Picture1_MouseMove(Qt::MouseButtons buttons, const QPointF &pt)
{
    if (buttons != Qt::LeftButton)
        return;
    const int tab = SSTab1->currentIndex();
    if (tab != TabBordo)
        Picture1->setCursor(Qt::CrossCursor);
    DragTo(m_page, tab, legendSelection(), pt);
    if (tab != TabBordo)
        Picture1->unsetCursor();
    RidisegnaAnteprima();
}

void PrintMappa::Picture1_MouseUp()
{
    RidisegnaAnteprima();
}

// ---- printing and saving ------------------------------------------------------------------

void PrintMappa::cmdStampa_Click()
{
    if (!platform::print::ChooseOutput(*m_printer, QStringLiteral("Mappa")))
        return; // the printer dialog was cancelled: nothing is printed
    m_printer->setFullPage(true);
    m_page.printFactor = PrintFactor;
    QPainter p;
    const bool started = p.begin(m_printer.get());
    if (started) {
        regola(p, PrinterDevice(*m_printer));
        p.end();
    }
    m_page.printFactor = 1.0;
    if (!started)
        prompts().msgBox(QStringLiteral("Impossibile eseguire la stampa"), mb::Critical);
}

void PrintMappa::cmdSalva_Click()
{
    const QString name =
        prompts().saveFile(QStringLiteral("Salva con nome"), QStringLiteral("BMP (*.bmp);;Jpg (*.jpg)"), QString());
    if (name.isEmpty())
        return;
    bool ok = false;
    QString reason;
    try {
        ok = SavePageImage(PreviewImage(), name, &reason);
    } catch (...) {
        ok = false;
    }
    RidisegnaAnteprima();
    if (ok)
        prompts().msgBox(QStringLiteral("Immagine ") + name + QStringLiteral(" salvata correttamente."), mb::Information);
    else
        prompts().msgBox(QStringLiteral("Immagine ") + name + QStringLiteral(" non salvata correttamente.") +
                             (reason.isEmpty() ? QString() : u'\n' + reason),
                         mb::Critical);
}

void PrintMappa::cmd_close_Click()
{
    frame::UnloadForm(this);
}

void PrintMappa::cmdHelp_Click()
{
    Utility::ShowHelpTopic(HelpTopic);
}
