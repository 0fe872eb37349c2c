// The print layout window opened from a map window with quartile classes:
// set-up, settings, placement with the mouse, saving and printing.
#include "maps/LayoutRender.h"
#include "maps/PrintMappa.h"
#include "maps/RegisterPrint.h"
#include "maps/map_window_support.h"
#include "platform/Files.h"
#include "platform/grid/TextGrid.h"
#include "platform/print/Print.h"
#include "support/FileSizeLimit.h"
#include "support/JpegHeader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <cerrno>

using namespace maps;

namespace {

using testenv::ctl;

// A map window with quartile classes and the print layout opened from it.
struct OpenLayout : maptest::OpenMap {
    frm_Mappa *map = maptest::OpenMap::w;
    PrintMappa *w = nullptr;
    OpenLayout()
    {
        RegisterPrintForms();
        maptest::OpenMap::click("Cmd_cmdAutocolor");
        maptest::OpenMap::click("cmd_Stampa");
        w = testenv::must(PrintMappa::Instance(), "print layout");
        QApplication::processEvents();
    }
    ~OpenLayout()
    {
        PrintMappa::PopupChooser = nullptr;
        if (PrintMappa *open = PrintMappa::Instance())
            open->close();
        QApplication::processEvents();
    }
    const LayoutPage &page() { return w->page(); }
    QListWidget *list() { return ctl<QListWidget>(w, "lst_leggenda"); }
    void click(const char *button) { ctl<QAbstractButton>(w, button)->click(); }
    // Page inches to a pixel of the saved image.
    QPoint pixel(const QImage &img, double x, double y)
    {
        return {int(x * img.width() / page().paper.width()), int(y * img.height() / page().paper.height())};
    }
};

// The pages of a PDF file.
int pdfPages(const QString &pdf)
{
    QFile f(pdf);
    const QByteArray data = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return data.startsWith("%PDF") ? data.count("/Type /Page\n") + data.count("/Type /Page ") : -1;
}

bool near(QColor a, QColor b, int tol = 30)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
           std::abs(a.blue() - b.blue()) <= tol;
}

} // namespace

TEST(PrintMappaWindow, LoadsThePageFromTheMapWindow)
{
    OpenLayout l;
    // The legend as the class grid gives it (rows read in detail by the page's own tests).
    const auto &grid = l.map->GridIndici();
    ASSERT_EQ(l.list()->count(), 5);
    EXPECT_EQ(l.list()->currentRow(), 0);
    const auto &last = l.page().legendHolder.row(4);
    EXPECT_EQ(QStringList({l.list()->item(4)->text(), last.Text}), QStringList(2, grid.TextMatrix(4, 1)));
    EXPECT_EQ(ColorOf(last.BoxColor), grid.cellBackColor(4, 0));
    EXPECT_EQ(last.FontName, ctl<QComboBox>(l.w, "cmb_LFont")->currentText());
    EXPECT_EQ(maptest::texts(l.w, {"txtDesc", "txt_Titolo"}),
              QStringList({"A0001_1996: Superficie territoriale", "Inserire un Titolo"}));
    EXPECT_EQ(maptest::wrongChecked(l.w, "+Chk_Titolo +chk_Cartina +chk_Bordo +chk_Leggenda +chkDesc"), "");
    // The default scale, narrowed so that this map view fits the sheet.
    const int zoom = maps::InitialMapZoom(l.page(), l.w->PreviewPageDevice());
    EXPECT_LE(zoom, 65);
    EXPECT_EQ(ctl<QSlider>(l.w, "Slider1")->value(), zoom);
    EXPECT_DOUBLE_EQ(l.page().zoomMappa, zoom / 100.0);
    EXPECT_FALSE(l.page().mapPicture.isNull());
    EXPECT_EQ(l.page().mapWidthPx, l.map->Map2->width());

    // A second press brings the open layout to the front as it is.
    ctl<QSlider>(l.w, "Slider1")->setValue(80);
    ctl<QAbstractButton>(l.map, "cmd_export")->click();
    EXPECT_EQ(PrintMappa::Instance(), l.w);
    EXPECT_DOUBLE_EQ(l.page().zoomMappa, 0.8);

    // Closed and opened again: the defaults.
    l.pf.prompts.colors = {QColor(Qt::red)};
    l.w->lblDesc_Colore_Click();
    l.click("cmd_close");
    QApplication::processEvents();
    EXPECT_EQ(PrintMappa::Instance(), nullptr);
    ctl<QPushButton>(l.map, "cmd_Stampa")->click();
    l.w = PrintMappa::Instance();
    ASSERT_NE(l.w, nullptr);
    EXPECT_DOUBLE_EQ(l.page().zoomMappa, zoom / 100.0);
    EXPECT_EQ(l.page().descHolder.Color, 0);
    EXPECT_EQ(l.page().titleHolder.Text, "Inserire un Titolo");
}

