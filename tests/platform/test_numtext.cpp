#include "platform/NumText.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace platform;

namespace {
struct LocaleGuard {
    QLocale saved;
    explicit LocaleGuard(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(saved); }
};
} // namespace

TEST(NumText, FormatHalfEvenInBothLocales)
{
    struct Case { double v; int dec; const char *it; const char *c; };
    const Case cases[] = {
        {2.5, 0, "2", "2"},         {3.5, 0, "4", "4"},
        {0.125, 2, "0,12", "0.12"}, {0.375, 2, "0,38", "0.38"},
        {1.005, 2, "1,00", "1.00"}, {1.015, 2, "1,02", "1.02"},
        {1234.5, 2, "1234,50", "1234.50"},
        {-0.001, 2, "-0,00", "-0.00"}, {-2.345, 2, "-2,34", "-2.34"},
        {0.0, 2, "0,00", "0.00"},   {12.3456789, 4, "12,3457", "12.3457"},
        {1e20, 2, "100000000000000000000,00", "100000000000000000000.00"},
        {99.995, 2, "100,00", "100.00"},
    };
    for (const Case &c : cases) {
        {
            LocaleGuard g(QLocale(QLocale::Italian, QLocale::Italy));
            EXPECT_EQ(num::format(c.v, c.dec), QString::fromUtf8(c.it)) << c.v;
        }
        {
            LocaleGuard g(QLocale::c());
            EXPECT_EQ(num::format(c.v, c.dec), QString::fromUtf8(c.c)) << c.v;
        }
    }
}

TEST(NumText, ParseItalian)
{
    LocaleGuard g(QLocale(QLocale::Italian, QLocale::Italy));
    struct Case { const char *text; std::optional<double> v; };
    const Case cases[] = {
        {"12,50", 12.5}, {" -3 ", -3.0}, {"+0,5", 0.5}, {"1.234,5", 1234.5}, {"1.234.567", 1234567.0},
        {",5", 0.5}, {"1e3", 1000.0}, {"1.5", std::nullopt}, {"12,5,0", std::nullopt}, {"", std::nullopt},
        {"abc", std::nullopt}, {"1,", 1.0}, {"-", std::nullopt}, {"1 2", std::nullopt}, {"12.50", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(num::parse(QString::fromUtf8(c.text)), c.v) << c.text;
}

TEST(NumText, ParseCLocale)
{
    LocaleGuard g(QLocale::c());
    EXPECT_EQ(num::parse("12.50"), 12.5);
    EXPECT_EQ(num::parse("12,50"), std::nullopt);
    EXPECT_EQ(num::parse("1,234.5"), 1234.5);
}

TEST(NumText, RoundHalfEven)
{
    EXPECT_DOUBLE_EQ(num::roundHalfEven(2.675, 2), 2.68); // 15-digit form is an exact half: even is 8
    EXPECT_DOUBLE_EQ(num::roundHalfEven(2.665, 2), 2.66);
    EXPECT_DOUBLE_EQ(num::roundHalfEven(-1.5, 0), -2.0);
    EXPECT_DOUBLE_EQ(num::roundHalfEven(123.0, 2), 123.0);
}

TEST(NumText, FixedFormatWritesWhatFormatGives)
{
    LocaleGuard g(QLocale(QLocale::Italian, QLocale::Italy));
    struct Case { double v; int dec; int size; const char *written; }; // nullptr: -1, nothing written
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {1234.5, 2, 64, "1234,50"},   {-0.004, 2, 64, "-0,00"},   {0.0, 0, 64, "0"},
        {0.05, 4, 64, "0,0500"},      {-7.0, 1, 64, "-7,0"},      {1234.5, 2, 7, "1234,50"},
        {1234.5, 2, 6, nullptr},      // one byte short
        {1e13, 2, 64, nullptr},       // the long form
        {inf, 2, 64, nullptr},        {-inf, 2, 64, nullptr},     {std::nan(""), 2, 64, nullptr},
    };
    for (const Case &c : cases) {
        const num::FixedFormat f(c.dec);
        char buf[64];
        std::fill(std::begin(buf), std::end(buf), 'x');
        const int n = f.write(c.v, buf, c.size);
        if (!c.written) {
            EXPECT_EQ(n, -1) << c.v;
            EXPECT_EQ(buf[0], 'x') << c.v;
        } else {
            EXPECT_EQ(QByteArray(buf, std::max(n, 0)), QByteArray(c.written)) << c.v;
        }
        EXPECT_EQ(f.text(c.v), num::format(c.v, c.dec)) << c.v;
    }
    EXPECT_EQ(num::FixedFormat(2).text(inf), "inf");
    EXPECT_EQ(num::FixedFormat(2).text(1e13), "10000000000000,00");
    // A separator of more than one byte.
    LocaleGuard arabic(QLocale(QLocale::Arabic, QLocale::Egypt));
    char buf[64];
    const int n = num::FixedFormat(2).write(-1.5, buf, 64);
    EXPECT_EQ(QString::fromUtf8(buf, n), num::format(-1.5, 2));
    EXPECT_EQ(QString::fromUtf8(buf, n), QStringLiteral("-1") + num::decimalPoint() + QStringLiteral("50"));
}
