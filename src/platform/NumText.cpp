#include "platform/NumText.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::num {

namespace {

// Rounds |value| to `decimals` places on its 15-significant-digit decimal form.
// Returns false when no rounding is needed (the value has fewer digits than
// the places asked for), else the rounded value as an integer count of
// 10^-decimals in `units`.
bool roundedUnits(double value, int decimals, qint64 &units)
{
    char buf[64];
    // d.dddddddddddddde±XX
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 14);
    *res.ptr = '\0';
    char digits[16];
    int n = 0;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits[n++] = *p;
    const int exponent = std::atoi(p + 1);
    const int keep = exponent + 1 + decimals; // digits that stay
    if (keep >= 15)
        return false;
    if (keep < 0) {
        units = 0;
        return true;
    }
    qint64 head = 0;
    for (int i = 0; i < keep; ++i)
        head = head * 10 + (digits[i] - '0');
    // Compare the dropped digits with one half.
    int cmp = 0;
    if (digits[keep] > '5') cmp = 1;
    else if (digits[keep] < '5') cmp = -1;
    else {
        for (int i = keep + 1; i < 15; ++i)
            if (digits[i] != '0') { cmp = 1; break; }
    }
    if (cmp > 0 || (cmp == 0 && (head % 2) == 1))
        ++head;
    units = head;
    return true;
}

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

QString format(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString::number(value);
    QString s = fixedText(value, decimals);
    const QChar dp = decimalPoint();
    if (dp != u'.')
        s.replace(u'.', dp);
    return s;
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