TEST(PrintMappaWindow, ClassGridWithoutRowsGivesNoLegend)
{
    testenv::ProgramFolder pf;
    platform::grid::TextGrid empty;
    empty.setCols(2);
    empty.setRows(0);
    auto *w = new PrintMappa;
    w->LoadPage(QPicture(), QStringLiteral("desc"), empty);
    EXPECT_EQ(w->page().legendHolder.Count(), 0);
    auto *list = ctl<QListWidget>(w, "lst_leggenda");
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->currentRow(), -1);
    // Legend settings change nothing and nothing fails.
    ctl<QComboBox>(w, "cmb_LFontSize")->setCurrentIndex(20);
    pf.prompts.colors = {QColor(Qt::red)};
    w->lbl_coloreleggenda_Click();
    w->lst_leggenda_DblClick();
    EXPECT_TRUE(ctl<QLineEdit>(w, "txtEditLegenda")->isHidden());
    const QImage img = w->PreviewImage(); // the page without a map is drawn all the same
    EXPECT_FALSE(img.isNull());
    delete w;
}

TEST(PrintMappaWindow, TitleAndDescriptionSettings)
{
    OpenLayout l;
    auto *text = ctl<QLineEdit>(l.w, "txt_Titolo");
    auto *chk = ctl<QCheckBox>(l.w, "Chk_Titolo");
    text->setText("  Dotazione stradale, perché  ");
    l.w->txt_Titolo_LostFocus();
    EXPECT_EQ(l.page().titleHolder.Text, "Dotazione stradale, perché");
    EXPECT_TRUE(chk->isChecked());

    text->setText("   ");
    l.w->txt_Titolo_LostFocus();
    EXPECT_FALSE(chk->isChecked());
    EXPECT_FALSE(l.page().showTitle);
    EXPECT_EQ(maptest::wrongEnabled(l.w, "-txt_Titolo -cmb_Font -cmb_Fontsize -lbl_colore"), "");
    chk->setChecked(true);
    EXPECT_EQ(text->text(), "Inserire un Titolo");

    auto *desc = ctl<QLineEdit>(l.w, "txtDesc");
    desc->setText("");
    l.w->txtDesc_LostFocus();
    EXPECT_FALSE(ctl<QCheckBox>(l.w, "chkDesc")->isChecked());
    ctl<QCheckBox>(l.w, "chkDesc")->setChecked(true);
    EXPECT_EQ(desc->text(), "Inserire una decrizione della variabile");

    ctl<QComboBox>(l.w, "cmb_Fontsize")->setCurrentIndex(29);
    EXPECT_EQ(l.page().titleHolder.FontSize, "30");
    ctl<QComboBox>(l.w, "cmbDesc_DimFont")->setCurrentIndex(9);
    EXPECT_EQ(l.page().descHolder.FontSize, "10");

    // Colours: a choice is applied; closing the chooser without one changes nothing.
    l.pf.prompts.colors = {QColor(200, 0, 0), std::nullopt};
    l.w->lbl_colore_Click();
    EXPECT_EQ(ColorOf(l.page().titleHolder.Color), QColor(200, 0, 0));
    l.w->lbl_colorBordo_Click();
    EXPECT_EQ(l.page().borderHolder.Color, 0);
}

