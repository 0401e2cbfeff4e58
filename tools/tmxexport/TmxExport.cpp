// What the export writes, on the program's own grid (40 x 20 tiles, so nothing
// is scaled):
//
//   <map>.tmx                 properties: world, header, sprite list, cells, map bytes
//     tilesets                one per listed sprite file (its frames, then the
//                             references of floor tiles and objects that no frame
//                             shows), one for unlisted sprite ids, one blocked marker
//     floor                   as few tile layers as keep the program's picture
//                             (FloorLayers.h), object layers for floor tiles outside
//                             the map or placed otherwise than their tileset's tiles
//     objects                 one object layer in the scene's order
//     blocked                 a hidden tile layer of the blocked cells
//   <map>.tilesets/           the tileset files and a folder of pictures for each
//
// The editor draws cell (column, row) = (x, height - 1 - y), whose centre is the
// program's drawing position; every tile says where its picture's top-left lies
// from there ("place"), and tile objects are aligned by their top-left corner,
// so each picture is drawn where DrawSprite puts its frame.
#include "tools/tmxexport/TmxExport.h"

#include "tools/tiledworld/Base64.h"
#include "tools/tiledworld/CellsProperty.h"
#include "tools/tiledworld/WorldProperties.h"
#include "tools/tmxexport/FloorLayers.h"
#include "tools/tmxexport/WorldFolder.h"
#include "tools/worldfiles/FrameImage.h"
#include "tools/worldfiles/TextValues.h"

#include <pugixml.hpp>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <tuple>

namespace fs = std::filesystem;

namespace {

constexpr int TileWidth = 40;
constexpr int TileHeight = 20;

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
    int64_t placeX = 0;
    int64_t placeY = 0;
    std::vector<Property> properties;
    std::vector<std::pair<uint32_t, int32_t>> animation;  // tile ids and durations, for the editor's preview
    std::shared_ptr<const PictureCover> cover;            // the pixels its picture draws
};

using ReferenceKey = std::tuple<int32_t, std::string, int32_t>;

struct ExportTileset {
    std::string name;
    std::string stem;  // of its file and picture folder
    std::vector<Property> properties;
    std::vector<ExportTile> tiles;
    std::vector<uint32_t> firstTileOfAnimation;  // frame tiles only
    std::map<ReferenceKey, uint32_t> references;
    int64_t offsetX = 0;  // the tile offset, chosen for the floor's frames
    int64_t offsetY = 0;
    uint32_t firstGid = 0;
    int32_t spriteId = 0;
    const WorldSprite* sprite = nullptr;  // null: missing, or no sprite file at all
};

Property Int(const char* name, int64_t value)
{
    return {name, std::to_string(value), "int"};
}
Property Text(const char* name, const std::string& value)
{
    return {name, EscapePropertyText(value), nullptr};
}
Property Flag(const char* name)
{
    return {name, "true", "bool"};
}

// The tileset's name as a file name: letters, digits, '-', '_' and '.' kept.
std::string Stem(const std::string& name, size_t index)
{
    return std::to_string(index) + "-" + FileNameWord(name.substr(0, LongestNameInFileName), "-_.");
}

