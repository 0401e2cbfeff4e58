#include "tools/tmximport/WorldBuilder.h"

#include "map/TileProjection.h"
#include "tools/tiledworld/IsoGrid.h"
#include "tools/tmximport/TilesetPictures.h"
#include "tools/worldfiles/FrameImage.h"
#include "tools/worldfiles/TextValues.h"
#include "tools/worldfiles/TilePicture.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <tuple>
#include <unordered_set>

namespace {

// Frames larger than this are no tile's; they would only exhaust memory.
constexpr int64_t MaxFrameSide = 4096;
// What a conversion may hold in frames made, in pixels, so that no map can
// exhaust memory.
constexpr uint64_t MaxFramePixelsMade = uint64_t(1) << 26;
// Frames of tiles that are not animated; the program never advances them.
constexpr int32_t StillFrameDuration = 100;

// A tile as placed: which one, and how it is turned.
struct PlacedTile {
    size_t tileset = 0;
    uint32_t tileId = 0;
    bool flipH = false;
    bool flipV = false;
};

// One way a tile is drawn, which becomes one animation of its tileset's
// sprite. `cornerX`, `cornerY`: the picture's bottom-left corner as seen from
// the cell's centre, tile offset included, in the program's pixels. `width`,
// `height`: the picture's size in the program's pixels, 0 for the tile's own
// size scaled.
struct Look {
    uint32_t tileId = 0;
    bool flipH = false;
    bool flipV = false;
    int64_t cornerX = 0;
    int64_t cornerY = 0;
    int64_t width = 0;
    int64_t height = 0;
    int opacity = 255;
    // Per frame of the tile's animation, how far its corner lies from
    // (cornerX, cornerY); empty when every frame's lies there.
    std::vector<std::pair<int64_t, int64_t>> frameShifts;

    bool operator<(const Look& other) const
    {
        return std::tie(tileId, flipH, flipV, cornerX, cornerY, width, height, opacity, frameShifts) <
               std::tie(other.tileId, other.flipH, other.flipV, other.cornerX, other.cornerY, other.width, other.height,
                        other.opacity, other.frameShifts);
    }
};

// A frame's pixels before it is anchored: picture, turn, size, opacity, and
// whether its cell's diamond is filled.
using FrameKey = std::tuple<uint32_t, bool, bool, int64_t, int64_t, int, bool>;

struct TilesetOutput {
    std::map<Look, std::string> animationNames;
    std::map<uint32_t, int> variantCount;  // per tile id: looks other than its plain one
    // By tile id, then variant number (0 for the plain look), so that a
    // listing of the sprite reads in the tileset's order.
    std::map<std::pair<uint32_t, int>, AnimationSource> animations;
    std::map<FrameKey, FrameSource> frames;
};

// A colour that none of the visible pixels has, for the frame's colour key.
uint32_t UnusedColour(const RgbaImage& image)
{
    std::unordered_set<uint32_t> used;
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        const uint8_t* p = &image.rgba[i];
        if (p[3] >= 128) used.insert(RgbOf(p));
    }
    uint32_t colour = 0xFF00FF;
    while (used.count(colour)) --colour;  // at most one more than the pixels
    return colour;
}

class WorldBuilder {
public:
    explicit WorldBuilder(const TmxMap& map)
        : tmx(map), grid{double(map.tileWidth), double(map.tileHeight), map.height},
          scaleX(double(TileWidth) / map.tileWidth), scaleY(double(TileHeight) / map.tileHeight),
          outputs(map.tilesets.size()), pictures(map)
    {
    }

    ConvertedWorld Build()
    {
        world.warnings = tmx.warnings;
        world.map.width = uint16_t(tmx.width);
        world.map.height = uint16_t(tmx.height);
        world.map.cells.assign(size_t(tmx.width) * size_t(tmx.height), CellSource{});
        bool floorSeen = false;
        for (const TmxLayer& layer : tmx.layers) {
            if (layer.kind == TmxLayer::Kind::Tiles) {
                const bool floor = layer.look.floor.value_or(!floorSeen && layer.look.visible);
                floorSeen = floorSeen || layer.look.visible;
                AddTileLayer(layer, floor);
            } else {
                AddObjectLayer(layer);
            }
        }
        AddSprites();
        return std::move(world);
    }

private:
    // --- Layers ---------------------------------------------------------

    // Cells in the editor's drawing order, which the program's floor keeps.
    void AddTileLayer(const TmxLayer& layer, bool floor)
    {
        ForEachCellInDrawingOrder(tmx.width, tmx.height, [&](EditorCell cell) {
            const uint32_t gid = layer.gids[size_t(cell.row) * size_t(tmx.width) + size_t(cell.column)];
            if (gid != 0) AddLayerTile(layer, cell, gid, floor);
        });
    }

