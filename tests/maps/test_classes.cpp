// Classification of the thematic map: statistics, quartiles, equal-amplitude
// and manual classes, class assignment, ramps and the scale text.
#include "maps/MapClasses.h"
#include "platform/map/MapTypes.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace maps;

namespace {

struct LocaleGuard {
    QLocale saved;
    explicit LocaleGuard(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(saved); }
};

// Rows "1,00", "2,00", ... "n,00" with codes 1..n.
std::vector<ValuedRow> sequence(int n)
{
    std::vector<MapRow> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back({QString::number(i), QStringLiteral("%1,00").arg(i)});
    return ValuedRows(rows);
}

std::vector<ValuedRow> fromTexts(const std::vector<const char *> &texts)
{
    std::vector<MapRow> rows;
    int code = 1;
    for (const char *t : texts)
        rows.push_back({QString::number(code++), QString::fromUtf8(t)});
    return ValuedRows(rows);
}

} // namespace

TEST(MapStatistics, OverNumericValuesOnly)
{
    struct Case { std::vector<const char *> values; double min, max, sum, mean, var, cv; };
    const Case cases[] = {
        // Empty and non-numeric cells count nowhere, wherever they are.
        {{"", "4,00", "2,00", "n.d.", "3,00", "1,00", ""}, 1, 4, 10, 2.5, 1.25, 44.72135954999579},
        // A sum of 0 or less gives a coefficient of variation of 0.
        {{"-1,00", "1,00"}, -1, 1, 0, 0, 1, 0},
        {{"7,5"}, 7.5, 7.5, 7.5, 7.5, 0, 0},
    };
    for (const Case &c : cases) {
        const auto s = ColumnStatistics(fromTexts(c.values));
        ASSERT_TRUE(s.has_value());
        EXPECT_DOUBLE_EQ(s->ValMin, c.min);
        EXPECT_DOUBLE_EQ(s->ValMax, c.max);
        EXPECT_DOUBLE_EQ(s->ValSomma, c.sum);
        EXPECT_DOUBLE_EQ(s->ValMedia, c.mean);
        EXPECT_DOUBLE_EQ(s->ValVarianza, c.var);
        EXPECT_NEAR(s->ValCV, c.cv, 1e-9);
    }
    EXPECT_NEAR(ColumnStatistics(sequence(4))->ValDevStd, 1.118033988749895, 1e-12);
    EXPECT_FALSE(ColumnStatistics(fromTexts({"", "", "n.d."})).has_value());
    EXPECT_FALSE(ColumnStatistics({}).has_value());
}

