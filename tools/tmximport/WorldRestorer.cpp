#include "tools/tmximport/WorldRestorer.h"

#include "map/MapFile.h"
#include "map/TileProjection.h"
#include "tools/tiledworld/Base64.h"
#include "tools/tiledworld/BytePatch.h"
#include "tools/tiledworld/CellsProperty.h"
#include "tools/tiledworld/IsoGrid.h"
#include "tools/tiledworld/WorldProperties.h"
#include "tools/tmximport/ImportBudget.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/PngImage.h"
#include "tools/worldfiles/SpriteWriter.h"
#include "tools/worldfiles/TextValues.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

// What a floor tile or object names: a sprite id, an animation, a direction.
struct Named {
    int32_t spriteId = 0;
    std::string name;
    int32_t direction = 0;
    int64_t placeX = 0;  // the picture's top-left from the cell's drawing position
    int64_t placeY = 0;
};

// Where a floor tile comes in the floor's order: by its index, then, for
// tiles added in the editor, in the order they were found.
struct FloorOrderKey {
    int64_t index = -1;
    uint64_t added = 0;

    bool operator<(const FloorOrderKey& other) const
    {
        return index != other.index ? index < other.index : added < other.added;
    }
};

struct FloorEntry {
    FloorSource tile;
    FloorOrderKey key;
};

// Reads typed values out of one element's properties, refusing at `place`.
class Properties {
public:
    Properties(const TmxProperties& values, const SourcePlace& where) : properties(values), place(where) {}

    bool Has(const char* name) const { return properties.count(name) != 0; }

    std::string Raw(const char* name, const std::string& fallback = "") const
    {
        const auto found = properties.find(name);
        return found == properties.end() ? fallback : found->second;
    }

    std::string Text(const char* name) const
    {
        std::string bytes;
        if (!UnescapePropertyText(Raw(name), bytes)) Refuse(name, "holds a '%' not followed by two hex digits");
        return bytes;
    }

    int64_t Whole(const char* name, int64_t fallback, int64_t low, int64_t high) const
    {
        if (!Has(name)) return fallback;
        int64_t value = 0;
        if (!ParseWholeNumber(Raw(name), low, high, value)) {
            Refuse(name, "must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
        }
        return value;
    }

    std::pair<int64_t, int64_t> Pair(const char* name, int64_t low, int64_t high) const
    {
        int64_t x = 0, y = 0;
        if (Has(name) && !ParsePair(Raw(name), low, high, x, y)) Refuse(name, "must be two whole numbers \"x,y\"");
        return {x, y};
    }

    std::vector<uint8_t> Bytes(const char* name) const
    {
        std::vector<uint8_t> bytes;
        if (Has(name) && !DecodeBase64(Raw(name), bytes)) Refuse(name, "is not base64");
        return bytes;
    }

    [[noreturn]] void Refuse(const char* name, const std::string& why) const
    {
        throw ImportRefusal(place, std::string("the property \"") + name + "\" " + why);
    }

private:
    const TmxProperties& properties;
    const SourcePlace& place;
};

class WorldRestorer {
public:
    explicit WorldRestorer(const TmxMap& map)
        : tmx(map), grid{double(map.tileWidth), double(map.tileHeight), map.height}
    {
    }

