#include "maps/MapClasses.h"

#include "platform/NumText.h"
#include "platform/db/Value.h"
#include "platform/map/ValueRenderer.h"

#include <algorithm>
#include <cmath>

namespace maps {

namespace num = platform::num;

std::vector<ValuedRow> ValuedRows(const std::vector<MapRow> &rows)
{
    std::vector<ValuedRow> out;
    out.reserve(rows.size());
    for (const MapRow &r : rows) {
        if (r.value.trimmed().isEmpty())
            continue;
        if (const auto v = num::parse(r.value))
            out.push_back({r.code, r.value, *v});
    }
    std::stable_sort(out.begin(), out.end(), [](const ValuedRow &a, const ValuedRow &b) { return a.value < b.value; });
    return out;
}

std::optional<ColumnStats> ColumnStatistics(const std::vector<ValuedRow> &rows)
{
    if (rows.empty())
        return std::nullopt;
    ColumnStats s;
    s.count = int(rows.size());
    s.ValMin = rows.front().value;
    s.ValMax = rows.front().value;
    for (const ValuedRow &r : rows) {
        s.ValMin = std::min(s.ValMin, r.value);
        s.ValMax = std::max(s.ValMax, r.value);
        s.ValSomma += r.value;
    }
    s.ValMedia = s.ValSomma / s.count;
    double squares = 0;
    for (const ValuedRow &r : rows)
        squares += (r.value - s.ValMedia) * (r.value - s.ValMedia);
    s.ValVarianza = squares / s.count;
    s.ValDevStd = std::sqrt(s.ValVarianza);
    s.ValCV = s.ValSomma > 0 ? s.ValDevStd / s.ValMedia * 100 : 0;
    return s;
}

QString NumberText(double value)
{
    return platform::db::Value::real(value).toString();
}

double RoundBound(double value)
{
    return num::roundHalfEven(value, 10) + 0.0; // + 0.0 turns -0 into 0
}

QString RoundedCaption(double value)
{
    return QStringLiteral("(") + NumberText(num::roundHalfEven(value, 2)) + QStringLiteral(")");
}

int MakeQuantile(int k, int n, int classCount)
{
    return (k * n + classCount - 1) / classCount;
}

QuartileResult QuartileClasses(const std::vector<ValuedRow> &rows)
{
    QuartileResult res;
    const int n = int(rows.size());
    res.classOf.assign(size_t(n), 0);
    if (n == 0)
        return res;
    std::array<QString, QuartileCount> lows, highs;
    auto &labels = res.labels;
    const QString da = QStringLiteral(" Da "), a = QStringLiteral(" a ");
    int k = 1;
    int bound = MakeQuantile(k, n);
    // With up to 7 rows the last row is always the next bound: it opens the
    // last class on its own.
    constexpr int SmallCount = 7;

    for (int j = 0; j < n; ++j) {
        const QString &t = rows[size_t(j)].text;
        if (j == 0) {
            labels[0] = da + t;
            lows[0] = t;
            if (n == 1) {
                labels[0] += a + t;
                highs[0] = t;
            }
        } else if (j == n - 1) {
            if (n <= SmallCount && k < QuartileCount) {
                const QString &prev = rows[size_t(j - 1)].text;
                labels[k - 1] += a + prev;
                highs[k - 1] = prev;
                ++k;
                labels[k - 1] = da + t;
                lows[k - 1] = t;
            }
            labels[k - 1] += a + t;
            highs[k - 1] = t;
        } else if (j == bound && k < QuartileCount) {
            const QString &prev = rows[size_t(j - 1)].text;
            labels[k - 1] += a + prev;
            highs[k - 1] = prev;
            ++k;
            bound = MakeQuantile(k, n);
            labels[k - 1] = da + prev; // adjacent labels share their boundary
            lows[k - 1] = t;
        }
        res.classOf[size_t(j)] = k;
    }
    for (int i = 0; i + 1 < QuartileCount; ++i) {
        if (labels[i].isEmpty() || labels[i + 1].isEmpty())
            continue;
        if (highs[i] == lows[i + 1]) {
            res.tie = true;
            break;
        }
    }
    return res;
}

QString QuartileTieMessage()
{
    return QStringLiteral("ATTENZIONE!\n"
                          "Per una corretta rappresentazione di questi dati si consiglia di non utilizzare i quartili;\n"
                          "utilizzare una delle altre opzioni presenti (classi manuali o classi di uguale ampiezza).");
}

std::optional<int> ClassOf(double v, const std::vector<ClassDef> &classes)
{
    for (size_t j = 0; j < classes.size(); ++j)
        if (classes[j].low <= v && v <= classes[j].high)
            return int(j);
    // Consecutive classes step by 0,01 (the table's rounding unit): a value
    // that falls in such a step belongs to the class below it. A wider gap was
    // left on purpose, and a value in it has no class.
    for (size_t j = 0; j + 1 < classes.size(); ++j)
        if (classes[j].high < v && v < classes[j + 1].low &&
            RoundBound(classes[j + 1].low - classes[j].high) <= ClassStep)
            return int(j);
    return std::nullopt;
}

BoundsCheck CheckBounds(QString &txtMin, QString &txtMax, double ValMin, double ValMax)
{
    if (txtMin.trimmed().isEmpty())
        txtMin = QStringLiteral("0");
    if (txtMax.trimmed().isEmpty())
        txtMax = QStringLiteral("0");
    const auto lo = num::parse(txtMin);
    const auto hi = num::parse(txtMax);
    if (lo && hi && *hi < *lo)
        return BoundsCheck::MaxBelowMin;
    if (!lo || *lo < ValMin || *lo > ValMax)
        return BoundsCheck::LowOutOfRange;
    if (!hi || *hi > ValMax || *hi < ValMin)
        return BoundsCheck::HighOutOfRange;
    return BoundsCheck::Ok;
}

QString MaxBelowMinMessage()
{
    return QStringLiteral("Il valore minimo non può essere minore del valore massimo!");
}

QString RangeMessage(double ValMin, double ValMax)
{
    return QStringLiteral("Scrivere un numero compreso tra ") + NumberText(ValMin) + QStringLiteral(" e ") +
           NumberText(ValMax);
}

QString EqualAmplitudeDoneMessage()
{
    return QStringLiteral("l'assegnazione dei colori alle classi è terminata");
}

QString ClassCountMessage()
{
    return QStringLiteral("Inserire il numero delle classi.");
}

EqualAmplitudeResult EqualAmplitudeClasses(const QString &txtMin, double ValMin, double ValMax, int k)
{
    EqualAmplitudeResult res;
    if (k < 1)
        return res;
    const double w = num::roundHalfEven((ValMax - ValMin) / k, 2);
    const std::vector<QColor> colors = RampColors(EqualAmplitudeFrom, EqualAmplitudeTo, k);
    QString minText = txtMin;
    QString maxText = NumberText(ValMax);
    for (int i = 0; i < k; ++i) {
        const double lo = num::parse(minText).value_or(ValMin);
        double hi = i == 0 ? lo + w : lo + w - 0.01;
        if (i == k - 1)
            hi = ValMax;
        // Never beyond the maximum, and never below the class's own low bound (a
        // width under 0,01 would otherwise give classes that end before they start).
        hi = std::max(std::min(RoundBound(hi), ValMax), lo);
        maxText = NumberText(hi);
        res.classes.push_back({lo, hi, QStringLiteral("Da ") + minText + QStringLiteral(" a ") + maxText,
                               colors[size_t(i)]});
        if (hi < ValMax) {
            minText = NumberText(RoundBound(hi + 0.01));
            maxText = NumberText(ValMax);
        } else {
            res.maxReached = true;
            break;
        }
    }
    res.txtMin = minText;
    res.txtMax = maxText;
    return res;
}

ManualStep ManualClass(const QString &txtMin, const QString &txtMax, const QColor &color, double ValMax)
{
    ManualStep st;
    const double lo = num::parse(txtMin).value_or(0);
    const double hi = num::parse(txtMax).value_or(0);
    st.cls = {lo, hi, QStringLiteral("Da ") + txtMin + QStringLiteral(" a ") + txtMax, color};
    if (hi < ValMax) {
        st.txtMin = NumberText(RoundBound(hi + 0.01));
        st.txtMax = NumberText(ValMax);
    } else {
        st.maxReached = true;
        st.txtMin = QStringLiteral("0");
        st.txtMax = NumberText(ValMax);
    }
    return st;
}

std::vector<QColor> RampColors(const QColor &from, const QColor &to, int k)
{
    return platform::map::rampColors(from, to, k);
}

QString ScaleText(double denominator)
{
    const double km = denominator / 100000.0;
    const double shown = km <= 10 ? num::roundHalfEven(km, 2) : num::roundHalfEven(km, 0);
    return QStringLiteral("1 cm = ") + NumberText(shown) + QStringLiteral(" km");
}

} // namespace maps
