// The export of the data table to an Excel workbook: the item list, the file
// name, the metadata query on the sample metadata, the two sheets read back
// from the file, and the whole command from the data table window with its
// questions, its failures and the opening of the file.
#include "frame/Globals.h"
#include "platform/Shell.h"
#include "platform/db/Database.h"
#include "platform/grid/TextGrid.h"
#include "selection/ExcelExport.h"
#include "selection/FormdatiTabLogic.h"
#include "selection/frm_dispData.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnv.h"
#include "../platform/test_xlsx_reader.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <gtest/gtest.h>

using platform::grid::TextGrid;
using platform::shell::OpenResult;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A table as the data window lays it out, with two items (A0101 in two years,
// D0102 in one) and a formula column.
void fillTable(TextGrid &g)
{
    g.SetContents({
                      {"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0101_2004", "A0101_2005",
                       "D0102_2003", "Funz1"},
                      {"1", "001", "12,50", "1", "Torino", "12,50", "", "n.d.", "1,0000"},
                      {"2", "1", "", "1", "Piemonte", "5419384,00", "-0,25", "7", ""},
                  },
                  9);
}

struct ShellSpy {
    std::vector<QString> opened;
    OpenResult answer = OpenResult::Opened;
    ShellSpy()
    {
        platform::shell::SetOpenHook([this](const QString &p) {
            opened.push_back(p);
            return answer;
        });
    }
    ~ShellSpy() { platform::shell::SetOpenHook({}); }
};

class Export : public ::testing::Test {
protected:
    testenv::ProgramFolder pf;
    ShellSpy shell;
    frm_dispData *w = nullptr;

    void TearDown() override { delete w; }

    QStringList boxes() const { return pf.prompts.messages(); }

    QString errorLog() const { return QString::fromUtf8(readFile(gFilesPath + "Error.log")); }

    // The data window on a few variables and territories of the sample.
    frm_dispData *openSample()
    {
        gDbName = "Variabili.mdb";
        gTipoDb = "Variabili";
        auto db = platform::db::Database::open(gDbPath, gDbName, platform::db::OpenMode::ReadOnly);
        const QStringList lines = {"A0101-2004 - x", "A0101-2005 - x", "D0102-2003 - x"};
        gSqlDati = selection::CreaQuery(lines, gTipoDb,
                                        selection::CreaFiltroTerritori({"Torino", "Roma", "Piemonte", "Italia", "Lazio"}),
                                        [&](const QString &id, const QString &anno) {
                                            auto rs = db.query(selection::LookupQuery(id, anno));
                                            return rs.eof() ? QString() : rs.text(0);
                                        });
        gLivelloTerritorio = 3;
        w = frm_dispData::ShowForm();
        QApplication::processEvents();
        return w;
    }

    void clickExport() { w->findChild<QPushButton *>("cmdEsportaXls")->click(); }
};

} // namespace

TEST(ExportRules, ItemListAndFileName)
{
    const QStringList headers = {"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001_1996",
                                 "A0001_1997", "B0102_2005", "AB2005", "X2004", "Funz1", "A0001_1998", "2004"};
    EXPECT_EQ(ExcelExport::ItemList(headers),
              QStringList({"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001", "B0102", "A", "Funz1", "2004"}));

    const std::vector<std::pair<QString, QString>> names = {
        {"/e/tab", "/e/tab.xlsx"},       {"/e/tab.xlsx", "/e/tab.xlsx"}, {"/e/tab.XLSX", "/e/tab.XLSX"},
        {"/e/tab.xls", "/e/tab.xlsx"},   {"/e/tab.", "/e/tab.xlsx"},     {"/e/dati.2005", "/e/dati.2005.xlsx"},
        {"/e/tab.XLS", "/e/tab.xlsx"},   {"/e/tab.Xls", "/e/tab.xlsx"},  {"/e/tab.xls.xls", "/e/tab.xls.xlsx"},
        {"", ""},
    };
    for (const auto &[chosen, written] : names)
        EXPECT_EQ(ExcelExport::ExportFileName(chosen), written) << chosen.toStdString();

    const std::vector<std::pair<QString, QString>> formats = {
        {"12,50", "0.00"}, {"-0,25", "0.00"}, {"4,1667", "0.0000"}, {"5", "0"}, {" 1,5 ", "0.0"}, {"1,5E+3", ""},
    };
    for (const auto &[text, format] : formats)
        EXPECT_EQ(ExcelExport::NumberFormatOf(text), format) << text.toStdString();

    EXPECT_EQ(ExcelExport::TemplateName("Variabili"), "DatiTemplateVar");
    for (const char *kind : {"Indicatori", "variabili", ""})
        EXPECT_EQ(ExcelExport::TemplateName(kind), "DatiTemplateInd") << kind;
}