// Which rows a legend setting reaches, and the margin steps, are the page's own
// tests: here the controls reach the page.
TEST(PrintMappaWindow, LegendSettingsFollowTheListSelection)
{
    OpenLayout l;
    auto *font = ctl<QComboBox>(l.w, "cmb_LFont");
    ASSERT_GE(font->count(), 2);
    const QString before = l.page().legendHolder.row(0).FontName;
    const int other = font->currentIndex() == 0 ? 1 : 0;

    // The third item: the third row only.
    l.list()->setCurrentRow(2);
    font->setCurrentIndex(other);
    l.pf.prompts.colors = {QColor(0, 90, 0)};
    l.w->lbl_coloreleggenda_Click();
    EXPECT_EQ(l.page().legendHolder.row(2).FontName, font->itemText(other));
    EXPECT_EQ(l.page().legendHolder.row(1).FontName, before);
    EXPECT_EQ(ColorOf(l.page().legendHolder.row(2).TextColor), QColor(0, 90, 0));
    // Selecting it again shows its colour in the swatch.
    l.list()->setCurrentRow(1);
    l.list()->setCurrentRow(2);

    // The first item: every row.
    l.list()->setCurrentRow(0);
    ctl<QComboBox>(l.w, "cmb_LFontSize")->setCurrentIndex(11);
    EXPECT_EQ(l.page().legendHolder.row(4).FontSize, 12);

    // Boxes: three presses of "-" from 0.3 reach 0.
    for (int i = 0; i < 3; ++i)
        l.click("cmd_GrM");
    EXPECT_NEAR(l.page().legendBoxSize, 0, 1e-9);
    l.click("cmd_GrP");
    l.click("cmd_mardesmen");
    EXPECT_NEAR(l.page().legendBoxSize, 0.1, 1e-9);
    EXPECT_NEAR(l.page().borderHolder.Right, l.page().paper.width() - 0.5 - 0.2, 1e-9);

    // Editing a text: list and row, selection back to the first item.
    l.list()->setCurrentRow(3);
    l.w->lst_leggenda_DblClick();
    auto *edit = ctl<QLineEdit>(l.w, "txtEditLegenda");
    EXPECT_EQ(edit->text(), l.list()->item(3)->text());
    edit->setText("Oltre 81");
    l.click("cmdEditOk");
    EXPECT_EQ(l.list()->item(3)->text(), "Oltre 81");
    EXPECT_EQ(l.page().legendHolder.row(3).Text, "Oltre 81");
    EXPECT_EQ(l.list()->currentRow(), 0);
    EXPECT_TRUE(edit->isHidden());
}

TEST(PrintMappaWindow, RightClickPicksAndLeftDragMoves)
{
    OpenLayout l;
    auto *tabs = ctl<QTabWidget>(l.w, "SSTab1");
    ctl<QSlider>(l.w, "Slider1")->setValue(30); // the map clear of the legend
    ASSERT_LT(MapRectOnPage(l.page(), l.w->PreviewPageDevice()).bottom(), 8.0);
    tabs->setCurrentIndex(TabBordo);
    QStringList offered;
    QString answer;
    PrintMappa::PopupChooser = [&](const QStringList &names) {
        offered = names;
        return answer;
    };

    // Outside everything: nothing.
    l.w->Picture1_MouseDown(Qt::RightButton, QPointF(7.9, 11.5));
    EXPECT_EQ(tabs->currentIndex(), TabBordo);
    // The title alone: its tab at once, no popup.
    l.w->Picture1_MouseDown(Qt::RightButton, QPointF(3.1, 0.6));
    EXPECT_EQ(tabs->currentIndex(), TabTitolo);
    EXPECT_TRUE(offered.isEmpty());
    // Left button: no hit test.
    l.w->Picture1_MouseDown(Qt::LeftButton, QPointF(1.35, 8.0 + 4 / 3.0 + 0.1));
    EXPECT_EQ(tabs->currentIndex(), TabTitolo);
    // The last legend row.
    l.w->Picture1_MouseDown(Qt::RightButton, QPointF(1.35, 8.0 + 4 / 3.0 + 0.1));
    EXPECT_EQ(tabs->currentIndex(), TabLegenda);
    EXPECT_EQ(l.list()->currentRow(), 4);

    // Drag the whole legend into the map: a popup with both names.
    l.list()->setCurrentRow(0);
    l.w->Picture1_MouseMove(Qt::LeftButton, QPointF(2.0, 3.0));
    l.w->Picture1_MouseUp();
    EXPECT_NEAR(l.page().legendHolder.row(4).Top, 3.0 + 4 / 3.0, 1e-9);
    answer = "";
    tabs->setCurrentIndex(TabDescrizione);
    l.w->Picture1_MouseDown(Qt::RightButton, QPointF(2.1, 3.1));
    EXPECT_EQ(offered, QStringList({"Leggenda", "Mappa"}));
    EXPECT_EQ(tabs->currentIndex(), TabDescrizione); // closed without a choice
    answer = "Mappa";
    l.w->Picture1_MouseDown(Qt::RightButton, QPointF(2.1, 3.1));
    EXPECT_EQ(tabs->currentIndex(), TabCartogramma);

    // Drag on the map tab moves the map; on the border tab nothing moves.
    l.w->Picture1_MouseMove(Qt::LeftButton, QPointF(1.5, 2.5));
    EXPECT_EQ(QPointF(l.page().mapLeft, l.page().mapTop), QPointF(1.5, 2.5));
    l.w->Picture1_MouseMove(Qt::NoButton, QPointF(3, 3));
    EXPECT_EQ(l.page().mapLeft, 1.5);
    tabs->setCurrentIndex(TabBordo);
    l.w->Picture1_MouseMove(Qt::LeftButton, QPointF(4, 4));
    EXPECT_EQ(l.page().mapLeft, 1.5);
    EXPECT_EQ(l.page().borderHolder.Left, 0.5);
}

