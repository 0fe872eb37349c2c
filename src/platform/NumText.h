#pragma once
// Numbers as text in the user's locale (QLocale(), the default locale): decimal
// comma under Italian settings, no thousands grouping, an exact half rounded to
// the even digit. Every conversion between a number and its text goes through here.
#include <QString>
#include <optional>

namespace platform::num {

// Rounds to `decimals` places, an exact half to the even digit. "Exact" is judged
// on the value's 15-significant-digit decimal form, the digits a user sees:
// 2.5 -> 2, 0.125 -> 0.12 (2 places), 1.005 -> 1 (2 places), 1.015 -> 1.02.
double roundHalfEven(double value, int decimals);

// Fixed decimals in the user's locale, no grouping: format(1234.5, 2) = "1234,50"
// under Italian settings. A negative value that rounds to zero keeps its sign ("-0,00").
QString format(double value, int decimals);

// format() for many numbers: the decimal separator is taken from the user's
// locale once, when the object is made, and write() needs no allocation.
class FixedFormat {
public:
    explicit FixedFormat(int decimals);
    int decimals() const { return m_decimals; }

    // Writes the text of format(value, decimals) as UTF-8 into `out` and
    // returns its size. Returns -1 and writes nothing when the text does not
    // fit, and for the numbers that take the long way: not finite, or more
    // than 15 significant digits down to the last decimal.
    int write(double value, char *out, int size) const;
    // The text of format(value, decimals).
    QString text(double value) const;

private:
    int m_decimals;
    QChar m_point;
    char m_pointUtf8[4] = {};
    int m_pointSize = 0;
};

// Parses a number typed in the user's locale. Accepts blanks around, a leading
// sign, the locale's decimal separator and its group separator between digits
// ("1.234,5" under Italian); also accepts an exponent. nullopt when not a number.
std::optional<double> parse(const QString &text);

// True when parse() succeeds.
bool isNumeric(const QString &text);

// The user's decimal separator.
QChar decimalPoint();

} // namespace platform::num
