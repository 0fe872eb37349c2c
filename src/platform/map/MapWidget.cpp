#include "platform/map/MapWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

namespace platform::map {

namespace {
constexpr int FlashIntervalMs = 150;
}

MapWidget::MapWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    m_flashTimer.setInterval(FlashIntervalMs);
    connect(&m_flashTimer, &QTimer::timeout, this, &MapWidget::flashStep);
}

MapWidget::~MapWidget() = default;

ViewTransform MapWidget::view() const
{
    return ViewTransform(m_map.extent(), QSizeF(size()));
}

MapRect MapWidget::extent() const
{
    const ViewTransform v = view();
    return v.isValid() ? v.visibleExtent() : m_map.extent();
}

void MapWidget::setExtent(const MapRect &r)
{
    m_map.setExtent(r);
    update();
}

void MapWidget::setBackColor(const QColor &c)
{
    m_map.setBackColor(c);
    update();
}

void MapWidget::refresh()
{
    m_cacheValid = false;
    update();
}

QPointF MapWidget::toMapPoint(const QPointF &widgetPos) const
{
    return view().toMap(widgetPos);
}

double MapWidget::toMapDistance(double pixels) const
{
    return view().toMapDistance(pixels);
}

double MapWidget::dpi() const
{
    return m_dpi > 0 ? m_dpi : logicalDpiX();
}

double MapWidget::scaleDenominator() const
{
    const ViewTransform v = view();
    if (!v.isValid())
        return 0;
    return platform::map::scaleDenominator(v.visibleExtent().width(), width(), dpi());
}

bool MapWidget::ensureCache()
{
    const qreal dpr = devicePixelRatioF();
    const QSize px = (QSizeF(size()) * dpr).toSize();
    const ViewTransform v = view();
    const std::uint64_t rev = m_map.revision();
    if (m_cacheValid && m_cache.size() == px && m_cache.devicePixelRatio() == dpr && m_cacheRevision == rev
        && m_cacheExtent == v.visibleExtent())
        return false;
    if (m_cache.size() != px || m_cache.devicePixelRatio() != dpr) {
        m_cache = QImage(px, QImage::Format_ARGB32_Premultiplied);
        m_cache.setDevicePixelRatio(dpr);
    }
    if (!m_cache.isNull()) {
        if (dpr == 1.0) {
            m_map.renderImage(m_cache, v);
        } else {
            QPainter p(&m_cache);
            m_map.render(p, v);
        }
    }
    m_cacheRevision = rev;
    m_cacheExtent = v.visibleExtent();
    m_cacheValid = true;
    ++m_renderCount;
    return true;
}

QImage MapWidget::grabMap()
{
    ensureCache();
    return m_cache;
}

void MapWidget::paintEvent(QPaintEvent *)
{
    const bool redrawn = ensureCache();
    QPainter p(this);
    p.drawImage(QPointF(0, 0), m_cache);
    if (m_flashOn) {
        if (auto layer = m_flashLayer.lock(); layer && m_flashShape >= 0 && m_flashShape < layer->featureCount()) {
            const ViewTransform v = view();
            // Inverted colours show on any fill (antialiasing would blur the inversion).
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            if (layer->kind() == ShapeKind::Point) {
                p.setPen(Qt::NoPen);
                p.setBrush(Qt::white);
                for (const QPolygonF &part : layer->shapeParts(m_flashShape))
                    for (const QPointF &pt : part)
                        p.drawEllipse(v.toPixel(pt), 6.0, 6.0);
            } else {
                p.setTransform(v.transform());
                QPen pen(Qt::white, 5);
                pen.setCosmetic(true);
                const bool polygon = layer->kind() == ShapeKind::Polygon;
                p.setPen(polygon ? QPen(Qt::NoPen) : pen);
                p.setBrush(polygon ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
                p.drawPath(layer->shapePath(m_flashShape));
            }
        }
    }
    p.end();
    if (redrawn)
        emit afterDraw();
}

void MapWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    update();
}

void MapWidget::mousePressEvent(QMouseEvent *event)
{
    m_pressPos = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), m_pressPos);
}

void MapWidget::trackRectangle()
{
    m_tracking = true;
    if (!m_band)
        m_band = new QRubberBand(QRubberBand::Rectangle, this);
    m_band->setGeometry(QRect(m_pressPos, QSize()));
    m_band->show();
}

void MapWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_tracking && m_band)
        m_band->setGeometry(QRect(m_pressPos, event->position().toPoint()).normalized());
}

void MapWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    if (m_band)
        m_band->hide();
    const QPoint end = event->position().toPoint();
    if (end.x() == m_pressPos.x() || end.y() == m_pressPos.y())
        return; // no width or no height: nothing was tracked
    const MapRect r = view().toMapRect(m_pressPos, end);
    if (!r.isEmpty())
        emit rectangleTracked(r);
}

void MapWidget::flashShape(const std::shared_ptr<MapLayer> &layer, int shapeId, int times)
{
    if (!layer || shapeId < 0 || shapeId >= layer->featureCount() || times <= 0)
        return;
    m_flashLayer = layer;
    m_flashShape = shapeId;
    m_flashStepsLeft = times * 2;
    m_flashOn = false;
    flashStep();
    m_flashTimer.start();
}

void MapWidget::flashStep()
{
    if (m_flashStepsLeft <= 0) {
        m_flashTimer.stop();
        m_flashOn = false;
        update();
        return;
    }
    --m_flashStepsLeft;
    m_flashOn = !m_flashOn;
    update();
}

void MapWidget::renderMap(QPainter &painter, const QRectF &target) const
{
    const ViewTransform v(extent(), target.size());
    painter.save();
    painter.translate(target.topLeft());
    m_map.render(painter, v, true);
    painter.restore();
}

QPicture MapWidget::exportMap() const
{
    QPicture picture;
    {
        QPainter p(&picture);
        renderMap(p, QRectF(0, 0, width(), height()));
    }
    picture.setBoundingRect(QRect(0, 0, width(), height()));
    return picture;
}

} // namespace platform::map
