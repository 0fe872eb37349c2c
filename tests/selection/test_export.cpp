// The export of the data table to an Excel workbook: the item list, the file
// name, the metadata query on the sample metadata, the two sheets read back
// from the file, and the whole command from the data table window with its
// questions, its failures and the opening of the file.
#include "DataWindow.h"
#include "platform/Shell.h"
#include "selection/ExcelExport.h"
#include "support/FileSizeLimit.h"
#include "../platform/test_xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <tuple>

using platform::grid::TextGrid;
using platform::shell::OpenResult;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// A table as the data window lays it out, with two items (A0101 in two years,
// D0102 in one) and a formula column.
void fillTable(TextGrid &g)
{
    g.SetContents({{"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0101_2004", "A0101_2005", "D0102_2003",
                    "Funz1"},
                   {"1", "001", "12,50", "1", "Torino", "12,50", "", "n.d.", "1,0000"},
                   {"2", "1", "", "1", "Piemonte", "5419384,00", "-0,25", "7", ""}},
                  9);
}

class Export : public testenv::DataWindowTest {
protected:
    std::vector<QString> opened;   // by the shell
    OpenResult answer = OpenResult::Opened;

    void SetUp() override
    {
        platform::shell::SetOpenHook([this](const QString &p) {
            opened.push_back(p);
            return answer;
        });
    }
    void TearDown() override
    {
        platform::shell::SetOpenHook({});
        DataWindowTest::TearDown();
    }
};

} // namespace

TEST(ExportRules, ItemListFileNameAndFormats)
{
    EXPECT_EQ(ExcelExport::ItemList({"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001_1996",
                                     "A0001_1997", "B0102_2005", "AB2005", "X2004", "Funz1", "A0001_1998", "2004"}),
              QStringList({"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001", "B0102", "A", "Funz1",
                           "2004"}));
    const std::pair<QString, QString> names[] = {
        {"/e/tab", "/e/tab.xlsx"},   {"/e/tab.xlsx", "/e/tab.xlsx"}, {"/e/tab.XLSX", "/e/tab.XLSX"},
        {"/e/tab.xls", "/e/tab.xlsx"}, {"/e/tab.", "/e/tab.xlsx"},   {"/e/dati.2005", "/e/dati.2005.xlsx"},
        {"/e/tab.XLS", "/e/tab.xlsx"}, {"/e/tab.Xls", "/e/tab.xlsx"}, {"/e/tab.xls.xls", "/e/tab.xls.xlsx"},
        {"", ""}};
    for (const auto &[chosen, written] : names)
        EXPECT_EQ(ExcelExport::ExportFileName(chosen), written) << chosen.toStdString();
    const std::pair<QString, QString> formats[] = {{"12,50", "0.00"}, {"-0,25", "0.00"}, {"4,1667", "0.0000"},
                                                   {"5", "0"},        {" 1,5 ", "0.0"},  {"1,5E+3", ""}};
    for (const auto &[text, format] : formats)
        EXPECT_EQ(ExcelExport::NumberFormatOf(text), format) << text.toStdString();
    EXPECT_EQ(ExcelExport::TemplateName("Variabili") + ExcelExport::TemplateName("variabili"),
              "DatiTemplateVarDatiTemplateInd");
}

TEST_F(Export, MetadataQueryOnTheSampleMetadata)
{
    // The indicators' query is read back from the workbook below.
    const QString sql =
        ExcelExport::MetadataQuery("Variabili", {"TipoTerritorio", "COD_TERR", "A0101", "d0102", "O'Brien", "Funz1"});
    EXPECT_TRUE(sql.endsWith("WHERE  IDVariabile ='TipoTerritorio' OR  IDVariabile ='COD_TERR' OR  IDVariabile ='A0101' "
                             "OR  IDVariabile ='d0102' OR  IDVariabile ='O''Brien' OR  IDVariabile ='Funz1' "))
        << sql.toStdString();
    QStringList ids;
    for (auto rs = platform::db::Database::open(gDbPath, "Metadati.mdb").query(sql); !rs.eof(); rs.moveNext())
        ids << rs.text(0);
    ids.sort();
    EXPECT_EQ(ids, QStringList({"A0101", "D0102"}));
}

