#pragma once
// The map layer configuration (Files/ShapeConfig.xml): for each map level, the
// shape-file layers in load order with their drawing style, which of them
// carries the thematic colouring, and the map's background colour.
//
//   <Configs>
//     <LoadOrder>
//       <Case name="provincia" mapBackColor="16777215">
//         <Layer Outline="True" OutlineColor="8421504" BackColor="12632256"
//                Trasparenza="False" useToMatch="True">province_2006</Layer>
//         ...
//     <Shapes>
//       <Shape name="province_2006"> <FileName/> <GeoName/> <FieldId/> <LandFields/>
//                                    <LandMatch/> <Label/> </Shape>
//
// Every function raises platform::RuntimeError on failure; the caller's handler logs it.
#include "platform/map/Map.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace maps {

// One layer of the level, in the order of its Case element.
struct LayerInfo {
    QString FileName;   // shape file base name (also the layer's entry in the style panel)
    QString GeoName;    // the layer's name on the map
    QString FieldId;    // attribute holding the territory code ("COD_REG" for regions)
    // The layer drawn from FileName, named GeoName. Always present after loading;
    // on the map only when isValid() (the shape file opened).
    std::shared_ptr<platform::map::MapLayer> Layer;
    bool Outline = false;
    std::int64_t OutlineColor = 0;  // colour integers, red in the low byte
    std::int64_t BackColor = 0;
    bool Trasparenza = false;
    QString LandFields;
    QString LandMatch;
    QString Label;
    bool MatchesLevel = false;      // LandMatch is the current level
};

// The configuration file in the Files folder (gFilesPath), found ignoring letter case.
QString ShapeConfigFile();

// Reads the layers of `levelName` (letter case ignored) from `configFile`: sets
// the map's background colour, fills `layerInfo` (emptied first) and sets
// `IdxLayerTema` to the last layer marked useToMatch (left as it is when none
// is), then opens each layer's shape file in `shapeFolder` and puts those that
// open on the map, first record at the bottom, with their styles; finally the
// map's extent becomes its full extent. On error the records read so far stay
// in `layerInfo` and no layer is added to the map.
void CaricaShapeLayers(platform::map::Map &map, std::vector<LayerInfo> &layerInfo, int &IdxLayerTema,
                       const QString &configFile, const QString &levelName, const QString &shapeFolder);
// The same for the current level (gNomeLivelloMappa) with the program's folders.
void CaricaShapeLayers(platform::map::Map &map, std::vector<LayerInfo> &layerInfo, int &IdxLayerTema);

// The symbol of a record's style: fill BackColor (none when Trasparenza),
// outline OutlineColor when Outline, size 1.
platform::map::Symbol LayerSymbol(const LayerInfo &record);

// Copies each record's style onto the symbol of its layer (a layer is made for
// a record that has none). The map must be refreshed afterwards.
void ApplyLayerSymbols(std::vector<LayerInfo> &layerInfo);

// Writes back the style of one layer and the map's background colour: on the
// level's Case, mapBackColor; on its first child whose text is `layerText`,
// Outline, OutlineColor, BackColor and Trasparenza from `record` (flags as
// "True"/"False"). The file is replaced in one step: on any error it stays as
// it was. Nothing else of the file changes.
void SalvaLayer(const QString &configFile, const QString &levelName, std::int64_t mapBackColor,
                const QString &layerText, const LayerInfo &record);
// The same for the current level in the program's configuration file.
void SalvaLayer(std::int64_t mapBackColor, const QString &layerText, const LayerInfo &record);

// The readings of attribute texts, exposed for tests.
namespace shapeconfig {
// Outline and Trasparenza: "True" or "Vero" (exactly) are true, anything else false.
bool ReadFlag(const QString &text);
// useToMatch: "True"/"False" or "Vero"/"Falso" in any letter case, or a number
// (non-zero is true); nullopt for any other text (the loader takes it as false
// and notes it in the error log).
std::optional<bool> ReadBoolean(const QString &text);
// Colours: a decimal integer (a decimal fraction is rounded); raises a type
// mismatch for other texts and an overflow outside the 32-bit range.
std::int64_t ReadLong(const QString &text);
} // namespace shapeconfig

} // namespace maps
