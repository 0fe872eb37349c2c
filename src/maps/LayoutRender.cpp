#include "maps/LayoutRender.h"

#include "platform/NumText.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace maps {

namespace {

constexpr double MapUnitsPerInch = 96.0; // the picture's natural unit

double sizeOf(const QString &text)
{
    const auto v = platform::num::parse(text);
    return v ? *v : 0.0;
}

// Text with its top-left corner at `at` (page inches).
void printText(QPainter &p, const PageDevice &dev, const QString &family, double points, double color,
               const QPointF &at, const QString &text)
{
    if (!(points > 0) || !std::isfinite(points))
        return; // a size the device cannot take: the text is left out
    const QFont font = PageFont(family, points);
    const QFontMetricsF fm(font, dev.device);
    p.setFont(font);
    p.setPen(ColorOf(color));
    const QPointF d = dev.toDevice(at);
    p.drawText(QPointF(d.x(), d.y() + fm.ascent()), text);
}

QPen outlinePen(const PageDevice &dev, const QColor &c)
{
    QPen pen(c);
    pen.setWidthF(std::max(1.0, dev.dpiX / MapUnitsPerInch));
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

} // namespace

QPointF PageDevice::toDevice(const QPointF &pt) const
{
    return {origin.x() + pt.x() * pxPerInchX, origin.y() + pt.y() * pxPerInchY};
}

QPointF PageDevice::toPage(const QPointF &px) const
{
    return {(px.x() - origin.x()) / pxPerInchX, (px.y() - origin.y()) / pxPerInchY};
}

PageDevice PreviewDevice(QPaintDevice *device, const QRectF &area, const QSizeF &paper)
{
    PageDevice d;
    d.device = device;
    d.origin = area.topLeft();
    d.pxPerInchX = paper.width() > 0 ? area.width() / paper.width() : 1;
    d.pxPerInchY = paper.height() > 0 ? area.height() / paper.height() : 1;
    d.dpiX = device ? device->logicalDpiX() : 96;
    d.dpiY = device ? device->logicalDpiY() : 96;
    return d;
}

PageDevice PrinterDevice(QPrinter &printer)
{
    PageDevice d;
    d.device = &printer;
    d.dpiX = d.pxPerInchX = printer.logicalDpiX();
    d.dpiY = d.pxPerInchY = printer.logicalDpiY();
    return d;
}

double PreviewRatio(const QSizeF &area, const QSizeF &paper)
{
    if (paper.width() <= 0 || paper.height() <= 0)
        return 1;
    return std::min(area.height() / paper.height(), area.width() / paper.width());
}

QFont PageFont(const QString &family, double points)
{
    QFont f(family);
    if (points > 0)
        f.setPointSizeF(points);
    return f;
}

QSizeF TextSizeOnPage(const QFont &font, const QString &text, const PageDevice &dev)
{
    const QFontMetricsF fm(font, dev.device);
    return {fm.horizontalAdvance(text) / dev.pxPerInchX, fm.height() / dev.pxPerInchY};
}

QRectF MapRectOnPage(const LayoutPage &page, const PageDevice &dev)
{
    // Natural size times zoom and print factor, in the device's own inches,
    // then in page inches.
    const double f = page.zoomMappa * page.printFactor / MapUnitsPerInch;
    return {page.mapLeft, page.mapTop, page.mapWidthPx * f * dev.dpiX / dev.pxPerInchX,
            page.mapHeightPx * f * dev.dpiY / dev.pxPerInchY};
}

int InitialMapZoom(const LayoutPage &page, const PageDevice &dev)
{
    constexpr int Default = 65, Least = 10;
    LayoutPage unit = page;
    unit.zoomMappa = 1.0;
    const QRectF r = MapRectOnPage(unit, dev);
    if (r.width() <= 0 || r.height() <= 0)
        return Default;
    const double room = std::min((page.paper.width() - 0.5 - page.mapLeft) / r.width(),
                                 (page.legendTop - page.mapTop) / r.height());
    return std::clamp(int(std::floor(room * 100.0)), Least, Default);
}

QRectF LegendBoxOnPage(const LayoutPage &page, int i)
{
    const auto &r = page.legendHolder.row(i);
    return QRectF(QPointF(r.Left, r.Top), QPointF(r.Left - page.legendBoxSize, r.Top + page.legendBoxSize))
        .normalized();
}

void RenderPage(const LayoutPage &page, QPainter &p, const PageDevice &dev)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Map.
    if (page.showMap && !page.mapPicture.isNull() && page.mapWidthPx > 0 && page.mapHeightPx > 0) {
        const QRectF r = MapRectOnPage(page, dev);
        const QPointF tl = dev.toDevice(r.topLeft());
        const QRect src = page.mapPicture.boundingRect();
        p.save();
        p.translate(tl);
        p.scale(r.width() * dev.pxPerInchX / std::max(1, src.width()),
                r.height() * dev.pxPerInchY / std::max(1, src.height()));
        p.translate(-src.topLeft());
        // A picture played on a device scales itself by the device's
        // resolution over its own; undo that, the size is set above.
        if (const QPaintDevice *target = p.device())
            p.scale(double(page.mapPicture.logicalDpiX()) / std::max(1, target->logicalDpiX()),
                    double(page.mapPicture.logicalDpiY()) / std::max(1, target->logicalDpiY()));
        p.drawPicture(0, 0, page.mapPicture);
        p.restore();
    }

