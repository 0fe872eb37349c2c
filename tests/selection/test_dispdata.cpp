// The data table window on the sample databases, driven through its controls:
// the grid after the query in both locales, the query's failures, sorting,
// searching, the descriptions of the columns and the commands on a column.
#include "frame/Forms.h"
#include "support/Controls.h"
#include "frame/Globals.h"
#include "frame/Shared.h"
#include "platform/db/Database.h"
#include "platform/grid/GridView.h"
#include "platform/grid/TextGrid.h"
#include "selection/FormdatiTabLogic.h"
#include "frame/Shared.h"
#include "selection/frm_dispData.h"
#include "metadata/RegisterSchede.h"
#include "metadata/frmSchedaVariabili.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <tuple>

using platform::grid::GridView;
using platform::grid::TextGrid;

namespace {

struct LocaleScope {
    QLocale saved;
    explicit LocaleScope(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved); }
};

using testenv::ctl;

QStringList column(const TextGrid &g, int c)
{
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        out << g.TextMatrix(r, c);
    return out;
}

class DispData : public ::testing::Test {
protected:
    testenv::ProgramFolder pf;
    frm_dispData *w = nullptr;

    void TearDown() override { delete w; }

    // The data query of the selection window for `items` ("Id-Anno") and the
    // territories named.
    static QString request(const QString &dbName, const QString &kind, const QStringList &items,
                           const QStringList &names)
    {
        auto db = platform::db::Database::open(gDbPath, dbName, platform::db::OpenMode::ReadOnly);
        QStringList lines;
        for (const QString &i : items)
            lines << i + " - x";
        return selection::CreaQuery(lines, kind, selection::CreaFiltroTerritori(names),
                                    [&](const QString &id, const QString &anno) {
                                        auto rs = db.query(selection::LookupQuery(id, anno));
                                        return rs.eof() ? QString() : rs.text(0);
                                    });
    }

    frm_dispData *open(const QString &dbName, const QString &kind, const QString &sql, int livello = 3)
    {
        gDbName = dbName;
        gTipoDb = kind;
        gSqlDati = sql;
        gLivelloTerritorio = livello;
        w = frm_dispData::ShowForm();
        QApplication::processEvents();
        return w;
    }

    frm_dispData *openSample()
    {
        const QString sql = request("Variabili.mdb", "Variabili", {"D0102-2003", "A0101-2005", "C0102-2005"},
                                    {"Torino", "Roma", "Sassari", "Piemonte", "Italia", "Lazio"});
        return open("Variabili.mdb", "Variabili", sql);
    }

    TextGrid &grid() { return w->datagrid(); }

    void clickCell(int row, int col)
    {
        GridView *v = ctl<GridView>(w, "datagrid");
        const QPoint pos = v->visualRect(grid().index(row - grid().FixedRows(), col)).center();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), QPointF(v->viewport()->mapToGlobal(pos)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), QPointF(v->viewport()->mapToGlobal(pos)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &press);
        QApplication::sendEvent(v->viewport(), &release);
    }

    void search(int listIndex, const QString &da, const QString &a)
    {
        ctl<QComboBox>(w, "cmb_ric")->setCurrentIndex(listIndex);
        ctl<QLineEdit>(w, "txt_ricda")->setText(da);
        ctl<QLineEdit>(w, "txt_rica")->setText(a);
        ctl<QPushButton>(w, "cmd_ric")->click();
    }

    void expectBands()
    {
        const QColor face = QApplication::palette().color(QPalette::Button);
        for (int r = 1; r < grid().Rows(); ++r)
            for (int c : {0, grid().Cols() - 1})
                EXPECT_EQ(grid().cellBackColor(r, c), r % 2 == 0 ? face : QColor(Qt::white)) << r;
    }
};

} // namespace

