#pragma once
// The colouring of the thematic layer from the work table: each territory code
// gets an entry of a value renderer with the colour of its class; territories
// without an entry take the white default symbol.
#include "platform/db/Recordset.h"
#include "platform/map/MapLayer.h"

#include <QColor>
#include <QString>
#include <vector>

namespace Utility {

// A fill symbol: the colour and style given (0 solid, 1 transparent), black outline.
platform::map::Symbol CreateFillSymbol(const QColor &color, int style);
// A value renderer on `fieldName` whose default symbol is CreateFillSymbol(color, style).
platform::map::ValueRenderer CreateValueRenderer(const QString &fieldName, const QColor &color, int style);
// Appends one value with its own fill symbol to the layer's renderer; a layer
// without a renderer first gets one on "FeatureId" with a white default.
bool AddRendererValue(platform::map::MapLayer &layer, const QString &value, const QColor &color, int style);
// Replaces the layer's renderer by one on `fieldName` filled from the work
// table (fields N_ARVEN and N4): class c takes palette[c - 1]; rows without a
// class get no entry. `defaultColor` is the colour of territories without a class.
// A class with no palette colour raises a subscript error.
void ApplyRendererFromRecordset(platform::map::MapLayer &layer, const platform::db::Recordset &rs,
                                const std::vector<QColor> &palette, const QString &fieldName,
                                const QColor &defaultColor = Qt::white);

} // namespace Utility
