#include "maps/MapRenderer.h"

#include "platform/Error.h"

namespace Utility {

using platform::map::Symbol;
using platform::map::ValueRenderer;

Symbol CreateFillSymbol(const QColor &color, int style)
{
    Symbol s;
    s.color = color;
    s.style = style;
    s.outline = true;
    s.outlineColor = Qt::black;
    s.size = 1;
    return s;
}

ValueRenderer CreateValueRenderer(const QString &fieldName, const QColor &color, int style)
{
    ValueRenderer r(fieldName);
    r.setUseDefault(true);
    r.setDefaultSymbol(CreateFillSymbol(color, style));
    return r;
}

bool AddRendererValue(platform::map::MapLayer &layer, const QString &value, const QColor &color, int style)
{
    ValueRenderer r = layer.renderer() ? *layer.renderer()
                                       : CreateValueRenderer(QStringLiteral("FeatureId"), Qt::white, Symbol::Solid);
    r.addValue(value, CreateFillSymbol(color, style));
    layer.setRenderer(r);
    return true;
}

void ApplyRendererFromRecordset(platform::map::MapLayer &layer, const platform::db::Recordset &rs,
                                const std::vector<QColor> &palette, const QString &fieldName,
                                const QColor &defaultColor)
{
    ValueRenderer r = CreateValueRenderer(fieldName, defaultColor, Symbol::Solid);
    const int codeField = rs.fieldIndex(QStringLiteral("N_ARVEN"));
    const int classField = rs.fieldIndex(QStringLiteral("N4"));
    if (codeField < 0 || classField < 0)
        throw platform::RuntimeError(platform::err::ItemNotFound,
                                     QStringLiteral("Elemento non trovato nell'insieme corrispondente al nome richiesto."));
    for (int row = 0; row < rs.recordCount(); ++row) {
        const auto &cls = rs.at(row, classField);
        if (cls.isNull())
            continue;
        const qint64 c = cls.toInt();
        if (c < 1 || c > qint64(palette.size()))
            throw platform::RuntimeError(platform::err::SubscriptOutOfRange, QStringLiteral("Indice non compreso nell'intervallo."));
        r.addValue(rs.at(row, codeField).toString(), CreateFillSymbol(palette[size_t(c - 1)], Symbol::Solid));
    }
    layer.setRenderer(r);
}

} // namespace Utility
