// Formula columns without a window: the keypad rules, the formula's grammar
// and values, the text of a row's cell in both locales, and the column name.
#include "selection/Formula.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <cmath>
#include <ostream>

using namespace formula;

namespace {

struct LocaleScope {
    QLocale saved;
    explicit LocaleScope(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved); }
};

// Column names: 5 fixed columns without a name, then three value columns.
const QStringList Names = {"", "", "", "", "", "A0001_1996", "A0002_1996", "Z"};

// ---- keypad --------------------------------------------------------------------------

struct KeypadCase {
    QStringList inputs; // "#Name" a column double-click, a digit or "." a number key, else an operator key
    QString text;
    QString last;
};

void PrintTo(const KeypadCase &c, std::ostream *os) { *os << c.inputs.join('|').toStdString(); }

class KeypadRules : public ::testing::TestWithParam<KeypadCase> {};

TEST_P(KeypadRules, BuildsTheFormula)
{
    Keypad k;
    for (const QString &in : GetParam().inputs) {
        if (in.startsWith(u'#')) {
            k.AggiungiColonna(in.mid(1));
        } else if (in == u"." || (in.size() == 1 && in.at(0).isDigit())) {
            k.AggiungiNumero(in);
        } else {
            k.OperatoreQuery(in);
        }
    }
    EXPECT_EQ(k.Text(), GetParam().text);
    EXPECT_EQ(k.TipoUltimoToken, GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(
    Formula, KeypadRules,
    ::testing::Values(
        // start of the formula
        KeypadCase{{"+"}, "", ""}, KeypadCase{{"* 100"}, "", ""}, KeypadCase{{"("}, "( ", "par"},
        KeypadCase{{"#A"}, "A ", "col"}, KeypadCase{{"7"}, "7", "col"},
        // after an operand
        KeypadCase{{"#A", "#B"}, "A ", "col"}, KeypadCase{{"#A", "5"}, "A ", "col"},
        KeypadCase{{"#A", "+"}, "A + ", "ope"},
        // after an operator
        KeypadCase{{"#A", "+", "-"}, "A + ", "ope"}, KeypadCase{{"#A", "+", "("}, "A + ( ", "par"},
        KeypadCase{{"#A", "+", ")"}, "A + ) ", "par"}, KeypadCase{{"#A", "/", "#B"}, "A / B ", "col"},
        KeypadCase{{"#A", "+", "3"}, "A + 3", "col"},
        // the percentage keeps the operand state
        KeypadCase{{"#A", "* 100"}, "A * 100 ", "col"}, KeypadCase{{"#A", "* 100", "+"}, "A * 100 + ", "ope"},
        KeypadCase{{"#A", "* 100", "#B"}, "A * 100 ", "col"},
        // numbers
        KeypadCase{{"1", ".", "5"}, "1.5", "col"}, KeypadCase{{"1", ".", "5", "#A"}, "1.5", "col"},
        KeypadCase{{"#A", "*", "1", "2", "+"}, "A * 12+ ", "ope"},
        KeypadCase{{"(", "1", ")", "2"}, "( 1) 2", "col"}));

// ---- grammar and values ------------------------------------------------------------------

struct ValueCase {
    QString formula;
    std::optional<double> value; // nullopt: no value for the row
};

void PrintTo(const ValueCase &c, std::ostream *os) { *os << c.formula.toStdString(); }

class FormulaValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FormulaValues, Evaluates)
{
    const auto e = Expression::Compile(GetParam().formula, Names);
    ASSERT_TRUE(e.has_value()) << GetParam().formula.toStdString();
    const auto v = e->Evaluate([](int k) { return k == 5 ? 12.5 : k == 6 ? 3.0 : 0.0; });
    ASSERT_EQ(v.has_value(), GetParam().value.has_value()) << GetParam().formula.toStdString();
    if (v) {
        EXPECT_NEAR(*v, *GetParam().value, 1e-9) << GetParam().formula.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formula, FormulaValues,
    ::testing::Values(
        ValueCase{"2 + 3 * 4", 14}, ValueCase{"( 2 + 3 ) * 4", 20}, ValueCase{"2 ^ 3 ^ 2", 64},
        ValueCase{"( - 2 ^ 2 )", -4}, ValueCase{"( - 2 ) ^ 2", 4}, ValueCase{"10 - 4 - 3", 3},
        ValueCase{"8 / 4 / 2", 1}, ValueCase{"7 / 2", 3.5}, ValueCase{"2 * 3 ^ 2", 18},
        ValueCase{"A0001_1996 / A0002_1996 * 100", 1250.0 / 3}, ValueCase{"A0001_1996 * 12+ 1", 151},
        ValueCase{"A0001_1996 * 1.5", 18.75}, ValueCase{"A0001_1996 * 100 ", 1250}, ValueCase{".5 + 5.", 5.5},
        // no value: divisions by zero of any kind and results out of range
        ValueCase{"A0001_1996 / Z", std::nullopt}, ValueCase{"A0001_1996 / 0", std::nullopt},
        ValueCase{"A0001_1996 / ( A0002_1996 - A0002_1996 )", std::nullopt}, ValueCase{"0 / 0", std::nullopt},
        ValueCase{"0 ^ ( - 1 )", std::nullopt}, ValueCase{"( - 8 ) ^ 0.5", std::nullopt},
        ValueCase{"10 ^ 400 / 10 ^ 400", std::nullopt}));

class FormulaSyntax : public ::testing::TestWithParam<QString> {};

TEST_P(FormulaSyntax, IsRefused)
{
    EXPECT_FALSE(Expression::Compile(GetParam(), Names).has_value()) << GetParam().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Formula, FormulaSyntax,
                         ::testing::Values("", "   ", "( ) ", "A0001_1996 ( ", "12( ", ") 5", ") A0001_1996 ",
                                           "( * 2", "( * 100 ", "2 + ", "( 2", "2 ) ", "1.2.3", "A0001_1996 Z ",
                                           "B0000_2000 + 1", "a0001_1996 + 1", "TipoTerritorio", "( 5 ) ( 5 )"));

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
    struct Case {
        QString formula;
        std::optional<double> value; // nullopt: refused
    };
    const Case cases[] = {
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
    for (const Case &c : cases) {
        const auto e = Expression::Compile(c.formula, Names);
        ASSERT_EQ(e.has_value(), c.value.has_value()) << c.formula.left(40).toStdString() << " (" << c.formula.size() << ")";
        if (e) {
            EXPECT_DOUBLE_EQ(*e->Evaluate([](int) { return 12.5; }), *c.value);
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

struct RowCase {
    QString formula;
    QString a, b; // cells of columns 5 and 6
    QString it, c; // the cell under Italian and under C settings
};

void PrintTo(const RowCase &c, std::ostream *os) { *os << c.formula.toStdString(); }

class RowText : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowText, InBothLocales)
{
    const RowCase &t = GetParam();
    const auto e = Expression::Compile(t.formula, Names);
    ASSERT_TRUE(e.has_value());
    {
        LocaleScope it(QLocale(QLocale::Italian, QLocale::Italy));
        EXPECT_EQ(e->CalcolaRiga([&](int k) { return k == 5 ? t.a : t.b; }), t.it) << t.formula.toStdString();
    }
    {
        LocaleScope c(QLocale::c());
        QString a = t.a, b = t.b;
        a.replace(u',', u'.');
        b.replace(u',', u'.');
        EXPECT_EQ(e->CalcolaRiga([&](int k) { return k == 5 ? a : b; }), t.c) << t.formula.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formula, RowText,
    ::testing::Values(
        RowCase{"A0001_1996 + A0002_1996", "1,00", "2,00", "3,0000", "3.0000"},
        RowCase{"A0001_1996 / A0002_1996 * 100", "12,50", "3,00", "416,6667", "416.6667"},
        RowCase{"A0001_1996 / A0002_1996", "12,50", "3,00", "4,1667", "4.1667"},
        RowCase{"A0001_1996 * 1.5", "2,00", "", "3,0000", "3.0000"},
        RowCase{"A0001_1996 - A0002_1996", "-1,25", "0,75", "-2,0000", "-2.0000"},
        // an empty or non-numeric operand, a zero divisor: an empty cell
        RowCase{"A0001_1996 + A0002_1996", "1,00", "", "", ""},
        RowCase{"A0001_1996 + A0002_1996", "n.d.", "2,00", "", ""},
        RowCase{"A0001_1996 / A0002_1996", "1,00", "0,00", "", ""},
        RowCase{"A0001_1996 / A0002_1996", "1,00", "-0,00", "", ""},
        RowCase{"A0001_1996 / A0002_1996", "1,00", "0,0000", "", ""},
        // a plain number as written, in the user's settings
        RowCase{"5", "", "", "5", "5"}, RowCase{"1.5", "", "", "1,5", "1.5"}, RowCase{".5", "", "", "0,5", "0.5"},
        RowCase{"007", "", "", "7", "7"},
        // four decimals, an exact half to the even digit
        RowCase{"0.00005 * 1", "", "", "0,0000", "0.0000"}, RowCase{"0.00015 * 1", "", "", "0,0002", "0.0002"},
        RowCase{"1 / 3", "", "", "0,3333", "0.3333"}, RowCase{"( 5 )", "", "", "5,0000", "5.0000"}));

// ---- the name --------------------------------------------------------------------------------

TEST(FormulaName, Proposal)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{}, "Funz1"},
        {{"", "COD_TERR", "A0001_1996"}, "Funz1"},
        {{"Funz1", "Funz2"}, "Funz3"},
        {{"Funz3", "Funz1"}, "Funz4"},
        {{"FUNZ7"}, "Funz8"},
        {{"Funzione", "Funz", "XFUNZ1", "Funz1a"}, "Funz1"},
        {{"Funz99999999999999999999"}, "Funz1"},
    };
    for (const auto &[names, expected] : cases)
        EXPECT_EQ(ProponiNome(names), expected) << names.join(',').toStdString();
}

TEST(FormulaName, Check)
{
    const QStringList headers = {"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001_1996", "Funz1"};
    const std::vector<std::pair<QString, NomeCheck>> cases = {
        {"", NomeCheck::Empty},
        {"Funz2", NomeCheck::Ok},
        {"Densita2", NomeCheck::Ok},
        {"a b", NomeCheck::SpecialChars},
        {"x_y", NomeCheck::SpecialChars},
        {"città", NomeCheck::SpecialChars},
        {QString("ab") + QChar(8), NomeCheck::SpecialChars},
        {"9abc", NomeCheck::StartsWithDigit},
        {"100", NomeCheck::StartsWithDigit},
        {"reg", NomeCheck::Duplicate},
        {"FUNZ1", NomeCheck::Duplicate},
        {"Territorio", NomeCheck::Duplicate},
    };
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(VerificaNome(name, headers), expected) << name.toStdString();
    EXPECT_EQ(MessaggioNome(NomeCheck::SpecialChars), "Il nome non deve contenere spazi o caratteri speciali.");
}

} // namespace
