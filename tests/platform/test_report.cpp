// The report engine: binding of text boxes to fields, formats, the flow of the
// sections over pages, drawing on images and PDF printers, the preview and the
// printing paths.
#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/report/Report.h"
#include "support/Controls.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace platform::report;
using platform::db::Recordset;
using platform::db::Value;

namespace {

Recordset rows(const QStringList &names, const std::vector<std::vector<Value>> &data)
{
    std::vector<Value> cells;
    for (const auto &r : data)
        cells.insert(cells.end(), r.begin(), r.end());
    return Recordset(names, std::vector<QString>(size_t(names.size())), cells);
}

// A one-page design: a title in the page header, a detail of name and flag.
Design smallDesign()
{
    Design d;
    d.caption = QStringLiteral("Prova");
    d.reportWidth = 8000;
    d.margins = QMargins(1000, 1000, 1000, 1000);
    d.reportHeader = {QStringLiteral("Section4"), 300, {Label("Intestazione", "Rapporto", QRect(0, 0, 3000, 300))}};
    d.pageHeader = {QStringLiteral("Section2"), 500, {Label("Titolo", "Titolo di pagina", QRect(100, 100, 4000, 300))}};
    d.detail = {QStringLiteral("Section1"),
                1000,
                {Label("lblNome", "Nome", QRect(0, 0, 1000, 300)),
                 TextBox("txtNome", "NOME", QRect(0, 300, 5000, 300)),
                 TextBox("txtFlag", "flag", QRect(5000, 300, 1000, 300), {}, Format::BooleanSiNo)}};
    d.pageFooter = {QStringLiteral("Section3"), 200, {Label("Piede", "piede", QRect(0, 0, 1000, 200))}};
    d.reportFooter = {QStringLiteral("Section5"), 100, {}};
    return d;
}

// A detail taller than a page: 30 rows of a label beside a box, 1000 twips apart.
Design tallDesign()
{
    Design d = smallDesign();
    d.detail.controls.clear();
    for (int i = 0; i < 30; ++i) {
        d.detail.controls.push_back(Label(QStringLiteral("L%1").arg(i), QString::number(i), QRect(0, i * 1000, 500, 300)));
        d.detail.controls.push_back(TextBox(QStringLiteral("T%1").arg(i), "nome", QRect(600, i * 1000 + 100, 3000, 800)));
    }
    d.detail.height = 30000;
    return d;
}

int pageOf(const std::vector<Page> &pages, const QString &name)
{
    for (size_t p = 0; p < pages.size(); ++p)
        if (pages[p].find(name))
            return int(p);
    return -1;
}

TEST(ReportFormat, ValuesAsText)
{
    struct Case {
        Value v;
        Format f;
        QString expected;
    } cases[] = {
        {Value::boolean(true), Format::BooleanSiNo, "Si"},
        {Value::boolean(false), Format::BooleanSiNo, "No"},
        {Value(), Format::BooleanSiNo, ""},
        {Value::integer(0), Format::BooleanSiNo, "No"},
        {Value::integer(-1), Format::BooleanSiNo, "Si"},
        {Value::text("ab'c"), Format::Text, "ab'c"},
        {Value::integer(2005), Format::Text, "2005"},
        {Value::real(12.5), Format::Text, "12,5"},
        {Value(), Format::Text, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatValue(c.v, c.f), c.expected) << c.expected.toStdString();
}

TEST(ReportLayout, DetailRepeatedPerRecordWithBindingsIgnoringCase)
{
    const Recordset rs = rows({"Nome", "FLAG"}, {{Value::text("Uno"), Value::boolean(true)},
                                                 {Value::text("Due"), Value()}});
    const auto pages = Paginate(smallDesign(), rs, DefaultPaperTwips());
    ASSERT_EQ(pages.size(), 1u);
    const Page &p = pages[0];
    // Report header first, then the page header, then the two details.
    EXPECT_EQ(p.plainText(), "Rapporto\nTitolo di pagina\nNome\nUno\nSi\nNome\nDue\n\npiede");
    const Item *head = p.find("Intestazione");
    const Item *title = p.find("Titolo");
    ASSERT_TRUE(head && title);
    EXPECT_DOUBLE_EQ(head->rect.top(), 1000);
    EXPECT_DOUBLE_EQ(title->rect.top(), 1000 + 300 + 100);
    EXPECT_DOUBLE_EQ(title->rect.left(), 1000 + 100);
    // The page footer sits at the bottom margin.
    const Item *foot = p.find("Piede");
    ASSERT_TRUE(foot);
    EXPECT_DOUBLE_EQ(foot->rect.bottom(), DefaultPaperTwips().height() - 1000);
}

TEST(ReportLayout, TallDetailContinuesOnNextPagesRowsKeptWhole)
{
    const QSizeF paper = DefaultPaperTwips();
    const auto pages = Paginate(tallDesign(), rows({"nome", "flag"}, {{Value::text("v"), Value()}}), paper);
    ASSERT_GE(pages.size(), 2u);
    const double bodyBottom = paper.height() - 1000 - 200;
    for (size_t p = 0; p < pages.size(); ++p) {
        EXPECT_NE(pages[p].find("Titolo"), nullptr) << "page header on page " << p;
        EXPECT_NE(pages[p].find("Piede"), nullptr) << "page footer on page " << p;
        for (const Item &it : pages[p].items)
            if (it.section == "Section1") {
                EXPECT_LE(it.rect.bottom(), bodyBottom) << it.name.toStdString();
            }
    }
    for (int i = 0; i < 30; ++i) {
        const int pl = pageOf(pages, QStringLiteral("L%1").arg(i));
        ASSERT_GE(pl, 0);
        EXPECT_EQ(pl, pageOf(pages, QStringLiteral("T%1").arg(i))) << "row " << i;
        if (i > 0) {
            EXPECT_GE(pl, pageOf(pages, QStringLiteral("L%1").arg(i - 1)));
        }
    }
    // A row moved to a new page starts right under the page header.
    const int first2 = [&] {
        for (int i = 0; i < 30; ++i)
            if (pageOf(pages, QStringLiteral("L%1").arg(i)) == 1)
                return i;
        return -1;
    }();
    ASSERT_GT(first2, 0);
    EXPECT_DOUBLE_EQ(pages[1].find(QStringLiteral("L%1").arg(first2))->rect.top(), 1000 + 500);
}

TEST(ReportLayout, SectionThatFitsAPageIsKeptTogether)
{
    Design d = smallDesign();
    d.detail.height = 9000;
    d.detail.controls.push_back(Label("fondo", "fondo", QRect(0, 8500, 1000, 300)));
    const Recordset rs = rows({"nome", "flag"}, {{Value::text("a"), Value()}, {Value::text("b"), Value()}});
    const auto pages = Paginate(d, rs, DefaultPaperTwips());
    ASSERT_EQ(pages.size(), 2u);
    int onFirst = 0;
    for (const Item &it : pages[0].items)
        onFirst += it.name == "txtNome";
    EXPECT_EQ(onFirst, 1);
    EXPECT_EQ(pages[1].find("txtNome")->text, "b");
    EXPECT_EQ(pages[1].find("fondo")->rect.top(), pages[1].find("lblNome")->rect.top() + 8500);
}

TEST(ReportRender, TextLandsInsideItsBox)
{
    const Recordset rs = rows({"nome", "flag"}, {{Value::text("Perché è così"), Value::boolean(true)}});
    const QSizeF paper = DefaultPaperTwips();
    const auto pages = Paginate(smallDesign(), rs, paper);
    const double dpi = 96;
    const QImage img = RenderPageImage(pages[0], paper, dpi);
    auto inkIn = [&](const QRectF &twips) {
        const QRect r = QRectF(twips.topLeft() * dpi / 1440, twips.size() * dpi / 1440).toAlignedRect();
        int ink = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ink += qGray(img.pixel(x, y)) < 128;
        return ink;
    };
    EXPECT_GT(inkIn(pages[0].find("txtNome")->rect), 20);
    EXPECT_GT(inkIn(pages[0].find("txtFlag")->rect), 5);
    // Nothing between the two detail rows' columns and the footer.
    EXPECT_EQ(inkIn(QRectF(7000, 6000, 3000, 3000)), 0);
}

TEST(ReportRender, PdfHasOnePagePerLaidOutPage)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("r.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const auto pages = Paginate(tallDesign(), rows({"nome", "flag"}, {{Value::text("v"), Value()}}), DefaultPaperTwips());
    ASSERT_TRUE(RenderPages(printer, pages));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), qsizetype(pages.size()));
}