TEST_F(DispData, GridAfterTheQueryInBothLocales)
{
    struct Case {
        QLocale locale;
        QString torinoPop, piemonteBroadband;
    };
    const std::vector<Case> cases = {
        {QLocale(QLocale::Italian, QLocale::Italy), "2306153,00", "429,84"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "2306153.00", "429.84"},
    };
    for (const Case &k : cases) {
        LocaleScope scope(k.locale);
        openSample();
        TextGrid &g = grid();
        ASSERT_EQ(g.Cols(), 8);
        QStringList headers;
        for (int c = 0; c < g.Cols(); ++c)
            headers << g.TextMatrix(0, c);
        EXPECT_EQ(headers, QStringList({"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0101_2005",
                                        "C0102_2005", "D0102_2003"}));
        // one row per territory in code order
        EXPECT_EQ(column(g, 4), QStringList({"Torino", "Roma", "Sassari", "Piemonte", "Lazio", "Italia"}));
        EXPECT_EQ(column(g, 1), QStringList({"1", "58", "90", "201", "212", "400"}));
        EXPECT_EQ(column(g, 0), QStringList({"1", "1", "1", "2", "2", "4"}));
        EXPECT_EQ(g.TextMatrix(4, 2), ""); // a region has no province code
        EXPECT_EQ(g.TextMatrix(1, 5), k.torinoPop);
        EXPECT_EQ(g.TextMatrix(4, 7), k.piemonteBroadband);
        // no value in the database is an empty cell, never a zero
        EXPECT_EQ(g.TextMatrix(1, 6), "");   // a regional variable in a province
        EXPECT_EQ(g.TextMatrix(3, 7), "");   // Sassari, broadband 2003
        EXPECT_NE(g.TextMatrix(4, 6), "");

        EXPECT_EQ(g.ColWidth(0), 0);
        EXPECT_GT(g.ColWidth(4), 0);
        for (int c = 5; c < g.Cols(); ++c)
            EXPECT_EQ(g.ColAlignment(c), platform::grid::align::CenterCenter);
        auto *ordina = ctl<QComboBox>(w, "cmb_Ordina");
        auto *ric = ctl<QComboBox>(w, "cmb_ric");
        ASSERT_EQ(ordina->count(), 8);
        ASSERT_EQ(ric->count(), 9);
        EXPECT_EQ(ric->itemText(0), "");
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(ordina->itemText(c), headers[c]);
            EXPECT_EQ(ric->itemText(c + 1), headers[c]);
        }
        EXPECT_EQ(ordina->currentIndex(), 0);
        EXPECT_EQ(ric->currentIndex(), 0);
        expectBands();
        EXPECT_EQ(w->tipoTerrNow, 3);
        EXPECT_TRUE(ctl<GridView>(w, "datagrid")->isVisible());
        EXPECT_TRUE(ric->isEnabled());
        EXPECT_EQ(w->findChild<TextGrid *>("datagrid2"), &w->datagrid2());
        delete w;
        w = nullptr;
    }
}

TEST_F(DispData, NoTerritoryFoundAndColumnsWiderThanTheGrid)
{
    // a request whose territories match no row: the header row only, both lists complete
    open("Variabili.mdb", "Variabili",
         request("Variabili.mdb", "Variabili", {"A0101-2005", "C0102-2005"}, {"Nessun luogo"}));
    EXPECT_TRUE(pf.prompts.messages().isEmpty()) << pf.prompts.messages().join("\n").toStdString();
    ASSERT_EQ(grid().Rows(), 1);
    ASSERT_EQ(grid().Cols(), 7);
    EXPECT_EQ(ctl<QComboBox>(w, "cmb_Ordina")->count(), 7);
    EXPECT_EQ(ctl<QComboBox>(w, "cmb_ric")->count(), 8);
    EXPECT_EQ(ctl<QComboBox>(w, "cmb_ric")->itemText(7), "C0102_2005");
    EXPECT_TRUE(ctl<QComboBox>(w, "cmb_ric")->isEnabled());
    delete w;
    w = nullptr;

    // a text wider than the grid: the column takes two thirds of the grid's width
    openSample();
    const int gridWidth = ctl<GridView>(w, "datagrid")->widthTwips();
    const int before = grid().ColWidth(5);
    grid().setTextMatrix(2, 4, QString(400, u'W'));
    w->AutosizeCols();
    EXPECT_EQ(grid().ColWidth(4), int(std::lround(gridWidth / 1.5)));
    EXPECT_EQ(grid().ColWidth(5), before);
    EXPECT_LT(before, gridWidth);
}

