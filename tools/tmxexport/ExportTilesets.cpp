#include "tools/tmxexport/ExportTilesets.h"

#include "map/TileProjection.h"
#include "tools/tiledworld/Base64.h"
#include "tools/tiledworld/IsoGrid.h"
#include "tools/tiledworld/WorldProperties.h"
#include "tools/worldfiles/FrameImage.h"
#include "tools/worldfiles/TextValues.h"
#include "tools/worldfiles/TilePicture.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

Property TextProperty(const char* name, const std::string& value)
{
    return {name, EscapePropertyText(value), nullptr};
}

// The tileset's name as a file name: letters, digits, '-', '_' and '.' kept.
std::string Stem(const std::string& name, size_t index)
{
    return std::to_string(index) + "-" + FileNameWord(name.substr(0, LongestNameInFileName), "-_.");
}

// A tile layer draws a tile's picture with its bottom-left on the cell's
// left corner, level with its bottom corner, shifted by the tile offset: the
// offset that puts the picture's top-left at the tile's place.
std::pair<int64_t, int64_t> OffsetNeeded(const ExportTile& tile)
{
    const EditorPoint corner = ProgramGrid(0).TileLayerCorner();
    return {tile.placeX - int64_t(corner.x), tile.placeY - int64_t(corner.y) + int64_t(tile.height)};
}

using ReferenceKey = std::tuple<int32_t, std::string, int32_t>;

// What a tileset is made from, while it is made.
struct TilesetSource {
    const WorldSprite* sprite = nullptr;  // null: missing, or no sprite file at all
    int32_t spriteId = 0;
    std::vector<uint32_t> firstTileOfAnimation;  // frame tiles only
    std::map<ReferenceKey, uint32_t> references;
    bool placeholderMade = false;
};

class TilesetBuilder {
public:
    explicit TilesetBuilder(const WorldFolder& folder) : world(folder) {}

    ExportTilesets Build()
    {
        for (size_t i = 0; i < world.sprites.size(); ++i) AddSpriteTileset(i);
        unlisted = NewTileset("unlisted sprites", Stem("unlisted sprites", world.sprites.size()));
        AddBlockedMarker();
        for (const FloorSource& tile : world.map.floorTiles) {
            result.floorTiles.push_back(TileFor(tile.spriteId, tile.animationName, tile.direction));
        }
        for (const ObjectSource& object : world.map.objects) {
            result.objectTiles.push_back(TileFor(object.spriteId, object.animationName, object.direction));
        }
        ChooseTileOffsets();
        // The unlisted sprites' tileset is written only when a tile names it.
        uint32_t firstGid = 1;
        for (ExportTileset& tileset : result.tilesets) {
            if (tileset.tiles.empty() && &tileset == &result.tilesets[unlisted]) continue;
            tileset.firstGid = firstGid;
            firstGid += uint32_t(std::max<size_t>(1, tileset.tiles.size()));
        }
        return std::move(result);
    }

private:
    size_t NewTileset(const std::string& name, const std::string& stem)
    {
        result.tilesets.emplace_back();
        result.tilesets.back().name = name;
        result.tilesets.back().stem = stem;
        sources.emplace_back();
        return result.tilesets.size() - 1;
    }

    void AddSpriteTileset(size_t index)
    {
        const WorldSprite& sprite = world.sprites[index];
        const size_t at = NewTileset(sprite.fileName, Stem(sprite.fileName, index));
        ExportTileset& tileset = result.tilesets[at];
        TilesetSource& source = sources[at];
        source.sprite = sprite.missing ? nullptr : &sprite;
        for (const SpriteListing& listing : world.list) {
            if (listing.fileName == sprite.fileName) {
                source.spriteId = listing.id;
                break;
            }
        }
        tileset.properties = {TextProperty(worldprop::SpriteFile, sprite.fileName),
                              IntProperty(worldprop::SpriteId, source.spriteId)};
        if (sprite.missing) {
            tileset.properties.push_back(FlagProperty(worldprop::Missing));
            return;
        }
        tileset.properties.push_back(IntProperty(worldprop::Format, sprite.source.pixelFormat));
        if (sprite.source.reserved)
            tileset.properties.push_back(IntProperty(worldprop::Reserved, sprite.source.reserved));
        if (sprite.source.id != source.spriteId)
            tileset.properties.push_back(IntProperty(worldprop::FileId, sprite.source.id));
        if (!sprite.difference.empty())
            tileset.properties.push_back({worldprop::SpriteBytes, sprite.difference, nullptr});
        for (size_t a = 0; a < sprite.source.animations.size(); ++a) AddAnimation(at, a);
    }

