#pragma once
// The classification of a thematic map, free of widgets: the mapped column as
// the map window takes it from the data table, its statistics, the quartile
// classes with their labels and the tie warning, the equal-amplitude and
// manual class lists with the checks of their bound boxes, the assignment of
// a value to a class of the list, the colour ramps and the scale text.
#include <QColor>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace maps {

// One territory row of the hidden data grid: its code (province or region
// column) and the text of the mapped value ("12,50", "" when missing).
struct MapRow {
    QString code;
    QString value;
};

// What the map window reads from the data table when it opens. Taken once:
// later changes of the table do not reach an open map.
struct MapInput {
    QString header;       // field name of the mapped column ("A0001_1996")
    QString description;  // the item's description
    int level = 0;        // 2 provinces, 3 regions (also the code column of the data grid)
    QString levelName;    // "provincia", "regione"
    std::vector<MapRow> rows;
};

// A row whose value text is a number, with that number.
struct ValuedRow {
    QString code;
    QString text;
    double value = 0;
};

// The rows with a numeric value, in ascending order of value (rows of equal
// value keep their order). Empty and non-numeric texts are left out.
std::vector<ValuedRow> ValuedRows(const std::vector<MapRow> &rows);

// Statistics of the numeric values of the column.
struct ColumnStats {
    int count = 0;
    double ValMin = 0, ValMax = 0, ValSomma = 0, ValMedia = 0, ValVarianza = 0, ValDevStd = 0, ValCV = 0;
};
// nullopt when no row has a numeric value.
std::optional<ColumnStats> ColumnStatistics(const std::vector<ValuedRow> &rows);

// ---- numbers as the labels show them ------------------------------------

// The text of a number: up to 15 significant digits, no trailing zeros, the
// user's decimal separator, no grouping ("2,5", "10", "-0,01").
QString NumberText(double value);
// A computed class bound cleaned of binary noise: rounded to 10 decimals
// (half to even), and -0 made 0.
double RoundBound(double value);
// "(" & Round(value, 2) & ")", as the statistics labels show a number.
QString RoundedCaption(double value);

// ---- quartiles ---------------------------------------------------------

constexpr int QuartileCount = 4;

// The offset (from the first valued row) of the row that opens class k + 1
// when n rows are split into classCount classes: ceil(k * n / classCount).
int MakeQuantile(int k, int n, int classCount = QuartileCount);

struct QuartileResult {
    std::array<QString, QuartileCount> labels; // " Da low a high"; "" for a class without rows
    std::vector<int> classOf;                  // class (1..4) of each valued row, in order
    bool tie = false;                          // a class ends with the text the next one starts with
};
// Splits the valued rows (ascending) into four classes of nearly equal count.
// Adjacent labels share their boundary text; the tie flag asks for the warning.
QuartileResult QuartileClasses(const std::vector<ValuedRow> &rows);

// The quartile tie warning.
QString QuartileTieMessage();

// ---- class lists (equal amplitude, manual) ---------------------------------

// One class of the class grid: its bounds (both included), its label and colour.
struct ClassDef {
    double low = 0;
    double high = 0;
    QString label;
    QColor color;
};

// The step between the high bound of a class and the low bound of the next one
// that the equal-amplitude and manual classes leave: the table's rounding unit.
inline constexpr double ClassStep = 0.01;

// The class of value v in the list (0-based): the first class whose bounds hold
// it; else, when it lies in the step between the high bound of a class and the
// low bound of the next one and that step is at most ClassStep, the lower class.
// nullopt when it lies outside every class or in a wider gap between two classes.
std::optional<int> ClassOf(double v, const std::vector<ClassDef> &classes);

// The checks of the bound boxes txt_min and txt_Max before a class is added.
enum class BoundsCheck {
    Ok,
    MaxBelowMin,     // "Il valore minimo non può essere minore del valore massimo!"
    LowOutOfRange,   // txt_min not a number or outside ValMin..ValMax
    HighOutOfRange,  // txt_Max not a number or outside ValMin..ValMax
};
// Empty boxes become "0" first (the texts are changed in place).
BoundsCheck CheckBounds(QString &txtMin, QString &txtMax, double ValMin, double ValMax);

QString MaxBelowMinMessage();
// "Scrivere un numero compreso tra <ValMin> e <ValMax>"
QString RangeMessage(double ValMin, double ValMax);
QString EqualAmplitudeDoneMessage();   // "l'assegnazione dei colori alle classi è terminata"
QString ClassCountMessage();           // "Inserire il numero delle classi."

// The equal-amplitude classes from txt_min up to ValMax.
struct EqualAmplitudeResult {
    std::vector<ClassDef> classes;
    QString txtMin, txtMax;  // the boxes after the build
    bool maxReached = false;
};
// k classes of width Round((ValMax - ValMin) / k, 2); each class after the first
// starts 0,01 above the previous high bound; the last ends at ValMax. A class
// that would pass ValMax ends there and closes the list; a class never ends
// below its low bound. Colours: the ramp &H80FFFF -> &HFF5555 over k colours.
// Expects bounds that passed CheckBounds.
EqualAmplitudeResult EqualAmplitudeClasses(const QString &txtMin, double ValMin, double ValMax, int k);

// One manual class from the boxes (as typed), and the boxes after it.
struct ManualStep {
    ClassDef cls;
    QString txtMin, txtMax;
    bool maxReached = false;  // the class reaches ValMax: the list is complete
};
ManualStep ManualClass(const QString &txtMin, const QString &txtMax, const QColor &color, double ValMax);

// ---- colours ------------------------------------------------------------

// k colours from `from` to `to`, each channel rounded half away from zero.
std::vector<QColor> RampColors(const QColor &from, const QColor &to, int k);
// Colours of the equal-amplitude classes and the default ends of the quartile ramp.
inline const QColor EqualAmplitudeFrom = QColor(0xFF, 0xFF, 0x80); // &H80FFFF
inline const QColor EqualAmplitudeTo = QColor(0x55, 0x55, 0xFF);   // &HFF5555
inline const QColor QuartileFrom = QColor(0xFF, 0xFF, 0x00);        // &H00FFFF yellow
inline const QColor QuartileTo = QColor(0x00, 0x00, 0xFF);          // &HFF0000 blue

// ---- scale --------------------------------------------------------------

// "1 cm = <km> km" for a scale 1:denominator (km rounded to 2 decimals up to
// 10 km, to whole km above).
QString ScaleText(double denominator);

} // namespace maps