TEST(PrintMappaWindow, SavesBmpAndJpegOfThePreviewAndAFailedSaveSaysWhy)
{
    OpenLayout l;
    const QString dir = l.pf.path();
    struct Case { QString file; QByteArray format; };
    ASSERT_TRUE(QDir().mkpath(dir + "foto.jpg.d"));
    const Case cases[] = {
        {dir + "pagina.bmp", "bmp"},
        {dir + "PAGINA.JPG.old", "jpeg"},      // contains ".jpg", in any letter case
        {dir + "pagina.Jpeg", "jpeg"},         // the long extension
        {dir + "pagina", "bmp"},               // no extension: a bitmap under exactly that name
        {dir + "foto.jpg.d/pagina.bmp", "bmp"}, // the folder's name does not count
    };
    const QColor firstClass = l.map->GridIndici().cellBackColor(0, 0);
    const QColor lastClass = l.map->GridIndici().cellBackColor(3, 0);
    for (const Case &c : cases) {
        l.pf.prompts.clear();
        l.pf.prompts.files = {c.file};
        l.click("cmdSalva");
        EXPECT_EQ(l.pf.prompts.messages(), QStringList{"Immagine " + c.file + " salvata correttamente."});
        EXPECT_EQ(l.pf.prompts.shown.back().style, 64);
        QImageReader reader(c.file);
        EXPECT_EQ(reader.format(), c.format) << c.file.toStdString();
        const QImage img = reader.read();
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), l.w->PreviewImage().size());
        // The map area is not blank: some pixels of the class colours.
        const QRectF m = MapRectOnPage(l.page(), l.w->PreviewPageDevice()) & QRectF(QPointF(0, 0), l.page().paper);
        int coloured = 0;
        for (int y = l.pixel(img, 0, m.top()).y(); y < l.pixel(img, 0, m.bottom()).y(); y += 2)
            for (int x = l.pixel(img, m.left(), 0).x(); x < l.pixel(img, m.right(), 0).x(); x += 2)
                coloured += near(img.pixelColor(x, y), firstClass, 40) || near(img.pixelColor(x, y), lastClass, 40);
        EXPECT_GT(coloured, 50) << c.file.toStdString();
        // Legend boxes at their places (row 0 from X 1.0 to 1.3, Y 8.0 to 8.3).
        EXPECT_TRUE(near(img.pixelColor(l.pixel(img, 1.15, 8.15)), firstClass)) << c.file.toStdString();
        EXPECT_TRUE(near(img.pixelColor(l.pixel(img, 1.15, 9.15)), lastClass)) << c.file.toStdString();
        // Both formats record the screen's resolution; a JPEG keeps the colours at full resolution.
        EXPECT_EQ(qRound(img.dotsPerMeterX() * 0.0254), 96) << c.file.toStdString();
        if (c.format == "jpeg") {
            QFile f(c.file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const auto h = testsupport::ReadJpegHeader(f.readAll());
            EXPECT_EQ(std::make_tuple(h.densityUnit, h.densityX, h.densityY), std::make_tuple(1, 96, 96));
            EXPECT_EQ(h.sampling, std::vector<int>({0x11, 0x11, 0x11})) << c.file.toStdString();
        }
    }
    // The preview goes on redrawing after a save.
    l.w->Picture1_MouseMove(Qt::LeftButton, QPointF(3, 3));
    QApplication::processEvents();

    // Cancelled: nothing.
    l.pf.prompts.clear();
    l.pf.prompts.files = {QString()};
    l.click("cmdSalva");
    EXPECT_TRUE(l.pf.prompts.messages().isEmpty());
    // A folder that does not exist, or a full disk: the failure message, the old image kept.
    ASSERT_TRUE(QDir().mkpath(dir + "immagini"));
    // before: messages shown before the page's own
    struct Bad { QString file; bool full; QStringList before; };
    const Bad bad[] = {{dir + "manca/pagina.bmp", false, {}},
                       {dir + "manca/pagina.jpg", false, {"Failed to save to JPG"}},
                       {dir + "immagini/pagina.bmp", true, {}},
                       {dir + "immagini/pagina.jpeg", true, {"Failed to save to JPG"}}};
    const QByteArray old = "la pagina di ieri";
    const auto contents = [](const QString &file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    };
    for (const Bad &c : bad) {
        SCOPED_TRACE(c.file.toStdString());
        if (c.full) {
            QFile f(c.file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        l.pf.prompts.clear();
        l.pf.prompts.files = {c.file};
        {
            testsupport::FileSizeLimit full(c.full ? 1024 : RLIM_INFINITY);
            l.click("cmdSalva");
        }
        const QStringList shown = l.pf.prompts.messages();
        ASSERT_EQ(shown.size(), c.before.size() + 1) << shown.join("|").toStdString();
        EXPECT_EQ(shown.mid(0, c.before.size()), c.before);
        const QString failed = "Immagine " + c.file + " non salvata correttamente.\n";
        if (c.full)
            EXPECT_TRUE(shown.back().startsWith(failed) && shown.back().contains(QFileInfo(c.file).fileName() + "'"))
                << shown.back().toStdString();
        else
            EXPECT_EQ(shown.back(), failed + platform::files::writeErrorText(c.file, ENOENT));
        EXPECT_EQ(l.pf.prompts.shown.back().style, 16);
        EXPECT_EQ(contents(c.file), c.full ? old : QByteArray("<none>"));
    }
    EXPECT_EQ(QDir(dir + "immagini").entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"pagina.bmp", "pagina.jpeg"}));
}