    ConvertedWorld Restore()
    {
        if (tmx.tileWidth != TileWidth || tmx.tileHeight != TileHeight) {
            throw ImportRefusal({tmx.path, 0, "<map>"}, "a map made by tmxexport keeps the program's " +
                                                            std::to_string(TileWidth) + " x " +
                                                            std::to_string(TileHeight) + " tiles");
        }
        const Properties properties(tmx.properties, mapPlace);
        world.warnings = tmx.warnings;
        world.spriteListText = properties.Text(worldprop::SpriteList);
        world.map.headerValue = int32_t(properties.Whole(worldprop::Header, 0, INT32_MIN, INT32_MAX));
        world.map.width = uint16_t(tmx.width);
        world.map.height = uint16_t(tmx.height);
        world.map.cells.assign(size_t(tmx.width) * size_t(tmx.height), CellSource{});
        for (size_t i = 0; i < tmx.tilesets.size(); ++i) RestoreTileset(i);
        std::vector<bool> marked(world.map.cells.size(), false);
        for (const TmxLayer& layer : tmx.layers) {
            if (layer.kind == TmxLayer::Kind::Tiles) {
                AddTileLayer(layer, marked);
            } else if (layer.kind == TmxLayer::Kind::Objects) {
                AddObjectLayer(layer);
            } else {
                world.warnings.Add(layer.look.place, "image layers are left out of a map made by tmxexport: the world "
                                                     "keeps its own sprite files");
            }
        }
        std::stable_sort(floorEntries.begin(), floorEntries.end(),
                         [](const FloorEntry& a, const FloorEntry& b) { return a.key < b.key; });
        for (FloorEntry& entry : floorEntries) world.map.floorTiles.push_back(std::move(entry.tile));
        RestoreCells(properties, marked);
        world.mapBytes = Patched(EncodeMapFile(world.map), properties.Raw(worldprop::MapBytes), MapFileName, mapPlace);
        return std::move(world);
    }

private:
    // --- Sprite files ---------------------------------------------------

    void RestoreTileset(size_t index)
    {
        const TmxTileset& tileset = tmx.tilesets[index];
        const Properties properties(tileset.properties, tileset.place);
        std::map<uint32_t, Named>& named = names[index];
        if (properties.Has(worldprop::BlockedMarker)) return;
        const bool fromFile = properties.Has(worldprop::SpriteFile);
        const int32_t spriteId = int32_t(properties.Whole(worldprop::SpriteId, 0, INT32_MIN, INT32_MAX));
        SpriteFile file;
        uint32_t firstFrameTile = 0;
        if (fromFile) file.fileName = properties.Text(worldprop::SpriteFile);
        file.sprite.id = int32_t(properties.Whole(worldprop::FileId, spriteId, INT32_MIN, INT32_MAX));
        file.sprite.pixelFormat = uint8_t(properties.Whole(worldprop::Format, 1, 0, 1));
        file.sprite.reserved = uint8_t(properties.Whole(worldprop::Reserved, 0, 0, 255));
        for (const auto& [id, tile] : tileset.tiles) {
            const Properties own(tile.properties, tile.place);
            if (own.Has(worldprop::Reference)) {
                Named reference{int32_t(own.Whole(worldprop::SpriteId, 0, INT32_MIN, INT32_MAX)),
                                own.Text(worldprop::Name),
                                int32_t(own.Whole(worldprop::Direction, 0, INT32_MIN, INT32_MAX))};
                Place(reference, own);
                named[id] = reference;
                continue;
            }
            if (!fromFile) {
                throw ImportRefusal(tile.place, "this tile of the tileset \"" + tileset.name +
                                                    "\" was not written by tmxexport: a map made by tmxexport "
                                                    "takes only its own tilesets");
            }
            const int64_t animation = own.Whole(worldprop::Animation, -1, 0, INT32_MAX);
            const int64_t frame = own.Whole(worldprop::Frame, -1, -1, INT32_MAX);
            std::vector<AnimationSource>& animations = file.sprite.animations;
            if (animation == int64_t(animations.size())) {
                animations.push_back(
                    {own.Text(worldprop::Name), int32_t(own.Whole(worldprop::Direction, 0, INT32_MIN, INT32_MAX)), {}});
            } else if (animations.empty() || animation + 1 != int64_t(animations.size())) {
                // Also a first tile without the property: there is no
                // animation before it for it to continue.
                own.Refuse(worldprop::Animation,
                           "must follow the tile before it (tiles in the order tmxexport wrote them)");
            }
            Named shown{spriteId, animations.back().name, animations.back().direction};
            if (frame < 0) {
                named[id] = shown;
                continue;
            }
            if (frame != int64_t(animations.back().frames.size())) {
                own.Refuse(worldprop::Frame, "must follow the frame before it");
            }
            animations.back().frames.push_back(RestoreFrame(tile, own));
            if (frame == 0) {
                Place(shown, own);
                named[id] = shown;
                firstFrameTile = id;
            } else {
                // A later frame painted in the editor names its animation,
                // which the program shows by its first frame.
                named[id] = named[firstFrameTile];
            }
        }
        if (!fromFile || properties.Has(worldprop::Missing)) return;
        const std::vector<uint8_t> canonical = EncodeSpriteFile(file.sprite);
        std::vector<uint8_t> bytes =
            Patched(canonical, properties.Raw(worldprop::SpriteBytes), file.fileName, tileset.place);
        if (bytes != canonical) file.bytes = std::move(bytes);
        world.sprites.push_back(std::move(file));
    }

