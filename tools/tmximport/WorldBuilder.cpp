#include "tools/tmximport/WorldBuilder.h"

#include "map/TileProjection.h"
#include "tools/tiledworld/IsoGrid.h"
#include "tools/tmximport/ImageLayerPieces.h"
#include "tools/tmximport/LayerCoverage.h"
#include "tools/tmximport/TilesetPictures.h"
#include "tools/worldfiles/FrameImage.h"
#include "tools/worldfiles/TextValues.h"
#include "tools/worldfiles/TilePicture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

// Frames larger than this are no tile's; they would only exhaust memory.
constexpr int64_t MaxFrameSide = 4096;
// What a conversion may hold in frames made, in pixels, so that no map can
// exhaust memory.
constexpr uint64_t MaxFramePixelsMade = uint64_t(1) << 26;
// Frames of tiles that are not animated; the program never advances them.
constexpr int32_t StillFrameDuration = 100;
constexpr double Pi = 3.14159265358979323846;

// A tile as placed: which one, and how it is turned.
struct PlacedTile {
    size_t tileset = 0;
    uint32_t tileId = 0;
    bool flipH = false;
    bool flipV = false;
    bool flipD = false;  // swapped across its diagonal first: the editor's quarter turns
};

// One way a tile is drawn, which becomes one animation of its tileset's
// sprite. `cornerX`, `cornerY`: the picture's bottom-left corner as seen from
// the cell's centre, tile offset included, in the program's pixels. `width`,
// `height`: the picture's size as drawn (turned) in the program's pixels, 0
// for the tile's own size scaled.
struct Look {
    uint32_t tileId = 0;
    bool flipH = false;
    bool flipV = false;
    bool flipD = false;
    int64_t cornerX = 0;
    int64_t cornerY = 0;
    int64_t width = 0;
    int64_t height = 0;
    int opacity = 255;
    uint32_t tint = 0xFFFFFF;  // 0xRRGGBB multiplied in
    // A rotated tile object: degrees clockwise about the pivot, in the
    // program's pixels from the corner.
    double rotation = 0;
    double pivotX = 0;
    double pivotY = 0;
    // Per frame of the tile's animation, how far its corner lies from
    // (cornerX, cornerY); empty when every frame's lies there.
    std::vector<std::pair<int64_t, int64_t>> frameShifts;
    // Pixels of its frames (y x width + x) that close holes of its layer.
    std::vector<uint32_t> patch;

    auto Tied() const
    {
        return std::tie(tileId, flipH, flipV, flipD, cornerX, cornerY, width, height, opacity, tint, rotation, pivotX,
                        pivotY, frameShifts, patch);
    }
    bool operator<(const Look& other) const { return Tied() < other.Tied(); }
};

// A frame's pixels before it is anchored: picture, turn, size, opacity,
// tint, whether its cell's diamond is filled, its rotation about its pivot
// (from its own corner) and its patch.
struct FrameKey {
    uint32_t tileId = 0;
    bool flipH = false;
    bool flipV = false;
    bool flipD = false;
    int64_t width = 0;
    int64_t height = 0;
    int opacity = 255;
    uint32_t tint = 0xFFFFFF;
    bool onGrid = false;
    double rotation = 0;
    double pivotX = 0;
    double pivotY = 0;
    std::vector<uint32_t> patch;

    auto Tied() const
    {
        return std::tie(tileId, flipH, flipV, flipD, width, height, opacity, tint, onGrid, rotation, pivotX, pivotY,
                        patch);
    }
    bool operator<(const FrameKey& other) const { return Tied() < other.Tied(); }
};

// A frame's pixels, and where its top-left corner lies from its look's
// bottom-left corner (rotation moves it).
struct MadeFrame {
    FrameSource frame;
    int64_t left = 0;
    int64_t top = 0;
};