TEST(PrintMappaWindow, PrintsOnePageAndCancelPrintsNothing)
{
    OpenLayout l;
    const QString pdf = l.pf.path() + "pagina.pdf";
    QPrinter &printer = l.w->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);

    l.pf.prompts.printers = {false};
    l.click("cmdStampa");
    EXPECT_FALSE(QFile::exists(pdf));

    l.pf.prompts.printers = {true};
    l.click("cmdStampa");
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_GT(QFileInfo(pdf).size(), 5000);
    EXPECT_DOUBLE_EQ(l.page().printFactor, 1.0);
    EXPECT_TRUE(l.pf.prompts.messages().isEmpty());

    // A printer that cannot take the page: the program's print failure message.
    printer.setOutputFileName(l.pf.path() + "manca/pagina.pdf");
    l.pf.prompts.printers = {true};
    l.click("cmdStampa");
    EXPECT_EQ(l.pf.prompts.messages(), QStringList{"Impossibile eseguire la stampa"});
    EXPECT_DOUBLE_EQ(l.page().printFactor, 1.0);
}

TEST(PrintMappaWindow, WithoutAPrinterThePageIsWrittenToAPdfFile)
{
    OpenLayout l;
    platform::print::SetPrinterProbe([] { return false; });
    struct ResetProbe {
        ~ResetProbe() { platform::print::SetPrinterProbe(nullptr); }
    } reset;
    const QString pdf = l.pf.path() + "mappa.pdf";
    l.pf.prompts.printers = {true};
    l.pf.prompts.printFiles = {pdf};
    l.click("cmdStampa");
    // The dialog offered a PDF file of its own, and the page went to the file chosen.
    ASSERT_FALSE(l.pf.prompts.shown.empty());
    EXPECT_TRUE(l.pf.prompts.shown[0].text.endsWith(".pdf")) << l.pf.prompts.shown[0].text.toStdString();
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_TRUE(l.pf.prompts.messages().isEmpty());
    // The next print offers the same file again.
    l.pf.prompts.clear();
    l.pf.prompts.printers = {false};
    l.click("cmdStampa");
    EXPECT_EQ(l.pf.prompts.shown.at(0).text, pdf);
}