TEST_F(Export, BothSheetsReadBack)
{
    for (const auto &[kind, metaCols, firstMetaHeader] :
         {std::tuple<QString, int, QString>{"Variabili", 77, "Variabile"}, {"Indicatori", 21, "Indicatore"}}) {
        SCOPED_TRACE(kind.toStdString());
        const bool var = kind == "Variabili";
        gTipoDb = kind;
        TextGrid g;
        fillTable(g);
        if (!var)
            g.setTextMatrix(0, 7, "A01001_2003");
        const QString file = pf.path() + "prova.xlsx";
        pf.prompts.clear();
        ASSERT_TRUE(Utility_RQM::CreateExcelFile(file, ExcelExport::TemplateName(kind), g.Rows(), g));
        EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();

        const xlsxtest::Book b = xlsxtest::Read(file);
        ASSERT_TRUE(b.ok && b.sheets.size() == 2u);
        EXPECT_EQ(b.sheets[0].name + "|" + b.sheets[1].name + QString::number(b.activeTab), "Dati|Metadati0");

        // The data sheet: every grid cell at its place; numbers only in value cells.
        // Numbers keep the decimals the table shows: two for the data, four for a formula.
        const struct Cell { const char *ref; char type; QString text; double number; QString format; } data[] = {
            {"A1", 's', "TipoTerritorio", 0, {}}, {"F1", 's', "A0101_2004", 0, {}},
            {"I1", 's', "Funz1", 0, {}},          {"A2", 's', "1", 0, {}},      // hidden type column, as text
            {"B2", 's', "001", 0, {}},            {"C2", 's', "12,50", 0, {}},  // PROV stays text
            {"F2", 'n', {}, 12.5, "0.00"},        {"G2", 0, {}, 0, {}},         // empty stays empty
            {"H2", 's', "n.d.", 0, {}},           {"I2", 'n', {}, 1, "0.0000"},
            {"F3", 'n', {}, 5419384, "0.00"},     {"G3", 'n', {}, -0.25, "0.00"}, {"C3", 0, {}, 0, {}},
            {"H3", 'n', {}, 7, "0"},
        };
        for (const Cell &e : data) {
            const xlsxtest::Cell &c = b.cell(0, e.ref);
            EXPECT_EQ(std::make_tuple(c.type, e.type == 's' ? c.text : e.text, e.type == 'n' ? c.number : 0.0,
                                      e.type == 'n' ? c.format : e.format),
                      std::make_tuple(e.type, e.text, e.number, e.format))
                << e.ref;
        }
        EXPECT_EQ(std::make_pair(b.sheets[0].maxRow, b.sheets[0].maxCol), std::make_pair(2, 8));

        // The metadata sheet: the header, then one row per item found.
        const xlsxtest::Sheet &m = b.sheets[1];
        EXPECT_EQ(m.maxCol, metaCols - 1);
        EXPECT_EQ(b.cell(1, "A1").text + "|" + b.cell(1, "C1").text, firstMetaHeader + "|Codice Sottoarea");
        const QStringList expected = var ? QStringList({"A0101", "D0102"}) : QStringList({"A01001"});
        EXPECT_EQ(m.maxRow, expected.size());
        QStringList ids;
        for (int r = 1; r <= expected.size(); ++r)
            ids << b.cell(1, xlsxtest::Ref(r, 0)).text;
        ids.sort();
        EXPECT_EQ(ids, expected);
        // The year flags are Booleans; the variables' last year is a number.
        const int firstYearCol = var ? 9 : 7;
        EXPECT_EQ(b.cell(1, xlsxtest::Ref(0, firstYearCol)).text, "1996");
        EXPECT_EQ(b.cell(1, xlsxtest::Ref(1, firstYearCol)).type, 'b');
        if (var) {
            EXPECT_EQ(b.cell(1, "I2").type, 'n');
        }
    }
}

