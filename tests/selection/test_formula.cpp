// Formula columns without a window: the keypad rules, the formula's grammar
// and values, the text of a row's cell in both locales, and the column name.
#include "selection/Formula.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <cmath>
#include <tuple>

using namespace formula;

namespace {

struct LocaleScope {
    QLocale saved;
    explicit LocaleScope(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved); }
};

// Column names: 5 fixed columns without a name, then three value columns.
const QStringList Names = {"", "", "", "", "", "A0001_1996", "A0002_1996", "Z"};

// ---- keypad, grammar and values ---------------------------------------------------------

TEST(Formula, KeypadBuildsTheFormula)
{
    // "#Name" a column double-click, a digit or "." a number key, else an operator key; the text; the last token.
    const std::tuple<QStringList, QString, QString> cases[] = {
        // start of the formula
        {{"+"}, "", ""}, {{"("}, "( ", "par"}, {{"#A"}, "A ", "col"}, {{"7"}, "7", "col"},
        // after an operand, after an operator
        {{"#A", "#B"}, "A ", "col"}, {{"#A", "5"}, "A ", "col"}, {{"#A", "+"}, "A + ", "ope"},
        {{"#A", "+", "-"}, "A + ", "ope"}, {{"#A", "+", ")"}, "A + ) ", "par"},
        // the percentage keeps the operand state; numbers
        {{"#A", "* 100"}, "A * 100 ", "col"}, {{"#A", "* 100", "#B"}, "A * 100 ", "col"},
        {{"1", ".", "5"}, "1.5", "col"}, {{"#A", "*", "1", "2", "+"}, "A * 12+ ", "ope"}};
    for (const auto &[inputs, text, last] : cases) {
        Keypad k;
        for (const QString &in : inputs) {
            if (in.startsWith(u'#'))
                k.AggiungiColonna(in.mid(1));
            else if (in == u"." || (in.size() == 1 && in.at(0).isDigit()))
                k.AggiungiNumero(in);
            else
                k.OperatoreQuery(in);
        }
        EXPECT_EQ(k.Text() + "|" + k.TipoUltimoToken, text + "|" + last) << inputs.join(' ').toStdString();
    }
}

TEST(Formula, GrammarAndValues)
{
    const std::pair<QString, std::optional<double>> cases[] = {
        {"2 + 3 * 4", 14}, {"( 2 + 3 ) * 4", 20}, {"2 ^ 3 ^ 2", 64}, {"( - 2 ^ 2 )", -4}, {"( - 2 ) ^ 2", 4},
        {"10 - 4 - 3", 3}, {"8 / 4 / 2", 1}, {"7 / 2", 3.5}, {"2 * 3 ^ 2", 18},
        {"A0001_1996 / A0002_1996 * 100", 1250.0 / 3}, {"A0001_1996 * 12+ 1", 151}, {"A0001_1996 * 1.5", 18.75},
        {"A0001_1996 * 100 ", 1250}, {".5 + 5.", 5.5},
        // no value: divisions by zero of any kind and results out of range
        {"A0001_1996 / Z", std::nullopt}, {"A0001_1996 / 0", std::nullopt},
        {"A0001_1996 / ( A0002_1996 - A0002_1996 )", std::nullopt}, {"0 / 0", std::nullopt},
        {"0 ^ ( - 1 )", std::nullopt}, {"( - 8 ) ^ 0.5", std::nullopt}, {"10 ^ 400 / 10 ^ 400", std::nullopt}};
    for (const auto &[formula, value] : cases) {
        SCOPED_TRACE(formula.toStdString());
        const auto e = Expression::Compile(formula, Names);
        ASSERT_TRUE(e.has_value());
        const auto v = e->Evaluate([](int k) { return k == 5 ? 12.5 : k == 6 ? 3.0 : 0.0; });
        ASSERT_EQ(v.has_value(), value.has_value());
        if (v) {
            EXPECT_NEAR(*v, *value, 1e-9);
        }
    }
    for (const QString refused : {"", "   ", "( ) ", "A0001_1996 ( ", "12( ", ") 5", ") A0001_1996 ", "( * 2",
                                  "( * 100 ", "2 + ", "( 2", "2 ) ", "1.2.3", "A0001_1996 Z ", "B0000_2000 + 1",
                                  "a0001_1996 + 1", "TipoTerritorio", "( 5 ) ( 5 )"})
        EXPECT_FALSE(Expression::Compile(refused, Names).has_value()) << refused.toStdString();
}