void AddProperties(pugi::xml_node node, const std::vector<Property>& properties)
{
    if (properties.empty()) return;
    pugi::xml_node list = node.append_child("properties");
    for (const Property& property : properties) {
        pugi::xml_node entry = list.append_child("property");
        entry.append_attribute("name") = property.name.c_str();
        if (property.type) entry.append_attribute("type") = property.type;
        // Attributes lose their line breaks to XML; text keeps them.
        if (property.value.find('\n') == std::string::npos) {
            entry.append_attribute("value") = property.value.c_str();
        } else {
            entry.text() = property.value.c_str();
        }
    }
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

class Exporter {
public:
    Exporter(const WorldFolder& folder, const fs::path& pictures) : world(folder), pictureRoot(pictures) {}

    void Build(ExportSummary& summary)
    {
        width = world.map.width;
        height = world.map.height;
        for (size_t i = 0; i < world.sprites.size(); ++i) AddSpriteTileset(i);
        unlisted.name = "unlisted sprites";
        unlisted.stem = Stem(unlisted.name, world.sprites.size());
        AddBlockedMarker();
        ResolveReferences();
        ChooseTileOffsets();
        LayFloor();
        LayObjects();
        summary.width = width;
        summary.height = height;
        summary.floorLayers = floorLayerCount;
        summary.objects = world.map.objects.size();
    }

    // The map and tileset files, into `folder` (the map's temporary place).
    size_t Write(const fs::path& mapFile, const std::string& tilesetFolderName)
    {
        pugi::xml_document document;
        pugi::xml_node declaration = document.append_child(pugi::node_declaration);
        declaration.append_attribute("version") = "1.0";
        declaration.append_attribute("encoding") = "UTF-8";
        pugi::xml_node map = document.append_child("map");
        map.append_attribute("version") = "1.8";
        map.append_attribute("tiledversion") = "1.8.2";
        map.append_attribute("orientation") = "isometric";
        map.append_attribute("renderorder") = "right-down";
        map.append_attribute("width") = width;
        map.append_attribute("height") = height;
        map.append_attribute("tilewidth") = TileWidth;
        map.append_attribute("tileheight") = TileHeight;
        map.append_attribute("infinite") = 0;
        map.append_attribute("nextlayerid") = layers.size() + 1;
        map.append_attribute("nextobjectid") = nextObjectId;
        AddProperties(map, MapProperties());
        uint32_t firstGid = 1;
        size_t written = 0;
        for (ExportTileset* tileset : AllTilesets()) {
            if (tileset->tiles.empty() && tileset == &unlisted) continue;
            tileset->firstGid = firstGid;
            firstGid += uint32_t(std::max<size_t>(1, tileset->tiles.size()));
            pugi::xml_node reference = map.append_child("tileset");
            reference.append_attribute("firstgid") = tileset->firstGid;
            const std::string file = tilesetFolderName + "/" + tileset->stem + ".tsx";
            reference.append_attribute("source") = file.c_str();
            WriteTileset(*tileset, mapFile.parent_path() / file);
            ++written;
        }
        for (const Layer& layer : layers) WriteLayer(map, layer);
        if (!document.save_file(mapFile.c_str(), "  ")) throw std::runtime_error("cannot write " + mapFile.string());
        return written;
    }

private:
    struct Placed {
        ExportTileset* tileset;
        uint32_t tile;
    };

    struct Layer {
        std::string name;
        bool tiles = false;  // a tile layer; else an object layer
        bool floor = false;
        bool hidden = false;
        int16_t z = 0;
        std::vector<Property> properties;
        std::vector<Placed> cells;  // tile layers: width x height, row 0 first
        struct Object {
            Placed tile;
            double x, y;
            std::vector<Property> properties;
        };
        std::vector<Object> objects;
    };

    std::vector<ExportTileset*> AllTilesets()
    {
        std::vector<ExportTileset*> all;
        for (ExportTileset& tileset : spriteTilesets) all.push_back(&tileset);
        all.push_back(&unlisted);
        all.push_back(&marker);
        return all;
    }

    std::vector<Property> MapProperties() const
    {
        std::vector<Property> properties = {{worldprop::World, "1", "int"}};
        if (world.map.headerValue) properties.push_back(Int(worldprop::Header, world.map.headerValue));
        properties.push_back(Text(worldprop::SpriteList, world.listText));
        const std::vector<uint8_t> cells = EncodeCellsProperty(world.map);
        if (!cells.empty()) properties.push_back({worldprop::Cells, EncodeBase64(cells), nullptr});
        if (!world.mapDifference.empty()) properties.push_back({worldprop::MapBytes, world.mapDifference, nullptr});
        return properties;
    }

    // --- Tilesets -------------------------------------------------------

    void AddSpriteTileset(size_t index)
    {
        const WorldSprite& sprite = world.sprites[index];
        ExportTileset tileset;
        tileset.name = sprite.fileName;
        tileset.stem = Stem(sprite.fileName, index);
        tileset.sprite = sprite.missing ? nullptr : &sprite;
        for (const SpriteListing& listing : world.list) {
            if (listing.fileName == sprite.fileName) {
                tileset.spriteId = listing.id;
                break;
            }
        }
        tileset.properties = {Text(worldprop::SpriteFile, sprite.fileName), Int(worldprop::SpriteId, tileset.spriteId)};
        if (sprite.missing) {
            tileset.properties.push_back(Flag(worldprop::Missing));
        } else {
            tileset.properties.push_back(Int(worldprop::Format, sprite.source.pixelFormat));
            if (sprite.source.reserved) tileset.properties.push_back(Int(worldprop::Reserved, sprite.source.reserved));
            if (sprite.source.id != tileset.spriteId)
                tileset.properties.push_back(Int(worldprop::FileId, sprite.source.id));
            if (!sprite.difference.empty())
                tileset.properties.push_back({worldprop::SpriteBytes, sprite.difference, nullptr});
            for (size_t a = 0; a < sprite.source.animations.size(); ++a) AddAnimation(tileset, a);
        }
        spriteTilesets.push_back(std::move(tileset));
    }

    void AddAnimation(ExportTileset& tileset, size_t index)
    {
        const AnimationSource& animation = tileset.sprite->source.animations[index];
        const uint32_t first = uint32_t(tileset.tiles.size());
        tileset.firstTileOfAnimation.push_back(first);
        if (animation.frames.empty()) {
            ExportTile tile = Placeholder(tileset);
            tile.properties = {Int(worldprop::Animation, int64_t(index)), Int(worldprop::Frame, -1),
                               Text(worldprop::Name, animation.name), Int(worldprop::Direction, animation.direction)};
            tileset.tiles.push_back(std::move(tile));
            return;
        }
        for (size_t f = 0; f < animation.frames.size(); ++f) {
            ExportTile tile =
                FrameTile(tileset, animation.frames[f], "a" + std::to_string(index) + "-" + std::to_string(f) + ".png");
            std::vector<Property> properties = {Int(worldprop::Animation, int64_t(index)),
                                                Int(worldprop::Frame, int64_t(f))};
            if (f == 0) {
                properties.push_back(Text(worldprop::Name, animation.name));
                properties.push_back(Int(worldprop::Direction, animation.direction));
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

    ExportTile Placeholder(ExportTileset& tileset)
    {
        ExportTile tile;
        tile.picture = "none.png";
        tile.properties.push_back({worldprop::Place, FormatPair(0, 0), nullptr});
        if (!placeholderWritten[tileset.stem]) {
            RgbaImage clear;
            clear.width = clear.height = 1;
            clear.rgba.assign(4, 0);
            SavePicture(tileset, tile.picture, clear);
            placeholderWritten[tileset.stem] = true;
        }
        return tile;
    }

    ExportTile FrameTile(ExportTileset& tileset, const FrameSource& frame, const std::string& picture)
    {
        const size_t count = size_t(frame.width) * frame.height;
        const bool drawn = frame.pixelsPresent && count > 0;
        ExportTile tile = drawn ? ExportTile{} : Placeholder(tileset);
        std::vector<Property>& properties = tile.properties;
        properties.clear();
        tile.placeX = int64_t(frame.offsetX) - frame.anchorX;
        tile.placeY = int64_t(frame.offsetY) - frame.anchorY;
        properties.push_back({worldprop::Place, FormatPair(tile.placeX, tile.placeY), nullptr});
        properties.push_back(Int(worldprop::Duration, frame.duration));
        properties.push_back({worldprop::Key, FormatRgb(frame.colorKey), nullptr});
        if (frame.flags) properties.push_back(Int(worldprop::Flags, frame.flags));
        properties.push_back({worldprop::Anchor, FormatPair(frame.anchorX, frame.anchorY), nullptr});
        if (frame.offsetX || frame.offsetY)
            properties.push_back({worldprop::Offset, FormatPair(frame.offsetX, frame.offsetY), nullptr});
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
            if (frame.pixelsPresent) properties.push_back({worldprop::Pixels, "empty", nullptr});
            else properties.push_back({worldprop::Pixels, "none", nullptr});
            properties.push_back({worldprop::Size, FormatPair(frame.width, frame.height), nullptr});
            return tile;
        }
        tile.picture = picture;
        tile.width = frame.width;
        tile.height = frame.height;
        tile.drawsNothing = false;
        const RgbaImage image = FramePicture(frame);
        tile.cover = CoverOf(image);
        SavePicture(tileset, picture, image);
        return tile;
    }

    void AddBlockedMarker()
    {
        marker.name = "blocked";
        marker.stem = Stem("blocked", world.sprites.size() + 1);
        marker.properties = {Flag(worldprop::BlockedMarker)};
        ExportTile tile;
        tile.picture = "blocked.png";
        tile.width = TileWidth;
        tile.height = TileHeight;
        RgbaImage diamond;
        diamond.width = TileWidth;
        diamond.height = TileHeight;
        for (uint32_t y = 0; y < TileHeight; ++y) {
            for (uint32_t x = 0; x < TileWidth; ++x) {
                const bool inside = std::abs(x + 0.5 - 20) / 20 + std::abs(y + 0.5 - 10) / 10 < 1;
                diamond.rgba.insert(diamond.rgba.end(), {0xE0, 0x20, 0x20, uint8_t(inside ? 160 : 0)});
            }
        }
        SavePicture(marker, tile.picture, diamond);
        marker.tiles.push_back(tile);
    }

    void SavePicture(const ExportTileset& tileset, const std::string& name, const RgbaImage& image)
    {
        const fs::path folder = pictureRoot / tileset.stem;
        fs::create_directories(folder);
        std::string error;
        if (!SavePng((folder / name).string(), image, error)) throw std::runtime_error("cannot write " + error);
        ++pictureCount;
    }

    // --- What the map's records name ------------------------------------

    // The tile that draws what (sprite id, name, direction) draws in the program.
    Placed TileFor(int32_t spriteId, const std::string& name, int32_t direction)
    {
        const int index = world.SpriteIndexFor(spriteId);
        ExportTileset& tileset = index >= 0 ? spriteTilesets[size_t(index)] : unlisted;
        const AnimationSource* found = nullptr;
        size_t foundIndex = 0;
        if (tileset.sprite) {
            const auto& animations = tileset.sprite->source.animations;
            for (size_t a = 0; a < animations.size() && !found; ++a) {
                if (animations[a].name == name && animations[a].direction == direction) {
                    found = &animations[a];
                    foundIndex = a;
                }
            }
        }
        if (found && !found->frames.empty() && spriteId == tileset.spriteId) {
            return {&tileset, tileset.firstTileOfAnimation[foundIndex]};
        }
        const ReferenceKey key{spriteId, name, direction};
        if (const auto known = tileset.references.find(key); known != tileset.references.end()) {
            return {&tileset, known->second};
        }
        ExportTile tile;
        if (found && !found->frames.empty()) {
            // Another id of the same file: the same picture, named otherwise.
            tile = tileset.tiles[tileset.firstTileOfAnimation[foundIndex]];
            tile.animation.clear();
        } else {
            tile = Placeholder(tileset);
        }
        tile.properties = {Flag(worldprop::Reference),
                           Int(worldprop::SpriteId, spriteId),
                           Text(worldprop::Name, name),
                           Int(worldprop::Direction, direction),
                           {worldprop::Place, FormatPair(tile.placeX, tile.placeY), nullptr}};
        const uint32_t id = uint32_t(tileset.tiles.size());
        tileset.tiles.push_back(std::move(tile));
        tileset.references.emplace(key, id);
        return {&tileset, id};
    }

    void ResolveReferences()
    {
        for (const FloorSource& tile : world.map.floorTiles) {
            floorTiles.push_back(TileFor(tile.spriteId, tile.animationName, tile.direction));
        }
        for (const ObjectSource& object : world.map.objects) {
            objectTiles.push_back(TileFor(object.spriteId, object.animationName, object.direction));
        }
    }

    bool InMap(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    // A tile layer draws a tile's picture with its bottom-left on the cell's
    // left corner, level with its bottom corner, shifted by the tile offset.
    static std::pair<int64_t, int64_t> OffsetNeeded(const ExportTile& tile)
    {
        return {tile.placeX + TileWidth / 2, tile.placeY - TileHeight / 2 + int64_t(tile.height)};
    }

    bool FitsTileLayer(const Placed& placed) const
    {
        const ExportTile& tile = placed.tileset->tiles[placed.tile];
        return tile.drawsNothing ||
               OffsetNeeded(tile) == std::make_pair(placed.tileset->offsetX, placed.tileset->offsetY);
    }

    // Each tileset's tile offset is the one most of its floor tiles need.
    void ChooseTileOffsets()
    {
        std::map<ExportTileset*, std::map<std::pair<int64_t, int64_t>, size_t>> votes;
        for (size_t i = 0; i < floorTiles.size(); ++i) {
            const FloorSource& tile = world.map.floorTiles[i];
            const ExportTile& picture = floorTiles[i].tileset->tiles[floorTiles[i].tile];
            if (InMap(tile.x, tile.y) && !picture.drawsNothing) ++votes[floorTiles[i].tileset][OffsetNeeded(picture)];
        }
        for (auto& [tileset, counts] : votes) {
            const auto best = std::max_element(counts.begin(), counts.end(),
                                               [](const auto& a, const auto& b) { return a.second < b.second; });
            tileset->offsetX = best->first.first;
            tileset->offsetY = best->first.second;
        }
    }

    // --- Layers ---------------------------------------------------------

    // The floor in as few layers as keep the program's picture, each tile
    // carrying its place in the floor's order: an object its index, a tile
    // layer the runs of consecutive indices among its cells in the editor's
    // order, so that tmximport can rebuild the order after any edit.
    void LayFloor()
    {
        std::vector<FloorPiece> pieces(floorTiles.size());
        for (size_t i = 0; i < floorTiles.size(); ++i) {
            const FloorSource& tile = world.map.floorTiles[i];
            const ExportTile& picture = floorTiles[i].tileset->tiles[floorTiles[i].tile];
            const int64_t column = tile.x, row = int64_t(height) - 1 - tile.y;
            FloorPiece& piece = pieces[i];
            piece.left = (int64_t(tile.x) + tile.y) * TileWidth / 2 + picture.placeX;
            piece.top = (int64_t(tile.x) - tile.y) * TileHeight / 2 + picture.placeY;
            piece.cover = picture.cover.get();
            piece.tileLayer = InMap(tile.x, tile.y) && FitsTileLayer(floorTiles[i]);
            if (piece.tileLayer) {
                piece.cell = size_t(row * width + column);
                piece.editorOrder = (column + row) * width + column;
                piece.z = tile.z;
            }
        }
        const FloorLayout layout = LayOutFloor(pieces, size_t(width) * size_t(height));
        const size_t first = layers.size();
        for (const FloorLayer& floor : layout.layers) NewLayer(floor.tiles, true, floor.z);
        std::vector<std::vector<std::pair<int64_t, size_t>>> order(layout.layers.size());
        for (size_t i = 0; i < pieces.size(); ++i) {
            Layer& layer = layers[first + layout.layerOf[i]];
            if (layer.tiles) {
                layer.cells[pieces[i].cell] = floorTiles[i];
                order[layout.layerOf[i]].push_back({pieces[i].editorOrder, i});
                continue;
            }
            const FloorSource& tile = world.map.floorTiles[i];
            std::vector<Property> properties = {Int(worldprop::FloorIndex, int64_t(i))};
            if (tile.z) properties.push_back(Int(worldprop::Z, tile.z));
            AddObject(layer, floorTiles[i], tile.x, tile.y, properties);
        }
        for (size_t l = 0; l < order.size(); ++l) {
            if (layout.layers[l].tiles) layers[first + l].properties.push_back(FloorOrder(order[l]));
        }
    }

    // The runs of a tile layer's floor indices, given with their cells'
    // places in the editor's order.
    Property FloorOrder(std::vector<std::pair<int64_t, size_t>>& cells) const
    {
        std::sort(cells.begin(), cells.end());
        std::vector<FloorRun> runs;
        for (const auto& [key, index] : cells) {
            if (!runs.empty() && runs.back().first + runs.back().count == int64_t(index)) {
                ++runs.back().count;
                continue;
            }
            const int64_t column = key % width;
            runs.push_back({column, key / width - column, int64_t(index), 1});
        }
        return {worldprop::FloorOrder, FormatFloorRuns(runs), nullptr};
    }

    void LayObjects()
    {
        Layer& layer = NewLayer(false, false, 0);
        layer.name = "objects";
        for (size_t i = 0; i < objectTiles.size(); ++i) {
            const ObjectSource& object = world.map.objects[i];
            std::vector<Property> properties;
            if (object.z) properties.push_back(Int(worldprop::Z, object.z));
            if (object.x1 != object.x0) properties.push_back(Int(worldprop::SpanX, int64_t(object.x1) - object.x0));
            if (object.y1 != object.y0) properties.push_back(Int(worldprop::SpanY, int64_t(object.y1) - object.y0));
            AddObject(layer, objectTiles[i], object.x0, object.y0, properties);
        }
        Layer& blocked = NewLayer(true, false, 0);
        blocked.name = "blocked";
        blocked.hidden = true;
        blocked.properties = {Flag(worldprop::Blocked)};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (world.map.Cell(x, y).blocked) blocked.cells[size_t((height - 1 - y) * width + x)] = {&marker, 0};
            }
        }
    }

    Layer& NewLayer(bool tiles, bool floor, int16_t z)
    {
        layers.emplace_back();
        Layer& layer = layers.back();
        layer.tiles = tiles;
        layer.floor = floor;
        layer.z = z;
        if (floor) {
            layer.name = "floor " + std::to_string(++floorLayerCount);
            layer.properties.push_back(Flag(worldprop::Floor));
            if (z) layer.properties.push_back(Int(worldprop::Z, z));
        }
        if (tiles) layer.cells.assign(size_t(width) * size_t(height), Placed{nullptr, 0});
        return layer;
    }

    // A tile object whose picture's top-left lands where the program puts
    // the frame's: the cell's centre plus the tile's place, less the tileset's
    // tile offset that the editor adds.
    void AddObject(Layer& layer, const Placed& placed, int64_t x, int64_t y, std::vector<Property> properties)
    {
        const ExportTile& tile = placed.tileset->tiles[placed.tile];
        const int64_t column = x, row = int64_t(height) - 1 - y;
        const double sx = double((column - row) * TileWidth / 2 + tile.placeX - placed.tileset->offsetX);
        const double sy = double((column + row + 1) * TileHeight / 2 + tile.placeY - placed.tileset->offsetY);
        layer.objects.push_back({placed, sy + sx / 2, sy - sx / 2, std::move(properties)});
    }

    uint32_t Gid(const Placed& placed) const { return placed.tileset ? placed.tileset->firstGid + placed.tile : 0; }

    void WriteLayer(pugi::xml_node map, const Layer& layer)
    {
        const int id = int(&layer - layers.data()) + 1;
        pugi::xml_node node = map.append_child(layer.tiles ? "layer" : "objectgroup");
        node.append_attribute("id") = id;
        node.append_attribute("name") = layer.name.c_str();
        if (layer.tiles) {
            node.append_attribute("width") = width;
            node.append_attribute("height") = height;
        } else {
            node.append_attribute("draworder") = "index";
        }
        if (layer.hidden) node.append_attribute("visible") = 0;
        AddProperties(node, layer.properties);
        if (layer.tiles) {
            std::string csv = "\n";
            csv.reserve(layer.cells.size() * 4);
            for (size_t i = 0; i < layer.cells.size(); ++i) {
                csv += std::to_string(Gid(layer.cells[i]));
                csv += i + 1 == layer.cells.size() ? "\n" : ((i + 1) % size_t(width) == 0 ? ",\n" : ",");
            }
            pugi::xml_node data = node.append_child("data");
            data.append_attribute("encoding") = "csv";
            data.text() = csv.c_str();
            return;
        }
        for (const Layer::Object& object : layer.objects) {
            pugi::xml_node entry = node.append_child("object");
            entry.append_attribute("id") = nextObjectIdWritten++;
            entry.append_attribute("gid") = Gid(object.tile);
            entry.append_attribute("x") = Number(object.x).c_str();
            entry.append_attribute("y") = Number(object.y).c_str();
            const ExportTile& tile = object.tile.tileset->tiles[object.tile.tile];
            entry.append_attribute("width") = tile.width;
            entry.append_attribute("height") = tile.height;
            AddProperties(entry, object.properties);
        }
    }

    void WriteTileset(const ExportTileset& tileset, const fs::path& file)
    {
        pugi::xml_document document;
        pugi::xml_node declaration = document.append_child(pugi::node_declaration);
        declaration.append_attribute("version") = "1.0";
        declaration.append_attribute("encoding") = "UTF-8";
        pugi::xml_node node = document.append_child("tileset");
        uint32_t widest = 1, tallest = 1;
        for (const ExportTile& tile : tileset.tiles) {
            widest = std::max(widest, tile.width);
            tallest = std::max(tallest, tile.height);
        }
        node.append_attribute("version") = "1.8";
        node.append_attribute("tiledversion") = "1.8.2";
        node.append_attribute("name") = tileset.name.c_str();
        node.append_attribute("tilewidth") = widest;
        node.append_attribute("tileheight") = tallest;
        node.append_attribute("tilecount") = tileset.tiles.size();
        node.append_attribute("columns") = 0;
        node.append_attribute("objectalignment") = "topleft";
        if (tileset.offsetX || tileset.offsetY) {
            pugi::xml_node offset = node.append_child("tileoffset");
            offset.append_attribute("x") = tileset.offsetX;
            offset.append_attribute("y") = tileset.offsetY;
        }
        pugi::xml_node grid = node.append_child("grid");
        grid.append_attribute("orientation") = "orthogonal";
        grid.append_attribute("width") = 1;
        grid.append_attribute("height") = 1;
        AddProperties(node, tileset.properties);
        for (size_t id = 0; id < tileset.tiles.size(); ++id) {
            const ExportTile& tile = tileset.tiles[id];
            pugi::xml_node entry = node.append_child("tile");
            entry.append_attribute("id") = id;
            AddProperties(entry, tile.properties);
            pugi::xml_node image = entry.append_child("image");
            image.append_attribute("width") = tile.width;
            image.append_attribute("height") = tile.height;
            image.append_attribute("source") = (tileset.stem + "/" + tile.picture).c_str();
            if (!tile.animation.empty()) {
                pugi::xml_node animation = entry.append_child("animation");
                for (const auto& [frame, duration] : tile.animation) {
                    pugi::xml_node step = animation.append_child("frame");
                    step.append_attribute("tileid") = frame;
                    step.append_attribute("duration") = duration;
                }
            }
        }
        if (!document.save_file(file.c_str(), "  ")) throw std::runtime_error("cannot write " + file.string());
    }

    const WorldFolder& world;
    const fs::path pictureRoot;
    int width = 0;
    int height = 0;
    std::vector<ExportTileset> spriteTilesets;
    ExportTileset unlisted;
    ExportTileset marker;
    std::map<std::string, bool> placeholderWritten;
    std::vector<Placed> floorTiles;
    std::vector<Placed> objectTiles;
    std::vector<Layer> layers;
    size_t floorLayerCount = 0;
    size_t pictureCount = 0;
    int nextObjectId = 0;
    int nextObjectIdWritten = 1;

public:
    size_t Pictures() const { return pictureCount; }
    void CountObjects()
    {
        nextObjectId = 1;
        for (const Layer& layer : layers) nextObjectId += int(layer.objects.size());
    }
};

// Moves `from` to `to`, replacing what was there; the old one is removed
// only once the new one stands.
void Replace(const fs::path& from, const fs::path& to, const fs::path& aside)
{
    const bool old = fs::exists(to);
    if (old) fs::rename(to, aside);
    fs::rename(from, to);
    if (old) fs::remove_all(aside);
}

}  // namespace

std::string TilesetFolderFor(const std::string& mapPath)
{
    return fs::path(mapPath).replace_extension(".tilesets").string();
}

bool ExportWorld(const std::string& worldFolder, const std::string& mapPath, ExportSummary& summary, std::string& error)
{
    WorldFolder world;
    if (!ReadWorldFolder(worldFolder, world, error)) return false;
    const fs::path map = fs::absolute(mapPath);
    const fs::path tilesets = TilesetFolderFor(map.string());
    const std::string unique = std::to_string(getpid());
    const fs::path work = map.parent_path() / ("." + map.filename().string() + ".export-" + unique);
    try {
        fs::remove_all(work);
        fs::create_directories(work / tilesets.filename());
        Exporter exporter(world, work / tilesets.filename());
        exporter.Build(summary);
        exporter.CountObjects();
        summary.tilesets = exporter.Write(work / map.filename(), tilesets.filename().string());
        summary.pictures = exporter.Pictures();
        summary.notes = world.notes;
        Replace(work / tilesets.filename(), tilesets, work / "old-tilesets");
        Replace(work / map.filename(), map, work / "old-map");
        fs::remove_all(work);
        return true;
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return false;
}