    static void Place(Named& named, const Properties& own)
    {
        const auto [x, y] = own.Pair(worldprop::Place, -1000000, 1000000);
        named.placeX = x;
        named.placeY = y;
    }

    // The frame as its tile keeps it: the writer stores its 0xRRGGBB pixels in
    // the sprite's format.
    FrameSource RestoreFrame(const TmxTile& tile, const Properties& own)
    {
        budget.Spend(ImportLimit::Frames, 1, tile.place);
        FrameSource frame;
        frame.duration = int32_t(own.Whole(worldprop::Duration, 100, INT32_MIN, INT32_MAX));
        const std::string key = own.Raw(worldprop::Key, "#FF00FF");
        if (key.empty() || key[0] != '#' || !ParseRgbDigits(key.substr(1), frame.colorKey)) {
            own.Refuse(worldprop::Key, "must be a colour #RRGGBB");
        }
        frame.flags = int32_t(own.Whole(worldprop::Flags, 0, INT32_MIN, INT32_MAX));
        const auto anchor = own.Pair(worldprop::Anchor, INT16_MIN, INT16_MAX);
        const auto offset = own.Pair(worldprop::Offset, INT16_MIN, INT16_MAX);
        const auto reserved = own.Pair(worldprop::FrameReserved, INT16_MIN, INT16_MAX);
        frame.anchorX = int16_t(anchor.first);
        frame.anchorY = int16_t(anchor.second);
        frame.offsetX = int16_t(offset.first);
        frame.offsetY = int16_t(offset.second);
        frame.reserved1 = int16_t(reserved.first);
        frame.reserved2 = int16_t(reserved.second);
        frame.extra = own.Bytes(worldprop::Extra);
        frame.alphaMask = own.Bytes(worldprop::MaskBytes);
        const std::string pixels = own.Raw(worldprop::Pixels);
        if (!pixels.empty()) {
            const auto size = own.Pair(worldprop::Size, 0, UINT16_MAX);
            frame.width = uint16_t(size.first);
            frame.height = uint16_t(size.second);
            frame.pixelsPresent = pixels == "empty";
            if (frame.pixelsPresent && size_t(frame.width) * frame.height != 0) {
                own.Refuse(worldprop::Pixels, "says \"empty\" of a frame that has a size");
            }
            return frame;
        }
        if (!tile.image) throw ImportRefusal(tile.place, "the frame's tile has no picture");
        // Each frame's picture is its own, read for it alone and counted
        // before it is decoded: pictures named by many frames count each time.
        RgbaImage image;
        std::string error;
        const auto counted = [&](uint32_t width, uint32_t height) {
            budget.Spend(ImportLimit::FramePixels, uint64_t(width) * height, tile.place);
        };
        if (!LoadPng(tile.image->path, image, error, counted)) throw ImportRefusal(tile.image->place, error);
        if (image.width > UINT16_MAX || image.height > UINT16_MAX) {
            throw ImportRefusal(tile.image->place, "the frame's picture is larger than a frame can be");
        }
        frame.width = uint16_t(image.width);
        frame.height = uint16_t(image.height);
        const size_t count = size_t(image.width) * image.height;
        frame.pixels.resize(count);
        const bool masked = own.Raw(worldprop::Mask) == "picture";
        if (masked) frame.alphaMask.resize(count);
        // By pointer: a frame may hold millions of pixels.
        const uint8_t* p = image.rgba.data();
        uint32_t* pixel = frame.pixels.data();
        uint8_t* alpha = masked ? frame.alphaMask.data() : nullptr;
        for (const uint32_t* end = pixel + count; pixel != end; ++pixel, p += 4) {
            *pixel = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            if (alpha) *alpha++ = p[3];
        }
        return frame;
    }

