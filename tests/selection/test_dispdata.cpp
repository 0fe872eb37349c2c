// The data table window on the sample databases, driven through its controls:
// the grid after the query in both locales, the query's failures, sorting,
// searching, the descriptions of the columns and the commands on a column.
#include "DataWindow.h"
#include "frame/Forms.h"
#include "frame/Shared.h"
#include "metadata/RegisterSchede.h"
#include "metadata/frmSchedaVariabili.h"
#include "platform/grid/GridView.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <tuple>

using platform::grid::GridView;
using platform::grid::TextGrid;
using testenv::ctl;

namespace {

struct LocaleScope {
    QLocale saved;
    explicit LocaleScope(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved); }
};

QStringList column(const TextGrid &g, int c)
{
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        out << g.TextMatrix(r, c);
    return out;
}

const QStringList Names = {"Torino", "Roma", "Sassari", "Piemonte", "Lazio", "Italia"}; // in code order
const QStringList Codes = {"1", "58", "90", "201", "212", "400"};

class DispData : public testenv::DataWindowTest {
protected:
    frm_dispData *openSample()
    {
        return openItems("Variabili.mdb", "Variabili", {"D0102-2003", "A0101-2005", "C0102-2005"}, Names);
    }
    void clickCell(int row, int col)
    {
        GridView *v = ctl<GridView>(w, "datagrid");
        const QPoint pos = v->visualRect(grid().index(row - grid().FixedRows(), col)).center();
        const QPointF global(v->viewport()->mapToGlobal(pos));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &press);
        QApplication::sendEvent(v->viewport(), &release);
    }
    void trigger(const char *action) { testenv::must(w->findChild<QAction *>(action), action)->trigger(); }
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
    void expectEnabled(std::initializer_list<const char *> names, bool enabled)
    {
        for (const char *name : names)
            EXPECT_EQ(ctl<QWidget>(w, name)->isEnabled(), enabled) << name;
    }
};

} // namespace

TEST_F(DispData, GridAfterTheQueryInBothLocales)
{
    const std::tuple<QLocale, QString, QString> cases[] = {
        {QLocale(QLocale::Italian, QLocale::Italy), "2306153,00", "429,84"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "2306153.00", "429.84"},
    };
    for (const auto &[locale, torinoPop, piemonteBroadband] : cases) {
        LocaleScope scope(locale);
        openSample();
        TextGrid &g = grid();
        ASSERT_EQ(g.Cols(), 8);
        const QStringList headers = {"TipoTerritorio", "COD_TERR",   "PROV",       "REG",
                                     "Territorio",     "A0101_2005", "C0102_2005", "D0102_2003"};
        auto *ordina = ctl<QComboBox>(w, "cmb_Ordina");
        auto *ric = ctl<QComboBox>(w, "cmb_ric");
        ASSERT_EQ(std::make_pair(ordina->count(), ric->count()), std::make_pair(8, 9));
        EXPECT_EQ(ric->itemText(0), "");
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(QStringList({g.TextMatrix(0, c), ordina->itemText(c), ric->itemText(c + 1)}),
                      QStringList(3, headers[c]));
        // one row per territory in code order
        EXPECT_EQ(column(g, 4) + column(g, 1) + column(g, 0), Names + Codes + QStringList({"1", "1", "1", "2", "2", "4"}));
        // a region has no province code; no value in the database is an empty cell, never a zero:
        // a regional variable in a province, Sassari's broadband 2003
        EXPECT_EQ(QStringList({g.TextMatrix(4, 2), g.TextMatrix(1, 5), g.TextMatrix(4, 7), g.TextMatrix(1, 6),
                               g.TextMatrix(3, 7)}),
                  QStringList({"", torinoPop, piemonteBroadband, "", ""}));
        EXPECT_NE(g.TextMatrix(4, 6), "");
        EXPECT_EQ(g.ColWidth(0), 0);
        for (int c = 5; c < g.Cols(); ++c)
            EXPECT_EQ(g.ColAlignment(c), platform::grid::align::CenterCenter);
        EXPECT_EQ(std::make_pair(ordina->currentIndex(), ric->currentIndex()), std::make_pair(0, 0));
        expectBands();
    }
}

