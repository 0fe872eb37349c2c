#pragma once
// The map page of the print layout: the element holders, the map picture and
// the numbers that place and size them, in page inches from the paper's
// top-left corner (X to the right, Y downwards), and the operations of the
// layout window that need no widget: set-up, legend from the class grid,
// margins, legend changes and dragging.
#include "maps/LayoutElements.h"

#include <QColor>
#include <QPicture>
#include <QPointF>
#include <QSizeF>
#include <QStringList>
#include <functional>

namespace platform::grid {
class TextGrid;
}

namespace maps {

// Tabs of the settings panel, in their order.
enum PageTab { TabTitolo = 0, TabCartogramma = 1, TabBordo = 2, TabLegenda = 3, TabDescrizione = 4 };

struct LayoutPage {
    LayoutText titleHolder;
    LayoutText descHolder;
    LayoutLegend legendHolder;
    LayoutBorder borderHolder;

    QPicture mapPicture;
    double mapWidthPx = 0, mapHeightPx = 0; // natural size of the picture, 1/96 inch
    double mapLeft = 0.578, mapTop = 1.007;
    double zoomMappa = 1.0;
    double printFactor = 1.0;               // 1.85 while printing
    double legendTop = 8.0;
    double legendStep = 0.5;                // rows are 2/3 of it apart
    double legendBoxSize = 0.3;

    bool showTitle = true, showMap = true, showBorder = true, showLegend = true, showDesc = true;
    QSizeF paper;                           // inches
};

// Default texts and sizes of a new page.
inline const QString DefaultTitle = QStringLiteral("Inserire un Titolo");
inline const QString DefaultDescription = QStringLiteral("Inserire una decrizione della variabile");
constexpr int DefaultTitleSizeIndex = 13;   // "14"
constexpr int DefaultLegendSizeIndex = 7;   // "8"
constexpr int DefaultDescSizeIndex = 5;     // "6"
constexpr int DefaultFontIndex = 13;        // the fourteenth font family
constexpr double PrintFactor = 1.85;
constexpr double LegendLeft = 1.3;
constexpr double LegendTextGap = 0.2;       // the text begins this far right of the reference point
constexpr double LegendHitHeight = 0.3;

// The font family a list starts on: the fourteenth when there are so many,
// else `fallback` when the list holds it, else the first ("" for an empty list).
QString DefaultFontFamily(const QStringList &families, const QString &fallback = {});

// Sets the map picture and its natural size: the picture's extent (pixels of
// a screen of `dpiX` x `dpiY`) in whole 1/96 inches.
void SetMapPicture(LayoutPage &page, const QPicture &picture, double dpiX = 96, double dpiY = 96);

// The page of a new layout window: defaults, border 0.5 in inside the paper,
// the title and description texts and fonts (`descText` from the map window).
// The legend is loaded separately.
void SetupPage(LayoutPage &page, const QSizeF &paperInches, const QString &titleFont, const QString &descFont,
               const QString &descText);

// One legend row per class-grid row (column 0's colour, column 1's text),
// stacked from legendTop at X 1.3, black text. Returns the row texts.
QStringList LoadLegend(LayoutPage &page, const platform::grid::TextGrid &grid, const QString &fontName,
                       const QString &fontSize);
// Row i's text = texts[i] for every row that has one.
void UpdateLegendTexts(LayoutPage &page, const QStringList &texts);

// Applies `change` to the legend rows a setting reaches while list item
// `selected` is the selection: item 0 stands for every row, item k >= 1 for
// row k alone; nothing without rows or selection.
void ForSelectedLegendRows(LayoutPage &page, int selected, const std::function<void(LayoutLegend::Row &)> &change);

// The margin buttons: moves one border edge by 0.2 inch. False for an
// unknown button name.
bool ApplyMarginButton(LayoutBorder &border, const QString &buttonName);

// Drags the element of tab `tab` so that its reference point is at `pt`; on
// the legend tab item 0 moves the whole legend as a stack, item k row k alone.
// The border does not move. True when something moved.
bool DragTo(LayoutPage &page, int tab, int legendSelected, const QPointF &pt);

// Colour numbers to colours and back.
QColor ColorOf(double rgbNumber);
double RgbNumber(const QColor &c);

} // namespace maps