struct TilesetOutput {
    std::map<Look, std::string> animationNames;
    std::map<uint32_t, int> variantCount;  // per tile id: looks other than its plain one
    // By tile id, then variant number (0 for the plain look), so that a
    // listing of the sprite reads in the tileset's order.
    std::map<std::pair<uint32_t, int>, AnimationSource> animations;
    std::map<FrameKey, MadeFrame> frames;
    std::map<uint32_t, std::vector<uint32_t>> plainPatches;  // per tile id, once worked out
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

FrameSource KeyedFrame(const RgbaImage& image)
{
    FrameSettings settings;
    settings.colorKey = UnusedColour(image);
    std::vector<std::string> notes;  // none: the key colour is unused
    return MakeFrame(image, 0, 0, image.width, image.height, settings, 1, notes);
}

// A layer's opacity with its tint's alpha, which fades it alike.
int Opacity(const TmxLayerLook& layer)
{
    return int(std::lround(layer.opacity * double(layer.tint >> 24) / 255 * 255));
}

class WorldBuilder {
public:
    explicit WorldBuilder(const TmxMap& map)
        : tmx(map), grid{double(map.tileWidth), double(map.tileHeight), map.height},
          scaleX(double(TileWidth) / map.tileWidth), scaleY(double(TileHeight) / map.tileHeight),
          outputs(map.tilesets.size()), pictures(map), coverage(map.tileWidth, map.tileHeight)
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
            } else if (layer.kind == TmxLayer::Kind::Objects) {
                AddObjectLayer(layer);
            } else {
                AddImageLayer(layer);
            }
        }
        AddSprites();
        return std::move(world);
    }

