// An isometric map as the editor saved it, reduced to what the conversion
// uses: tilesets with their tiles, and the layers flattened in drawing order
// with the offsets, opacity and visibility of their groups folded in.
#pragma once

#include "tools/tiledworld/IsoGrid.h"
#include "tools/tmximport/ImportRefusal.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The top bits of a global tile id say how the tile is flipped.
constexpr uint32_t FlippedHorizontally = 0x80000000u;
constexpr uint32_t FlippedVertically = 0x40000000u;
constexpr uint32_t FlippedDiagonally = 0x20000000u;
constexpr uint32_t RotatedHexagonal120 = 0x10000000u;
constexpr uint32_t TileIdBits = 0x0FFFFFFFu;

// A layer's, tile's, tileset's, object's or map's own custom properties, by
// name, their values as written.
using TmxProperties = std::map<std::string, std::string>;

struct TmxImage {
    std::string path;  // resolved against the file that names it
    SourcePlace place;
    // A part of the picture (collection tiles may name one); width 0: all of it.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct TmxFrame {
    uint32_t tileId = 0;
    int32_t duration = 0;  // milliseconds
};

struct TmxTile {
    std::optional<bool> blocked;
    std::optional<TmxImage> image;  // collection tilesets only
    std::vector<TmxFrame> animation;
    TmxProperties properties;
    SourcePlace place;
};

struct TmxTileset {
    uint32_t firstGid = 0;
    std::string name;
    SourcePlace place;
    int tileWidth = 0;  // of a sheet's cells
    int tileHeight = 0;
    int margin = 0;
    int spacing = 0;
    int columns = 0;     // 0: from the picture's width
    int tileCount = -1;  // -1: from the picture's size
    double offsetX = 0;  // the tile offset, in the map's pixels
    double offsetY = 0;
    ObjectAlignment alignment = ObjectAlignment::Bottom;
    bool gridRenderSize = false;                // tiles drawn at the map's tile size
    std::optional<TmxImage> sheet;              // the one picture of a sheet tileset
    std::optional<uint32_t> transparentColour;  // 0xRRGGBB of the sheet drawn as transparent
    std::map<uint32_t, TmxTile> tiles;          // tiles with properties, pictures or animations
    TmxProperties properties;
};

// What a layer inherits from its groups, already combined.
struct TmxLayerLook {
    std::string name;
    SourcePlace place;
    double offsetX = 0;
    double offsetY = 0;
    double opacity = 1;
    bool visible = true;
    std::optional<bool> blocked;
    std::optional<bool> floor;
    TmxProperties properties;  // the layer's own, not its groups'
};

struct TmxObject {
    uint32_t gid = 0;  // 0: not a tile object
    double x = 0;
    double y = 0;
    double width = 0;  // 0: the tile's own size
    double height = 0;
    bool visible = true;
    std::optional<bool> blocked;
    TmxProperties properties;
    SourcePlace place;
};

struct TmxLayer {
    enum class Kind { Tiles, Objects };
    Kind kind = Kind::Tiles;
    TmxLayerLook look;
    std::vector<uint32_t> gids;      // tile layers: width x height, row 0 first, with flip bits
    std::vector<TmxObject> objects;  // object layers, in file order
    bool drawnInFileOrder = false;   // object layers: draworder="index"
};

struct TmxMap {
    std::string path;
    int width = 0;   // columns
    int height = 0;  // rows
    int tileWidth = 0;
    int tileHeight = 0;
    std::vector<TmxTileset> tilesets;   // by rising firstGid
    std::vector<TmxLayer> layers;       // in drawing order, groups flattened
    std::vector<std::string> warnings;  // what was left out
    TmxProperties properties;
};