    // Border.
    if (page.showBorder) {
        const LayoutBorder &b = page.borderHolder;
        p.setPen(outlinePen(dev, ColorOf(b.Color)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(dev.toDevice({b.Left, b.Top}), dev.toDevice({b.Right, b.Bottom})).normalized());
    }

    // Title.
    if (page.showTitle) {
        const LayoutText &t = page.titleHolder;
        printText(p, dev, t.FontName, sizeOf(t.FontSize) * page.printFactor, t.Color, {t.Left, t.Top}, t.Text);
    }

    // Legend: text right of the reference point, colour box to its left.
    if (page.showLegend) {
        for (int i = 0; i < page.legendHolder.Count(); ++i) {
            const auto &r = page.legendHolder.row(i);
            printText(p, dev, r.FontName, r.FontSize * page.printFactor, r.TextColor,
                      {r.Left + LegendTextGap, r.Top}, r.Text);
            const QRectF box = LegendBoxOnPage(page, i);
            const QRectF dbox(dev.toDevice(box.topLeft()), dev.toDevice(box.bottomRight()));
            p.setPen(Qt::NoPen);
            p.setBrush(ColorOf(r.BoxColor));
            p.drawRect(dbox);
            p.setPen(outlinePen(dev, Qt::black));
            p.setBrush(Qt::NoBrush);
            p.drawRect(dbox);
        }
    }

    // Description.
    if (page.showDesc) {
        const LayoutText &t = page.descHolder;
        printText(p, dev, t.FontName, sizeOf(t.FontSize) * page.printFactor, t.Color, {t.Left, t.Top}, t.Text);
    }
    p.restore();
}

QStringList HitTest(const LayoutPage &page, const QPointF &pt, const PageDevice &dev, int *legendRow)
{
    QStringList hits;
    const double x = pt.x(), y = pt.y();
    if (legendRow)
        *legendRow = -1;

    for (int i = 0; i < page.legendHolder.Count(); ++i) {
        const auto &r = page.legendHolder.row(i);
        const QFont f = PageFont(r.FontName, r.FontSize);
        const double w = TextSizeOnPage(f, r.Text, dev).width() + TextSizeOnPage(f, QStringLiteral("QQ"), dev).width();
        if (r.Left - LegendTextGap < x && x < r.Left + w && r.Top < y && y < r.Top + LegendHitHeight) {
            hits << QStringLiteral("Leggenda");
            if (legendRow)
                *legendRow = i;
            break;
        }
    }

    const LayoutText &t = page.titleHolder;
    const QSizeF ts = TextSizeOnPage(PageFont(t.FontName, sizeOf(t.FontSize)), t.Text, dev);
    if (t.Left < x && x < t.Left + ts.width() && t.Top < y && y < t.Top + ts.height())
        hits << QStringLiteral("Titolo");

    const QRectF m = MapRectOnPage(page, dev);
    if (m.left() < x && x < m.right() && m.top() < y && y < m.bottom())
        hits << QStringLiteral("Mappa");
    return hits;
}

} // namespace maps