TEST_F(DispData, NoTerritoryFoundGivesTheHeaderRowOnly)
{
    // a request whose territories match no row: the header row only, both lists complete
    openItems("Variabili.mdb", "Variabili", {"A0101-2005", "C0102-2005"}, {"Nessun luogo"});
    EXPECT_TRUE(messages().isEmpty()) << messages().join("\n").toStdString();
    auto *ric = ctl<QComboBox>(w, "cmb_ric");
    EXPECT_EQ(std::make_tuple(grid().Rows(), grid().Cols(), ctl<QComboBox>(w, "cmb_Ordina")->count(), ric->count()),
              std::make_tuple(1, 7, 7, 8));
    EXPECT_EQ(ric->itemText(7), "C0102_2005");
    EXPECT_TRUE(ric->isEnabled());
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
            g.setTextMatrix(r, c, c == 3 ? QString("1") : varied[(r * 7 + c * 3) % varied.size()]);
    g.setTextMatrix(0, 3, QString(30, u'M'));
    g.setTextMatrix(2, 4, QString(400, u'W')); // wider than the grid: two thirds of the grid's width
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
    EXPECT_EQ(g.ColWidth(4), int(std::lround(view->widthTwips() / 1.5)));
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
    const std::tuple<QString, QString, QString, int> cases[] = {
        {"Indicatori", testenv::request("Indicatori.mdb", "Indicatori", many, {"Torino"}),
         "Numero di Indicatori selezionate troppo elevato. Eliminarle alcune.", 48},
        {"Variabili", "SELECT land_Ind.COD_TERR FROM Manca INNER JOIN land_Ind  ON Manca.COD_TERR = land_Ind.COD_TERR",
         "", 16},
        {"Variabili", "", "Nessuna selezione di dati da visualizzare. -2147217900", 16},
    };
    for (const auto &[kind, sql, message, style] : cases) {
        pf.prompts.clear();
        QFile::remove(pf.files() + "Error.log");
        open(kind + ".mdb", kind, sql);
        ASSERT_GE(pf.prompts.shown.size(), 1u);
        const auto &first = pf.prompts.shown.front();
        EXPECT_TRUE(message.isEmpty() ? first.text.endsWith(" -2147217900") : first.text == message) << first.text.toStdString();
        EXPECT_EQ(std::make_pair(first.style, grid().Rows()), std::make_pair(style, 0));
        expectEnabled({"cmb_ric", "txt_ricda", "txt_rica", "cmdEsportaXls", "cmdFunzione", "cmd_createmap",
                       "cmd_ordinaA", "cmd_ordinaD"},
                      false);
        for (QAction *a : {ctl<QMenu>(w, "mnu_ordina")->menuAction(), ctl<QAction>(w, "mnu_asce"),
                           ctl<QAction>(w, "mnu_disce")})
            EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
        // Nothing to sort: the buttons ask nothing of the empty table.
        pf.prompts.clear();
        for (const char *name : {"cmd_ordinaA", "cmd_ordinaD"})
            ctl<QToolButton>(w, name)->click();
        trigger("mnu_asce");
        EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
        EXPECT_TRUE(errorLog().contains("Function: DoQuery"));
    }
}