TEST_F(DispData, ColumnWidthsFollowEveryTextAndTheFont)
{
    openSample();
    auto *view = ctl<GridView>(w, "datagrid");
    TextGrid &g = grid();
    // Texts repeated down a column and across columns, blanks to trim, empty
    // cells, accents, and one column whose widest text is its header.
    const QStringList varied = {"1234,50", "  1234,50 ", "", "Forlì-Cesena", "1234,50", "-0,01", "WWW", "iii",
                                "Valle d'Aosta/Vallée d'Aoste", "99999,99"};
    for (int r = 1; r < g.Rows(); ++r)
        for (int c = 1; c < g.Cols(); ++c)
            g.setTextMatrix(r, c, varied[(r * 7 + c * 3) % varied.size()]);
    g.setTextMatrix(0, 3, QString(30, u'M'));
    for (int r = 1; r < g.Rows(); ++r)
        g.setTextMatrix(r, 3, "1");
    // Each column as wide as its widest trimmed text measured on its own, plus a "Q".
    auto expected = [&](int c) {
        const QFontMetrics fm(view->font());
        int widest = 0;
        for (int r = 0; r < g.Rows(); ++r)
            widest = std::max(widest, fm.horizontalAdvance(g.TextMatrix(r, c).trimmed()));
        const int w = view->pixelsToTwips(widest), q = view->pixelsToTwips(fm.horizontalAdvance(QLatin1Char('Q')));
        return view->widthTwips() < w + q ? int(std::lround(view->widthTwips() / 1.5)) : w + q;
    };
    for (const int pointSize : {0, 15}) { // the window's font, then a larger one
        if (pointSize) {
            QFont f = view->font();
            f.setPointSize(pointSize);
            view->setFont(f);
        }
        w->AutosizeCols();
        for (int c = 0; c < g.Cols(); ++c)
            EXPECT_EQ(g.ColWidth(c), expected(c)) << "column " << c << ", size " << pointSize;
    }
}

TEST_F(DispData, FailedQueriesReportAndLeaveAnEmptyTable)
{
    // More groups of indicators than a request can join: one item from each data table.
    QStringList many;
    {
        auto db = platform::db::Database::open(gDbPath, "Metadati.mdb", platform::db::OpenMode::ReadOnly);
        auto rs = db.query("select min(Variabile), Anno from IndVarAnno where TipoVar = 'I' group by Tabella");
        for (; !rs.eof() && many.size() < 80; rs.moveNext())
            many << rs.text(0) + "-" + rs.text(1);
    }
    struct Case {
        QString db, kind, sql;
        QString message;
        int style;
    };
    const std::vector<Case> cases = {
        {"Indicatori.mdb", "Indicatori", request("Indicatori.mdb", "Indicatori", many, {"Torino"}),
         "Numero di Indicatori selezionate troppo elevato. Eliminarle alcune.", 48},
        {"Variabili.mdb", "Variabili",
         "SELECT land_Ind.COD_TERR FROM Manca INNER JOIN land_Ind  ON Manca.COD_TERR = land_Ind.COD_TERR", "", 16},
        {"Variabili.mdb", "Variabili", "", "Nessuna selezione di dati da visualizzare. -2147217900", 16},
    };
    for (const Case &k : cases) {
        pf.prompts.clear();
        QFile::remove(pf.files() + "Error.log");
        open(k.db, k.kind, k.sql);
        ASSERT_GE(pf.prompts.shown.size(), 1u);
        const auto &first = pf.prompts.shown.front();
        if (k.message.isEmpty())
            EXPECT_TRUE(first.text.endsWith(" -2147217900")) << first.text.toStdString();
        else
            EXPECT_EQ(first.text, k.message);
        EXPECT_EQ(first.style, k.style);
        EXPECT_EQ(grid().Rows(), 0);
        for (const char *name : {"cmb_ric", "txt_ricda", "txt_rica"})
            EXPECT_FALSE(w->findChild<QWidget *>(name)->isEnabled()) << name;
        for (const char *name : {"cmdEsportaXls", "cmdFunzione", "cmd_createmap", "cmd_ordinaA", "cmd_ordinaD"})
            EXPECT_FALSE(w->findChild<QWidget *>(name)->isEnabled()) << name;
        for (QAction *a : {w->findChild<QMenu *>("mnu_ordina")->menuAction(), w->findChild<QAction *>("mnu_asce"),
                           w->findChild<QAction *>("mnu_disce")})
            EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
        // Nothing to sort: the buttons ask nothing of the empty table.
        pf.prompts.clear();
        for (const char *name : {"cmd_ordinaA", "cmd_ordinaD"})
            ctl<QToolButton>(w, name)->click();
        w->findChild<QAction *>("mnu_asce")->trigger();
        EXPECT_TRUE(pf.prompts.messages().isEmpty()) << pf.prompts.messages().join("|").toStdString();
        QFile log(pf.files() + "Error.log");
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromLatin1(log.readAll()).contains("Function: DoQuery"));
        delete w;
        w = nullptr;
    }
}