TEST_F(Export, MetadataQueryOnTheSampleMetadata)
{
    auto db = platform::db::Database::open(gDbPath, "Metadati.mdb", platform::db::OpenMode::ReadOnly);
    struct Case {
        QString kind;
        QStringList items;
        QString tail;
        int fields;
        QStringList found;
    };
    const std::vector<Case> cases = {
        {"Variabili", {"TipoTerritorio", "COD_TERR", "A0101", "d0102", "O'Brien", "Funz1"},
         "WHERE  IDVariabile ='TipoTerritorio' OR  IDVariabile ='COD_TERR' OR  IDVariabile ='A0101' OR  "
         "IDVariabile ='d0102' OR  IDVariabile ='O''Brien' OR  IDVariabile ='Funz1' ",
         77, {"A0101", "D0102"}},
        {"Indicatori", {"Territorio", "A01001"}, "WHERE  IDIndicatore ='Territorio' OR  IDIndicatore ='A01001' ", 21,
         {"A01001"}},
    };
    for (const Case &k : cases) {
        const QString sql = ExcelExport::MetadataQuery(k.kind, k.items);
        EXPECT_TRUE(sql.endsWith(k.tail)) << sql.toStdString();
        auto rs = db.query(sql);
        EXPECT_EQ(rs.fieldCount(), k.fields);
        QStringList ids;
        for (; !rs.eof(); rs.moveNext())
            ids << rs.text(0);
        ids.sort();
        EXPECT_EQ(ids, k.found);
    }
}