class Probe : public DataReport {
public:
    using DataReport::DataReport;
    std::vector<long> errors;
    int terminated = 0;
    bool show = true;

protected:
    void DataReport_Error(long number, const QString &, bool &showError) override
    {
        errors.push_back(number);
        showError = show;
    }
    void DataReport_Terminate() override
    {
        ++terminated;
        DataReport::DataReport_Terminate();
    }
};

struct PromptsScope {
    platform::ScriptedPrompts p;
    PromptsScope() { platform::setPrompts(&p); }
    ~PromptsScope()
    {
        platform::setPrompts(nullptr);
        SetPrinterProbe(nullptr);
    }
};

TEST(ReportPrint, PrinterPaths)
{
    struct Case {
        bool installed;
        bool chosen;
        bool handlerShows;
        std::vector<long> errors;
        QStringList messages;
        int choosers;
    } cases[] = {
        {false, false, true, {rpterr::NoPrinter}, {"Nessuna stampante installata: impossibile stampare."}, 0},
        {false, false, false, {rpterr::NoPrinter}, {}, 0},
        {true, false, true, {}, {}, 1},   // the user cancels the printer chooser
    };
    for (const Case &c : cases) {
        PromptsScope ps;
        SetPrinterProbe([&] { return c.installed; });
        ps.p.printers.push_back(c.chosen);
        Probe r("rptProva", smallDesign());
        r.show = c.handlerShows;
        r.setDataSource(rows({"nome", "flag"}, {{Value::text("x"), Value()}}));
        r.PrintReport();
        EXPECT_EQ(r.errors, c.errors);
        EXPECT_EQ(ps.p.messages(), c.messages);
        int choosers = 0;
        for (const auto &s : ps.p.shown)
            choosers += s.kind == "choosePrinter";
        EXPECT_EQ(choosers, c.choosers);
    }
}