    void AddLayerTile(const TmxLayer& layer, EditorCell cell, uint32_t gid, bool floor)
    {
        const SourcePlace& place = layer.look.place;
        auto known = resolved.find(gid);
        if (known == resolved.end()) {
            SourcePlace at = place;
            at.element += " at column " + std::to_string(cell.column) + ", row " + std::to_string(cell.row);
            known = resolved.emplace(gid, Resolve(gid, at)).first;
        }
        const PlacedTile tile = known->second;
        const TmxTileset& tileset = tmx.tilesets[tile.tileset];
        if (Blocks(tileset, tile.tileId, std::nullopt, layer.look)) Block(cell);
        if (!layer.look.visible) return;
        EditorPoint corner = grid.TileLayerCorner();
        corner.x += layer.look.offsetX + tileset.offsetX;
        corner.y += layer.look.offsetY + tileset.offsetY;
        const Look look = MakeLook(tile, corner, LayerTileSize(tile), layer.look.opacity, place);
        const std::string& name = AnimationName(tile.tileset, look, place);
        const ProgramCell at = grid.EditorToProgram(cell);
        const int16_t x = int16_t(at.x), y = int16_t(at.y);
        const int32_t spriteId = FirstTilesetSpriteId + int32_t(tile.tileset);
        if (floor) {
            world.map.floorTiles.push_back({x, y, 0, spriteId, name, 0});
        } else {
            world.map.objects.push_back({x, y, x, y, 0, spriteId, name, 0});
        }
    }

