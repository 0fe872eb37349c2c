// The print layout's page: one preview redraw (what every drag step costs),
// a printed page at printer resolution, and the JPEG of the saved preview.
#include "maps/LayoutPage.h"
#include "maps/LayoutRender.h"
#include "platform/image/DIBSection.h"
#include "platform/image/JpegWriter.h"
#include "platform/map/MapWidget.h"
#include "support/TestEnv.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace maps;
using namespace platform::map;

namespace {

// A page with the province map (700 x 730 pixels) and a five-row legend.
LayoutPage provincePage()
{
    MapWidget w;
    w.resize(700, 730);
    auto prov = std::make_shared<MapLayer>(QStringLiteral("Province"));
    prov->setFile(testenv::sourceDir() + QStringLiteral("/Shape/province_2006.shp"));
    Symbol s;
    s.color = QColor(255, 255, 0);
    prov->setSymbol(s);
    w.map().addLayer(prov);
    w.setExtent(w.fullExtent());
    LayoutPage page;
    SetupPage(page, QSizeF(8.27, 11.69), QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans"),
              QStringLiteral("A0001_1996: Superficie territoriale"));
    SetMapPicture(page, w.exportMap());
    page.zoomMappa = 0.65;
    for (int i = 0; i < 5; ++i)
        page.legendHolder.Add(QStringLiteral("DejaVu Sans"), QStringLiteral("8"), 0, 0xFF0000 * i / 4,
                              QStringLiteral("Classe %1").arg(i), LegendLeft, 8.0 + i / 3.0);
    return page;
}

QImage previewImage()
{
    QImage img(429, 592, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    return img;
}

void BM_PreviewRedraw(benchmark::State &state)
{
    const LayoutPage page = provincePage();
    QImage img = previewImage();
    const PageDevice dev = PreviewDevice(&img, QRectF(0, 0, 429, 592), page.paper);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        RenderPage(page, p, dev);
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_PreviewRedraw)->Unit(benchmark::kMillisecond);

// The page at 300 dpi, print factor 1.85.
void BM_PrintedPage300Dpi(benchmark::State &state)
{
    LayoutPage page = provincePage();
    page.printFactor = PrintFactor;
    QImage img(2481, 3507, QImage::Format_RGB32);
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    PageDevice dev;
    dev.device = &img;
    dev.pxPerInchX = dev.pxPerInchY = dev.dpiX = dev.dpiY = 300;
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        RenderPage(page, p, dev);
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_PrintedPage300Dpi)->Unit(benchmark::kMillisecond);

void BM_SavePreviewAsJpeg(benchmark::State &state)
{
    const LayoutPage page = provincePage();
    QImage img = previewImage();
    img.fill(Qt::white);
    {
        QPainter p(&img);
        RenderPage(page, p, PreviewDevice(&img, QRectF(0, 0, 429, 592), page.paper));
    }
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("pagina.jpg"));
    for (auto _ : state) {
        platform::image::cDIBSection dib;
        dib.CreateFromPicture(img);
        benchmark::DoNotOptimize(platform::image::SaveJPG(dib, name, 90));
    }
}
BENCHMARK(BM_SavePreviewAsJpeg)->Unit(benchmark::kMillisecond);

} // namespace
