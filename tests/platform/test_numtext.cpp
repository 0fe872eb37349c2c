#include "platform/NumText.h"
#include "test_common.h"

#include <algorithm>
#include <random>
#include <charconv>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace platform;
using ptest::LocaleScope;

TEST(NumText, FormatHalfEvenInBothLocalesAndTheFixedWriterAgrees)
{
    const double inf = std::numeric_limits<double>::infinity();
    // size: the room given to the fixed writer; nothing is written where it does not fit (or past 1e13).
    struct Case { double v; int dec; const char *it, *c; int size = 64; bool fixed = true; };
    const Case cases[] = {
        {2.5, 0, "2", "2"},                 {3.5, 0, "4", "4"},           {0.125, 2, "0,12", "0.12"},
        {0.375, 2, "0,38", "0.38"},         {1.005, 2, "1,00", "1.00"},   {-2.345, 2, "-2,34", "-2.34"},
        {0.0, 2, "0,00", "0.00"},           {12.3456789, 4, "12,3457", "12.3457"}, {99.995, 2, "100,00", "100.00"},
        {-0.004, 2, "-0,00", "-0.00"},      {0.05, 4, "0,0500", "0.0500"}, {-7.0, 1, "-7,0", "-7.0"},
        {1234.5, 2, "1234,50", "1234.50"},  {1234.5, 2, "1234,50", "1234.50", 7},
        {1234.5, 2, "1234,50", "1234.50", 6, false},   // one byte short
        {1e13, 2, "10000000000000,00", "10000000000000.00", 64, false},   // the long form
        {1e20, 2, "100000000000000000000,00", "100000000000000000000.00", 64, false},
        {inf, 2, "inf", "inf", 64, false},  {-inf, 2, "-inf", "-inf", 64, false},
    };
    for (int loc = 0; loc < 2; ++loc) {
        LocaleScope g(loc == 0 ? ptest::italian() : QLocale::c());
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.v << " locale " << loc);
            const QString want = QString::fromUtf8(loc == 0 ? c.it : c.c);
            EXPECT_EQ(num::format(c.v, c.dec), want);
            const num::FixedFormat f(c.dec);
            EXPECT_EQ(f.text(c.v), want);
            char buf[64];
            std::fill(std::begin(buf), std::end(buf), 'x');
            const int n = f.write(c.v, buf, c.size);
            EXPECT_EQ(QByteArray(buf, std::max(n, 0)), c.fixed ? want.toUtf8() : QByteArray());
            EXPECT_EQ(buf[0] == 'x', !c.fixed);
        }
    }
    char buf[64];
    EXPECT_EQ(num::FixedFormat(2).write(std::nan(""), buf, 64), -1);
    EXPECT_EQ(num::FixedFormat(2).text(std::nan("")), num::format(std::nan(""), 2));
    // A separator of more than one byte.
    LocaleScope arabic(QLocale(QLocale::Arabic, QLocale::Egypt));
    const int n = num::FixedFormat(2).write(-1.5, buf, 64);
    EXPECT_EQ(QString::fromUtf8(buf, n), num::format(-1.5, 2));
    EXPECT_EQ(QString::fromUtf8(buf, n), QStringLiteral("-1") + num::decimalPoint() + QStringLiteral("50"));
}

TEST(NumText, PowersOfTenAndTheirNeighboursKeepTheirDigits)
{
    // The decimal exponent of a value is found from its binary one and then
    // settled: at each power of ten, and one step of a double either side of
    // it, the fifteen digits are those of the power.
    LocaleScope g(ptest::italian());
    for (int k = -5; k <= 13; ++k) {
        const double p = std::stod("1e" + std::to_string(k));
        const int d = std::min(5, 13 - k); // within fifteen digits
        const QString want = k >= 0 ? QStringLiteral("1") + QString(k, u'0') + (d > 0 ? u',' + QString(d, u'0') : QString())
                                    : QStringLiteral("0,") + QString(-k - 1, u'0') + QStringLiteral("1") +
                                          QString(d + k, u'0');
        for (const double v : {p, std::nextafter(p, 0.0), std::nextafter(p, 1e300)}) {
            SCOPED_TRACE(testing::Message() << "1e" << k << " " << v);
            EXPECT_EQ(num::FixedFormat(d).text(v), want);
            EXPECT_EQ(num::FixedFormat(d).text(-v), QStringLiteral("-") + want);
        }
    }
}

