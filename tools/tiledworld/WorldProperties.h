// The custom properties by which a Tiled map made by tmxexport carries what
// the editor cannot show, so that tmximport gives the world back whole. The
// names are what a map maker sees in the editor's property panes; the meaning
// of each is documented in docs/tiled-export.md.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace worldprop {

// Properties of the map.
constexpr const char* World = "world";             // "1": made by tmxexport
constexpr const char* Header = "header";           // the map file's header value
constexpr const char* SpriteList = "sprite list";  // "SpriteList.txt", as it was
constexpr const char* Cells = "cells";             // cells' values, data and blocked bytes other than 0 and 1
constexpr const char* MapBytes = "map bytes";      // the difference of "test.map" from its records

// Properties of a sprite file's tileset.
constexpr const char* SpriteFile = "sprite file";
constexpr const char* SpriteId = "sprite id";
constexpr const char* FileId = "file id";  // the id inside the file, when it is not the listed one
constexpr const char* Format = "format";
constexpr const char* Reserved = "reserved";
constexpr const char* SpriteBytes = "sprite bytes";
constexpr const char* Missing = "missing";  // listed, but not in the folder
constexpr const char* BlockedMarker = "blocked marker";

// Properties of a frame's tile.
constexpr const char* Animation = "animation";  // the animation's index in the file
constexpr const char* Frame = "frame";          // the frame's index; -1: an animation without frames
constexpr const char* Name = "name";            // the animation's name (also of a reference)
constexpr const char* Direction = "direction";
constexpr const char* Duration = "duration";
constexpr const char* Key = "key";
constexpr const char* Flags = "flags";
constexpr const char* Anchor = "anchor";
constexpr const char* Offset = "offset";
constexpr const char* FrameReserved = "reserved";
constexpr const char* Mask = "mask";             // "picture": the picture's alpha is the mask
constexpr const char* MaskBytes = "mask bytes";  // a mask of another size than the picture
constexpr const char* Extra = "extra";
constexpr const char* Pixels = "pixels";  // "none": the frame stores no pixels
constexpr const char* Size = "size";      // the frame's size when the picture cannot have it

// A reference's tile: what a floor tile or object names that no frame shows.
constexpr const char* Reference = "reference";

// Every tile's: where its picture's top-left lies from the cell's drawing position.
constexpr const char* Place = "place";

// Properties of layers and objects.
constexpr const char* Floor = "floor";
constexpr const char* FloorOrder = "floor order";  // a floor tile layer's runs of floor indices
constexpr const char* FloorIndex = "floor index";  // a floor object's index in the floor's order
constexpr const char* Z = "z";
constexpr const char* SpanX = "span x";  // cells from an object's cell to its opposite corner
constexpr const char* SpanY = "span y";
constexpr const char* Blocked = "blocked";

}  // namespace worldprop

// Returns `text` as a property keeps it: bytes below 0x20 (but the line
// break), '%' and bytes from 0x7F up written %XX, so that any bytes survive
// XML and the editor.
std::string EscapePropertyText(const std::string& text);
// Turns a property's text back into its bytes. Returns false when a '%' is
// not followed by two hex digits.
bool UnescapePropertyText(const std::string& text, std::string& bytes);

// Returns "x,y"; reads it back into `x` and `y`, returning false unless the
// text is two whole numbers from `low` to `high`.
std::string FormatPair(int64_t x, int64_t y);
bool ParsePair(const std::string& text, int64_t low, int64_t high, int64_t& x, int64_t& y);

// Consecutive floor indices of a tile layer's tiles, taken in the editor's
// drawing order from the cell (column, row) on.
struct FloorRun {
    int64_t column = 0;
    int64_t row = 0;
    int64_t first = 0;
    int64_t count = 0;
};

// Returns the runs as "column,row,first,count" each, separated by spaces;
// reads them back into `runs`, returning false unless every run is four whole
// numbers with its cell inside `columns` x `rows`, an index from 0 and a
// count from 1 that stay below 2^31.
std::string FormatFloorRuns(const std::vector<FloorRun>& runs);
bool ParseFloorRuns(const std::string& text, int64_t columns, int64_t rows, std::vector<FloorRun>& runs);