TEST_F(Export, BothSheetsReadBack)
{
    struct Case {
        QString kind;
        int metaCols;
        QString firstMetaHeader;
    };
    for (const Case &k : {Case{"Variabili", 77, "Variabile"}, Case{"Indicatori", 21, "Indicatore"}}) {
        SCOPED_TRACE(k.kind.toStdString());
        gTipoDb = k.kind;
        TextGrid g;
        fillTable(g);
        if (k.kind == "Indicatori")
            g.setTextMatrix(0, 7, "A01001_2003");
        const QString file = pf.path() + "prova.xlsx";
        ASSERT_TRUE(Utility_RQM::CreateExcelFile(file, ExcelExport::TemplateName(k.kind), g.Rows(), g));
        EXPECT_TRUE(boxes().isEmpty()) << boxes().join("|").toStdString();

        const xlsxtest::Book b = xlsxtest::Read(file);
        ASSERT_TRUE(b.ok);
        ASSERT_EQ(b.sheets.size(), 2u);
        EXPECT_EQ(b.sheets[0].name, "Dati");
        EXPECT_EQ(b.sheets[1].name, "Metadati");
        EXPECT_EQ(b.activeTab, 0);

        // The data sheet: every grid cell at its place; numbers only in value cells.
        // Numbers keep the decimals the table shows: two for the data, four for a formula.
        struct Cell {
            const char *ref;
            char type;
            QString text;
            double number;
            QString format;
        };
        const std::vector<Cell> data = {
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
            EXPECT_EQ(c.type, e.type) << e.ref;
            if (e.type == 's') {
                EXPECT_EQ(c.text, e.text) << e.ref;
            } else if (e.type == 'n') {
                EXPECT_DOUBLE_EQ(c.number, e.number) << e.ref;
                EXPECT_EQ(c.format, e.format) << e.ref;
            }
        }
        EXPECT_EQ(b.sheets[0].maxRow, 2);
        EXPECT_EQ(b.sheets[0].maxCol, 8);

        // The metadata sheet: the header, then one row per item found.
        const xlsxtest::Sheet &m = b.sheets[1];
        EXPECT_EQ(m.maxCol, k.metaCols - 1);
        EXPECT_EQ(b.cell(1, "A1").text, k.firstMetaHeader);
        EXPECT_EQ(b.cell(1, "C1").text, "Codice Sottoarea");
        const int records = k.kind == "Variabili" ? 2 : 1;
        EXPECT_EQ(m.maxRow, records);
        QStringList ids;
        for (int r = 1; r <= records; ++r)
            ids << b.cell(1, xlsxtest::Ref(r, 0)).text;
        ids.sort();
        EXPECT_EQ(ids, k.kind == "Variabili" ? QStringList({"A0101", "D0102"}) : QStringList({"A01001"}));
        // The year flags are Booleans; the variables' last year is a number.
        const int firstYearCol = k.kind == "Variabili" ? 9 : 7;
        EXPECT_EQ(b.cell(1, xlsxtest::Ref(0, firstYearCol)).text, "1996");
        EXPECT_EQ(b.cell(1, xlsxtest::Ref(1, firstYearCol)).type, 'b');
        if (k.kind == "Variabili") {
            EXPECT_EQ(b.cell(1, "I2").type, 'n');
        }
        pf.prompts.clear();
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
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(boxes()[0].startsWith("Errore : "));

    // A full disk: the workbook of the same name stays as it was, and the user is told.
    pf.prompts.clear();
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("vecchio");
    }
    {
        testsupport::FileSizeLimit full(2048);
        EXPECT_FALSE(Utility_RQM::CreateExcelFile(file, "DatiTemplateVar", g.Rows(), g));
    }
    EXPECT_EQ(readFile(file), "vecchio");
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(boxes()[0].startsWith("Errore : ") && boxes()[0].contains("esito.xlsx")) << boxes()[0].toStdString();
    ASSERT_TRUE(QFile::remove(file));

    // Metadata that cannot be read: the data sheet is saved whole, the result is a failure.
    pf.prompts.clear();
    ASSERT_TRUE(QFile::remove(gDbPath + "Metadati.mdb"));
    EXPECT_FALSE(Utility_RQM::CreateExcelFile(file, "DatiTemplateVar", g.Rows(), g));
    EXPECT_TRUE(errorLog().contains("CopyRecordsMeta"));
    EXPECT_EQ(boxes().size(), 1);
    const xlsxtest::Book b = xlsxtest::Read(file);
    ASSERT_TRUE(b.ok);
    EXPECT_DOUBLE_EQ(b.cell(0, "F2").number, 12.5);
    EXPECT_TRUE(b.sheets[1].cells.empty());

    // A file gone before it is opened.
    pf.prompts.clear();
    pf.prompts.answers = {platform::mb::Yes};
    ASSERT_TRUE(QFile::remove(file));
    Utility_RQM::OpenFileExcel(nullptr, file);
    EXPECT_EQ(boxes(), QStringList({"Si desidera aprire il file adesso per consultarlo?", "File non trovato o rovinato."}));
    EXPECT_EQ(pf.prompts.shown.back().style, platform::mb::Critical);
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(Export, TheCommandFromTheDataWindow)
{
    struct Case {
        const char *what;
        QString chosen;             // the save dialog's answer ("" = cancel); relative to gExcelPath
        const char *existing;       // "" none, "file", "folder"
        std::deque<int> answers;    // overwrite? then open?
        OpenResult shell;
        bool written;               // a new workbook under the name
        QStringList messages;
        int opened;
    };
    const QString open = "Si desidera aprire il file adesso per consultarlo?";
    const QString overwrite = "Il File esiste si vuole sovrascriverlo?";
    const std::vector<Case> cases = {
        {"cancelled", "", "", {}, OpenResult::Opened, false, {}, 0},
        {"new, not opened", "tab", "", {platform::mb::No}, OpenResult::Opened, true, {open}, 0},
        {"new, opened", "tab.xlsx", "", {platform::mb::Yes}, OpenResult::Opened, true, {open}, 1},
        {"existing, kept", "tab.xlsx", "file", {platform::mb::No}, OpenResult::Opened, false, {overwrite}, 0},
        {"existing, replaced", "tab", "file", {platform::mb::Yes, platform::mb::No}, OpenResult::Opened, true,
         {overwrite, open}, 0},
        {"no application", "tab.xls", "", {platform::mb::Yes}, OpenResult::NoApplication, true,
         {open, "Non si dispone di un'applicazione che possa aprire il file!"}, 1},
        {"name taken by a folder", "tab.xlsx", "folder", {platform::mb::Yes}, OpenResult::Opened, false,
         {overwrite, "Errore : "}, 0},
    };
    openSample();
    TextGrid &g = w->datagrid();
    ASSERT_GE(g.Rows(), 4);
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        QDir(gExcelPath).removeRecursively();
        const QString file = gExcelPath + "tab.xlsx";
        if (QString(k.existing) == "file") {
            QDir().mkpath(gExcelPath);
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("vecchio");
        } else if (QString(k.existing) == "folder") {
            QDir().mkpath(file + "/dentro");
        }
        // The table in another order beforehand.
        g.setCol(4);
        g.setSort(platform::grid::sort::GenericDescending);
        pf.prompts.clear();
        pf.prompts.files = {k.chosen.isEmpty() ? QString() : gExcelPath + k.chosen};
        pf.prompts.answers = k.answers;
        shell.answer = k.shell;
        shell.opened.clear();

        clickExport();

        // The export folder is made on demand, and the table stays in code order.
        EXPECT_TRUE(QFileInfo(gExcelPath).isDir());
        for (int r = 2; r < g.Rows(); ++r)
            EXPECT_LE(platform::grid::compareGeneric(g.TextMatrix(r - 1, 1), g.TextMatrix(r, 1)), 0) << r;
        ASSERT_FALSE(pf.prompts.shown.empty());
        EXPECT_EQ(pf.prompts.shown[0].kind, "saveFile");
        EXPECT_EQ(pf.prompts.shown[0].title, "Selezionare un file...");

        QStringList msgs = boxes();
        for (QString &m : msgs)
            if (m.startsWith("Errore : "))
                m = "Errore : ";
        EXPECT_EQ(msgs, k.messages);
        for (const auto &s : pf.prompts.shown) {
            if (s.text == overwrite) {
                EXPECT_EQ(s.title, "Creazione File Excel");
            }
            if (s.text == overwrite || s.text == open) {
                EXPECT_EQ(s.style, 36);
            }
        }
        EXPECT_EQ(int(shell.opened.size()), k.opened);
        if (k.opened) {
            EXPECT_EQ(shell.opened[0], file);
        }

        if (k.written) {
            const xlsxtest::Book b = xlsxtest::Read(file);
            ASSERT_TRUE(b.ok);
            EXPECT_EQ(b.sheets[0].maxRow, g.Rows() - 1);
            EXPECT_EQ(b.cell(0, "A1").text, "TipoTerritorio");
            EXPECT_EQ(b.cell(0, "B2").text, g.TextMatrix(1, 1));
            EXPECT_EQ(b.cell(0, "F2").type, 'n');
            EXPECT_EQ(b.sheets[1].maxRow, 2); // A0101 and D0102
        } else if (QString(k.existing) == "file") {
            EXPECT_EQ(readFile(file), "vecchio");
        } else if (QString(k.existing) == "folder") {
            EXPECT_TRUE(QFileInfo(file + "/dentro").isDir());
        }
        // Nothing else in the folder: no temporary file, no other name.
        const QStringList left = QDir(gExcelPath).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        EXPECT_EQ(left, QFileInfo::exists(file) ? QStringList{"tab.xlsx"} : QStringList{});
    }
}