    void AddAnimation(size_t at, size_t index)
    {
        ExportTileset& tileset = result.tilesets[at];
        const AnimationSource& animation = sources[at].sprite->source.animations[index];
        const uint32_t first = uint32_t(tileset.tiles.size());
        sources[at].firstTileOfAnimation.push_back(first);
        if (animation.frames.empty()) {
            ExportTile tile = Placeholder(at);
            tile.properties = {IntProperty(worldprop::Animation, int64_t(index)), IntProperty(worldprop::Frame, -1),
                               TextProperty(worldprop::Name, animation.name),
                               IntProperty(worldprop::Direction, animation.direction)};
            tileset.tiles.push_back(std::move(tile));
            return;
        }
        for (size_t f = 0; f < animation.frames.size(); ++f) {
            ExportTile tile =
                FrameTile(at, animation.frames[f], "a" + std::to_string(index) + "-" + std::to_string(f) + ".png");
            std::vector<Property> properties = {IntProperty(worldprop::Animation, int64_t(index)),
                                                IntProperty(worldprop::Frame, int64_t(f))};
            if (f == 0) {
                properties.push_back(TextProperty(worldprop::Name, animation.name));
                properties.push_back(IntProperty(worldprop::Direction, animation.direction));
            }
            properties.insert(properties.end(), tile.properties.begin(), tile.properties.end());
            tile.properties = std::move(properties);
            tileset.tiles.push_back(std::move(tile));
        }
        // The editor plays the animation; its first frame is the tile itself.
        // It draws every frame at the first's size and place, so an animation
        // whose frames differ in either would play otherwise than the program's.
        bool playable = animation.frames.size() > 1;
        const ExportTile& shown = tileset.tiles[first];
        for (size_t f = 0; f < animation.frames.size(); ++f) {
            const ExportTile& frame = tileset.tiles[first + f];
            playable = playable && animation.frames[f].duration > 0 && frame.width == shown.width &&
                       frame.height == shown.height && frame.placeX == shown.placeX && frame.placeY == shown.placeY;
        }
        if (playable) {
            for (size_t f = 0; f < animation.frames.size(); ++f) {
                tileset.tiles[first].animation.push_back({first + uint32_t(f), animation.frames[f].duration});
            }
        }
    }

    // A tile that draws nothing, with its tileset's one clear picture.
    ExportTile Placeholder(size_t at)
    {
        ExportTile tile;
        tile.picture = "none.png";
        tile.properties.push_back({worldprop::Place, FormatPair(0, 0), nullptr});
        if (!sources[at].placeholderMade) {
            RgbaImage clear;
            clear.width = clear.height = 1;
            clear.rgba.assign(4, 0);
            result.tilesets[at].pictures.push_back({tile.picture, std::move(clear)});
            sources[at].placeholderMade = true;
        }
        return tile;
    }

    ExportTile FrameTile(size_t at, const FrameSource& frame, const std::string& picture)
    {
        const size_t count = size_t(frame.width) * frame.height;
        const bool drawn = frame.pixelsPresent && count > 0;
        ExportTile tile = drawn ? ExportTile{} : Placeholder(at);
        std::vector<Property>& properties = tile.properties;
        properties.clear();
        tile.placeX = int64_t(frame.offsetX) - frame.anchorX;
        tile.placeY = int64_t(frame.offsetY) - frame.anchorY;
        properties.push_back({worldprop::Place, FormatPair(tile.placeX, tile.placeY), nullptr});
        properties.push_back(IntProperty(worldprop::Duration, frame.duration));
        properties.push_back({worldprop::Key, FormatRgb(frame.colorKey), nullptr});
        if (frame.flags) properties.push_back(IntProperty(worldprop::Flags, frame.flags));
        properties.push_back({worldprop::Anchor, FormatPair(frame.anchorX, frame.anchorY), nullptr});
        if (frame.offsetX || frame.offsetY) {
            properties.push_back({worldprop::Offset, FormatPair(frame.offsetX, frame.offsetY), nullptr});
        }
        if (frame.reserved1 || frame.reserved2) {
            properties.push_back({worldprop::FrameReserved, FormatPair(frame.reserved1, frame.reserved2), nullptr});
        }
        if (drawn && frame.alphaMask.size() == count) {
            properties.push_back({worldprop::Mask, "picture", nullptr});
        } else if (!frame.alphaMask.empty()) {
            properties.push_back({worldprop::MaskBytes, EncodeBase64(frame.alphaMask), nullptr});
        }
        if (!frame.extra.empty()) properties.push_back({worldprop::Extra, EncodeBase64(frame.extra), nullptr});
        if (!drawn) {
            properties.push_back({worldprop::Pixels, frame.pixelsPresent ? "empty" : "none", nullptr});
            properties.push_back({worldprop::Size, FormatPair(frame.width, frame.height), nullptr});
            return tile;
        }
        tile.picture = picture;
        tile.width = frame.width;
        tile.height = frame.height;
        tile.drawsNothing = false;
        RgbaImage image = FramePicture(frame);
        tile.cover = CoverOf(image);
        result.tilesets[at].pictures.push_back({picture, std::move(image)});
        return tile;
    }