    // The exported bytes of a file, when the difference kept for it was taken
    // against the file these records give; the records' own file otherwise.
    std::vector<uint8_t> Patched(const std::vector<uint8_t>& canonical, const std::string& difference,
                                 const std::string& file, const SourcePlace& place)
    {
        std::vector<uint8_t> bytes;
        switch (ApplyDifference(difference, canonical, bytes)) {
        case PatchResult::Applied: break;
        case PatchResult::Stale:
            world.warnings.Add(place,
                               ShortName(file) +
                                   " was changed in the editor: the bytes that the program ignores are not kept");
            break;
        case PatchResult::Broken: throw ImportRefusal(place, "the bytes kept for " + file + " are damaged");
        }
        return bytes;
    }

    // --- The map --------------------------------------------------------

    // A tile named by a global id, or by its id in tileset `inTileset` (a
    // template's tile).
    const Named& Resolve(uint32_t gid, const SourcePlace& place, std::optional<size_t> inTileset = {}) const
    {
        const uint32_t id = gid & TileIdBits;
        for (size_t i = tmx.tilesets.size(); i-- > 0;) {
            if (inTileset ? i != *inTileset : id < tmx.tilesets[i].firstGid) continue;
            const auto found = names.find(i);
            if (found != names.end()) {
                const auto tile = found->second.find(inTileset ? id : id - tmx.tilesets[i].firstGid);
                if (tile != found->second.end()) return tile->second;
            }
            break;
        }
        throw ImportRefusal(place, "the tile id " + std::to_string(id) + " names no frame of the exported tilesets");
    }

    static int16_t Coordinate(int64_t value, const SourcePlace& place)
    {
        if (value < INT16_MIN || value > INT16_MAX)
            throw ImportRefusal(place, "the object lies too far outside the map");
        return int16_t(value);
    }

    void AddTileLayer(const TmxLayer& layer, std::vector<bool>& marked)
    {
        const Properties properties(layer.look.properties, layer.look.place);
        if (layer.look.blocked.value_or(false)) {
            for (size_t i = 0; i < layer.gids.size(); ++i) {
                if (!layer.gids[i]) continue;
                const ProgramCell at =
                    grid.EditorToProgram({int64_t(i % size_t(tmx.width)), int64_t(i / size_t(tmx.width))});
                marked[size_t(at.y) * size_t(tmx.width) + size_t(at.x)] = true;
            }
            return;
        }
        if (!KeepsLayer(layer)) return;
        const bool floor = layer.look.floor.value_or(false);
        const int16_t z = int16_t(properties.Whole(worldprop::Z, 0, INT16_MIN, INT16_MAX));
        std::vector<FloorRun> runs;
        if (!ParseFloorRuns(properties.Raw(worldprop::FloorOrder), tmx.width, tmx.height, runs)) {
            properties.Refuse(worldprop::FloorOrder, "must be runs \"column,row,first index,count\" apart by spaces");
        }
        std::vector<std::pair<int64_t, const FloorRun*>> starts;
        for (const FloorRun& run : runs) starts.push_back({DrawingOrderOf({run.column, run.row}, tmx.width), &run});
        std::stable_sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        size_t next = 0;  // the run that starts next
        const FloorRun* run = nullptr;
        int64_t taken = 0;  // tiles of `run` so far
        FloorOrderKey previous;
        ForEachCellInDrawingOrder(tmx.width, tmx.height, [&](EditorCell cell) {
            const uint32_t gid = layer.gids[size_t(cell.row) * size_t(tmx.width) + size_t(cell.column)];
            if (gid == 0) return;
            const Named& named = Resolve(gid, layer.look.place);
            const ProgramCell at = grid.EditorToProgram(cell);
            const int16_t x = int16_t(at.x), y = int16_t(at.y);
            budget.Spend(ImportLimit::PlacedTiles, 1, layer.look.place);
            if (!floor) {
                world.map.objects.push_back({x, y, x, y, z, named.spriteId, named.name, named.direction});
                return;
            }
            for (const int64_t order = DrawingOrderOf(cell, tmx.width);
                 next < starts.size() && starts[next].first <= order; ++next) {
                run = starts[next].second;
                taken = 0;
            }
            std::optional<int64_t> index;
            if (run && taken < run->count) index = run->first + taken++;
            AddFloor({x, y, z, named.spriteId, named.name, named.direction}, index, previous);
        });
    }