TEST(FormulaNesting, DeepFormulasAreRefusedWithoutCrashing)
{
    auto nested = [](const QString &open, int depth, const QString &inner, const QString &close) {
        QString f;
        for (int i = 0; i < depth; ++i)
            f += open;
        f += inner;
        for (int i = 0; i < depth; ++i)
            f += close;
        return f;
    };
    const int max = Expression::MaxNesting;
    const std::pair<QString, std::optional<double>> cases[] = { // nullopt: refused
        {nested("( ", max, "A0001_1996", " )"), 12.5},
        {nested("- ", max, "2", ""), 2},
        {nested("( - ", max / 2, "2", " )"), 2},
        {nested("( ", max + 1, "A0001_1996", " )"), std::nullopt},
        {nested("- ", max + 1, "2", ""), std::nullopt},
        {nested("( - ", max / 2 + 1, "2", " )"), std::nullopt},
        {nested("( ", 60000, "1", " )"), std::nullopt},
        {nested("- ", 60000, "1", ""), std::nullopt},
        {nested("+ ", 60000, "1", ""), std::nullopt},
        {nested("( ", 60000, "1", ""), std::nullopt}, // never closed
    };
    for (const auto &[formula, value] : cases) {
        const auto e = Expression::Compile(formula, Names);
        ASSERT_EQ(e.has_value(), value.has_value()) << formula.left(40).toStdString() << " (" << formula.size() << ")";
        if (e) {
            EXPECT_DOUBLE_EQ(*e->Evaluate([](int) { return 12.5; }), *value);
        }
    }
    // A long formula that is not deep compiles: only nesting is limited.
    QString flat = "1";
    for (int i = 0; i < 20000; ++i)
        flat += " + 1";
    const auto e = Expression::Compile(flat, Names);
    ASSERT_TRUE(e.has_value());
    EXPECT_DOUBLE_EQ(*e->Evaluate([](int) { return 0.0; }), 20001);
}

// ---- a row's cell ----------------------------------------------------------------------------

TEST(Formula, RowTextInBothLocales)
{
    // the formula, the cells of columns 5 and 6, the cell under Italian and under C settings
    const std::tuple<QString, QString, QString, QString, QString> cases[] = {
        {"A0001_1996 + A0002_1996", "1,00", "2,00", "3,0000", "3.0000"},
        {"A0001_1996 / A0002_1996 * 100", "12,50", "3,00", "416,6667", "416.6667"},
        {"A0001_1996 * 1.5", "2,00", "", "3,0000", "3.0000"},
        {"A0001_1996 - A0002_1996", "-1,25", "0,75", "-2,0000", "-2.0000"},
        // an empty or non-numeric operand, a zero divisor: an empty cell
        {"A0001_1996 + A0002_1996", "1,00", "", "", ""}, {"A0001_1996 + A0002_1996", "n.d.", "2,00", "", ""},
        {"A0001_1996 / A0002_1996", "1,00", "0,00", "", ""}, {"A0001_1996 / A0002_1996", "1,00", "-0,00", "", ""},
        // a plain number as written, in the user's settings
        {"5", "", "", "5", "5"}, {"1.5", "", "", "1,5", "1.5"}, {".5", "", "", "0,5", "0.5"}, {"007", "", "", "7", "7"},
        // four decimals, an exact half to the even digit
        {"0.00005 * 1", "", "", "0,0000", "0.0000"}, {"0.00015 * 1", "", "", "0,0002", "0.0002"},
        {"1 / 3", "", "", "0,3333", "0.3333"}, {"( 5 )", "", "", "5,0000", "5.0000"}};
    for (const auto &[formula, a, b, it, c] : cases) {
        SCOPED_TRACE(formula.toStdString());
        const auto e = Expression::Compile(formula, Names);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->CalcolaRiga([&a = a, &b = b](int k) { return k == 5 ? a : b; }), it);
        LocaleScope scope(QLocale::c());
        const QString ca = QString(a).replace(u',', u'.'), cb = QString(b).replace(u',', u'.');
        EXPECT_EQ(e->CalcolaRiga([&](int k) { return k == 5 ? ca : cb; }), c);
    }
}

// ---- the name --------------------------------------------------------------------------------

TEST(FormulaName, Proposal)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{}, "Funz1"}, {{"", "COD_TERR", "A0001_1996"}, "Funz1"}, {{"Funz1", "Funz2"}, "Funz3"},
        {{"Funz3", "Funz1"}, "Funz4"}, {{"FUNZ7"}, "Funz8"}, {{"Funzione", "Funz", "XFUNZ1", "Funz1a"}, "Funz1"},
        {{"Funz99999999999999999999"}, "Funz1"}};
    for (const auto &[names, expected] : cases)
        EXPECT_EQ(ProponiNome(names), expected) << names.join(',').toStdString();
}

TEST(FormulaName, Check)
{
    const QStringList headers = {"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001_1996", "Funz1"};
    using N = NomeCheck;
    const std::vector<std::pair<QString, NomeCheck>> cases = {
        {"", N::Empty},         {"Funz2", N::Ok},        {"a b", N::SpecialChars},        {"x_y", N::SpecialChars},
        {"città", N::SpecialChars}, {QString("ab") + QChar(8), N::SpecialChars}, {"9abc", N::StartsWithDigit},
        {"100", N::StartsWithDigit}, {"reg", N::Duplicate}, {"FUNZ1", N::Duplicate}, {"Territorio", N::Duplicate}};
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(VerificaNome(name, headers), expected) << name.toStdString();
    EXPECT_EQ(MessaggioNome(NomeCheck::SpecialChars), "Il nome non deve contenere spazi o caratteri speciali.");
}

} // namespace