TEST(MapStatistics, CaptionsFollowTheLocale)
{
    EXPECT_EQ(RoundedCaption(2.5), "(2,5)");
    EXPECT_EQ(RoundedCaption(1.125), "(1,12)");
    EXPECT_EQ(RoundedCaption(10), "(10)");
    LocaleGuard g(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(RoundedCaption(2.5), "(2.5)");
}

TEST(Quartiles, ClassesAndLabelsForOneToThirteenRows)
{
    struct Case { int n; std::vector<int> classes; std::array<const char *, 4> labels; };
    const Case cases[] = {
        {1, {1}, {" Da 1,00 a 1,00", "", "", ""}},
        {2, {1, 2}, {" Da 1,00 a 1,00", " Da 2,00 a 2,00", "", ""}},
        {3, {1, 2, 3}, {" Da 1,00 a 1,00", " Da 1,00 a 2,00", " Da 3,00 a 3,00", ""}},
        {4, {1, 2, 3, 4}, {" Da 1,00 a 1,00", " Da 1,00 a 2,00", " Da 2,00 a 3,00", " Da 4,00 a 4,00"}},
        {5, {1, 1, 2, 3, 4}, {" Da 1,00 a 2,00", " Da 2,00 a 3,00", " Da 3,00 a 4,00", " Da 5,00 a 5,00"}},
        {13, {1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4},
         {" Da 1,00 a 4,00", " Da 4,00 a 7,00", " Da 7,00 a 10,00", " Da 10,00 a 13,00"}},
    };
    for (const Case &c : cases) {
        const QuartileResult q = QuartileClasses(sequence(c.n));
        EXPECT_EQ(q.classOf, c.classes) << "n=" << c.n;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(q.labels[size_t(i)], QString::fromUtf8(c.labels[size_t(i)])) << "n=" << c.n << " class " << i + 1;
        EXPECT_FALSE(q.tie) << "n=" << c.n; // distinct values, empty classes never compared
    }
}

TEST(Quartiles, TieWarningWhenABoundSplitsEqualTexts)
{
    struct Case { std::vector<const char *> values; bool tie; };
    const Case cases[] = {
        // 12 rows, rows 3 and 4 equal (end of class 1 / start of class 2).
        {{"1,00", "2,00", "3,00", "3,00", "5,00", "6,00", "7,00", "8,00", "9,00", "10,00", "11,00", "12,00"}, true},
        // rows 9 and 10 equal (end of class 3 / start of class 4).
        {{"1,00", "2,00", "3,00", "4,00", "5,00", "6,00", "7,00", "8,00", "9,00", "9,00", "11,00", "12,00"}, true},
        // Equal values inside a class are no tie.
        {{"1,00", "1,00", "3,00", "4,00", "5,00", "6,00", "7,00", "8,00", "9,00", "10,00", "11,00", "12,00"}, false},
        {{"5,00", "5,00"}, true},
        {{"5,00"}, false},
        // Different texts of the same number are not a tie (texts are compared).
        {{"1,00", "2,00", "3,0", "3,00", "5,00", "6,00", "7,00", "8,00", "9,00", "10,00", "11,00", "12,00"}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(QuartileClasses(fromTexts(c.values)).tie, c.tie) << c.values.size();

    const auto all5 = QuartileClasses(fromTexts(std::vector<const char *>(12, "5,00")));
    for (const QString &l : all5.labels)
        EXPECT_EQ(l, " Da 5,00 a 5,00");
    EXPECT_TRUE(QuartileTieMessage().startsWith("ATTENZIONE!\nPer una corretta"));
}

TEST(Quartiles, LabelsKeepTheGridTexts)
{
    // Unsorted input with blanks and four decimals: sorted by value, labels verbatim.
    const auto q = QuartileClasses(fromTexts({"12,5000", "", "3,1416", "0,0001", "7,25"}));
    EXPECT_EQ(q.labels[0], " Da 0,0001 a 0,0001");
    EXPECT_EQ(q.labels[1], " Da 0,0001 a 3,1416");
    EXPECT_EQ(q.labels[3], " Da 12,5000 a 12,5000");
}

TEST(ClassBounds, ChecksOfTheBoundBoxes)
{
    struct Case { const char *min, *max; BoundsCheck expected; const char *minAfter, *maxAfter; };
    const Case cases[] = {
        {"0", "5", BoundsCheck::Ok, "0", "5"},
        {"5", "2", BoundsCheck::MaxBelowMin, "5", "2"},
        {"-1", "5", BoundsCheck::LowOutOfRange, "-1", "5"},
        {"0", "10,5", BoundsCheck::HighOutOfRange, "0", "10,5"},
        {"", "", BoundsCheck::Ok, "0", "0"},          // empty boxes become "0"
        {"2", "", BoundsCheck::MaxBelowMin, "2", "0"},
        {"abc", "5", BoundsCheck::LowOutOfRange, "abc", "5"}, // pasted text: a message, not an error
        {"0", "5x", BoundsCheck::HighOutOfRange, "0", "5x"},
    };
    for (const Case &c : cases) {
        QString mn = QString::fromUtf8(c.min), mx = QString::fromUtf8(c.max);
        EXPECT_EQ(CheckBounds(mn, mx, 0, 10), c.expected) << c.min << ".." << c.max;
        EXPECT_EQ(mn, QString::fromUtf8(c.minAfter));
        EXPECT_EQ(mx, QString::fromUtf8(c.maxAfter));
    }
    EXPECT_EQ(RangeMessage(0, 10), "Scrivere un numero compreso tra 0 e 10");
    EXPECT_EQ(RangeMessage(1.5, 12.25), "Scrivere un numero compreso tra 1,5 e 12,25");
}

TEST(EqualAmplitude, LabelsForKnownRanges)
{
    struct Case { const char *txtMin; double min, max; int k; std::vector<const char *> labels; };
    const Case cases[] = {
        {"0", 0, 10, 4, {"Da 0 a 2,5", "Da 2,51 a 5", "Da 5,01 a 7,5", "Da 7,51 a 10"}},
        {"0", 0, 10, 3, {"Da 0 a 3,33", "Da 3,34 a 6,66", "Da 6,67 a 10"}},
        {"0", 0, 10, 1, {"Da 0 a 10"}},
        {"0", 0, 0.5, 4, {"Da 0 a 0,12", "Da 0,13 a 0,24", "Da 0,25 a 0,36", "Da 0,37 a 0,5"}},  // 0,125 -> 0,12
        {"0", 0, 1.5, 4, {"Da 0 a 0,38", "Da 0,39 a 0,76", "Da 0,77 a 1,14", "Da 1,15 a 1,5"}},  // 0,375 -> 0,38
        // A range across zero gives clean bounds.
        {"-5", -5, 5, 4, {"Da -5 a -2,5", "Da -2,49 a 0", "Da 0,01 a 2,5", "Da 2,51 a 5"}},
        // An edited low bound: the list stops at the maximum, no class beyond it.
        {"3", 0, 10, 4, {"Da 3 a 5,5", "Da 5,51 a 8", "Da 8,01 a 10"}},
        // A constant column: one class.
        {"2", 2, 2, 4, {"Da 2 a 2"}},
        // A width that rounds to 0: no class ends before it starts.
        {"0,01", 0.01, 0.02, 9, {"Da 0,01 a 0,01", "Da 0,02 a 0,02"}},
        {"0", 0, 0.05, 9, {"Da 0 a 0,01", "Da 0,02 a 0,02", "Da 0,03 a 0,03", "Da 0,04 a 0,04", "Da 0,05 a 0,05"}},
    };
    for (const Case &c : cases) {
        const auto r = EqualAmplitudeClasses(QString::fromUtf8(c.txtMin), c.min, c.max, c.k);
        ASSERT_EQ(r.classes.size(), c.labels.size()) << c.min << ".." << c.max << " k=" << c.k;
        for (size_t i = 0; i < c.labels.size(); ++i)
            EXPECT_EQ(r.classes[i].label, QString::fromUtf8(c.labels[i]));
        EXPECT_TRUE(r.maxReached);
        EXPECT_DOUBLE_EQ(r.classes.back().high, c.max);
        EXPECT_EQ(r.txtMax, NumberText(c.max));
    }
    // The boxes after the build: the low bound of the last class and the maximum; the
    // colours: the ramp from light yellow to blue over the k classes.
    const auto r = EqualAmplitudeClasses("0", 0, 10, 4);
    EXPECT_EQ(r.txtMin + " " + r.txtMax, "7,51 10");
    EXPECT_EQ(r.classes[1].color, RampColors(EqualAmplitudeFrom, EqualAmplitudeTo, 4)[1]);
}

TEST(EqualAmplitude, EveryValueOfTheRangeFindsAClass)
{
    // Random two-decimal ranges: every value on a 0,0001 grid of the column's
    // range falls in a class (gaps go to the lower class).
    unsigned seed = 12345;
    auto next = [&seed]() { seed = seed * 1103515245u + 12345u; return (seed >> 8) % 100000; };
    for (int trial = 0; trial < 300; ++trial) {
        // Bounds as the column's texts give them: whole hundredths.
        const long loCents = long(next()) - 50000;
        const long hiCents = loCents + long(next() % 20000) + 1;
        const double lo = loCents / 100.0, hi = hiCents / 100.0;
        const int k = 1 + int(next() % 9);
        const auto r = EqualAmplitudeClasses(NumberText(lo), lo, hi, k);
        for (const ClassDef &c : r.classes) {
            EXPECT_FALSE(c.label.contains('E')) << c.label.toStdString();
            EXPECT_LE(c.label.size(), 30) << c.label.toStdString();
        }
        for (int s = 0; s <= 200; ++s) {
            const double v = (loCents * 100 + (hiCents - loCents) * 100 * s / 200) / 10000.0;
            EXPECT_TRUE(ClassOf(v, r.classes).has_value()) << v << " in " << lo << ".." << hi << " k=" << k;
        }
    }
}

TEST(ManualClasses, SequenceUpToTheMaximum)
{
    const QColor red(Qt::red), green(Qt::green);
    const auto first = ManualClass("0", "5", red, 10);
    EXPECT_EQ(first.cls.label, "Da 0 a 5");
    EXPECT_EQ(first.cls.color, red);
    EXPECT_FALSE(first.maxReached);
    EXPECT_EQ(first.txtMin, "5,01");
    EXPECT_EQ(first.txtMax, "10");
    const auto second = ManualClass(first.txtMin, first.txtMax, green, 10);
    EXPECT_EQ(second.cls.label, "Da 5,01 a 10");
    EXPECT_TRUE(second.maxReached);
    EXPECT_EQ(second.txtMin, "0");
    EXPECT_EQ(second.txtMax, "10");
    // Bounds with four decimals step by 0,01 too.
    EXPECT_EQ(ManualClass("0", "2,3333", red, 10).txtMin, "2,3433");
}

TEST(ClassAssignment, InclusiveBoundsGapsAndOutside)
{
    auto cls = [](double lo, double hi) { return ClassDef{lo, hi, {}, {}}; };
    struct Case { std::vector<ClassDef> classes; double v; std::optional<int> expected; };
    const Case cases[] = {
        {{cls(0, 10), cls(10, 20)}, 10, 0},     // a shared bound: the lower class
        {{cls(0, 10), cls(10, 20)}, 20, 1},
        {{cls(0, 10), cls(10, 20)}, -1, std::nullopt},
        {{cls(0, 10), cls(10.01, 20)}, 10.005, 0}, // in the 0,01 step between two classes: the lower one
        {{cls(0, 2.5), cls(2.51, 5)}, 2.51, 1},
        {{cls(0, 2.3333), cls(2.3334, 5)}, 2.33335, 0}, // a smaller step (four decimals): the lower one too
        {{cls(0, 100), cls(100.01, 200)}, 100.005, 0},  // a step that reads as 0,0100000000001 in binary
        {{cls(23.81, 100), cls(200, 500)}, 150, std::nullopt}, // a gap typed on purpose: no class
        {{cls(23.81, 100), cls(200, 500)}, 100.005, std::nullopt},
        {{cls(0, 10), cls(10.02, 20)}, 10.01, std::nullopt},   // a gap just wider than the step
        {{cls(0, 10), cls(10.02, 20), cls(20.01, 30)}, 20.005, 1},
        {{cls(0, 10)}, 10.0001, std::nullopt},
        {{}, 1, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClassOf(c.v, c.classes), c.expected) << c.v;
}

TEST(Ramps, KnownColours)
{
    using platform::map::colorToLong;
    struct Case { QColor from, to; int k; std::vector<long> expected; };
    const Case cases[] = {
        {EqualAmplitudeFrom, EqualAmplitudeTo, 4, {0x80FFFF, 0xAAC6C6, 0xD58E8E, 0xFF5555}},
        {QuartileFrom, QuartileTo, 4, {0x00FFFF, 0x55AAAA, 0xAA5555, 0xFF0000}},
        {QuartileFrom, QuartileTo, 1, {0x00FFFF}},
    };
    for (const Case &c : cases) {
        const auto colors = RampColors(c.from, c.to, c.k);
        ASSERT_EQ(colors.size(), c.expected.size());
        for (size_t i = 0; i < colors.size(); ++i)
            EXPECT_EQ(colorToLong(colors[i]), c.expected[i]) << "k=" << c.k << " i=" << i;
    }
}

TEST(Scale, TextsInBothLocales)
{
    struct Case { double denominator; const char *it, *en; };
    const Case cases[] = {
        {1234567, "1 cm = 12 km", "1 cm = 12 km"},    {250000, "1 cm = 2,5 km", "1 cm = 2.5 km"},
        {1250000, "1 cm = 12 km", "1 cm = 12 km"},    {1350000, "1 cm = 14 km", "1 cm = 14 km"},
        {123456, "1 cm = 1,23 km", "1 cm = 1.23 km"}, {12500, "1 cm = 0,12 km", "1 cm = 0.12 km"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ScaleText(c.denominator), QString::fromUtf8(c.it));
        LocaleGuard g(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(ScaleText(c.denominator), QString::fromUtf8(c.en));
    }
}