    // A red diamond over each blocked cell, on a hidden layer.
    void AddBlockedMarker()
    {
        const size_t at = NewTileset("blocked", Stem("blocked", world.sprites.size() + 1));
        ExportTileset& marker = result.tilesets[at];
        marker.properties = {FlagProperty(worldprop::BlockedMarker)};
        ExportTile tile;
        tile.picture = "blocked.png";
        tile.width = TileWidth;
        tile.height = TileHeight;
        RgbaImage diamond;
        diamond.width = TileWidth;
        diamond.height = TileHeight;
        const CellDiamond cell = {double(TileWidth), double(TileHeight)};
        for (uint32_t y = 0; y < diamond.height; ++y) {
            for (uint32_t x = 0; x < diamond.width; ++x) {
                const bool inside = cell.HoldsPixel(x, y, diamond.height);
                diamond.rgba.insert(diamond.rgba.end(), {0xE0, 0x20, 0x20, uint8_t(inside ? 160 : 0)});
            }
        }
        marker.pictures.push_back({tile.picture, std::move(diamond)});
        marker.tiles.push_back(tile);
        result.blockedMarker = {at, 0};
    }

    // The tile that draws what (sprite id, name, direction) draws in the program.
    PlacedTile TileFor(int32_t spriteId, const std::string& name, int32_t direction)
    {
        const int index = world.SpriteIndexFor(spriteId);
        const size_t at = index >= 0 ? size_t(index) : unlisted;
        ExportTileset& tileset = result.tilesets[at];
        TilesetSource& source = sources[at];
        const AnimationSource* found = nullptr;
        size_t foundIndex = 0;
        if (source.sprite) {
            const auto& animations = source.sprite->source.animations;
            for (size_t a = 0; a < animations.size() && !found; ++a) {
                if (animations[a].name == name && animations[a].direction == direction) {
                    found = &animations[a];
                    foundIndex = a;
                }
            }
        }
        if (found && !found->frames.empty() && spriteId == source.spriteId) {
            return {at, source.firstTileOfAnimation[foundIndex]};
        }
        const ReferenceKey key{spriteId, name, direction};
        if (const auto known = source.references.find(key); known != source.references.end()) {
            return {at, known->second};
        }
        ExportTile tile;
        if (found && !found->frames.empty()) {
            // Another id of the same file: the same picture, named otherwise.
            tile = tileset.tiles[source.firstTileOfAnimation[foundIndex]];
            tile.animation.clear();
        } else {
            tile = Placeholder(at);
        }
        tile.properties = {FlagProperty(worldprop::Reference),
                           IntProperty(worldprop::SpriteId, spriteId),
                           TextProperty(worldprop::Name, name),
                           IntProperty(worldprop::Direction, direction),
                           {worldprop::Place, FormatPair(tile.placeX, tile.placeY), nullptr}};
        const uint32_t id = uint32_t(tileset.tiles.size());
        tileset.tiles.push_back(std::move(tile));
        source.references.emplace(key, id);
        return {at, id};
    }

    // Each tileset's tile offset is the one most of its floor tiles need.
    void ChooseTileOffsets()
    {
        std::map<size_t, std::map<std::pair<int64_t, int64_t>, size_t>> votes;
        for (size_t i = 0; i < result.floorTiles.size(); ++i) {
            const FloorSource& tile = world.map.floorTiles[i];
            const PlacedTile& placed = result.floorTiles[i];
            const ExportTile& picture = result.tilesets[placed.tileset].tiles[placed.tile];
            if (world.map.Contains(tile.x, tile.y) && !picture.drawsNothing)
                ++votes[placed.tileset][OffsetNeeded(picture)];
        }
        for (auto& [at, counts] : votes) {
            const auto best = std::max_element(counts.begin(), counts.end(),
                                               [](const auto& a, const auto& b) { return a.second < b.second; });
            result.tilesets[at].offsetX = best->first.first;
            result.tilesets[at].offsetY = best->first.second;
        }
    }

    const WorldFolder& world;
    ExportTilesets result;
    std::vector<TilesetSource> sources;  // per tileset
    size_t unlisted = 0;
};

}  // namespace

ExportTilesets BuildTilesets(const WorldFolder& world)
{
    return TilesetBuilder(world).Build();
}

bool FitsTileLayer(const ExportTileset& tileset, const ExportTile& tile)
{
    return tile.drawsNothing || OffsetNeeded(tile) == std::make_pair(tileset.offsetX, tileset.offsetY);
}
