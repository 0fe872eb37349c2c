// The formula window over the data table of the sample databases, driven
// through its controls: a new column computed row by row, the refusals that
// leave the table untouched, a later formula over a formula column, and the
// modal opening from the data table's button.
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Layout.h"
#include "frame/Shared.h"
#include "platform/NumText.h"
#include "platform/db/Database.h"
#include "platform/grid/TextGrid.h"
#include "selection/FormdatiTabLogic.h"
#include "selection/frmFunzione.h"
#include "selection/Formula.h"
#include "selection/frm_dispData.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>
#include <utility>

void RegisterFunzioneForms();

using platform::grid::TextGrid;

namespace {

class Funzione : public ::testing::Test {
protected:
    testenv::ProgramFolder pf;
    frm_dispData *w = nullptr;

    void TearDown() override
    {
        delete w;
        frame::ClearRegisteredForms();
    }

    // The data table of `items` ("Id-Anno") for every territory.
    frm_dispData *open(const QString &dbName, const QString &kind, const QStringList &items)
    {
        delete std::exchange(w, nullptr);   // gone even when what follows throws
        auto db = platform::db::Database::open(gDbPath, dbName, platform::db::OpenMode::ReadOnly);
        QStringList lines;
        for (const QString &i : items)
            lines << i + " - x";
        gDbName = dbName;
        gTipoDb = kind;
        gSqlDati = selection::CreaQuery(lines, kind, QString(), [&](const QString &id, const QString &anno) {
            auto rs = db.query(selection::LookupQuery(id, anno));
            return rs.eof() ? QString() : rs.text(0);
        });
        gLivelloTerritorio = 3;
        w = frm_dispData::ShowForm();
        QApplication::processEvents();
        return w;
    }

    frm_dispData *openVariables() { return open("Variabili.mdb", "Variabili", {"B0101-2005", "A0102-2005"}); }

    TextGrid &grid() { return w->datagrid(); }

    int col(const QString &header)
    {
        for (int c = 0; c < grid().Cols(); ++c)
            if (grid().TextMatrix(0, c) == header)
                return c;
        return -1;
    }

    // Column `c` by territory code.
    std::map<QString, QString> byCode(int c)
    {
        std::map<QString, QString> out;
        for (int r = 1; r < grid().Rows(); ++r)
            out[grid().TextMatrix(r, 1)] = grid().TextMatrix(r, c);
        return out;
    }

    // The window as the data table's button opens it, without its event loop.
    std::unique_ptr<frmFunzione> formula()
    {
        Utility::CopyGridToArray(grid());
        return std::make_unique<frmFunzione>(*w);
    }

    // Keys: "#Name" a column of the list, a digit or "," a number key, else the operator key's caption.
    static void type(frmFunzione &f, const QStringList &keys)
    {
        static const std::map<QString, QString> ops = {{"+", "cmdSomma"},      {"-", "cmdDifferenza"},
                                                       {"*", "cmdMoltiplica"}, {"/", "cmdRapporto"},
                                                       {"^", "cmdEleva"},      {"(", "cmdParentesiAp"},
                                                       {")", "cmdParentesiCh"}, {"%", "cmdPercentuale"},
                                                       {",", "cmdVirgola"}};
        auto *list = f.findChild<QListWidget *>("lstColonne");
        for (const QString &k : keys) {
            if (k.startsWith(u'#')) {
                const auto found = list->findItems(k.mid(1), Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1) << k.toStdString();
                list->setCurrentItem(found.front());
                emit list->itemDoubleClicked(found.front());
                continue;
            }
            const QString name = ops.count(k) ? ops.at(k) : "cmdNumero_" + k;
            auto *b = f.findChild<QPushButton *>(name);
            ASSERT_NE(b, nullptr) << name.toStdString();
            b->click();
        }
    }

    static QString shownFormula(frmFunzione &f) { return f.findChild<QPlainTextEdit *>("lstFunzione")->toPlainText(); }
    static void esegui(frmFunzione &f) { f.findChild<QPushButton *>("cmdEsegui")->click(); }
};

} // namespace

