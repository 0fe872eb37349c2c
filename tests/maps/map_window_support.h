#pragma once
// The map window's inputs, its points and colours, and the state of its controls,
// for the tests that drive the window.
#include "frame/Globals.h"
#include "maps/frm_Mappa.h"
#include "platform/map/MapLayer.h"
#include "platform/map/MapWidget.h"
#include "support/Controls.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <functional>

namespace maptest {

// Provinces 1..107 valued "c,00"; with `gaps` every tenth one is left empty.
inline maps::MapInput provinceInput(bool gaps = true)
{
    maps::MapInput in;
    in.header = "A0001_1996";
    in.description = "Superficie territoriale";
    in.level = 2;
    in.levelName = "provincia";
    for (int c = 1; c <= 107; ++c)
        in.rows.push_back({QString::number(c), gaps && c % 10 == 0 ? QString() : QStringLiteral("%1,00").arg(c)});
    return in;
}

// Regions 1..20 valued "3c,5".
inline maps::MapInput regionInput()
{
    maps::MapInput in;
    in.header = "I0101_2005";
    in.description = "Indice";
    in.level = 3;
    in.levelName = "regione";
    for (int c = 1; c <= 20; ++c)
        in.rows.push_back({QString::number(c), QStringLiteral("%1,5").arg(c * 3)});
    return in;
}

// The texts of the named labels and line edits of `w`.
inline QStringList texts(QWidget *w, const QStringList &names)
{
    QStringList out;
    for (const QString &n : names) {
        QWidget *c = testenv::ctl<QWidget>(w, n);
        if (auto *l = qobject_cast<QLabel *>(c))
            out << l->text();
        else if (auto *e = qobject_cast<QLineEdit *>(c))
            out << e->text();
        else
            out << "?" + n;
    }
    return out;
}

// The controls of `spec` ("+name": the state holds, "-name": it does not)
// whose state differs; empty when every one agrees.
template <class State>
QString wrong(QWidget *w, const QString &spec, State state)
{
    QStringList out;
    for (const QString &item : spec.split(' ', Qt::SkipEmptyParts))
        if (state(testenv::ctl<QWidget>(w, item.mid(1))) != (item[0] == '+'))
            out << item;
    return out.join(' ');
}
inline QString wrongEnabled(QWidget *w, const QString &s) { return wrong(w, s, std::mem_fn(&QWidget::isEnabled)); }
inline QString wrongVisible(QWidget *w, const QString &s) { return wrong(w, s, std::mem_fn(&QWidget::isVisible)); }
inline QString wrongChecked(QWidget *w, const QString &s)
{
    return wrong(w, s, [](QWidget *c) {
        return testenv::must(qobject_cast<QAbstractButton *>(c), "button")->isChecked();
    });
}

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
// shown off screen (the test stops when it does not open); closed again at the end of the test.
struct OpenMap {
    testenv::ProgramFolder pf;
    frm_Mappa *w = nullptr;
    explicit OpenMap(const maps::MapInput &in = provinceInput(), const QSize &size = {1100, 760})
    {
        gNomeLivelloMappa = in.levelName;
        gLivelloMappa = in.level;
        w = testenv::must(frm_Mappa::ShowForm(in), "map window");
        w->resize(size);
        w->show();
        QApplication::processEvents();
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
    void click(const char *button) { testenv::ctl<QAbstractButton>(w, button)->click(); }
};

} // namespace maptest
