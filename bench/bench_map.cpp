// Map drawing, loading and identify on the real province and region boundaries.
#include "platform/map/Map.h"
#include "platform/map/MapWidget.h"
#include "platform/map/ViewTransform.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace platform::map;

namespace {

QString shapeFile(const char *name)
{
    return testenv::sourceDir() + QStringLiteral("/Shape/") + QLatin1String(name) + QStringLiteral(".shp");
}

void fillMap(Map &map)
{
    auto prov = std::make_shared<MapLayer>(QStringLiteral("Province"));
    auto reg = std::make_shared<MapLayer>(QStringLiteral("Regioni"));
    prov->setFile(shapeFile("province_2006"));
    reg->setFile(shapeFile("regioni_2001"));
    Symbol s;
    s.color = QColor(192, 192, 192);
    s.outlineColor = QColor(128, 128, 128);
    prov->setSymbol(s);
    Symbol t;
    t.style = Symbol::Transparent;
    reg->setSymbol(t);
    map.addLayer(prov);
    map.addLayer(reg);
}

// 107 provinces filled, region borders over them, antialiased, 1000 x 800.
void BM_DrawProvincesWithRegions(benchmark::State &state)
{
    Map map;
    fillMap(map);
    const ViewTransform view(map.fullExtent(), QSizeF(1000, 800));
    QImage img(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&img);
        map.render(p, view);
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_DrawProvincesWithRegions)->Unit(benchmark::kMillisecond);

// The same picture as the map window paints it: in bands on several threads.
void BM_DrawProvincesWithRegionsInBands(benchmark::State &state)
{
    Map map;
    fillMap(map);
    const ViewTransform view(map.fullExtent(), QSizeF(1000, 800));
    QImage img(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        map.renderImage(img, view);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_DrawProvincesWithRegionsInBands)->Unit(benchmark::kMillisecond)->UseRealTime();

// A zoomed-in view: most shapes fall outside and are skipped.
void BM_DrawZoomedIn(benchmark::State &state)
{
    Map map;
    fillMap(map);
    const MapRect full = map.fullExtent();
    const ViewTransform view(full.scaled(0.25), QSizeF(1000, 800));
    QImage img(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&img);
        map.render(p, view);
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_DrawZoomedIn)->Unit(benchmark::kMillisecond);

// A repaint of the widget that does not change the view: the cached drawing.
void BM_CachedRepaint(benchmark::State &state)
{
    MapWidget w;
    w.resize(1000, 800);
    fillMap(w.map());
    w.grabMap();
    QImage screen(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        w.render(&screen, QPoint(), QRegion(), QWidget::RenderFlags());
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["redraws"] = w.renderCount();
}
BENCHMARK(BM_CachedRepaint)->Unit(benchmark::kMicrosecond);

// Both shape files read and turned into drawable geometry.
void BM_LoadShapeFiles(benchmark::State &state)
{
    for (auto _ : state) {
        Map map;
        fillMap(map);
        benchmark::DoNotOptimize(map.fullExtent());
    }
}
BENCHMARK(BM_LoadShapeFiles)->Unit(benchmark::kMillisecond);

// The province under a point (identify).
void BM_IdentifyProvince(benchmark::State &state)
{
    MapLayer prov;
    prov.setFile(shapeFile("province_2006"));
    const QPointF points[] = {{790023, 4644898}, {514853, 5034537}, {944137, 4535682}, {665639, 4651711}};
    size_t i = 0;
    for (auto _ : state) {
        auto found = prov.searchShape(points[i++ % 4]);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_IdentifyProvince)->Unit(benchmark::kMicrosecond);

} // namespace