TEST(ReportPreview, ModalPreviewShowsThePagesThenTheReportEnds)
{
    PromptsScope ps;
    Probe r("rptProva", tallDesign());
    r.setDataSource(rows({"nome", "flag"}, {{Value::text("v"), Value()}}));
    QString title, name, pageLabel;
    int pageCount = 0;
    testenv::onModal([&](QWidget *dlg) {
        title = dlg->windowTitle();
        name = dlg->objectName();
        auto *view = testenv::must(dlg->findChild<QPrintPreviewWidget *>(), "preview");
        view->updatePreview();
        pageCount = view->pageCount();
        testenv::ctl<QPushButton>(dlg, "cmdPaginaSuccessiva")->click();
        pageLabel = testenv::ctl<QLabel>(dlg, "lblPagina")->text();
        testenv::ctl<QPushButton>(dlg, "cmdChiudi")->click();
    });
    r.Show();
    EXPECT_EQ(title, "Prova");
    EXPECT_EQ(name, "rptProva");
    EXPECT_EQ(pageCount, 3);
    EXPECT_EQ(pageLabel, QStringLiteral("Pagina 2 di %1").arg(pageCount));
    EXPECT_EQ(r.terminated, 1);
    EXPECT_EQ(r.dataSource(), nullptr);
}

TEST(ReportPreview, BindingErrorIsRaisedInsteadOfThePreview)
{
    PromptsScope ps;
    Probe r("rptProva", smallDesign());
    r.setDataSource(rows({"nome"}, {{Value::text("v")}}));
    r.Show();   // no dialog: nothing to close
    EXPECT_EQ(r.errors, std::vector<long>{rpterr::FieldNotFound});
    ASSERT_EQ(ps.p.messages().size(), 1);
    EXPECT_TRUE(ps.p.messages()[0].contains("flag"));
    EXPECT_EQ(ps.p.shown[0].style, platform::mb::Exclamation);
    EXPECT_EQ(r.terminated, 1);
}

} // namespace