TEST_F(Funzione, RatioOfTwoVariablesEqualsTheSampleIndicator)
{
    openVariables();
    const int cols = grid().Cols();
    auto f = formula();
    EXPECT_EQ(f->windowTitle(), "Crea nuovo indicatore");
    QStringList listed;
    auto *list = f->findChild<QListWidget *>("lstColonne");
    for (int i = 0; i < list->count(); ++i)
        listed << list->item(i)->text();
    EXPECT_EQ(listed, QStringList({"A0102_2005", "B0101_2005"}));

    type(*f, {"#B0101_2005", "/", "#A0102_2005", "%"});
    EXPECT_EQ(shownFormula(*f), "B0101_2005 / A0102_2005 * 100 ");
    pf.prompts.inputs.push_back(QString("Funz1"));
    esegui(*f);
    EXPECT_EQ(f->result(), QDialog::Accepted);
    ASSERT_EQ(pf.prompts.shown.size(), 1u);
    EXPECT_EQ(pf.prompts.shown[0].text, "Inserire un nome per l'indicatore.");
    EXPECT_EQ(pf.prompts.shown[0].title, "Nome indicatore");

    ASSERT_EQ(grid().Cols(), cols + 1);
    EXPECT_EQ(grid().TextMatrix(0, cols), "Funz1");
    auto *ordina = w->findChild<QComboBox *>("cmb_Ordina");
    EXPECT_EQ(ordina->itemText(ordina->count() - 1), "Funz1");
    EXPECT_EQ(ordina->count(), cols + 1);
    const auto computed = byCode(cols);

    // The sample indicator B01002 is the same ratio, from the unrounded values.
    open("Indicatori.mdb", "Indicatori", {"B01002-2005"});
    const auto indicator = byCode(col("B01002_2005"));
    int compared = 0;
    for (const auto &[code, value] : indicator) {
        ASSERT_TRUE(computed.count(code)) << code.toStdString();
        const QString mine = computed.at(code);
        EXPECT_EQ(mine.isEmpty(), value.isEmpty()) << code.toStdString();
        if (mine.isEmpty() || value.isEmpty())
            continue;
        EXPECT_EQ(mine.section(',', 1).size(), 4) << mine.toStdString();
        // the indicator is rounded to two decimals, the variables it comes from too
        EXPECT_NEAR(*platform::num::parse(mine), *platform::num::parse(value), 0.006) << code.toStdString();
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

TEST_F(Funzione, EmptyOperandsAndZeroDivisorsGiveEmptyCellsAndTheRunGoesOn)
{
    openVariables();
    const int b = col("B0101_2005"), a = col("A0102_2005");
    grid().setTextMatrix(1, b, "");
    grid().setTextMatrix(2, a, "0,00");
    grid().setTextMatrix(3, a, "-0,00");
    grid().setTextMatrix(4, b, "1,00");
    grid().setTextMatrix(4, a, "2,00");
    const int cols = grid().Cols();
    auto f = formula();
    type(*f, {"#B0101_2005", "+", "#A0102_2005", "/", "#A0102_2005"});
    pf.prompts.inputs.push_back(QString("Somma"));
    esegui(*f);
    ASSERT_EQ(grid().Cols(), cols + 1);
    EXPECT_EQ(grid().TextMatrix(1, cols), "");
    EXPECT_EQ(grid().TextMatrix(2, cols), "");
    EXPECT_EQ(grid().TextMatrix(3, cols), "");
    EXPECT_EQ(grid().TextMatrix(4, cols), "2,0000");
    EXPECT_TRUE(pf.prompts.messages().isEmpty());
}

TEST_F(Funzione, RefusalsLeaveTheTableAndTheFormula)
{
    openVariables();
    const int cols = grid().Cols();
    auto *ordina = w->findChild<QComboBox *>("cmb_Ordina");
    const int listed = ordina->count();
    auto f = formula();

    // A syntax error: the message once, no name asked.
    type(*f, {"#B0101_2005", "+", "(", ")"});
    esegui(*f);
    EXPECT_EQ(pf.prompts.messages().join('|').toStdString(), "L'espressione contiene errori di sintassi.");
    EXPECT_EQ(pf.prompts.shown.back().style, 48);
    EXPECT_EQ(pf.prompts.shown.back().title, "ATTENZIONE!");
    EXPECT_EQ(shownFormula(*f), "B0101_2005 + ( ) ");

    // Parentheses nested deeper than a formula may go: the same message, no name asked.
    f->findChild<QPushButton *>("cmdReset")->click();
    pf.prompts.clear();
    QStringList deep;
    for (int i = 0; i <= formula::Expression::MaxNesting; ++i)
        deep << "(";
    deep << "#B0101_2005";
    for (int i = 0; i <= formula::Expression::MaxNesting; ++i)
        deep << ")";
    type(*f, deep);
    esegui(*f);
    EXPECT_EQ(pf.prompts.messages().join('|').toStdString(), "L'espressione contiene errori di sintassi.");

    // A cancelled name.
    f->findChild<QPushButton *>("cmdReset")->click();
    EXPECT_EQ(shownFormula(*f), "");
    type(*f, {"#B0101_2005", "*", "2"});
    pf.prompts.clear();
    pf.prompts.inputs.push_back(std::nullopt);
    esegui(*f);
    EXPECT_EQ(pf.prompts.shown.size(), 1u);
    EXPECT_EQ(shownFormula(*f), "B0101_2005 * 2");

    EXPECT_NE(f->result(), QDialog::Accepted);
    EXPECT_EQ(grid().Cols(), cols);
    EXPECT_EQ(ordina->count(), listed);
}

TEST_F(Funzione, RefusedNamesAreAskedAgain)
{
    // The default text of each input box, which the scripted prompts do not keep.
    struct Recording : platform::ScriptedPrompts {
        QStringList defaults;
        std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &def) override
        {
            defaults << def;
            return ScriptedPrompts::inputBox(prompt, title, def);
        }
    } rec;
    openVariables();
    // Two formula columns made earlier.
    const int cols = grid().Cols();
    grid().setCols(cols + 2);
    grid().setTextMatrix(0, cols, "Funz1");
    grid().setTextMatrix(0, cols + 1, "Funz2");
    auto f = formula();
    type(*f, {"5"});
    for (const char *name : {"a b", "x_y", "REG", "territorio", "9x", "Densita"})
        rec.inputs.push_back(QString(name));
    platform::setPrompts(&rec);
    esegui(*f);
    platform::setPrompts(&pf.prompts);
    EXPECT_EQ(rec.messages().join('|').toStdString(),
              "Il nome non deve contenere spazi o caratteri speciali.|"
              "Il nome non deve contenere spazi o caratteri speciali.|"
              "Esiste già una colonna con questo nome.|Esiste già una colonna con questo nome.|"
              "Il nome deve iniziare con una lettera.");
    for (const auto &s : rec.shown)
        if (s.kind == "msgBox") {
            EXPECT_EQ(s.style, 48);
            EXPECT_EQ(s.title, "Attenzione!");
        }
    // Every time the prompt comes back with the same proposal.
    EXPECT_EQ(rec.defaults, QStringList(6, "Funz3"));
    const int c = col("Densita");
    ASSERT_GT(c, 0);
    for (int r = 1; r < grid().Rows(); ++r)
        EXPECT_EQ(grid().TextMatrix(r, c), "5");
}

TEST_F(Funzione, ALaterFormulaUsesAFormulaColumnAndItSorts)
{
    openVariables();
    const int cols = grid().Cols();
    {
        auto f = formula();
        type(*f, {"#B0101_2005", "/", "#A0102_2005", "%"});
        pf.prompts.inputs.push_back(QString("Funz1"));
        esegui(*f);
    }
    auto f = formula();
    auto *list = testenv::ctl<QListWidget>(f.get(), "lstColonne");
    ASSERT_GT(list->count(), 0);
    EXPECT_EQ(list->item(list->count() - 1)->text(), "Funz1");
    type(*f, {"#Funz1", "*", "1", ",", "5"});
    EXPECT_EQ(shownFormula(*f), "Funz1 * 1.5");
    pf.prompts.inputs.push_back(QString("Funz2"));
    esegui(*f);
    ASSERT_EQ(grid().Cols(), cols + 2);
    EXPECT_EQ(grid().TextMatrix(0, cols + 1), "Funz2");
    for (int r = 1; r < grid().Rows(); ++r) {
        const QString one = grid().TextMatrix(r, cols), two = grid().TextMatrix(r, cols + 1);
        if (one.isEmpty()) {
            EXPECT_EQ(two, "");
            continue;
        }
        EXPECT_EQ(two, platform::num::format(*platform::num::parse(one) * 1.5, 4));
    }

    // The new column sorts by its name.
    auto *ordina = w->findChild<QComboBox *>("cmb_Ordina");
    ordina->setCurrentIndex(ordina->count() - 1);
    w->findChild<QToolButton *>("cmd_ordinaA")->click();
    for (int r = 2; r < grid().Rows(); ++r)
        EXPECT_LE(platform::grid::compareGeneric(grid().TextMatrix(r - 1, cols + 1), grid().TextMatrix(r, cols + 1)), 0);
}

TEST_F(Funzione, OpensModallyFromTheDataTableWithItsHelp)
{
    RegisterFunzioneForms();
    openVariables();
    const int cols = grid().Cols();
    QString title, help;
    bool modal = false;
    int tries = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *f = qobject_cast<frmFunzione *>(QApplication::activeModalWidget());
        if (!f) {
            if (++tries > 200)
                timer.stop();
            return;
        }
        timer.stop();
        title = f->windowTitle();
        modal = f->isModal();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(f->findChild<QListWidget *>("lstColonne"), &f1);
        if (auto *h = qobject_cast<QTextBrowser *>(Utility::HelpWindow()))
            help = h->source().fileName();
        f->findChild<QPushButton *>("cmdAnnulla")->click();
    });
    timer.start();
    w->findChild<QToolButton *>("cmdFunzione")->click();
    EXPECT_EQ(title, "Crea nuovo indicatore");
    EXPECT_TRUE(modal);
    EXPECT_EQ(help, "formula.html");
    EXPECT_EQ(grid().Cols(), cols);
    if (QWidget *h = Utility::HelpWindow())
        h->close();
}
