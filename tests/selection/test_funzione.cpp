// The formula window over the data table of the sample databases, driven
// through its controls: a new column computed row by row, the refusals that
// leave the table untouched, a later formula over a formula column, and the
// modal opening from the data table's button.
#include "DataWindow.h"
#include "frame/Forms.h"
#include "frame/Layout.h"
#include "frame/Shared.h"
#include "platform/NumText.h"
#include "selection/Formula.h"
#include "selection/frmFunzione.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>
#include <map>

void RegisterFunzioneForms();

using testenv::ctl;

namespace {

class Funzione : public testenv::DataWindowTest {
protected:
    void TearDown() override
    {
        DataWindowTest::TearDown();
        frame::ClearRegisteredForms();
    }
    frm_dispData *openVariables() { return openItems("Variabili.mdb", "Variabili", {"B0101-2005", "A0102-2005"}); }
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
        static const std::map<QString, QString> ops = {
            {"+", "cmdSomma"},       {"-", "cmdDifferenza"},  {"*", "cmdMoltiplica"},  {"/", "cmdRapporto"},
            {"^", "cmdEleva"},       {"(", "cmdParentesiAp"}, {")", "cmdParentesiCh"}, {"%", "cmdPercentuale"},
            {",", "cmdVirgola"}};
        auto *list = ctl<QListWidget>(&f, "lstColonne");
        for (const QString &k : keys) {
            if (k.startsWith(u'#')) {
                const auto found = list->findItems(k.mid(1), Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1) << k.toStdString();
                list->setCurrentItem(found.front());
                emit list->itemDoubleClicked(found.front());
            } else {
                ctl<QPushButton>(&f, ops.count(k) ? ops.at(k) : "cmdNumero_" + k)->click();
            }
        }
    }
    static QString shownFormula(frmFunzione &f) { return ctl<QPlainTextEdit>(&f, "lstFunzione")->toPlainText(); }
    static void esegui(frmFunzione &f) { ctl<QPushButton>(&f, "cmdEsegui")->click(); }
};

} // namespace

