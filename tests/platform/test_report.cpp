// The report engine: binding of text boxes to fields, formats, the flow of the
// sections over pages, drawing on images and PDF printers, the preview and the
// printing paths.
#include "platform/report/Report.h"
#include "support/Controls.h"
#include "test_common.h"

#include <QFileInfo>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
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

// One record of a name and an empty flag.
Recordset oneRow(const QString &name) { return rows({"nome", "flag"}, {{Value::text(name), Value()}}); }

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
    struct Case { Value v; Format f; QString expected; } cases[] = {
        {Value::boolean(true), Format::BooleanSiNo, "Si"}, {Value(), Format::BooleanSiNo, ""},
        {Value::integer(0), Format::BooleanSiNo, "No"},    {Value::text("ab'c"), Format::Text, "ab'c"},
        {Value::real(12.5), Format::Text, "12,5"},         {Value(), Format::Text, ""}};
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
    // The page header under the report header, the page footer at the bottom margin.
    ASSERT_TRUE(p.find("Titolo") && p.find("Piede"));
    EXPECT_EQ(p.find("Titolo")->rect.topLeft(), QPointF(1000 + 100, 1000 + 300 + 100));
    EXPECT_DOUBLE_EQ(p.find("Piede")->rect.bottom(), DefaultPaperTwips().height() - 1000);
}

TEST(ReportLayout, TallDetailContinuesOnNextPagesRowsKeptWhole)
{
    const QSizeF paper = DefaultPaperTwips();
    const auto pages = Paginate(tallDesign(), oneRow("v"), paper);
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
    int first2 = -1;   // the first row on the second page
    for (int i = 0, last = 0; i < 30; ++i) {
        const int pl = pageOf(pages, QStringLiteral("L%1").arg(i));
        ASSERT_GE(pl, last);
        EXPECT_EQ(pl, pageOf(pages, QStringLiteral("T%1").arg(i))) << "row " << i;
        if (pl == 1 && first2 < 0)
            first2 = i;
        last = pl;
    }
    // A row moved to a new page starts right under the page header.
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

// The pieces of the item `name`, page by page.
std::vector<std::pair<int, const Item *>> piecesOf(const std::vector<Page> &pages, const QString &name)
{
    std::vector<std::pair<int, const Item *>> out;
    for (size_t p = 0; p < pages.size(); ++p)
        for (const Item &it : pages[p].items)
            if (it.name == name)
                out.emplace_back(int(p), &it);
    return out;
}

TEST(ReportLayout, LongTextsGrowAndGoOnOverPagesBetweenWholeLines)
{
    // A framed box with a caption under it, then a second record.
    Design d = smallDesign();
    d.detail.controls = {Rectangle("cornice", QRect(0, 0, 6000, 1200)),
                         TextBox("txtNome", "nome", QRect(100, 100, 5800, 600)),
                         Label("dopo", "dopo il testo", QRect(100, 800, 3000, 300)),
                         Label("accanto", "accanto", QRect(6100, 100, 1000, 300))};
    d.detail.height = 1300;
    QString words;
    for (int i = 0; words.size() < 10000; ++i)
        words += QStringLiteral("parola%1 ").arg(i);
    words += "\r\nfine.";
    const QSizeF paper = DefaultPaperTwips();
    const double bodyTop = 1000 + 500, bodyBottom = paper.height() - 1000 - 200;
    struct Case { QString text; int pages; bool grows; } cases[] = {   // pages: at least
        {"breve", 1, false}, {words, 2, true}, {QString(4000, u'x'), 1, true}};   // one unbroken word
    for (const Case &c : cases) {
        const auto pages = Paginate(d, rows({"nome", "flag"}, {{Value::text(c.text), Value()}, {Value::text("b"), Value()}}),
                                    paper);
        ASSERT_GE(int(pages.size()), c.pages) << c.text.size();
        const auto pieces = piecesOf(pages, "txtNome");
        ASSERT_GE(pieces.size(), 2u);
        // The first record's text, whole, in order, over its pieces.
        const auto frames = piecesOf(pages, "cornice");
        QString joined;
        double lastBottom = 0;
        int lastPage = 0;
        for (const auto &[page, it] : pieces) {
            if (it->text == "b")
                break;
            joined += it->text;
            EXPECT_EQ(it->section, "Section1") << page;
            // The frame around the box grows and goes on with it.
            EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&, page = page, it = it](const auto &f) {
                return f.first == page && f.second->rect.contains(it->rect);
            })) << page;
            ASSERT_FALSE(it->lines.empty());
            for (const TextLine &line : it->lines) {
                // Whole lines only, each inside its box and inside the page's body.
                EXPECT_LE(it->rect.top() + line.top + it->lineHeight, it->rect.bottom() + 1) << page;
                EXPECT_LE(it->rect.top() + line.top + it->lineHeight, bodyBottom + 1) << page;
                EXPECT_GE(it->rect.top() + line.top, bodyTop - 1) << page;
            }
            lastBottom = it->rect.bottom();
            lastPage = page;
        }
        EXPECT_EQ(joined, QString(c.text).replace("\r\n", "\n")) << c.text.size();
        // What lies below the box follows its last line.
        const auto after = piecesOf(pages, "dopo");
        ASSERT_FALSE(after.empty());
        EXPECT_EQ(after[0].first, lastPage);
        EXPECT_GE(after[0].second->rect.top(), lastBottom - 1);
        EXPECT_EQ(pieces.front().second->rect.height() > 600, c.grows) << c.text.size();
        // The second record starts after the first one's end.
        const auto second = std::find_if(pieces.begin(), pieces.end(), [](const auto &p) { return p.second->text == "b"; });
        ASSERT_NE(second, pieces.end());
        EXPECT_GE(second->first, lastPage);
    }
}

