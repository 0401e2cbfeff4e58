// An isometric or staggered map as the editor saved it, reduced to what the
// conversion uses: tilesets with their tiles, and the layers flattened in
// drawing order with the offsets, opacity, tint and visibility of their
// groups folded in. Once read, tile layers lie on one isometric lattice
// (MapLattice.h), whatever grid and chunks the editor stored them in.
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
    bool collisionShapes = false;   // the tile collision editor gave it shapes
    std::optional<TmxImage> image;  // collection tilesets only
    std::vector<TmxFrame> animation;
    TmxProperties properties;
    SourcePlace place;
};

struct TmxTileset {
    uint32_t firstGid = 0;  // tilesets only templates name have none: above every id the map holds
    std::string name;
    std::string file;  // the .tsx file read, resolved; empty for a tileset written in the map
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
    uint32_t tint = 0xFFFFFFFFu;  // 0xAARRGGBB, multiplied into every pixel the layer draws
    bool visible = true;
    std::optional<bool> blocked;
    std::optional<bool> floor;
    TmxProperties properties;  // the layer's own, not its groups'
};

struct TmxObject {
    uint32_t gid = 0;  // 0: not a tile object
    // A template's tile names its tile in this tileset (an index into the
    // map's tilesets) rather than by a global id of the map.
    std::optional<size_t> tileset;
    double x = 0;
    double y = 0;
    double width = 0;  // 0: the tile's own size
    double height = 0;
    double rotation = 0;  // degrees clockwise around (x, y)
    bool visible = true;
    std::optional<bool> blocked;
    TmxProperties properties;
    SourcePlace place;
};

// A rectangle of a tile layer's cells as stored: the whole layer of a map of
// fixed size, or one chunk of an infinite map, in the editor's own cell
// coordinates (staggered ones on a staggered map).
struct TmxTileArea {
    int64_t x = 0;
    int64_t y = 0;
    int64_t width = 0;
    int64_t height = 0;
    std::vector<uint32_t> gids;  // width x height, row 0 first, with flip bits
};

struct TmxLayer {
    enum class Kind { Tiles, Objects, Image };
    Kind kind = Kind::Tiles;
    TmxLayerLook look;
    std::vector<TmxTileArea> areas;  // tile layers as read; PlaceOnLattice() turns them into `gids`
    std::vector<uint32_t> gids;      // tile layers: the map's width x height, row 0 first, with flip bits
    std::vector<TmxObject> objects;  // object layers, in file order
    bool drawnInFileOrder = false;   // object layers: draworder="index"
    std::optional<TmxImage> image;   // image layers
    std::optional<uint32_t> imageTransparentColour;
    bool repeatX = false;  // image layers: the picture repeats across the map
    bool repeatY = false;
};

enum class MapOrientation { Isometric, Staggered };

// Where the editor's pixels of a map land on the screen of the conversion's
// isometric lattice (IsoGrid, in the editor's pixels): object positions, the
// origin image layers are placed from, and the area repeated images fill.
struct LatticePlacement {
    // Isometric maps give objects in the grid's own object pixels, staggered
    // maps in screen pixels; either way shifted by (shiftX, shiftY).
    bool objectsOnScreen = false;
    double shiftX = 0;
    double shiftY = 0;
    EditorPoint origin;       // the editor's pixel (0, 0) of the map, where an image layer without offset starts
    EditorPoint areaTopLeft;  // the map's area on the editor's screen
    EditorPoint areaBottomRight;
};

struct TmxMap {
    std::string path;
    SourcePlace place;  // the <map> element
    MapOrientation orientation = MapOrientation::Isometric;
    bool staggerX = false;     // staggered maps: columns (x) or rows (y) are shifted
    bool staggerEven = false;  // staggered maps: the even or odd ones
    bool infinite = false;
    int width = 0;   // columns: of the editor's grid as read, of the isometric lattice once placed
    int height = 0;  // rows
    int tileWidth = 0;
    int tileHeight = 0;
    LatticePlacement placement;
    std::vector<TmxTileset> tilesets;   // by rising firstGid
    std::vector<TmxLayer> layers;       // in drawing order, groups flattened
    std::vector<std::string> warnings;  // what was left out
    TmxProperties properties;
};