TEST_F(DispData, SortsByNamedAndCurrentColumn)
{
    openSample();
    TextGrid &g = grid();
    for (const char *name : {"cmd_ordinaA", "cmd_ordinaD", "cmb_Ordina"})
        EXPECT_TRUE(w->findChild<QWidget *>(name)->isEnabled()) << name;
    EXPECT_TRUE(w->findChild<QMenu *>("mnu_ordina")->menuAction()->isEnabled());
    auto *ordina = ctl<QComboBox>(w, "cmb_Ordina");
    ordina->setCurrentIndex(4);
    ctl<QToolButton>(w, "cmd_ordinaA")->click();
    EXPECT_EQ(column(g, 4), QStringList({"Italia", "Lazio", "Piemonte", "Roma", "Sassari", "Torino"}));
    EXPECT_EQ(g.Col(), 4);
    expectBands();
    ctl<QToolButton>(w, "cmd_ordinaD")->click();
    EXPECT_EQ(column(g, 4), QStringList({"Torino", "Sassari", "Roma", "Piemonte", "Lazio", "Italia"}));

    // by the current column: numbers as numbers, empty cells first
    clickCell(1, 7);
    w->findChild<QAction *>("mnu_asce")->trigger();
    ASSERT_GT(g.Rows(), 1);
    EXPECT_EQ(column(g, 7).first(), "");
    EXPECT_EQ(column(g, 4).last(), "Italia");
    w->findChild<QAction *>("mnu_disce")->trigger();
    EXPECT_EQ(column(g, 4).first(), "Italia");
    EXPECT_EQ(column(g, 7).last(), "");
    expectBands();
    EXPECT_FALSE(w->SortInProgress);
    EXPECT_TRUE(g.Redraw());
}

TEST_F(DispData, SearchesThroughTheControls)
{
    openSample();
    TextGrid &g = grid();
    // text: the row moves to the top and is selected
    search(5, "roma", "");
    EXPECT_EQ(g.TextMatrix(1, 4), "Roma");
    EXPECT_EQ(g.TextMatrix(0, 4), "Territorio");
    EXPECT_EQ(std::make_tuple(g.Row(), g.RowSel(), g.Col(), g.ColSel()), std::make_tuple(1, 1, 4, 4));
    expectBands();

    // a single number: every row with that integer part, in ascending order
    search(2, "201", "");
    EXPECT_EQ(ctl<QLineEdit>(w, "txt_rica")->text(), "201");
    EXPECT_EQ(g.TextMatrix(1, 4), "Piemonte");
    EXPECT_EQ(std::make_tuple(g.Row(), g.RowSel(), g.Col()), std::make_tuple(1, 1, 1));

    // a range on the broadband column: empty cells are never found
    search(8, "0", "1000");
    EXPECT_EQ(column(g, 4).mid(0, 4), QStringList({"Torino", "Roma", "Lazio", "Piemonte"}));
    EXPECT_EQ(std::make_tuple(g.Row(), g.RowSel(), g.Col(), g.ColSel()), std::make_tuple(1, 4, 7, 7));
    expectBands();

    // nothing found: sorted on the column, the header row current
    search(2, "5", "6");
    EXPECT_EQ(column(g, 1), QStringList({"1", "58", "90", "201", "212", "400"}));
    EXPECT_EQ(g.Row(), 0);

    // warnings move nothing
    pf.prompts.clear();
    search(5, "abc", "3");
    search(2, "5", "2");
    ASSERT_EQ(pf.prompts.messages().size(), 2);
    EXPECT_EQ(pf.prompts.messages()[0], "Per fare una ricerca da --- a inserire due numeri interi!");
    EXPECT_EQ(pf.prompts.shown[1].title, "Attenzione");
    EXPECT_EQ(column(g, 1), QStringList({"1", "58", "90", "201", "212", "400"}));
}

