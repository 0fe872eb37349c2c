#pragma once
// Draws the map page on a device: the preview (the whole paper scaled into the
// preview's area) or the printer (paper inches). Positions are page inches on
// both; the map picture and the fonts are sized on the device itself, times
// the page's printFactor: on the preview the map has its natural size times
// the zoom in screen inches and a text of size s has s screen points.
#include "maps/LayoutPage.h"

#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QStringList>

class QPaintDevice;
class QPainter;
class QPrinter;

namespace maps {

struct PageDevice {
    QPaintDevice *device = nullptr; // for font metrics
    QPointF origin;                 // device pixels of the paper's top-left corner
    double pxPerInchX = 96, pxPerInchY = 96; // page inch -> device pixels
    double dpiX = 96, dpiY = 96;             // the device's own pixels per inch

    QPointF toDevice(const QPointF &pageInches) const;
    QPointF toPage(const QPointF &devicePx) const;
};

// The preview: `area` (device pixels) represents the whole paper, each axis
// scaled separately. The device's own resolution is its logical dpi.
PageDevice PreviewDevice(QPaintDevice *device, const QRectF &area, const QSizeF &paperInches);
// The printer on the whole paper (full-page mode): paper inches at its resolution.
PageDevice PrinterDevice(QPrinter &printer);
// The ratio of the preview's size to the paper (the smaller of the two axes).
double PreviewRatio(const QSizeF &areaInches, const QSizeF &paperInches);

// The font of a text element at a size (points, before the print factor).
QFont PageFont(const QString &family, double points);
// Width and height, page inches, of `text` in that font on the device.
QSizeF TextSizeOnPage(const QFont &font, const QString &text, const PageDevice &dev);
// The rectangle, page inches, that the map picture covers.
QRectF MapRectOnPage(const LayoutPage &page, const PageDevice &dev);

// The map scale the page opens with, in percent: 65, or less when the map at 65
// would cross the border on the right or reach down to the legend on `dev` (the
// preview, which the printed page follows), so that the page as first shown
// holds the whole map. Never below 10, the slider's least.
int InitialMapZoom(const LayoutPage &page, const PageDevice &dev);
// The legend row i's colour box, page inches (normalised).
QRectF LegendBoxOnPage(const LayoutPage &page, int i);

// Draws the page: map, border, title, legend, description, each when shown;
// later elements cover earlier ones. The target is not cleared.
void RenderPage(const LayoutPage &page, QPainter &painter, const PageDevice &dev);

// Right-click hit test on the preview, at `pt` page inches: the names of the
// elements hit, in the order "Leggenda", "Titolo", "Mappa"; `legendRow` gets
// the first legend row hit (-1 when none).
QStringList HitTest(const LayoutPage &page, const QPointF &pt, const PageDevice &preview, int *legendRow = nullptr);

} // namespace maps
