#include "platform/NumText.h"

#include <QLocale>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

namespace platform::num {

namespace {

// The 15 significant digits of a > 0 as to_chars(scientific, 14) writes them:
// an integer 10^14 <= digits < 10^15 and the decimal exponent of the first.
void fifteenDigitsSlow(double a, qint64 &digits, int &exponent)
{
    char buf[64];
    // d.dddddddddddddde±XX
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, a, std::chars_format::scientific, 14);
    *res.ptr = '\0';
    digits = 0;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits = digits * 10 + (*p - '0');
    exponent = std::atoi(p + 1);
}

// The same without writing text, for the magnitudes of everyday data
// (1e-5 to 1e14): a * 10^(14 - exponent) in extended precision is within
// 1e-4 of its exact value, so its rounding to a whole number is exact unless
// it lies that close to a half, which is left to the slow way.
bool fifteenDigitsFast(double a, qint64 &digits, int &exponent)
{
    if constexpr (std::numeric_limits<long double>::digits < 64) {
        return false;
    } else {
        // 10^-5 .. 10^15 as doubles, from index 0.
        static constexpr double pow10d[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4, 1e5,
                                            1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        static constexpr long double pow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                                1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                                1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
        if (!(a >= 1e-5 && a < 1e14))
            return false;
        // The decimal exponent from the binary one: floor(log10 a) is this or
        // one more; the loop below settles it.
        const int binary = int((std::bit_cast<quint64>(a) >> 52) & 0x7ff) - 1023;
        int e = int(std::floor(binary * 0.30102999566398120));
        if (a >= pow10d[e + 6])
            ++e;
        for (int tries = 0; tries < 3; ++tries) {
            const int k = 14 - e;
            if (k < 0 || k > 19)
                return false;
            const long double x = static_cast<long double>(a) * pow10[k];
            const long double whole = std::floor(x);
            const long double frac = x - whole;
            if (std::fabs(frac - 0.5L) < 1e-3L)
                return false;
            const qint64 m = static_cast<qint64>(whole) + (frac > 0.5L ? 1 : 0);
            if (m >= 1000000000000000LL)
                ++e;
            else if (m < 100000000000000LL)
                --e;
            else {
                digits = m;
                exponent = e;
                return true;
            }
        }
        return false;
    }
}

// Rounds |value| to `decimals` places on its 15-significant-digit decimal form.
// Returns false when no rounding is needed (the value has fewer digits than
// the places asked for), else the rounded value as an integer count of
// 10^-decimals in `units`.
bool roundedUnits(double value, int decimals, qint64 &units)
{
    const double a = std::fabs(value);
    // Most values: below 10^12 units, the 15-digit form and the double differ
    // by less than 0.00063 of a unit, so away from a half both round alike.
    static constexpr double scale[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (decimals >= 0 && decimals < int(std::size(scale))) {
        const double x = a * scale[decimals];
        if (x < 1e12) {
            const double whole = std::floor(x);
            const double frac = x - whole;
            if (std::fabs(frac - 0.5) > 1e-3) {
                units = static_cast<qint64>(whole) + (frac > 0.5 ? 1 : 0);
                return true;
            }
        }
    }
    qint64 digits = 0;
    int exponent = 0;
    if (a != 0.0 && !fifteenDigitsFast(a, digits, exponent))
        fifteenDigitsSlow(a, digits, exponent);
    const int keep = exponent + 1 + decimals; // digits that stay
    if (keep >= 15)
        return false;
    if (keep < 0) {
        units = 0;
        return true;
    }
    // Compare the dropped digits with one half; an exact half goes to the even digit.
    static constexpr qint64 pow10[] = {1LL, 10LL, 100LL, 1000LL, 10000LL, 100000LL, 1000000LL, 10000000LL,
                                       100000000LL, 1000000000LL, 10000000000LL, 100000000000LL,
                                       1000000000000LL, 10000000000000LL, 100000000000000LL,
                                       1000000000000000LL};
    const qint64 dropped = pow10[15 - keep];
    qint64 head = digits / dropped;
    const qint64 rest = digits % dropped;
    const qint64 half = dropped / 2;
    if (rest > half || (rest == half && (head % 2) == 1))
        ++head;
    units = head;
    return true;
}

// The long way: the text with a point, built in a QString.
QString fixedText(double value, int decimals)
{
    qint64 units = 0;
    QString s;
    if (roundedUnits(value, decimals, units)) {
        s = QString::number(units);
        if (decimals > 0) {
            if (s.size() <= decimals)
                s = QString(decimals - s.size() + 1, u'0') + s;
            s.insert(s.size() - decimals, u'.');
        }
    } else {
        s = QString::number(std::fabs(value), 'f', decimals);
    }
    if (std::signbit(value) && value != 0.0)
        s.prepend(u'-');
    return s;
}

} // namespace

double roundHalfEven(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    qint64 units = 0;
    if (!roundedUnits(value, decimals, units))
        return value;
    double r = double(units) / std::pow(10.0, decimals);
    return std::signbit(value) ? -r : r;
}

QChar decimalPoint()
{
    const QString dp = QLocale().decimalPoint();
    return dp.isEmpty() ? QChar(u'.') : dp.at(0);
}

FixedFormat::FixedFormat(int decimals) : m_decimals(decimals), m_point(decimalPoint())
{
    // The separator in UTF-8 (a character of the basic plane: 1 to 3 bytes).
    const char16_t c = m_point.unicode();
    auto *out = reinterpret_cast<unsigned char *>(m_pointUtf8);
    if (m_point.isSurrogate()) {
        m_pointSize = 0; // not a character on its own: write() leaves it to text()
    } else if (c < 0x80) {
        out[0] = static_cast<unsigned char>(c);
        m_pointSize = 1;
    } else if (c < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        m_pointSize = 2;
    } else {
        out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        m_pointSize = 3;
    }
}

int FixedFormat::write(double value, char *out, int size) const
{
    qint64 units = 0;
    if (m_pointSize == 0 || !std::isfinite(value) || m_decimals < 0 || !roundedUnits(value, m_decimals, units))
        return -1;
    char digits[24];
    const int n = int(std::to_chars(digits, digits + sizeof digits, units).ptr - digits);
    const int whole = std::max(n - m_decimals, 1);             // digits before the point
    const int zeros = std::max(m_decimals + 1 - n, 0);         // leading zeros the units lack
    const bool minus = std::signbit(value) && value != 0.0;
    const int total = int(minus) + whole + (m_decimals > 0 ? m_pointSize + m_decimals : 0);
    if (total > size)
        return -1;
    char *p = out;
    if (minus)
        *p++ = '-';
    // units padded with zeros to decimals + 1 digits, the point before the last `decimals`.
    int written = 0;
    auto put = [&](char c) {
        if (written == whole && m_decimals > 0) {
            std::memcpy(p, m_pointUtf8, size_t(m_pointSize));
            p += m_pointSize;
        }
        *p++ = c;
        ++written;
    };
    for (int i = 0; i < zeros; ++i)
        put('0');
    for (int i = 0; i < n; ++i)
        put(digits[i]);
    return int(p - out);
}

QString FixedFormat::text(double value) const
{
    char buf[64];
    const int n = write(value, buf, int(sizeof buf));
    if (n >= 0)
        return QString::fromUtf8(buf, n);
    if (!std::isfinite(value))
        return QString::number(value);
    QString s = fixedText(value, m_decimals);
    if (m_point != u'.')
        s.replace(u'.', m_point);
    return s;
}

QString format(double value, int decimals)
{
    return FixedFormat(decimals).text(value);
}

std::optional<double> parse(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale loc;
    const QChar dp = decimalPoint();
    const QString gs = loc.groupSeparator();
    const QChar group = gs.isEmpty() ? QChar() : gs.at(0);

    // Rebuild a C-locale number, checking the shape as we go.
    QByteArray c;
    int i = 0;
    const int n = int(t.size());
    if (t[i] == u'+' || t[i] == u'-')
        c.append(char(t[i++].unicode()));
    int intDigits = 0, groupRun = -1; // digits since the last group separator (-1: none seen)
    bool seenGroup = false;
    for (; i < n; ++i) {
        const QChar ch = t[i];
        if (ch.isDigit() && ch.unicode() < 128) {
            c.append(char(ch.unicode()));
            ++intDigits;
            if (groupRun >= 0) ++groupRun;
        } else if (!group.isNull() && ch == group && group != dp) {
            if (intDigits == 0 || (seenGroup && groupRun != 3) || (!seenGroup && intDigits > 3))
                return std::nullopt;
            seenGroup = true;
            groupRun = 0;
        } else {
            break;
        }
    }
    if (seenGroup && groupRun != 3)
        return std::nullopt;
    int fracDigits = 0;
    if (i < n && t[i] == dp) {
        c.append('.');
        ++i;
        for (; i < n && t[i].isDigit() && t[i].unicode() < 128; ++i, ++fracDigits)
            c.append(char(t[i].unicode()));
    }
    if (intDigits + fracDigits == 0)
        return std::nullopt;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        c.append('e');
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-'))
            c.append(char(t[i++].unicode()));
        int expDigits = 0;
        for (; i < n && t[i].isDigit() && t[i].unicode() < 128; ++i, ++expDigits)
            c.append(char(t[i].unicode()));
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    char *end = nullptr;
    const double v = std::strtod(c.constData(), &end);
    if (end != c.constData() + c.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool isNumeric(const QString &text)
{
    return parse(text).has_value();
}

} // namespace platform::num