    // What the editor shows of a layer that the world's records cannot say
    // is noted; a layer hidden in the editor is left out, as the editor
    // leaves it out of its picture. False for such a layer.
    bool KeepsLayer(const TmxLayer& layer)
    {
        if (!layer.look.visible) {
            Note(layer.look.place, "the layer is hidden in the editor and left out");
            return false;
        }
        if (layer.look.opacity < 1 || layer.look.tint != 0xFFFFFFFFu) {
            Note(layer.look.place, "the layer's opacity and tint are left out: a map made by tmxexport shows its "
                                   "sprites' frames as they are");
        }
        if (layer.kind == TmxLayer::Kind::Tiles) {
            for (const uint32_t gid : layer.gids) {
                if (gid & (FlippedHorizontally | FlippedVertically | FlippedDiagonally)) {
                    Note(layer.look.place, "the layer's flipped tiles are drawn unflipped: a map made by tmxexport "
                                           "shows its sprites' frames as they are");
                    break;
                }
            }
        }
        return true;
    }

    void Note(const SourcePlace& place, const std::string& what) { world.warnings.Add(place, what); }

    // A floor tile goes where its index puts it in the floor's order. One the
    // map maker added in the editor has none and is drawn after the tile
    // before it in its layer, or, first in its layer, after every tile of the
    // layers below.
    void AddFloor(FloorSource tile, std::optional<int64_t> index, FloorOrderKey& previous)
    {
        FloorOrderKey key;
        if (index) {
            key = {*index, 0};
        } else {
            key = {previous.index >= 0 ? previous.index : highestIndex, ++addedTiles};
        }
        highestIndex = std::max(highestIndex, key.index);
        previous = key;
        floorEntries.push_back({std::move(tile), key});
    }