private:
    // --- Tile layers ----------------------------------------------------

    // A look of a tile layer, with what coverage needs of it at both scales.
    struct LayerLook {
        PlacedTile tile;
        Look look;
        EditorPoint corner;  // the editor's bottom-left corner from the cell's centre
        EditorPoint size;    // the editor's drawn size
        std::unique_ptr<CoverageLook> coverage;
        RgbaImage source;                   // the first frame's picture, turned
        RgbaImage frame;                    // the program's first frame, unpatched
        const std::string* name = nullptr;  // its animation's name without a patch
    };

    // Cells in the editor's drawing order, which the program's floor keeps.
    // The tiles' looks come first, so that each cell's patch can see its
    // neighbours'.
    void AddTileLayer(const TmxLayer& layer, bool floor)
    {
        const int64_t columns = tmx.width, rows = tmx.height;
        // Within a layer a tile id always gives the same look.
        std::vector<LayerLook> looks;
        std::unordered_map<uint32_t, int32_t> lookOfGid;
        std::vector<int32_t> lookAt(layer.look.visible ? size_t(columns) * size_t(rows) : 0, -1);
        ForEachCellInDrawingOrder(columns, rows, [&](EditorCell cell) {
            const uint32_t gid = layer.gids[size_t(cell.row) * size_t(columns) + size_t(cell.column)];
            if (gid == 0) return;
            const PlacedTile tile = LayerTile(layer, cell, gid);
            const TmxTileset& tileset = tmx.tilesets[tile.tileset];
            if (Blocks(tileset, tile.tileId, std::nullopt, layer.look)) Block(cell);
            if (!layer.look.visible) return;
            auto [known, added] = lookOfGid.emplace(gid, int32_t(looks.size()));
            if (added) {
                EditorPoint corner = grid.TileLayerCorner();
                corner.x += layer.look.offsetX + tileset.offsetX;
                corner.y += layer.look.offsetY + tileset.offsetY;
                const EditorPoint size = LayerTileSize(tile);
                Look look = MakeLook(tile, corner, size, Opacity(layer.look), layer.look.tint, layer.look.place);
                looks.push_back({tile, std::move(look), corner, size, nullptr, {}, {}, nullptr});
            }
            lookAt[size_t(cell.row) * size_t(columns) + size_t(cell.column)] = known->second;
        });
        if (!layer.look.visible) return;

        // Patches by the looks around a cell, and the names of the looks
        // with each.
        std::unordered_map<std::vector<int32_t>, std::vector<uint32_t>, LooksAroundHash> patches;
        std::map<std::pair<int32_t, const std::vector<uint32_t>*>, const std::string*> patchedNames;
        std::vector<int32_t> around;
        ForEachCellInDrawingOrder(columns, rows, [&](EditorCell cell) {
            const int32_t index = lookAt[size_t(cell.row) * size_t(columns) + size_t(cell.column)];
            if (index < 0) return;
            LayerLook& own = looks[size_t(index)];
            const std::string* name = nullptr;
            if (!Coverage(own, layer.look.place).gaps) {
                // It covers its diamond: nothing around it matters.
                if (!own.name) own.name = &AnimationName(own.tile.tileset, own.look, layer.look.place);
                name = own.name;
            } else {
                around.assign(1, index);
                for (const EditorCell& offset : coverage.Offsets()) {
                    const int64_t column = cell.column + offset.column, row = cell.row + offset.row;
                    const bool inside = column >= 0 && row >= 0 && column < columns && row < rows;
                    around.push_back(inside ? lookAt[size_t(row) * size_t(columns) + size_t(column)] : -1);
                }
                auto patch = patches.find(around);
                if (patch == patches.end()) {
                    std::vector<CoverageNeighbour> neighbours;
                    for (size_t i = 1; i < around.size(); ++i) {
                        if (around[i] < 0) continue;
                        const EditorCell& offset = coverage.Offsets()[i - 1];
                        neighbours.push_back(
                            {offset.column, offset.row, &Coverage(looks[size_t(around[i])], layer.look.place)});
                    }
                    patch = patches.emplace(around, coverage.Holes(Coverage(own, layer.look.place), neighbours)).first;
                }
                const std::string*& known = patchedNames[{index, &patch->second}];
                if (!known) {
                    Look look = own.look;
                    look.patch = patch->second;
                    known = &AnimationName(own.tile.tileset, look, layer.look.place);
                }
                name = known;
            }
            const ProgramCell at = grid.EditorToProgram(cell);
            const int16_t x = int16_t(at.x), y = int16_t(at.y);
            const int32_t spriteId = FirstTilesetSpriteId + int32_t(own.tile.tileset);
            if (floor) {
                world.map.floorTiles.push_back({x, y, 0, spriteId, *name, 0});
            } else {
                world.map.objects.push_back({x, y, x, y, 0, spriteId, *name, 0});
            }
        });
    }

    struct LooksAroundHash {
        size_t operator()(const std::vector<int32_t>& looks) const
        {
            uint64_t hash = 14695981039346656037u;  // FNV-1a, by values
            for (const int32_t look : looks) hash = (hash ^ uint32_t(look)) * 1099511628211u;
            return size_t(hash);
        }
    };

    PlacedTile LayerTile(const TmxLayer& layer, EditorCell cell, uint32_t gid)
    {
        auto known = resolved.find(gid);
        if (known == resolved.end()) {
            SourcePlace at = layer.look.place;
            at.element += " at column " + std::to_string(cell.column) + ", row " + std::to_string(cell.row);
            known = resolved.emplace(gid, Resolve(gid, std::nullopt, at)).first;
        }
        return known->second;
    }

    // What coverage sees of a layer's look, made on first use.
    const CoverageLook& Coverage(LayerLook& entry, const SourcePlace& usedAt)
    {
        if (entry.coverage) return *entry.coverage;
        const PlacedTile& tile = entry.tile;
        const std::vector<TmxFrame> frames = Frames(tile.tileset, tile.tileId);
        const SourcePlace& place = FramePlace(tile.tileset, tile.tileId, usedAt);
        entry.source = pictures.Picture(tile.tileset, frames[0].tileId, place);
        TurnPicture(entry.source, tile.flipD, tile.flipH, tile.flipV);
        const EditorPoint drawn =
            entry.size.x > 0 ? entry.size : DrawnNaturalSize(tile.tileset, tile.tileId, tile.flipD);
        const std::pair<int64_t, int64_t> shift =
            entry.look.frameShifts.empty() ? std::pair<int64_t, int64_t>{0, 0} : entry.look.frameShifts[0];
        const MadeFrame& made = Pixels(tile.tileset, entry.look, frames[0].tileId, shift, place);
        entry.frame = FramePicture(made.frame);
        entry.coverage = std::make_unique<CoverageLook>();
        CoverageLook& seen = *entry.coverage;
        seen.source = &entry.source;
        seen.topLeft = {entry.corner.x, entry.corner.y - drawn.y};
        seen.size = drawn;
        seen.frame = &entry.frame;
        seen.frameLeft = entry.look.cornerX + shift.first + made.left;
        seen.frameTop = entry.look.cornerY + shift.second + made.top;
        seen.gaps = coverage.HasGaps(seen);
        return seen;
    }

    // --- Object layers --------------------------------------------------

    // The editor stacks a layer's tile objects by their screen height (or in
    // file order when asked to); equal heights keep the file's order.
    void AddObjectLayer(const TmxLayer& layer)
    {
        std::vector<size_t> order(layer.objects.size());
        std::iota(order.begin(), order.end(), 0);
        if (!layer.drawnInFileOrder) {
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                return ObjectScreen(layer.objects[a]).y < ObjectScreen(layer.objects[b]).y;
            });
        }
        size_t shapes = 0;
        for (size_t index : order) {
            const TmxObject& object = layer.objects[index];
            if (object.gid == 0 && !object.tileset) {
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

    // Where the editor shows an object's position, on the lattice's screen.
    EditorPoint ObjectScreen(const TmxObject& object) const
    {
        const LatticePlacement& placement = tmx.placement;
        const double x = object.x + placement.shiftX, y = object.y + placement.shiftY;
        return placement.objectsOnScreen ? EditorPoint{x, y} : grid.ObjectToScreen(x, y);
    }

    void AddTileObject(const TmxLayer& layer, const TmxObject& object)
    {
        const PlacedTile tile = Resolve(object.gid, object.tileset, object.place);
        const TmxTileset& tileset = tmx.tilesets[tile.tileset];
        const EditorPoint natural = NaturalSize(tile.tileset, tile.tileId, object.place);
        const double width = object.width > 0 ? object.width : natural.x;
        const double height = object.height > 0 ? object.height : natural.y;

        // The editor scales the tile offset with the object, and shifts the
        // picture by the layer's offset; a turned picture keeps its
        // bottom-left corner. The object stands where its picture's bottom
        // centre ends up, turned about its position with its rotation.
        const EditorPoint position = ObjectScreen(object);
        const EditorPoint topLeft = AlignedTopLeft(tileset.alignment, width, height);
        const RgbaImage& picture = pictures.Picture(tile.tileset, tile.tileId, object.place);
        const EditorPoint bottomLeft = {position.x + topLeft.x + tileset.offsetX * width / picture.width +
                                            layer.look.offsetX,
                                        position.y + topLeft.y + height + tileset.offsetY * height / picture.height +
                                            layer.look.offsetY};
        const EditorPoint drawn = tile.flipD ? EditorPoint{height, width} : EditorPoint{width, height};
        const double rotation = NormalDegrees(object.rotation);
        const EditorPoint foot = Rotated({bottomLeft.x + drawn.x / 2, bottomLeft.y}, position, rotation);
        const EditorCell cell = grid.ScreenToCell(foot);
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
        const EditorPoint size = ownSize ? EditorPoint{0, 0} : drawn;
        Look look = MakeLook(tile, corner, size, Opacity(layer.look), layer.look.tint, object.place);
        if (rotation != 0) {
            look.rotation = rotation;
            look.pivotX = (position.x - centre.x) * scaleX - double(look.cornerX);
            look.pivotY = (position.y - centre.y) * scaleY - double(look.cornerY);
        }
        const std::string& name = AnimationName(tile.tileset, look, object.place);
        const int16_t x16 = int16_t(x), y16 = int16_t(y);
        world.map.objects.push_back({x16, y16, x16, y16, 0, FirstTilesetSpriteId + int32_t(tile.tileset), name, 0});
    }

    // Degrees from 0 to 360; whole turns are none.
    static double NormalDegrees(double degrees)
    {
        double turned = std::fmod(degrees, 360.0);
        if (turned < 0) turned += 360;
        return turned >= 360 ? 0 : turned;
    }

    static EditorPoint Rotated(EditorPoint point, EditorPoint pivot, double degrees)
    {
        if (degrees == 0) return point;
        const double cosine = std::cos(degrees * Pi / 180), sine = std::sin(degrees * Pi / 180);
        const double dx = point.x - pivot.x, dy = point.y - pivot.y;
        return {pivot.x + dx * cosine - dy * sine, pivot.y + dx * sine + dy * cosine};
    }

    // --- Image layers ---------------------------------------------------

    // The picture, scaled, tinted and faded as the layer draws it, cut into
    // pieces of cells. Below every scene object the pieces are floor tiles,
    // drawn with the floor in the layers' order; once objects have come, or
    // when the layer's `floor` says false, they are scene objects after
    // them, so that the program's order stays the editor's.
    void AddImageLayer(const TmxLayer& layer)
    {
        if (!layer.look.visible) return;
        const TmxImage& source = *layer.image;
        RgbaImage picture = pictures.LoadOrRefuse(source);
        if (layer.imageTransparentColour) ClearColour(picture, *layer.imageTransparentColour);
        const int64_t width = ScaledSide(picture.width, scaleX, source.place, MaxPictureSide);
        const int64_t height = ScaledSide(picture.height, scaleY, source.place, MaxPictureSide);
        Spend(uint64_t(width) * uint64_t(height), source.place);
        RgbaImage scaled = ResamplePicture(picture, uint32_t(width), uint32_t(height));
        TintPicture(scaled, layer.look.tint);
        FadePicture(scaled, Opacity(layer.look) / 255.0);

        // From the editor's screen to the program's pixels around cell
        // (0, 0), which is the editor's (0, rows - 1).
        const EditorPoint cellZero = grid.CellToScreen({0, tmx.height - 1});
        const auto programX = [&](double x) { return std::llround((x - cellZero.x) * scaleX); };
        const auto programY = [&](double y) { return std::llround((y - cellZero.y) * scaleY); };
        const LatticePlacement& placement = tmx.placement;
        ImageLayout layout;
        layout.left = programX(placement.origin.x + layer.look.offsetX);
        layout.top = programY(placement.origin.y + layer.look.offsetY);
        layout.repeatX = layer.repeatX;
        layout.repeatY = layer.repeatY;
        layout.areaLeft = programX(placement.areaTopLeft.x);
        layout.areaTop = programY(placement.areaTopLeft.y);
        layout.areaRight = programX(placement.areaBottomRight.x);
        layout.areaBottom = programY(placement.areaBottomRight.y);
        const ImagePieces pieces = CutImageLayer(scaled, layout, layer.look.place);
        if (pieces.pieces.empty()) return;

        SpriteFile file;
        file.sprite.id = FirstTilesetSpriteId + int32_t(tmx.tilesets.size() + images.size());
        file.sprite.pixelFormat = 1;
        std::vector<std::string> names;
        for (const ImagePieceFrame& piece : pieces.frames) {
            Spend(uint64_t(piece.picture.width) * piece.picture.height, source.place);
            FrameSource frame = KeyedFrame(piece.picture);
            frame.duration = StillFrameDuration;
            frame.anchorX = piece.anchorX;
            frame.anchorY = piece.anchorY;
            names.push_back("p" + std::to_string(names.size()));
            file.sprite.animations.push_back({names.back(), 0, {std::move(frame)}});
        }
        file.fileName = std::filesystem::path(source.path).stem().string();
        const bool floor = layer.look.floor.value_or(world.map.objects.empty());
        for (const ImagePiece& piece : pieces.pieces) {
            const std::string& name = names[piece.frame];
            if (floor) {
                world.map.floorTiles.push_back({piece.x, piece.y, 0, file.sprite.id, name, 0});
            } else {
                world.map.objects.push_back({piece.x, piece.y, piece.x, piece.y, 0, file.sprite.id, name, 0});
            }
        }
        images.push_back(std::move(file));
    }

    void Spend(uint64_t pixels, const SourcePlace& place)
    {
        framePixelsMade += pixels;
        if (framePixelsMade > MaxFramePixelsMade) {
            throw ImportRefusal(place,
                                "the sprites would hold more than " + std::to_string(MaxFramePixelsMade) + " pixels");
        }
    }

    // --- Tiles ----------------------------------------------------------

    // A tile named by a global id of the map, or, for a template's tile, by
    // its id in the tileset the template names.
    PlacedTile Resolve(uint32_t gid, std::optional<size_t> inTileset, const SourcePlace& place)
    {
        if (gid & RotatedHexagonal120) {
            throw ImportRefusal(place, "the tile id " + std::to_string(gid & TileIdBits) +
                                           " carries the hexagonal rotation flag, which isometric maps do not use");
        }
        const uint32_t id = gid & TileIdBits;
        PlacedTile tile;
        if (inTileset) {
            tile.tileset = *inTileset;
            tile.tileId = id;
        } else {
            const auto after = std::upper_bound(tmx.tilesets.begin(), tmx.tilesets.end(), id,
                                                [](uint32_t value, const TmxTileset& t) { return value < t.firstGid; });
            if (after == tmx.tilesets.begin()) {
                throw ImportRefusal(place, "the tile id " + std::to_string(id) + " belongs to no tileset");
            }
            tile.tileset = size_t(after - tmx.tilesets.begin()) - 1;
            tile.tileId = id - tmx.tilesets[tile.tileset].firstGid;
        }
        tile.flipH = (gid & FlippedHorizontally) != 0;
        tile.flipV = (gid & FlippedVertically) != 0;
        tile.flipD = (gid & FlippedDiagonally) != 0;
        pictures.Picture(tile.tileset, tile.tileId, place);  // the tile must exist
        return tile;
    }

    // The object's own `blocked`, else its tile's, else its layer's; a tile
    // given collision shapes in the editor blocks unless its layer says not.
    static bool Blocks(const TmxTileset& tileset, uint32_t tileId, std::optional<bool> own, const TmxLayerLook& layer)
    {
        if (own) return *own;
        const auto tile = tileset.tiles.find(tileId);
        if (tile != tileset.tiles.end() && tile->second.blocked) return *tile->second.blocked;
        if (tile != tileset.tiles.end() && tile->second.collisionShapes) return layer.blocked.value_or(true);
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

    // The same once turned: across the diagonal, its sides swap.
    EditorPoint DrawnNaturalSize(size_t index, uint32_t tileId, bool diagonally)
    {
        const EditorPoint natural = NaturalSize(index, tileId, {});
        return diagonally ? EditorPoint{natural.y, natural.x} : natural;
    }

    EditorPoint LayerTileSize(const PlacedTile& tile) const
    {
        if (!tmx.tilesets[tile.tileset].gridRenderSize) return {0, 0};
        return tile.flipD ? EditorPoint{grid.tileHeight, grid.tileWidth} : EditorPoint{grid.tileWidth, grid.tileHeight};
    }

    // --- Looks and their animations -------------------------------------

    // `corner`: the picture's bottom-left corner as seen from its cell's
    // centre, every offset included, in the editor's pixels; `size`: its
    // drawn size there, 0 for its own.
    Look MakeLook(const PlacedTile& tile, EditorPoint corner, EditorPoint size, int opacity, uint32_t tint,
                  const SourcePlace& place)
    {
        Look look;
        look.tileId = tile.tileId;
        look.flipH = tile.flipH;
        look.flipV = tile.flipV;
        look.flipD = tile.flipD;
        look.cornerX = std::llround(corner.x * scaleX);
        look.cornerY = std::llround(corner.y * scaleY);
        look.width = size.x > 0 ? ScaledSide(size.x, scaleX, place) : 0;
        look.height = size.y > 0 ? ScaledSide(size.y, scaleY, place) : 0;
        look.opacity = opacity;
        look.tint = tint & 0xFFFFFF;
        look.frameShifts = FrameShifts(tile, corner, size, look, place);
        return look;
    }

    static int64_t ScaledSide(double side, double scale, const SourcePlace& place, int64_t limit = MaxFrameSide)
    {
        const int64_t scaled = std::max<int64_t>(1, std::llround(side * scale));
        if (scaled > limit) {
            throw ImportRefusal(place, "the picture would be " + std::to_string(scaled) +
                                           " pixels across at the program's scale (at most " + std::to_string(limit) +
                                           ")");
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

    // The tile as a look of its own, which its tile layer cells show when it
    // stands among copies of itself; other looks of it are its variants.
    Look PlainLook(uint32_t tileId, size_t index)
    {
        PlacedTile tile;
        tile.tileset = index;
        tile.tileId = tileId;
        const TmxTileset& tileset = tmx.tilesets[index];
        const EditorPoint corner = {grid.TileLayerCorner().x + tileset.offsetX,
                                    grid.TileLayerCorner().y + tileset.offsetY};
        Look look = MakeLook(tile, corner, LayerTileSize(tile), 255, 0xFFFFFF, {});
        look.patch = PlainPatch(tile, look, corner);
        return look;
    }

    // The holes a tile that makes a floor on its own closes among copies of
    // itself; none for any other tile.
    std::vector<uint32_t> PlainPatch(const PlacedTile& tile, const Look& look, EditorPoint corner)
    {
        auto& known = outputs[tile.tileset].plainPatches;
        if (const auto found = known.find(tile.tileId); found != known.end()) return found->second;
        std::vector<uint32_t> patch;
        // A picture too large for a frame is no floor tile; it may still be
        // drawn smaller as an object.
        const EditorPoint natural = NaturalSize(tile.tileset, tile.tileId, {});
        if (std::llround(natural.x * scaleX) > MaxFrameSide || std::llround(natural.y * scaleY) > MaxFrameSide) {
            return known.emplace(tile.tileId, std::move(patch)).first->second;
        }
        LayerLook entry{tile, look, corner, LayerTileSize(tile), nullptr, {}, {}, nullptr};
        const CoverageLook& seen = Coverage(entry, {});
        if (coverage.TilesThePlane(seen)) {
            std::vector<CoverageNeighbour> neighbours;
            for (const EditorCell& offset : coverage.Offsets())
                neighbours.push_back({offset.column, offset.row, &seen});
            patch = coverage.Holes(seen, neighbours);
        }
        return known.emplace(tile.tileId, std::move(patch)).first->second;
    }

    const std::string& AnimationName(size_t index, const Look& look, const SourcePlace& place)
    {
        TilesetOutput& output = outputs[index];
        if (const auto known = output.animationNames.find(look); known != output.animationNames.end()) {
            return known->second;
        }
        std::string name = "t" + std::to_string(look.tileId);
        int variant = 0;
        const Look plain = PlainLook(look.tileId, index);
        if (look < plain || plain < look) {
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
        const MadeFrame& made = Pixels(index, look, frame.tileId, shift, FramePlace(index, look.tileId, place));
        FrameSource result = made.frame;
        Spend(uint64_t(result.width) * result.height, place);
        result.duration = frame.duration;
        const int64_t anchorX = -(look.cornerX + shift.first + made.left);
        const int64_t anchorY = -(look.cornerY + shift.second + made.top);
        if (anchorX < INT16_MIN || anchorX > INT16_MAX || anchorY < INT16_MIN || anchorY > INT16_MAX) {
            throw ImportRefusal(place, "the tile is drawn too far from its cell");
        }
        result.anchorX = int16_t(anchorX);
        result.anchorY = int16_t(anchorY);
        return result;
    }

    // A frame's pixels for a look: scaled, turned, patched, tinted, rotated
    // and faded, with a colour key that none of its visible pixels has. The
    // editor draws every frame of an animation at the size of the look's own
    // tile, stretched if the frame's picture has another. `shift`: the
    // frame's corner from the look's.
    const MadeFrame& Pixels(size_t index, const Look& look, uint32_t tileId, std::pair<int64_t, int64_t> shift,
                            const SourcePlace& place)
    {
        const EditorPoint natural = NaturalSize(index, look.tileId, place);
        const EditorPoint drawnNatural = look.flipD ? EditorPoint{natural.y, natural.x} : natural;
        const int64_t width = look.width ? look.width : ScaledSide(drawnNatural.x, scaleX, place);
        const int64_t height = look.height ? look.height : ScaledSide(drawnNatural.y, scaleY, place);
        const bool onGrid = DrawnOnTheGrid(index, look);
        FrameKey key;
        key.tileId = tileId;
        key.flipH = look.flipH;
        key.flipV = look.flipV;
        key.flipD = look.flipD;
        key.width = width;
        key.height = height;
        key.opacity = look.opacity;
        key.tint = look.tint;
        key.onGrid = onGrid;
        key.rotation = look.rotation;
        key.patch = look.patch;
        if (look.rotation != 0) {
            key.pivotX = look.pivotX - double(shift.first);
            key.pivotY = look.pivotY - double(shift.second) + double(height);
        }
        TilesetOutput& output = outputs[index];
        if (const auto known = output.frames.find(key); known != output.frames.end()) return known->second;
        const RgbaImage& picture = pictures.Picture(index, tileId, place);
        // Scaled before it is turned, so that flips alone give the pixels
        // they always gave.
        RgbaImage image = look.flipD ? ResamplePicture(picture, uint32_t(height), uint32_t(width))
                                     : ResamplePicture(picture, uint32_t(width), uint32_t(height));
        TurnPicture(image, look.flipD, look.flipH, look.flipV);
        if (onGrid || !look.patch.empty()) {
            // Neighbouring tiles of a layer must still meet once scaled. The
            // map's cell, in the pixels of a picture drawn at `natural`:
            RgbaImage turned = picture;
            TurnPicture(turned, look.flipD, look.flipH, look.flipV);
            if (onGrid) {
                const CellDiamond sourceCell = {grid.tileWidth * turned.width / drawnNatural.x,
                                                grid.tileHeight * turned.height / drawnNatural.y};
                CoverCellDiamond(image, turned, {double(TileWidth), double(TileHeight)}, sourceCell);
            }
            if (!look.patch.empty()) FillPixels(image, turned, look.patch);
        }
        TintPicture(image, look.tint);
        MadeFrame made;
        made.top = -height;
        if (look.rotation != 0) {
            int64_t left = 0, top = 0;
            image = RotatePicture(image, look.rotation, key.pivotX, key.pivotY, left, top);
            made.left += left;
            made.top += top;
        }
        FadePicture(image, look.opacity / 255.0);
        made.frame = KeyedFrame(image);
        return output.frames.emplace(std::move(key), std::move(made)).first->second;
    }

    // Whether the look draws its tile at the size a tile layer draws it, the
    // picture's bottom-left diamond on its cell.
    bool DrawnOnTheGrid(size_t index, const Look& look) const
    {
        if (look.rotation != 0) return false;
        if (look.width == 0) return true;
        const bool gridSize = look.flipD ? look.width == TileHeight && look.height == TileWidth
                                         : look.width == TileWidth && look.height == TileHeight;
        return tmx.tilesets[index].gridRenderSize && gridSize;
    }

    // --- Sprites --------------------------------------------------------

    // One sprite file per tileset used, then one per image layer drawn.
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
        for (size_t index = 0; index < images.size(); ++index) {
            SpriteFile& file = images[index];
            file.fileName = UniqueFileName(file.fileName, outputs.size() + index, taken);
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
    const LayerCoverage coverage;
    std::vector<SpriteFile> images;  // the image layers' sprites, named last
    uint64_t framePixelsMade = 0;
    ConvertedWorld world;
};

}  // namespace

ConvertedWorld BuildWorld(const TmxMap& map)
{
    return WorldBuilder(map).Build();
}