TEST_F(Export, TheSaveDialogOffersWorkbooksInTheExportFolder)
{
    // The dialog's own arguments, which the scripted prompts do not keep.
    struct Recording : platform::ScriptedPrompts {
        QString filter, initialPath;
        bool confirmOverwrite = true;
        QString saveFile(const QString &title, const QString &f, const QString &path, bool confirm) override
        {
            filter = f;
            initialPath = path;
            confirmOverwrite = confirm;
            return ScriptedPrompts::saveFile(title, f, path, confirm);
        }
    } rec;
    openSample();
    QDir(gExcelPath).removeRecursively();
    platform::setPrompts(&rec);
    clickExport(); // cancelled
    platform::setPrompts(&pf.prompts);

    EXPECT_EQ(rec.filter, "File di Microsoft Excel. (*.xlsx)");
    EXPECT_EQ(rec.initialPath, gExcelPath);
    EXPECT_FALSE(rec.confirmOverwrite); // the export asks its own question
    EXPECT_TRUE(rec.messages().isEmpty());
    EXPECT_TRUE(QDir(gExcelPath).isEmpty());
}

TEST_F(Export, WideTableExportsEveryColumn)
{
    // 251 items and two formula columns beside the five fixed columns.
    const int cols = 5 + 251 + 2;
    std::vector<QStringList> rows(2);
    for (int c = 0; c < cols; ++c) {
        rows[0] << (c < 5 ? QString("F%1").arg(c) : c < 256 ? QString("Z%1_2005").arg(c, 4, 10, QChar(u'0')) : QString("Funz%1").arg(c));
        rows[1] << (c < 5 ? QString("t") : QString("%1,25").arg(c));
    }
    TextGrid g;
    g.SetContents(rows, cols);
    gTipoDb = "Variabili";
    const QString file = pf.path() + "largo.xlsx";
    ASSERT_TRUE(Utility_RQM::CreateExcelFile(file, "DatiTemplateVar", g.Rows(), g));
    const xlsxtest::Book b = xlsxtest::Read(file);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.sheets[0].maxCol, cols - 1);
    EXPECT_DOUBLE_EQ(b.cell(0, xlsxtest::Ref(1, cols - 1)).number, (cols - 1) + 0.25);
    EXPECT_TRUE(b.sheets[1].cells.empty()); // no item of the sample
}