    // The editor stacks a layer's tile objects by their screen height (or in
    // file order when asked to); equal heights keep the file's order.
    void AddObjectLayer(const TmxLayer& layer)
    {
        std::vector<size_t> order(layer.objects.size());
        std::iota(order.begin(), order.end(), 0);
        if (!layer.drawnInFileOrder) {
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                return layer.objects[a].x + layer.objects[a].y < layer.objects[b].x + layer.objects[b].y;
            });
        }
        size_t shapes = 0;
        for (size_t index : order) {
            const TmxObject& object = layer.objects[index];
            if (object.gid == 0) {
                ++shapes;
            } else {
                AddTileObject(layer, object);
            }
        }
        if (shapes) {
            world.warnings.push_back(
                ImportRefusal::Describe(layer.look.place,
                                        std::to_string(shapes) +
                                            " objects without a tile (shapes, points, text) are left out"));
        }
    }

    void AddTileObject(const TmxLayer& layer, const TmxObject& object)
    {
        const PlacedTile tile = Resolve(object.gid, object.place);
        const TmxTileset& tileset = tmx.tilesets[tile.tileset];
        const EditorPoint natural = NaturalSize(tile.tileset, tile.tileId, object.place);
        const double width = object.width > 0 ? object.width : natural.x;
        const double height = object.height > 0 ? object.height : natural.y;

        // The editor scales the tile offset with the object, and shifts the
        // picture by the layer's offset; the object stands where its
        // picture's bottom centre ends up.
        const EditorPoint position = grid.ObjectToScreen(object.x, object.y);
        const EditorPoint topLeft = AlignedTopLeft(tileset.alignment, width, height);
        const RgbaImage& picture = pictures.Picture(tile.tileset, tile.tileId, object.place);
        const EditorPoint bottomLeft = {position.x + topLeft.x + tileset.offsetX * width / picture.width +
                                            layer.look.offsetX,
                                        position.y + topLeft.y + height + tileset.offsetY * height / picture.height +
                                            layer.look.offsetY};
        const EditorCell cell = grid.ScreenToCell({bottomLeft.x + width / 2, bottomLeft.y});
        const EditorPoint centre = grid.CellToScreen(cell);
        const EditorPoint corner = {bottomLeft.x - centre.x, bottomLeft.y - centre.y};

        const ProgramCell at = grid.EditorToProgram(cell);
        const int64_t x = at.x, y = at.y;
        if (x < INT16_MIN || x > INT16_MAX || y < INT16_MIN || y > INT16_MAX) {
            throw ImportRefusal(object.place, "the object lies too far outside the map");
        }
        if (Blocks(tileset, tile.tileId, object.blocked, layer.look) && x >= 0 && x < tmx.width && y >= 0 &&
            y < tmx.height) {
            Block(cell);
        }
        if (!layer.look.visible || !object.visible) return;

        // An object at the tile's own size draws the tile as it is.
        const bool ownSize = std::fabs(width - natural.x) < 1e-9 && std::fabs(height - natural.y) < 1e-9;
        const EditorPoint size = ownSize ? EditorPoint{0, 0} : EditorPoint{width, height};
        const Look look = MakeLook(tile, corner, size, layer.look.opacity, object.place);
        const std::string& name = AnimationName(tile.tileset, look, object.place);
        const int16_t x16 = int16_t(x), y16 = int16_t(y);
        world.map.objects.push_back({x16, y16, x16, y16, 0, FirstTilesetSpriteId + int32_t(tile.tileset), name, 0});
    }

    // --- Tiles ----------------------------------------------------------

    PlacedTile Resolve(uint32_t gid, const SourcePlace& place)
    {
        if (gid & FlippedDiagonally) {
            throw ImportRefusal(place, "the tile id " + std::to_string(gid & TileIdBits) +
                                           " is rotated (flipped diagonally); only horizontal and vertical flips "
                                           "are supported");
        }
        if (gid & RotatedHexagonal120) {
            throw ImportRefusal(place, "the tile id " + std::to_string(gid & TileIdBits) +
                                           " carries the hexagonal rotation flag, which isometric maps do not use");
        }
        const uint32_t id = gid & TileIdBits;
        const auto after = std::upper_bound(tmx.tilesets.begin(), tmx.tilesets.end(), id,
                                            [](uint32_t value, const TmxTileset& t) { return value < t.firstGid; });
        if (after == tmx.tilesets.begin()) {
            throw ImportRefusal(place, "the tile id " + std::to_string(id) + " belongs to no tileset");
        }
        PlacedTile tile;
        tile.tileset = size_t(after - tmx.tilesets.begin()) - 1;
        tile.tileId = id - tmx.tilesets[tile.tileset].firstGid;
        tile.flipH = (gid & FlippedHorizontally) != 0;
        tile.flipV = (gid & FlippedVertically) != 0;
        pictures.Picture(tile.tileset, tile.tileId, place);  // the tile must exist
        return tile;
    }

    static bool Blocks(const TmxTileset& tileset, uint32_t tileId, std::optional<bool> own, const TmxLayerLook& layer)
    {
        if (own) return *own;
        const auto tile = tileset.tiles.find(tileId);
        if (tile != tileset.tiles.end() && tile->second.blocked) return *tile->second.blocked;
        return layer.blocked.value_or(false);
    }

    void Block(EditorCell cell)
    {
        const ProgramCell at = grid.EditorToProgram(cell);
        world.map.Cell(int(at.x), int(at.y)).blocked = 1;
    }

    // The size the editor draws a tile at on a tile layer, in its pixels.
    EditorPoint NaturalSize(size_t index, uint32_t tileId, const SourcePlace& usedAt)
    {
        if (tmx.tilesets[index].gridRenderSize) return {grid.tileWidth, grid.tileHeight};
        const RgbaImage& picture = pictures.Picture(index, tileId, usedAt);
        return {double(picture.width), double(picture.height)};
    }

    EditorPoint LayerTileSize(const PlacedTile& tile) const
    {
        return tmx.tilesets[tile.tileset].gridRenderSize ? EditorPoint{grid.tileWidth, grid.tileHeight}
                                                         : EditorPoint{0, 0};
    }

    // --- Looks and their animations -------------------------------------

    // `corner`: the picture's bottom-left corner as seen from its cell's
    // centre, every offset included, in the editor's pixels.
    Look MakeLook(const PlacedTile& tile, EditorPoint corner, EditorPoint size, double opacity,
                  const SourcePlace& place)
    {
        Look look;
        look.tileId = tile.tileId;
        look.flipH = tile.flipH;
        look.flipV = tile.flipV;
        look.cornerX = std::llround(corner.x * scaleX);
        look.cornerY = std::llround(corner.y * scaleY);
        look.width = size.x > 0 ? ScaledSide(size.x, scaleX, place) : 0;
        look.height = size.y > 0 ? ScaledSide(size.y, scaleY, place) : 0;
        look.opacity = int(std::lround(opacity * 255));
        look.frameShifts = FrameShifts(tile, corner, size, look, place);
        return look;
    }

    static int64_t ScaledSide(double side, double scale, const SourcePlace& place)
    {
        const int64_t scaled = std::max<int64_t>(1, std::llround(side * scale));
        if (scaled > MaxFrameSide) {
            throw ImportRefusal(place, "the tile would be " + std::to_string(scaled) +
                                           " pixels across at the program's scale (at most " +
                                           std::to_string(MaxFrameSide) + ")");
        }
        return scaled;
    }

    // The editor scales the tile offset by the drawn size over the size of
    // the frame's own picture, so frames whose pictures differ in size from
    // the animated tile's lie apart from it by the offset's share of that.
    std::vector<std::pair<int64_t, int64_t>> FrameShifts(const PlacedTile& tile, EditorPoint corner, EditorPoint size,
                                                         const Look& look, const SourcePlace& place)
    {
        std::vector<std::pair<int64_t, int64_t>> shifts;
        const TmxTileset& tileset = tmx.tilesets[tile.tileset];
        if (tileset.offsetX == 0 && tileset.offsetY == 0) return shifts;
        const std::vector<TmxFrame> frames = Frames(tile.tileset, tile.tileId);
        if (frames.size() == 1 && frames[0].tileId == tile.tileId) return shifts;
        const RgbaImage& own = pictures.Picture(tile.tileset, tile.tileId, place);
        const EditorPoint drawn = size.x > 0 ? size : NaturalSize(tile.tileset, tile.tileId, place);
        bool shifted = false;
        for (const TmxFrame& frame : frames) {
            const RgbaImage& picture =
                pictures.Picture(tile.tileset, frame.tileId, FramePlace(tile.tileset, tile.tileId, place));
            const double dx = tileset.offsetX * drawn.x * (1.0 / picture.width - 1.0 / own.width);
            const double dy = tileset.offsetY * drawn.y * (1.0 / picture.height - 1.0 / own.height);
            shifts.push_back({std::llround((corner.x + dx) * scaleX) - look.cornerX,
                              std::llround((corner.y + dy) * scaleY) - look.cornerY});
            shifted = shifted || shifts.back() != std::pair<int64_t, int64_t>{0, 0};
        }
        if (!shifted) shifts.clear();
        return shifts;
    }

    // Where an animated tile is described, for what is wrong with a frame.
    const SourcePlace& FramePlace(size_t index, uint32_t tileId, const SourcePlace& usedAt) const
    {
        const TmxTileset& tileset = tmx.tilesets[index];
        const auto tile = tileset.tiles.find(tileId);
        return tile != tileset.tiles.end() ? tile->second.place : usedAt;
    }

    // The tile as a look of its own; other looks of it are its variants.
    Look PlainLook(uint32_t tileId, size_t index)
    {
        PlacedTile tile;
        tile.tileset = index;
        tile.tileId = tileId;
        const TmxTileset& tileset = tmx.tilesets[index];
        const EditorPoint corner = {grid.TileLayerCorner().x + tileset.offsetX,
                                    grid.TileLayerCorner().y + tileset.offsetY};
        return MakeLook(tile, corner, LayerTileSize(tile), 1, {});
    }

    const std::string& AnimationName(size_t index, const Look& look, const SourcePlace& place)
    {
        TilesetOutput& output = outputs[index];
        if (const auto known = output.animationNames.find(look); known != output.animationNames.end()) {
            return known->second;
        }
        std::string name = "t" + std::to_string(look.tileId);
        int variant = 0;
        if (look < PlainLook(look.tileId, index) || PlainLook(look.tileId, index) < look) {
            variant = ++output.variantCount[look.tileId];
            name += "~" + std::to_string(variant);
        }
        AnimationSource animation;
        animation.name = name;
        const std::vector<TmxFrame> frames = Frames(index, look.tileId);
        for (size_t f = 0; f < frames.size(); ++f) {
            const auto shift = look.frameShifts.empty() ? std::pair<int64_t, int64_t>{0, 0} : look.frameShifts[f];
            animation.frames.push_back(AnchoredFrame(index, look, frames[f], shift, place));
        }
        output.animations.emplace(std::make_pair(look.tileId, variant), std::move(animation));
        return output.animationNames.emplace(look, name).first->second;
    }

    std::vector<TmxFrame> Frames(size_t index, uint32_t tileId) const
    {
        const TmxTileset& tileset = tmx.tilesets[index];
        const auto tile = tileset.tiles.find(tileId);
        if (tile != tileset.tiles.end() && !tile->second.animation.empty()) return tile->second.animation;
        return {TmxFrame{tileId, StillFrameDuration}};
    }

    FrameSource AnchoredFrame(size_t index, const Look& look, const TmxFrame& frame, std::pair<int64_t, int64_t> shift,
                              const SourcePlace& place)
    {
        FrameSource result = Pixels(index, look, frame.tileId, FramePlace(index, look.tileId, place));
        framePixelsMade += uint64_t(result.width) * result.height;
        if (framePixelsMade > MaxFramePixelsMade) {
            throw ImportRefusal(place,
                                "the sprites would hold more than " + std::to_string(MaxFramePixelsMade) + " pixels");
        }
        result.duration = frame.duration;
        const int64_t anchorX = -(look.cornerX + shift.first);
        const int64_t anchorY = int64_t(result.height) - (look.cornerY + shift.second);
        if (anchorX < INT16_MIN || anchorX > INT16_MAX || anchorY < INT16_MIN || anchorY > INT16_MAX) {
            throw ImportRefusal(place, "the tile is drawn too far from its cell");
        }
        result.anchorX = int16_t(anchorX);
        result.anchorY = int16_t(anchorY);
        return result;
    }

    // A frame's pixels for a look: scaled, turned and faded, with a colour
    // key that none of its visible pixels has. The editor draws every frame
    // of an animation at the size of the look's own tile, stretched if the
    // frame's picture has another.
    FrameSource Pixels(size_t index, const Look& look, uint32_t tileId, const SourcePlace& place)
    {
        const EditorPoint natural = NaturalSize(index, look.tileId, place);
        const int64_t width = look.width ? look.width : ScaledSide(natural.x, scaleX, place);
        const int64_t height = look.height ? look.height : ScaledSide(natural.y, scaleY, place);
        const bool onGrid = DrawnOnTheGrid(index, look);
        const FrameKey key{tileId, look.flipH, look.flipV, width, height, look.opacity, onGrid};
        TilesetOutput& output = outputs[index];
        if (const auto known = output.frames.find(key); known != output.frames.end()) return known->second;
        const RgbaImage& picture = pictures.Picture(index, tileId, place);
        RgbaImage image = ResamplePicture(picture, uint32_t(width), uint32_t(height));
        FlipPicture(image, look.flipH, look.flipV);
        if (onGrid) {
            // Neighbouring tiles of a layer must still meet once scaled. The
            // map's cell, in the pixels of a picture drawn at `natural`:
            RgbaImage turned = picture;
            FlipPicture(turned, look.flipH, look.flipV);
            const CellDiamond sourceCell = {grid.tileWidth * picture.width / natural.x,
                                            grid.tileHeight * picture.height / natural.y};
            CoverCellDiamond(image, turned, {double(TileWidth), double(TileHeight)}, sourceCell);
        }
        FadePicture(image, look.opacity / 255.0);
        FrameSettings settings;
        settings.colorKey = UnusedColour(image);
        std::vector<std::string> notes;  // none: the key colour is unused
        FrameSource frame = MakeFrame(image, 0, 0, image.width, image.height, settings, 1, notes);
        return output.frames.emplace(key, std::move(frame)).first->second;
    }

    // Whether the look draws its tile at the size a tile layer draws it, the
    // picture's bottom-left diamond on its cell.
    bool DrawnOnTheGrid(size_t index, const Look& look) const
    {
        if (look.width == 0) return true;
        return tmx.tilesets[index].gridRenderSize && look.width == TileWidth && look.height == TileHeight;
    }

    // --- Sprites --------------------------------------------------------

    void AddSprites()
    {
        std::set<std::string> taken;
        for (size_t index = 0; index < outputs.size(); ++index) {
            if (outputs[index].animations.empty()) continue;  // a tileset the map never uses
            SpriteFile file;
            file.fileName = UniqueFileName(tmx.tilesets[index].name, index, taken);
            file.sprite.id = FirstTilesetSpriteId + int32_t(index);
            file.sprite.pixelFormat = 1;
            for (auto& entry : outputs[index].animations) file.sprite.animations.push_back(std::move(entry.second));
            world.spriteList.push_back({file.sprite.id, file.fileName});
            world.sprites.push_back(std::move(file));
        }
    }

    // The tileset's name as a file name of the sprite list: one word of
    // letters, digits, '-', '_' and '.'.
    static std::string UniqueFileName(const std::string& tilesetName, size_t index, std::set<std::string>& taken)
    {
        std::string stem = FileNameWord(tilesetName.substr(0, LongestNameInFileName), "-_.");
        if (stem.empty() || stem[0] == '.') stem = "tileset" + std::to_string(index) + stem;
        std::string name = stem + ".spr";
        for (int n = 2; !taken.insert(name).second; ++n) name = stem + "-" + std::to_string(n) + ".spr";
        return name;
    }

    const TmxMap& tmx;
    const IsoGrid grid;
    const double scaleX;
    const double scaleY;
    std::vector<TilesetOutput> outputs;
    std::map<uint32_t, PlacedTile> resolved;  // tile layers' ids, checked once each
    TilesetPictures pictures;
    uint64_t framePixelsMade = 0;
    ConvertedWorld world;
};

}  // namespace

ConvertedWorld BuildWorld(const TmxMap& map)
{
    return WorldBuilder(map).Build();
}