    // Each tile object stands on the cell whose drawing position puts its
    // picture where the editor shows it (the nearest one, once moved). The
    // layers tmxexport writes keep the program's order ("Manual"); one the
    // map maker has set to "Top Down" is drawn by the objects' height on the
    // screen, as the editor draws it, and its floor tiles lose their stored
    // places in the floor for that order.
    void AddObjectLayer(const TmxLayer& layer)
    {
        if (!KeepsLayer(layer)) return;
        const bool floor = layer.look.floor.value_or(false);
        std::vector<const TmxObject*> order;
        for (const TmxObject& object : layer.objects) order.push_back(&object);
        if (!layer.drawnInFileOrder) {
            std::stable_sort(order.begin(), order.end(),
                             [](const TmxObject* a, const TmxObject* b) { return a->x + a->y < b->x + b->y; });
        }
        FloorOrderKey previous;
        for (const TmxObject* entry : order) {
            const TmxObject& object = *entry;
            if (object.gid == 0 && !object.tileset) continue;
            if (!object.visible) {
                Note(object.place, "the object is hidden in the editor and left out");
                continue;
            }
            budget.Spend(ImportLimit::PlacedTiles, 1, object.place);
            if (object.gid & (FlippedHorizontally | FlippedVertically | FlippedDiagonally)) {
                Note(object.place, "the object's flip is left out: a map made by tmxexport shows its sprites' frames "
                                   "as they are");
            }
            if (object.rotation != 0) Note(object.place, "the object's rotation is left out, as its flip would be");
            const Named& named = Resolve(object.gid, object.place, object.tileset);
            const Properties own(object.properties, object.place);
            const TmxTileset& tileset = object.tileset ? tmx.tilesets[*object.tileset] : TilesetOf(object.gid);
            const EditorPoint position = grid.ObjectToScreen(object.x, object.y);
            // The program draws frames at their own size: an object resized in
            // the editor stands where its top-left corner is.
            const EditorPoint topLeft = AlignedTopLeft(tileset.alignment, object.width, object.height);
            const EditorPoint point = {position.x + topLeft.x + tileset.offsetX + layer.look.offsetX -
                                           double(named.placeX),
                                       position.y + topLeft.y + tileset.offsetY + layer.look.offsetY -
                                           double(named.placeY)};
            const EditorCell cell = grid.ScreenToCell(point);
            const ProgramCell at = grid.EditorToProgram(cell);
            const int16_t x = Coordinate(at.x, object.place);
            const int16_t y = Coordinate(at.y, object.place);
            const int16_t z = int16_t(own.Whole(worldprop::Z, 0, INT16_MIN, INT16_MAX));
            if (floor) {
                std::optional<int64_t> index;
                if (own.Has(worldprop::FloorIndex) && layer.drawnInFileOrder) {
                    index = own.Whole(worldprop::FloorIndex, 0, 0, INT32_MAX);
                }
                AddFloor({x, y, z, named.spriteId, named.name, named.direction}, index, previous);
                continue;
            }
            const int16_t x1 = Coordinate(x + own.Whole(worldprop::SpanX, 0, -65535, 65535), object.place);
            const int16_t y1 = Coordinate(y + own.Whole(worldprop::SpanY, 0, -65535, 65535), object.place);
            world.map.objects.push_back({x, y, x1, y1, z, named.spriteId, named.name, named.direction});
        }
    }

    const TmxTileset& TilesetOf(uint32_t gid) const
    {
        const uint32_t id = gid & TileIdBits;
        for (size_t i = tmx.tilesets.size(); i-- > 0;) {
            if (id >= tmx.tilesets[i].firstGid) return tmx.tilesets[i];
        }
        return tmx.tilesets.front();  // Resolve() found the gid: never reached
    }

    // Blocked cells as the blocked layer shows them; values, data and the
    // blocked bytes other than 1 as the map's property keeps them.
    void RestoreCells(const Properties& properties, const std::vector<bool>& marked)
    {
        for (size_t i = 0; i < marked.size(); ++i) world.map.cells[i].blocked = marked[i] ? 1 : 0;
        if (!DecodeCellsProperty(properties.Bytes(worldprop::Cells), world.map)) {
            properties.Refuse(worldprop::Cells, "is damaged");
        }
    }

    const TmxMap& tmx;
    const IsoGrid grid;
    const SourcePlace mapPlace{tmx.path, 0, "<map>"};
    std::map<size_t, std::map<uint32_t, Named>> names;  // per tileset, per tile id
    std::vector<FloorEntry> floorEntries;
    int64_t highestIndex = -1;
    uint64_t addedTiles = 0;
    ImportBudget budget;
    ConvertedWorld world;
};

}  // namespace

bool IsExportedWorld(const TmxMap& map)
{
    return map.properties.count(worldprop::World) != 0;
}

ConvertedWorld RestoreWorld(const TmxMap& map)
{
    return WorldRestorer(map).Restore();
}