TEST_F(Export, FailuresOfTheWorkbook)
{
    TextGrid g;
    fillTable(g);
    gTipoDb = "Variabili";
    const QString file = pf.path() + "esito.xlsx";

    // A template that does not exist: logged, nothing written.
    EXPECT_FALSE(Utility_RQM::CreateExcelFile(file, "DatiTemplateXyz", g.Rows(), g));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(errorLog().contains("CreateExcelFile"));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("Errore : "));

    // A full disk: the workbook of the same name stays as it was, and the user is told.
    pf.prompts.clear();
    ASSERT_TRUE(writeFile(file, "vecchio"));
    {
        testsupport::FileSizeLimit full(2048);
        EXPECT_FALSE(Utility_RQM::CreateExcelFile(file, "DatiTemplateVar", g.Rows(), g));
    }
    EXPECT_EQ(readFile(file), "vecchio");
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("Errore : ") && messages()[0].contains("esito.xlsx")) << messages()[0].toStdString();
    ASSERT_TRUE(QFile::remove(file));

    // Metadata that cannot be read: the data sheet is saved whole, the result is a failure.
    pf.prompts.clear();
    ASSERT_TRUE(QFile::remove(gDbPath + "Metadati.mdb"));
    EXPECT_FALSE(Utility_RQM::CreateExcelFile(file, "DatiTemplateVar", g.Rows(), g));
    EXPECT_TRUE(errorLog().contains("CopyRecordsMeta"));
    EXPECT_EQ(messages().size(), 1);
    const xlsxtest::Book b = xlsxtest::Read(file);
    ASSERT_TRUE(b.ok);
    EXPECT_DOUBLE_EQ(b.cell(0, "F2").number, 12.5);
    EXPECT_TRUE(b.sheets[1].cells.empty());

    // A file gone before it is opened.
    pf.prompts.clear();
    pf.prompts.answers = {platform::mb::Yes};
    ASSERT_TRUE(QFile::remove(file));
    Utility_RQM::OpenFileExcel(nullptr, file);
    EXPECT_EQ(messages(), QStringList({"Si desidera aprire il file adesso per consultarlo?", "File non trovato o rovinato."}));
    EXPECT_EQ(pf.prompts.shown.back().style, platform::mb::Critical);
    EXPECT_TRUE(opened.empty());
}

