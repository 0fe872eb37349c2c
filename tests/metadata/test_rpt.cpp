// The three metadata reports on the sample database: the record bound to the
// fields of each design, the pages, keys with apostrophes, records missing, and
// the messages when printing cannot happen.
#include "MetaTest.h"
#include "metadata/rptGlossario.h"
#include "metadata/rptIndicatori.h"
#include "metadata/rptVariabili.h"
#include "platform/report/Report.h"

#include <functional>
#include <QPushButton>

using namespace platform::report;

namespace {

class Reports : public testenv::MetaTest {
protected:

    void TearDown() override
    {
        SetPrinterProbe(nullptr);
        rptVariabili::Default().clearDataSource();
        rptIndicatori::Default().clearDataSource();
        rptGlossario::Default().clearDataSource();
    }
    static QString at(const std::vector<Page> &pages, int page, const QString &name)
    {
        const Item *it = pages.at(size_t(page)).find(name);
        return it ? it->text : QStringLiteral("<none: ") + name + ">";
    }
    static QString anywhere(const std::vector<Page> &pages, const QString &name)
    {
        for (const Page &p : pages)
            if (const Item *it = p.find(name))
                return it->text;
        ADD_FAILURE() << name.toStdString();
        return {};
    }
    static int countOf(const std::vector<Page> &pages, const QString &name)
    {
        int n = 0;
        for (const Page &p : pages)
            n += p.find(name) != nullptr;
        return n;
    }
};

TEST_F(Reports, VariableSheetOverSeveralPages)
{
    sql("update MetadatiVariabili set [1997] = null, [1998] = 0, Fonte_1999 = null, Ente_2000 = '-' "
        "where IdVariabile = 'A0101'");
    rptVariabili &r = rptVariabili::Default();
    ASSERT_TRUE(r.InitReport("A0101"));
    EXPECT_TRUE(r.HasConnection());
    const auto pages = r.pages();
    ASSERT_GE(pages.size(), 3u);
    for (size_t p = 0; p < pages.size(); ++p)
        EXPECT_EQ(at(pages, int(p), "Label76"), "Scheda variabile");
    // 1996 Si, 1997 Null, 1998 No
    const std::pair<const char *, QString> first[] = {
        {"TextBox1", "A0101"}, {"TextBox2", "Popolazione residente al 31 dicembre"}, {"TextBox3", "A01"},
        {"TextBox4", "Popolazione e territorio"}, {"TextBox5", "Si"}, {"TextBox6", ""}, {"TextBox7", "No"},
        {"TextBox18", "abitanti"}, {"Label20", "Note sull'intera serie"}};
    for (const auto &[name, text] : first)
        EXPECT_EQ(at(pages, 0, name), text);
    // Every year of sources, publications and bodies is printed, empty or not.
    for (int b = 21; b <= 72; ++b)
        EXPECT_EQ(countOf(pages, QStringLiteral("TextBox%1").arg(b)), 1) << b;
    EXPECT_EQ(anywhere(pages, "TextBox37"), "");   // Fonte_1999 Null
    EXPECT_EQ(anywhere(pages, "TextBox64"), "-");  // Ente_2000
    EXPECT_EQ(anywhere(pages, "TextBox60"), "Istituto nazionale di statistica");
    EXPECT_EQ(anywhere(pages, "Label62"), "Enti");
    // The report's width and margins fit the A4 paper.
    const Design &d = r.design();
    EXPECT_LE(d.reportWidth + d.margins.left() + d.margins.right(), DefaultPaperTwips().width());
}

TEST_F(Reports, IndicatorSheet)
{
    const std::pair<const char *, QString> cases[] = {{"'B2'", QString::fromUtf8("Dotazione - capacità")}, {"null", ""}};
    rptIndicatori &r = rptIndicatori::Default();
    for (const auto &[valutazione, aspetto] : cases) {
        sql(QString("update MetadatiIndicatori set Valutazione = %1, [1999] = 0 where IdIndicatore = 'B01002'")
                .arg(valutazione));
        ASSERT_TRUE(r.InitReport("B01002"));
        const auto pages = r.pages();
        ASSERT_EQ(pages.size(), 1u) << valutazione;
        const std::pair<const char *, QString> fields[] = {
            {"Label1", "Scheda indicatore"}, {"TextBox1", "B01002"}, {"TextBox3", "B01"}, {"TextBox4", "Rete stradale"},
            {"TextBox2", "Km di autostrade per 100 km² di superficie"}, {"TextBox5", aspetto},
            {"TextBox6", "B0101 / A0102 x 100"}, {"TextBox11", "No"}, {"TextBox8", "Si"}, {"Label20", "2008"}};
        for (const auto &[name, text] : fields)   // 1999 No, 1996 Si
            EXPECT_EQ(at(pages, 0, name), text) << valutazione;
    }
    // A key with a quote is a key like any other: no record, an empty report.
    ASSERT_TRUE(r.InitReport("B01'002"));
    EXPECT_EQ(r.pages().at(0).find("TextBox1"), nullptr);
}

TEST_F(Reports, GlossaryTermInThePreview)
{
    rptGlossario &r = rptGlossario::Default();
    QString caption;
    std::vector<Page> pages;
    testenv::onModal([&](QWidget *dlg) {
        caption = dlg->windowTitle();
        pages = r.pages();
        testenv::ctl<QPushButton>(dlg, "cmdChiudi")->click();
    });
    EXPECT_TRUE(rptGlossario::ShowTerm("Bacino d'utenza"));
    EXPECT_EQ(caption, "Stampa Glossario");
    EXPECT_FALSE(r.HasConnection());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(at(pages, 0, "Label1") + "|" + at(pages, 0, "txtNome"), " Corvenna - Glossario|Bacino d'utenza");
    EXPECT_TRUE(at(pages, 0, "txtDesc").startsWith("Territorio e popolazione serviti"));
    EXPECT_NE(pages[0].find("Shape1"), nullptr);

    ASSERT_TRUE(r.InitReport("Termine che non esiste"));
    pages = r.pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].find("Label1") && !pages[0].find("txtNome"));
}

