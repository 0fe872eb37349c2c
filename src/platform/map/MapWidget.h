#pragma once
// The map control: shows a Map in a widget. The view fits the map's extent to
// the widget's aspect; the drawing is cached until the view or the content
// changes. Mouse presses are reported, a rubber-band rectangle can be tracked,
// a shape can be flashed, and the view can be exported as a vector picture.
#include "platform/map/Map.h"
#include "platform/map/ViewTransform.h"

#include <QImage>
#include <QPicture>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

class QRubberBand;

namespace platform::map {

class MapWidget : public QWidget {
    Q_OBJECT
public:
    explicit MapWidget(QWidget *parent = nullptr);
    ~MapWidget() override;

    // Layers, background colour and asked-for extent. After changing them, call refresh().
    Map &map() { return m_map; }
    const Map &map() const { return m_map; }

    // The map rectangle the widget shows (the asked-for extent fitted to the
    // widget's aspect). Setting it zooms; a zero-size rectangle changes nothing.
    MapRect extent() const;
    void setExtent(const MapRect &r);
    MapRect fullExtent() const { return m_map.fullExtent(); }
    QColor backColor() const { return m_map.backColor(); }
    void setBackColor(const QColor &c);
    // Redraws the map (the cached drawing is made again).
    void refresh();

    // The current view: widget pixels (y down) to map units (y up).
    ViewTransform view() const;
    QPointF toMapPoint(const QPointF &widgetPos) const;
    double toMapDistance(double pixels) const;

    // Starts a rubber band at the last mouse press (call it from mouseDown). On
    // release, rectangleTracked() gives the rectangle in map units, unless it has
    // no width or no height.
    void trackRectangle();
    bool isTracking() const { return m_tracking; }

    // Flashes one shape of a layer `times` times; returns at once.
    void flashShape(const std::shared_ptr<MapLayer> &layer, int shapeId, int times = 3);
    bool isFlashing() const { return m_flashTimer.isActive(); }

    // The view drawn into any painter: `target` receives what the widget shows
    // (vector drawing; outlines scale with the target).
    void renderMap(QPainter &painter, const QRectF &target) const;
    // The view as a vector picture whose natural size is the widget's size in pixels.
    QPicture exportMap() const;

    // Scale: 1 : scaleDenominator() on a screen of dpi() pixels per inch, taking
    // map units as metres. 0 when there is nothing to measure.
    double scaleDenominator() const;
    double dpi() const;
    void setDpi(double dpi) { m_dpi = dpi; } // 0 = the screen's logical dpi

    // Drawing cache statistics, for tests.
    int renderCount() const { return m_renderCount; }
    // The map as the widget shows it, drawn off screen at the widget's size.
    QImage grabMap();

signals:
    // A mouse button went down on the map (pos in widget pixels).
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    // The map was drawn again (new view, new content or new size).
    void afterDraw();
    // The rubber band of trackRectangle() was released.
    void rectangleTracked(const platform::map::MapRect &rect);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void flashStep();
    bool ensureCache();

    Map m_map;
    double m_dpi = 0;

    // Cache of the drawing and what it was made for.
    QImage m_cache;
    std::uint64_t m_cacheRevision = 0;
    MapRect m_cacheExtent;
    bool m_cacheValid = false;
    int m_renderCount = 0;

    QPoint m_pressPos;
    bool m_tracking = false;
    QRubberBand *m_band = nullptr;

    QTimer m_flashTimer;
    std::weak_ptr<MapLayer> m_flashLayer;
    int m_flashShape = -1;
    int m_flashStepsLeft = 0;
    bool m_flashOn = false;
};

} // namespace platform::map
