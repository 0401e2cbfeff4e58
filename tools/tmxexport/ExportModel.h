// A world as the Tiled map that tmxexport writes, before anything is written:
// the map's properties, its tilesets with their tiles and pictures, and its
// layers. Data only: ExportTilesets and ExportLayers fill it, TmxWriter and
// the pictures' writer turn it into files.
#pragma once

#include "tools/tmxexport/FloorLayers.h"
#include "tools/worldfiles/PngImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Property {
    std::string name;
    std::string value;
    const char* type = nullptr;  // null: a string
};

struct ExportTile {
    std::string picture;  // file name in the tileset's picture folder
    uint32_t width = 1;
    uint32_t height = 1;
    bool drawsNothing = true;
    int64_t placeX = 0;  // the picture's top-left from the cell's drawing position
    int64_t placeY = 0;
    std::vector<Property> properties;
    std::vector<std::pair<uint32_t, int32_t>> animation;  // tile ids and durations, for the editor's preview
    std::shared_ptr<const PictureCover> cover;            // the pixels its picture draws
};

// A picture file of a tileset's folder; several tiles may show one.
struct ExportPicture {
    std::string name;
    RgbaImage image;
};

struct ExportTileset {
    std::string name;
    std::string stem;  // of its file and picture folder
    std::vector<Property> properties;
    std::vector<ExportTile> tiles;
    std::vector<ExportPicture> pictures;
    int64_t offsetX = 0;  // the tile offset, chosen for the floor's frames
    int64_t offsetY = 0;
    uint32_t firstGid = 0;  // 0: not written (the unlisted sprites' tileset, when nothing names one)
};

// A tile of a tileset, as a layer's cell or an object shows it.
struct PlacedTile {
    size_t tileset = 0;
    uint32_t tile = 0;
};

struct ExportObject {
    PlacedTile tile;
    double x = 0;  // the editor's object pixels of the picture's top-left corner
    double y = 0;
    std::vector<Property> properties;
};

struct ExportLayer {
    std::string name;
    bool tiles = false;  // a tile layer; else an object layer
    bool hidden = false;
    std::vector<Property> properties;
    std::vector<std::optional<PlacedTile>> cells;  // tile layers: width x height, row 0 first
    std::vector<ExportObject> objects;
};

struct ExportMap {
    int width = 0;
    int height = 0;
    std::vector<Property> properties;
    std::vector<ExportTileset> tilesets;  // in the map's order
    std::vector<ExportLayer> layers;      // in the editor's drawing order
    size_t floorLayers = 0;
};

// Properties of the types the export writes.
inline Property IntProperty(const char* name, int64_t value)
{
    return {name, std::to_string(value), "int"};
}
inline Property FlagProperty(const char* name)
{
    return {name, "true", "bool"};
}