TEST_F(Reports, LongDefinitionPrintedWholeOverSeveralPages)
{
    // 10,000 characters of words, and a last word to find on the last page.
    QString definition;
    for (int i = 0; definition.size() < 9992; ++i)
        definition += QStringLiteral("infrastruttura%1 ").arg(i % 10);
    definition = definition.left(9992) + QStringLiteral(" ULTIMA.");
    ASSERT_EQ(definition.size(), 10000);
    sql("update Glossario set Definizione = '" + definition + "' where Nome = 'Accosto'");
    rptGlossario &r = rptGlossario::Default();
    ASSERT_TRUE(r.InitReport("Accosto"));
    const auto pages = r.pages();
    ASSERT_GE(pages.size(), 2u);
    const Design &d = r.design();
    const double bodyBottom = DefaultPaperTwips().height() - d.margins.bottom() - d.pageFooter.height;
    QString printed;
    for (size_t p = 0; p < pages.size(); ++p) {
        const Item *desc = pages[p].find("txtDesc");
        const Item *frame = pages[p].find("Shape1");
        ASSERT_TRUE(desc && frame) << "page " << p;
        printed += desc->text;
        EXPECT_TRUE(frame->rect.contains(desc->rect)) << "page " << p;
        // The page ends on a whole line.
        ASSERT_FALSE(desc->lines.empty());
        EXPECT_LE(desc->rect.top() + desc->lines.back().top + desc->lineHeight, bodyBottom + 1) << "page " << p;
    }
    EXPECT_EQ(printed, definition);
    EXPECT_TRUE(pages.back().find("txtDesc")->lines.back().text.endsWith("ULTIMA."));
    EXPECT_EQ(at(pages, 0, "txtNome"), "Accosto");
}

TEST_F(Reports, InitReportFailures)
{
    sql("alter table Glossario rename to GlossarioVecchio");
    EXPECT_FALSE(rptGlossario::Default().InitReport("Accosto"));
    EXPECT_FALSE(rptGlossario::Default().HasConnection());
    EXPECT_TRUE(errorLog().contains("Module:rptGlossario Function: InitReport")) << errorLog().toStdString();

    ASSERT_TRUE(QFile::rename(pf.databases() + "Metadati.mdb", pf.databases() + "Metadati.old"));
    EXPECT_FALSE(rptVariabili::Default().InitReport("A0101"));
    EXPECT_FALSE(rptIndicatori::Default().InitReport("A01001"));
    EXPECT_EQ(rptVariabili::Default().dataSource(), nullptr);
}

TEST_F(Reports, WithoutAPrinterEachReportIsWrittenToAPdfFile)
{
    SetPrinterProbe([] { return false; });
    const std::tuple<DataReport *, std::function<bool()>, int> cases[] = { // style: of the message when nothing prints
        {&rptVariabili::Default(), [] { return rptVariabili::Default().InitReport("A0101"); }, 0},
        {&rptIndicatori::Default(), [] { return rptIndicatori::Default().InitReport("B01002"); }, 48},
        {&rptGlossario::Default(), [] { return rptGlossario::Default().InitReport("Accosto"); }, 48},
    };
    for (const auto &[report, init, style] : cases) {
        SCOPED_TRACE(report->name().toStdString());
        ASSERT_TRUE(init());
        const QString pdf = pf.path() + report->name() + ".pdf";
        pf.prompts.clear();
        pf.prompts.printers = {true};
        pf.prompts.printFiles = {pdf};
        report->PrintReport();
        EXPECT_EQ(messages(), "");
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        EXPECT_TRUE(data.startsWith("%PDF"));
        EXPECT_EQ(data.count("/Type /Page\n") + data.count("/Type /Page "), qsizetype(report->pages().size()));

        // Nothing at all can be produced: the one message of the three reports.
        pf.prompts.clear();
        pf.prompts.printers = {true};
        pf.prompts.printFiles = {pf.path() + "manca/" + report->name() + ".pdf"};
        report->PrintReport();
        ASSERT_EQ(pf.prompts.messages(), QStringList("Stampante non installata!"));
        EXPECT_EQ(pf.prompts.shown.back().style, style);
    }
}

} // namespace
