#include "maps/LayoutPage.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapTypes.h"

#include <cmath>

namespace maps {

QString DefaultFontFamily(const QStringList &families, const QString &fallback)
{
    if (families.size() > DefaultFontIndex)
        return families[DefaultFontIndex];
    if (!fallback.isEmpty() && families.contains(fallback))
        return fallback;
    return families.isEmpty() ? QString() : families.front();
}

void SetMapPicture(LayoutPage &page, const QPicture &picture, double dpiX, double dpiY)
{
    page.mapPicture = picture;
    const QRect r = picture.boundingRect();
    auto natural = [&](int px, double dpi) {
        return picture.isNull() || px <= 0 || !(dpi > 0) ? 0.0 : std::floor(px * 96.0 / dpi + 1e-9);
    };
    page.mapWidthPx = natural(r.width(), dpiX);
    page.mapHeightPx = natural(r.height(), dpiY);
}

void SetupPage(LayoutPage &page, const QSizeF &paperInches, const QString &titleFont, const QString &descFont,
               const QString &descText)
{
    page.printFactor = 1.0;
    page.legendTop = 8.0;
    page.legendStep = 0.5;
    page.legendBoxSize = 0.3;
    page.paper = paperInches;

    page.titleHolder = LayoutText{};
    page.titleHolder.FontName = titleFont;
    page.titleHolder.FontSize = QStringLiteral("14");
    page.titleHolder.Text = DefaultTitle;
    page.titleHolder.Left = 2.948;
    page.titleHolder.Top = 0.493;

    page.descHolder = LayoutText{};
    page.descHolder.FontName = descFont;
    page.descHolder.FontSize = QStringLiteral("6");
    page.descHolder.Text = descText;
    page.descHolder.Left = 1.0;
    page.descHolder.Top = 10.0;

    page.showTitle = page.showMap = page.showBorder = page.showLegend = page.showDesc = true;
    page.mapTop = 1.007;
    page.mapLeft = 0.578;
    page.zoomMappa = 1.0;

    page.borderHolder.Right = paperInches.width() - 0.5;
    page.borderHolder.Left = 0.5;
    page.borderHolder.Bottom = paperInches.height() - 0.5;
    page.borderHolder.Top = 0.5;
    page.borderHolder.Color = 0;
}

QStringList LoadLegend(LayoutPage &page, const platform::grid::TextGrid &grid, const QString &fontName,
                       const QString &fontSize)
{
    QStringList texts;
    for (int i = 0; i < grid.Rows(); ++i) {
        const QString text = grid.Cols() > 1 ? grid.TextMatrix(i, 1) : QString();
        const QColor box = grid.Cols() > 0 ? grid.cellBackColor(i, 0) : QColor(Qt::white);
        page.legendHolder.Add(fontName, fontSize, 0, RgbNumber(box), text, LegendLeft,
                              page.legendTop + i * page.legendStep * 2 / 3);
        texts << text;
    }
    return texts;
}

void UpdateLegendTexts(LayoutPage &page, const QStringList &texts)
{
    for (int i = 0; i < texts.size() && i < page.legendHolder.Count(); ++i)
        page.legendHolder.row(i).Text = texts[i];
}

void ForSelectedLegendRows(LayoutPage &page, int selected, const std::function<void(LayoutLegend::Row &)> &change)
{
    LayoutLegend &legend = page.legendHolder;
    if (legend.Count() == 0 || selected < 0 || selected >= legend.Count())
        return;
    if (selected == 0) {
        for (int i = 0; i < legend.Count(); ++i)
            change(legend.row(i));
    } else {
        change(legend.row(selected));
    }
}

bool ApplyMarginButton(LayoutBorder &b, const QString &name)
{
    struct Button {
        const char *name;
        double LayoutBorder::*edge;
        double step;
    };
    static const Button buttons[] = {
        {"cmd_marsinmen", &LayoutBorder::Left, -0.2},  {"cmd_marsinpiu", &LayoutBorder::Left, +0.2},
        {"cmd_mardesmen", &LayoutBorder::Right, -0.2}, {"cmd_mardespiu", &LayoutBorder::Right, +0.2},
        {"cmd_margSupmen", &LayoutBorder::Top, -0.2},  {"cmd_margSuppiu", &LayoutBorder::Top, +0.2},
        {"cmd_marInfmen", &LayoutBorder::Bottom, -0.2}, {"cmd_marInfpiu", &LayoutBorder::Bottom, +0.2},
    };
    for (const Button &btn : buttons)
        if (name == QLatin1String(btn.name)) {
            b.*btn.edge += btn.step;
            return true;
        }
    return false;
}

bool DragTo(LayoutPage &page, int tab, int legendSelected, const QPointF &pt)
{
    switch (tab) {
    case TabTitolo:
        page.titleHolder.Left = pt.x();
        page.titleHolder.Top = pt.y();
        return true;
    case TabCartogramma:
        page.mapLeft = pt.x();
        page.mapTop = pt.y();
        return true;
    case TabLegenda: {
        LayoutLegend &legend = page.legendHolder;
        if (legendSelected == 0) {
            for (int i = 0; i < legend.Count(); ++i) {
                legend.row(i).Left = pt.x();
                legend.row(i).Top = pt.y() + i * page.legendStep * 2 / 3;
            }
            return legend.Count() > 0;
        }
        if (legendSelected > 0 && legendSelected < legend.Count()) {
            legend.row(legendSelected).Left = pt.x();
            legend.row(legendSelected).Top = pt.y();
            return true;
        }
        return false;
    }
    case TabDescrizione:
        page.descHolder.Left = pt.x();
        page.descHolder.Top = pt.y();
        return true;
    default:
        return false;
    }
}

QColor ColorOf(double rgbNumber)
{
    if (!std::isfinite(rgbNumber))
        return Qt::black;
    return platform::map::colorFromLong(std::int64_t(rgbNumber));
}

double RgbNumber(const QColor &c)
{
    return double(platform::map::colorToLong(c));
}

} // namespace maps