// The rule written out on text: the value's 15 significant digits, then the
// digits past `decimals` dropped, an exact half to the even digit.
QString roundedOnText(double v, int decimals)
{
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14).ptr;
    const std::string sci(buf, end);
    std::string digits;
    for (char c : sci.substr(0, sci.find('e')))
        if (c != '.')
            digits += c;
    const int point = std::stoi(sci.substr(sci.find('e') + 1)) + 1; // digits before the point
    // Whole units of 10^-decimals, and what is dropped after them.
    std::string units = point > 0 ? digits : std::string(size_t(-point), '0') + digits;
    const int keep = std::max(point, 0) + decimals;
    std::string rest;
    if (int(units.size()) > keep) {
        rest = units.substr(size_t(keep));
        units.resize(size_t(keep));
    }
    units.append(size_t(std::max(0, keep - int(units.size()))), '0');
    if (units.empty())
        units = "0";
    const bool half = !rest.empty() && rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos;
    const bool up = !rest.empty() && (rest[0] > '5' || (rest[0] == '5' && !half) || (half && (units.back() - '0') % 2));
    for (int i = int(units.size()) - 1; up; --i) {
        if (i < 0) { units.insert(units.begin(), '1'); break; }
        if (units[size_t(i)] == '9') { units[size_t(i)] = '0'; continue; }
        ++units[size_t(i)];
        break;
    }
    units.insert(0, size_t(std::max(0, decimals + 1 - int(units.size()))), '0');
    QString out = QString::fromStdString(units);
    if (decimals > 0)
        out.insert(out.size() - decimals, u',');
    return (std::signbit(v) && v != 0.0 ? QStringLiteral("-") : QString()) + out;
}

TEST(NumText, RoundingAgreesWithTheRuleWrittenOnText)
{
    // Values of every size the data hold, many of them a shade off a half.
    LocaleScope g(ptest::italian());
    std::mt19937_64 random(12345);
    std::uniform_int_distribution<int> exponent(-6, 11), places(0, 6);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    for (int i = 0; i < 200000; ++i) {
        const int d = places(random);
        double v = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 2) // near a half of the last place kept
            v = (std::floor(v * std::pow(10.0, d)) + 0.5) / std::pow(10.0, d) + (i % 4 == 1 ? 1e-9 : 0.0);
        if (i % 3 == 0)
            v = -v;
        if (std::fabs(v) * std::pow(10.0, d) >= 1e13)
            continue;
        ASSERT_EQ(num::FixedFormat(d).text(v).toStdString(), roundedOnText(v, d).toStdString()) << v << " " << d;
    }
}

TEST(NumText, ParseInBothLocales)
{
    struct Case { bool italian; const char *text; std::optional<double> v; };
    const Case cases[] = {
        {true, "12,50", 12.5},         {true, " -3 ", -3.0},         {true, "+0,5", 0.5},
        {true, "1.234,5", 1234.5},     {true, "1.234.567", 1234567.0}, {true, ",5", 0.5},
        {true, "1e3", 1000.0},         {true, "1.5", std::nullopt},  {true, "12,5,0", std::nullopt},
        {true, "", std::nullopt},      {true, "abc", std::nullopt},  {true, "1,", 1.0},
        {true, "-", std::nullopt},     {true, "1 2", std::nullopt},  {true, "12.50", std::nullopt},
        {false, "12.50", 12.5},        {false, "12,50", std::nullopt}, {false, "1,234.5", 1234.5},
    };
    for (const Case &c : cases) {
        LocaleScope g(c.italian ? ptest::italian() : QLocale::c());
        EXPECT_EQ(num::parse(QString::fromUtf8(c.text)), c.v) << c.text;
    }
}