TEST_F(Export, TheCommandFromTheDataWindow)
{
    // The save dialog's own arguments, which the scripted prompts do not keep.
    struct Recording : platform::ScriptedPrompts {
        QString filter, initialPath;
        bool confirmOverwrite = true;
        QString saveFile(const QString &title, const QString &f, const QString &path, bool confirm) override
        {
            std::tie(filter, initialPath, confirmOverwrite) = std::make_tuple(f, path, confirm);
            return ScriptedPrompts::saveFile(title, f, path, confirm);
        }
    } rec;
    struct Case {
        const char *what;
        QString chosen;             // the save dialog's answer ("" = cancel); relative to gExcelPath
        QString existing;           // "" none, "file", "folder"
        std::deque<int> answers;    // overwrite? then open?
        OpenResult shell;
        bool written;               // a new workbook under the name
        QStringList messages;
        int opened;
    };
    const QString askOpen = "Si desidera aprire il file adesso per consultarlo?";
    const QString overwrite = "Il File esiste si vuole sovrascriverlo?";
    const int yes = platform::mb::Yes, no = platform::mb::No;
    const std::vector<Case> cases = {
        {"cancelled", "", "", {}, OpenResult::Opened, false, {}, 0},
        {"new, not opened", "tab", "", {no}, OpenResult::Opened, true, {askOpen}, 0},
        {"new, opened", "tab.xlsx", "", {yes}, OpenResult::Opened, true, {askOpen}, 1},
        {"existing, kept", "tab.xlsx", "file", {no}, OpenResult::Opened, false, {overwrite}, 0},
        {"existing, replaced", "tab", "file", {yes, no}, OpenResult::Opened, true, {overwrite, askOpen}, 0},
        {"no application", "tab.xls", "", {yes}, OpenResult::NoApplication, true,
         {askOpen, "Non si dispone di un'applicazione che possa aprire il file!"}, 1},
        {"name taken by a folder", "tab.xlsx", "folder", {yes}, OpenResult::Opened, false, {overwrite, "Errore : "}, 0},
    };
    openItems("Variabili.mdb", "Variabili", {"A0101-2004", "A0101-2005", "D0102-2003"},
              {"Torino", "Roma", "Piemonte", "Italia", "Lazio"});
    TextGrid &g = grid();
    ASSERT_GE(g.Rows(), 4);
    auto *exportButton = testenv::ctl<QPushButton>(w, "cmdEsportaXls");
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        QDir(gExcelPath).removeRecursively();
        const QString file = gExcelPath + "tab.xlsx";
        if (!k.existing.isEmpty())
            QDir().mkpath(k.existing == "folder" ? file + "/dentro" : gExcelPath);
        if (k.existing == "file") {
            ASSERT_TRUE(writeFile(file, "vecchio"));
        }
        // The table in another order beforehand.
        g.setCol(4);
        g.setSort(platform::grid::sort::GenericDescending);
        rec.clear();
        rec.files = {k.chosen.isEmpty() ? QString() : gExcelPath + k.chosen};
        rec.answers = k.answers;
        answer = k.shell;
        opened.clear();

        platform::setPrompts(&rec);
        exportButton->click();
        platform::setPrompts(&pf.prompts);

        // The export folder is made on demand, and the table stays in code order.
        EXPECT_TRUE(QFileInfo(gExcelPath).isDir());
        for (int r = 2; r < g.Rows(); ++r)
            EXPECT_LE(platform::grid::compareGeneric(g.TextMatrix(r - 1, 1), g.TextMatrix(r, 1)), 0) << r;
        ASSERT_FALSE(rec.shown.empty());
        EXPECT_EQ(QStringList({rec.shown[0].kind, rec.shown[0].title, rec.filter, rec.initialPath}),
                  QStringList({"saveFile", "Selezionare un file...", "File di Microsoft Excel. (*.xlsx)", gExcelPath}));
        EXPECT_FALSE(rec.confirmOverwrite); // the export asks its own question

        QStringList msgs = rec.messages();
        for (QString &m : msgs)
            if (m.startsWith("Errore : "))
                m = "Errore : ";
        EXPECT_EQ(msgs, k.messages);
        for (const auto &s : rec.shown)
            if (s.text == overwrite || s.text == askOpen) {
                EXPECT_EQ(QString::number(s.style) + s.title, s.text == overwrite ? "36Creazione File Excel" : "36");
            }
        EXPECT_EQ(opened, std::vector<QString>(size_t(k.opened), file));

        if (k.written) {
            const xlsxtest::Book b = xlsxtest::Read(file);
            ASSERT_TRUE(b.ok);
            EXPECT_EQ(b.cell(0, "B2").text, g.TextMatrix(1, 1));
            EXPECT_EQ(std::make_pair(b.sheets[0].maxRow, b.sheets[1].maxRow), std::make_pair(g.Rows() - 1, 2));
        } else if (k.existing == "file") {
            EXPECT_EQ(readFile(file), "vecchio");
        } else if (k.existing == "folder") {
            EXPECT_TRUE(QFileInfo(file + "/dentro").isDir());
        }
        // Nothing else in the folder: no temporary file, no other name.
        const QStringList left = QDir(gExcelPath).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        EXPECT_EQ(left, QFileInfo::exists(file) ? QStringList{"tab.xlsx"} : QStringList{});
    }
}