TEST_F(DispData, SortsAndSearches)
{
    openSample();
    TextGrid &g = grid();
    expectEnabled({"cmd_ordinaA", "cmd_ordinaD", "cmb_Ordina"}, true);
    ctl<QComboBox>(w, "cmb_Ordina")->setCurrentIndex(4);
    ctl<QToolButton>(w, "cmd_ordinaA")->click();
    EXPECT_EQ(column(g, 4), QStringList({"Italia", "Lazio", "Piemonte", "Roma", "Sassari", "Torino"}));
    EXPECT_EQ(g.Col(), 4);
    ctl<QToolButton>(w, "cmd_ordinaD")->click();
    EXPECT_EQ(column(g, 4), QStringList({"Torino", "Sassari", "Roma", "Piemonte", "Lazio", "Italia"}));

    // by the current column: numbers as numbers, empty cells first
    clickCell(1, 7);
    trigger("mnu_asce");
    ASSERT_GT(g.Rows(), 1);
    EXPECT_EQ(column(g, 7).first() + column(g, 4).last(), "Italia");
    trigger("mnu_disce");
    EXPECT_EQ(column(g, 4).first() + column(g, 7).last(), "Italia");
    expectBands();
    EXPECT_TRUE(!w->SortInProgress && g.Redraw());

    // Searches (their rules are the search logic's): a text moves its row to the top, selected.
    search(5, "roma", "");
    EXPECT_EQ(g.TextMatrix(1, 4) + g.TextMatrix(0, 4), "RomaTerritorio");
    EXPECT_EQ(std::make_tuple(g.Row(), g.RowSel(), g.Col(), g.ColSel()), std::make_tuple(1, 1, 4, 4));
    expectBands();
    // a single number: every row with that integer part, the second box filled in
    search(2, "201", "");
    EXPECT_EQ(ctl<QLineEdit>(w, "txt_rica")->text() + g.TextMatrix(1, 4), "201Piemonte");
    EXPECT_EQ(std::make_tuple(g.Row(), g.RowSel(), g.Col()), std::make_tuple(1, 1, 1));
    // a warning moves nothing
    const QStringList before = column(g, 1);
    pf.prompts.clear();
    search(5, "abc", "3");
    ASSERT_EQ(pf.prompts.shown.size(), 1u);
    EXPECT_EQ(pf.prompts.shown[0].text + "|" + pf.prompts.shown[0].title,
              "Per fare una ricerca da --- a inserire due numeri interi!|Attenzione");
    EXPECT_EQ(column(g, 1), before);
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
        trigger("mnu_metadati");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmSchedaVariabili *sheet = testenv::must(frmSchedaVariabili::Instance(), id);
        EXPECT_TRUE(sheet->txtVariabili->text().startsWith(QString::fromLatin1(id) + " - "))
            << id << ": " << sheet->txtVariabili->text().toStdString();
        sheets.push_back(sheet);
    }
    EXPECT_EQ(sheets[4], sheets[3]); // the same item again: the open sheet comes forward as it is
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
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
    auto state = [&] { return std::make_tuple(desc->text(), ordina->currentIndex(), ric->currentIndex()); };
    clickCell(2, 5);
    EXPECT_EQ(state(), std::make_tuple(QString("Popolazione residente al 31 dicembre"), 5, 6));
    clickCell(2, 4);
    EXPECT_EQ(state(), std::make_tuple(QString(), 4, 5));
    // a column added after the query: no description, only the sort list follows
    g.setCols(g.Cols() + 1);
    g.setTextMatrix(0, 8, "Funz1");
    ordina->addItem("Funz1");
    clickCell(2, 8);
    EXPECT_EQ(state(), std::make_tuple(QString(), 8, 5));

    // metadata sheets exist only for an item's column
    pf.prompts.clear();
    for (int c : {4, 8}) {
        clickCell(1, c);
        trigger("mnu_metadati");
    }
    EXPECT_EQ(messages(), QStringList({"Selezionare una variabile.", "Selezionare una variabile."}));

    // the note, modal, with its two headings
    QString caption, text;
    testenv::onModal([&](QWidget *m) {
        caption = m->windowTitle();
        text = ctl<QWidget>(m, "Picture1")->property("text").toString();
        ctl<QPushButton>(m, "Command1")->click();
    });
    ctl<QToolButton>(w, "cmdInfo")->click();
    EXPECT_EQ(caption, "Nota");
    EXPECT_TRUE(text.contains("Segni convenzionali") && text.contains("Arrotondamenti")) << text.toStdString();

    // closing clears the request
    ctl<QPushButton>(w, "cmdChiudi")->click();
    QApplication::processEvents();
    EXPECT_EQ(gSqlDati, "");
    EXPECT_EQ(frm_dispData::Instance(), nullptr);
    w = nullptr; // deleted by its closing
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