TEST_F(Funzione, RatioEqualsTheSampleIndicatorALaterFormulaUsesItAndItSorts)
{
    openVariables();
    const int b = col("B0101_2005"), a = col("A0102_2005"), cols = grid().Cols();
    // An empty operand and a zero divisor give empty cells, and the run goes on.
    const QString emptied = grid().TextMatrix(1, 1), zeroed = grid().TextMatrix(2, 1);
    grid().setTextMatrix(1, b, "");
    grid().setTextMatrix(2, a, "0,00");
    auto f = formula();
    auto *list = ctl<QListWidget>(f.get(), "lstColonne");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text() + "|" + list->item(1)->text(), "A0102_2005|B0101_2005");
    type(*f, {"#B0101_2005", "/", "#A0102_2005", "%"});
    EXPECT_EQ(shownFormula(*f), "B0101_2005 / A0102_2005 * 100 ");
    pf.prompts.inputs.push_back(QString("Funz1"));
    esegui(*f);
    EXPECT_EQ(f->result(), QDialog::Accepted);
    ASSERT_EQ(pf.prompts.shown.size(), 1u);
    EXPECT_EQ(pf.prompts.shown[0].text + "|" + pf.prompts.shown[0].title, "Inserire un nome per l'indicatore.|Nome indicatore");
    ASSERT_EQ(grid().Cols(), cols + 1);
    auto *ordina = ctl<QComboBox>(w, "cmb_Ordina");
    EXPECT_EQ(grid().TextMatrix(0, cols) + ordina->itemText(cols) + QString::number(ordina->count() - cols), "Funz1Funz11");
    EXPECT_EQ(grid().TextMatrix(1, cols) + grid().TextMatrix(2, cols), "");
    const auto computed = byCode(cols);

    // A later formula over the formula column, and the new column sorts by its name.
    f = formula();
    list = ctl<QListWidget>(f.get(), "lstColonne");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), "Funz1");
    type(*f, {"#Funz1", "*", "1", ",", "5"});
    EXPECT_EQ(shownFormula(*f), "Funz1 * 1.5");
    pf.prompts.inputs.push_back(QString("Funz2"));
    esegui(*f);
    ASSERT_EQ(grid().Cols(), cols + 2);
    EXPECT_EQ(grid().TextMatrix(0, cols + 1), "Funz2");
    for (int r = 1; r < grid().Rows(); ++r) {
        const QString one = grid().TextMatrix(r, cols), two = grid().TextMatrix(r, cols + 1);
        EXPECT_EQ(two, one.isEmpty() ? QString() : platform::num::format(*platform::num::parse(one) * 1.5, 4)) << r;
    }
    ordina->setCurrentIndex(ordina->count() - 1);
    ctl<QToolButton>(w, "cmd_ordinaA")->click();
    for (int r = 2; r < grid().Rows(); ++r)
        EXPECT_LE(platform::grid::compareGeneric(grid().TextMatrix(r - 1, cols + 1), grid().TextMatrix(r, cols + 1)), 0);

    // The sample indicator B01002 is the same ratio, from the unrounded values.
    openItems("Indicatori.mdb", "Indicatori", {"B01002-2005"});
    int compared = 0;
    for (const auto &[code, value] : byCode(col("B01002_2005"))) {
        ASSERT_TRUE(computed.count(code)) << code.toStdString();
        const QString mine = computed.at(code);
        if (code == emptied || code == zeroed)
            continue;
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

TEST_F(Funzione, RefusalsLeaveTheTableAndTheFormula)
{
    openVariables();
    const int cols = grid().Cols();
    auto *ordina = ctl<QComboBox>(w, "cmb_Ordina");
    const int listed = ordina->count();
    auto f = formula();

    // A syntax error, or parentheses nested deeper than a formula may go: the message once, no name asked.
    QStringList deep = QStringList(formula::Expression::MaxNesting + 1, "(") << "#B0101_2005";
    deep += QStringList(formula::Expression::MaxNesting + 1, ")");
    for (const QStringList &keys : {deep, QStringList{"#B0101_2005", "+", "(", ")"}}) {
        ctl<QPushButton>(f.get(), "cmdReset")->click();
        pf.prompts.clear();
        type(*f, keys);
        esegui(*f);
        EXPECT_EQ(pf.prompts.messages().join('|').toStdString(), "L'espressione contiene errori di sintassi.");
        EXPECT_EQ(QString::number(pf.prompts.shown.back().style) + pf.prompts.shown.back().title, "48ATTENZIONE!");
    }
    EXPECT_EQ(shownFormula(*f), "B0101_2005 + ( ) "); // left as typed

    // A cancelled name.
    ctl<QPushButton>(f.get(), "cmdReset")->click();
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
    for (const char *name : {"a b", "REG", "9x", "Densita"}) // one of each refusal, then a good one
        rec.inputs.push_back(QString(name));
    auto *run = ctl<QPushButton>(f.get(), "cmdEsegui");
    platform::setPrompts(&rec);
    run->click();
    platform::setPrompts(&pf.prompts);
    EXPECT_EQ(rec.messages().join('|').toStdString(), "Il nome non deve contenere spazi o caratteri speciali.|"
                                                      "Esiste già una colonna con questo nome.|"
                                                      "Il nome deve iniziare con una lettera.");
    for (const auto &s : rec.shown)
        if (s.kind == "msgBox") {
            EXPECT_EQ(std::make_pair(s.style, s.title), std::make_pair(48, QString("Attenzione!")));
        }
    // Every time the prompt comes back with the same proposal.
    EXPECT_EQ(rec.defaults, QStringList(4, "Funz3"));
    const int c = col("Densita");
    ASSERT_GT(c, 0);
    for (int r = 1; r < grid().Rows(); ++r)
        EXPECT_EQ(grid().TextMatrix(r, c), "5");
}

TEST_F(Funzione, OpensModallyFromTheDataTableWithItsHelp)
{
    RegisterFunzioneForms();
    openVariables();
    const int cols = grid().Cols();
    QString title, help;
    bool modal = false;
    testenv::onModal([&](QWidget *dlg) {
        auto *f = testenv::must(qobject_cast<frmFunzione *>(dlg), "formula window");
        title = f->windowTitle();
        modal = f->isModal();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(ctl<QListWidget>(f, "lstColonne"), &f1);
        if (auto *h = qobject_cast<QTextBrowser *>(Utility::HelpWindow()))
            help = h->source().fileName();
        ctl<QPushButton>(f, "cmdAnnulla")->click();
    });
    ctl<QToolButton>(w, "cmdFunzione")->click();
    EXPECT_EQ(title, "Crea nuovo indicatore");
    EXPECT_TRUE(modal);
    EXPECT_EQ(help, "formula.html");
    EXPECT_EQ(grid().Cols(), cols);
    if (QWidget *h = Utility::HelpWindow())
        h->close();
}
