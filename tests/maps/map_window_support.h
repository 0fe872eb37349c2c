#pragma once
// Points and colours of the map window's thematic layer, for the tests that drive the window.
#include "frame/Globals.h"
#include "maps/frm_Mappa.h"
#include "platform/map/MapLayer.h"
#include "platform/map/MapWidget.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QColor>
#include <QPoint>
#include <QSize>

namespace maptest {

// A widget point of the map inside the territory `code` of the thematic layer;
// (-1, -1) when there is none.
inline QPoint pointIn(frm_Mappa *w, const QString &code)
{
    const auto &rec = w->LayerInfo[size_t(w->IdxLayerTema)];
    const int f = rec.Layer->fieldIndex(rec.FieldId);
    for (int s = 0; s < rec.Layer->featureCount(); ++s) {
        if (rec.Layer->attributeText(s, f) != code)
            continue;
        const auto b = rec.Layer->shapeBounds(s);
        for (int i = 1; i < 40; ++i)
            for (int j = 1; j < 40; ++j) {
                const QPointF p(b.left + b.width() * i / 40, b.bottom + b.height() * j / 40);
                const auto hits = rec.Layer->shapesContaining(p);
                if (hits.size() == 1 && hits[0] == s) {
                    const QPoint px = w->Map2->view().toPixel(p).toPoint();
                    if (rec.Layer->shapesContaining(w->Map2->toMapPoint(px)) == hits)
                        return px;
                }
            }
    }
    return {-1, -1};
}

// The fill colour of the territory `code` of the thematic layer.
inline QColor colorOf(frm_Mappa *w, const QString &code)
{
    const auto &rec = w->LayerInfo[size_t(w->IdxLayerTema)];
    const int f = rec.Layer->fieldIndex(rec.FieldId);
    for (int s = 0; s < rec.Layer->featureCount(); ++s)
        if (rec.Layer->attributeText(s, f) == code)
            return rec.Layer->symbolFor(s)->color;
    return {};
}

// The map window opened on `in` in a program folder of its own, laid out and
// shown off screen; closed again at the end of the test.
struct OpenMap {
    testenv::ProgramFolder pf;
    frm_Mappa *w = nullptr;
    explicit OpenMap(const maps::MapInput &in, const QSize &size = {1100, 760})
    {
        gNomeLivelloMappa = in.levelName;
        gLivelloMappa = in.level;
        w = frm_Mappa::ShowForm(in);
        if (w) {
            w->resize(size);
            w->show();
            QApplication::processEvents();
        }
    }
    ~OpenMap()
    {
        if (frm_Mappa *open = frm_Mappa::Instance())
            open->close();
        QApplication::processEvents();
    }
    OpenMap(const OpenMap &) = delete;
    OpenMap &operator=(const OpenMap &) = delete;
    QColor colorOf(const QString &code) { return maptest::colorOf(w, code); }
    QPoint pointIn(const QString &code) { return maptest::pointIn(w, code); }
};

} // namespace maptest