TEST(ReportLayout, LinesTallerThanAPageStillEndTheReport)
{
    // A sheet whose body is 400 twips high, and lines of a 36-point font.
    Design d = smallDesign();
    d.reportHeader.controls.clear();
    d.reportHeader.height = 0;
    d.detail.controls = {TextBox("txtNome", "nome", QRect(0, 0, 300, 300), FontDef{"Arial", 36, false}),
                         Label("dopo", "dopo", QRect(0, 350, 1000, 50))};
    d.detail.height = 400;
    const auto pages = Paginate(d, oneRow("a b c"), QSizeF(12000, 3100));
    const auto pieces = piecesOf(pages, "txtNome");
    ASSERT_EQ(pieces.size(), 3u);   // one huge line a page
    QString joined;
    for (const auto &[page, it] : pieces)
        joined += it->text;
    EXPECT_EQ(joined, "a b c");
    EXPECT_EQ(piecesOf(pages, "dopo").size(), 1u);
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

struct PromptsScope : ptest::PromptsScope {
    ~PromptsScope() { SetPrinterProbe(nullptr); }
};

// The pages of a PDF file; -1 when there is none.
int pdfPages(const QString &file)
{
    const QByteArray pdf = ptest::readFile(file);
    return pdf.startsWith("%PDF") ? int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page ")) : -1;
}

TEST(ReportPrint, PrinterPaths)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("rapporto.pdf");
    const QString unwritable = dir.filePath("manca/rapporto.pdf");
    struct Case {
        bool installed, chosen;
        QString file;   // typed in the printer dialog
        bool handlerShows;
        std::vector<long> errors;
        QStringList messages;
        bool written;
    } cases[] = {
        // No printer: the dialog offers a PDF file, and the pages are written there.
        {false, true, pdf, true, {}, {}, true},
        {false, false, pdf, true, {}, {}, false},   // the user cancels
        // Nothing at all can be produced.
        {false, true, unwritable, true, {rpterr::NoPrinter}, {"Stampante non installata!"}, false},
        {false, true, unwritable, false, {rpterr::NoPrinter}, {}, false},
        // A printer is installed but the user chose a file that cannot be written.
        {true, true, unwritable, true, {rpterr::PrintFailed},
         {"Impossibile scrivere il file '" + QDir::toNativeSeparators(unwritable) + "'."}, false},
        {true, false, QString(), true, {}, {}, false},
    };
    for (const Case &c : cases) {
        QFile::remove(pdf);
        PromptsScope ps;
        SetPrinterProbe([&] { return c.installed; });
        ps.p.printers.push_back(c.chosen);
        ps.p.printFiles.push_back(c.file);
        Probe r("rptProva", tallDesign());
        r.show = c.handlerShows;
        r.setDataSource(oneRow("x"));
        r.PrintReport();
        EXPECT_EQ(r.errors, c.errors) << c.file.toStdString();
        EXPECT_EQ(ps.p.messages(), c.messages) << c.file.toStdString();
        ASSERT_EQ(ps.p.shown.at(0).kind, "choosePrinter");
        // Without a printer a PDF file is offered, never one that exists.
        const QString offered = ps.p.shown.at(0).text;
        EXPECT_EQ(!offered.isEmpty(), !c.installed) << offered.toStdString();
        if (!offered.isEmpty()) {
            EXPECT_TRUE(QFileInfo(offered).fileName().startsWith("Prova")) << offered.toStdString();
            EXPECT_TRUE(offered.endsWith(".pdf")) << offered.toStdString();
            EXPECT_FALSE(QFile::exists(offered)) << offered.toStdString();
        }
        EXPECT_EQ(pdfPages(pdf), c.written ? int(r.pages().size()) : -1) << c.file.toStdString();
    }
    EXPECT_GE(Paginate(tallDesign(), oneRow("x"), DefaultPaperTwips()).size(), 2u);
}

TEST(ReportPrint, FreePdfFileNames)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    struct Case { const char *docName, *existing, *expected; } cases[] = {   // existing: a file already there
        {"Stampa Glossario", nullptr, "Stampa Glossario.pdf"},
        {"Stampa Glossario", "Stampa Glossario.pdf", "Stampa Glossario (2).pdf"},
        {"Stampa Glossario", "Stampa Glossario (2).pdf", "Stampa Glossario (3).pdf"},
        {"a/b:c*?", nullptr, "a_b_c__.pdf"},
        {"  ", nullptr, "Stampa.pdf"},
    };
    for (const Case &c : cases) {
        if (c.existing) {
            ASSERT_TRUE(ptest::writeFile(QDir(folder).filePath(c.existing), {}));
        }
        EXPECT_EQ(platform::print::FreePdfPath(c.docName, folder), QDir(folder).filePath(c.expected)) << c.docName;
    }
}

TEST(ReportPreview, ModalPreviewShowsThePagesThenTheReportEnds)
{
    PromptsScope ps;
    Probe r("rptProva", tallDesign());
    r.setDataSource(oneRow("v"));
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