TEST_F(DispData, EachColumnShowsItsOwnMetadataSheet)
{
    RegisterSchedeForms();
    openSample();
    // Columns 5 to 7: A0101_2005, C0102_2005, D0102_2003; back to the first one.
    const std::pair<int, const char *> asked[] = {{5, "A0101"}, {6, "C0102"}, {7, "D0102"}, {5, "A0101"}, {5, "A0101"}};
    std::vector<frmSchedaVariabili *> sheets;
    for (const auto &[col, id] : asked) {
        clickCell(1, col);
        w->findChild<QAction *>("mnu_metadati")->trigger();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmSchedaVariabili *sheet = frmSchedaVariabili::Instance();
        ASSERT_NE(sheet, nullptr) << id;
        EXPECT_TRUE(sheet->txtVariabili->text().startsWith(QString::fromLatin1(id) + " - "))
            << id << ": " << sheet->txtVariabili->text().toStdString();
        sheets.push_back(sheet);
    }
    EXPECT_EQ(sheets[4], sheets[3]); // the same item again: the open sheet comes forward as it is
    EXPECT_TRUE(pf.prompts.messages().isEmpty()) << pf.prompts.messages().join("|").toStdString();
    frame::UnloadForm(frmSchedaVariabili::Instance());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(DispData, ColumnDescriptionsClicksAndCommandsOnAColumn)
{
    openSample();
    TextGrid &g = grid();
    auto *desc = ctl<QLineEdit>(w, "lblDescVar");
    auto *ordina = ctl<QComboBox>(w, "cmb_Ordina");
    auto *ric = ctl<QComboBox>(w, "cmb_ric");
    clickCell(2, 5);
    EXPECT_EQ(desc->text(), "Popolazione residente al 31 dicembre");
    EXPECT_EQ(ric->currentIndex(), 6);
    EXPECT_EQ(ordina->currentIndex(), 5);
    clickCell(2, 4);
    EXPECT_EQ(desc->text(), "");
    EXPECT_EQ(ric->currentIndex(), 5);

    // a column added after the query: no description, only the sort list follows
    g.setCols(g.Cols() + 1);
    g.setTextMatrix(0, 8, "Funz1");
    ordina->addItem("Funz1");
    clickCell(2, 8);
    EXPECT_EQ(desc->text(), "");
    EXPECT_EQ(ordina->currentIndex(), 8);
    EXPECT_EQ(ric->currentIndex(), 5);

    // metadata sheets exist only for an item's column
    pf.prompts.clear();
    for (int c : {4, 8}) {
        clickCell(1, c);
        w->findChild<QAction *>("mnu_metadati")->trigger();
    }
    EXPECT_EQ(pf.prompts.messages(), QStringList({"Selezionare una variabile.", "Selezionare una variabile."}));
    clickCell(1, 6);
    w->findChild<QAction *>("mnu_metadati")->trigger();
    EXPECT_EQ(gSqlScheda, Utility::CreaQueryMetadati("Variabili", "C0102"));

    // the text copy of the grid for the formula window keeps the header row
    Utility::CopyGridToArray(g);
    ASSERT_EQ(int(gMatriceDati.size()), g.Rows());
    EXPECT_EQ(gMatriceDati[0][5], "A0101_2005");
    EXPECT_EQ(gMatriceDati[1][4], g.TextMatrix(1, 4));

    // the note, modal, with its two headings
    QString caption, text;
    QTimer::singleShot(0, [&] {
        if (QWidget *m = QApplication::activeModalWidget()) {
            caption = m->windowTitle();
            if (auto *p = m->findChild<QWidget *>("Picture1"))
                text = p->property("text").toString();
            m->findChild<QPushButton *>("Command1")->click();
        }
    });
    ctl<QToolButton>(w, "cmdInfo")->click();
    EXPECT_EQ(caption, "Nota");
    EXPECT_TRUE(text.contains("Segni convenzionali"));
    EXPECT_TRUE(text.contains("Arrotondamenti"));

    // closing clears the request
    ctl<QPushButton>(w, "cmdChiudi")->click();
    QApplication::processEvents();
    EXPECT_EQ(gSqlDati, "");
    EXPECT_EQ(frm_dispData::Instance(), nullptr);
    w = nullptr; // deleted by its closing
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
