#include "tools/tmxexport/TmxWriter.h"

#include "map/TileProjection.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace {

// The version of the format written, and of the editor that would write it.
constexpr const char* TmxFormatVersion = "1.8";
constexpr const char* TiledVersion = "1.8.2";

// A document with the XML declaration and its root element `root`, which
// carries the format's versions.
pugi::xml_node NewDocument(pugi::xml_document& document, const char* root)
{
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node node = document.append_child(root);
    node.append_attribute("version") = TmxFormatVersion;
    node.append_attribute("tiledversion") = TiledVersion;
    return node;
}

void Save(const pugi::xml_document& document, const std::filesystem::path& file)
{
    if (!document.save_file(file.c_str(), "  ")) throw std::runtime_error("cannot write " + file.string());
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

// Seventeen significant digits, so that the text reads back as the same double.
std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

class TmxWriter {
public:
    explicit TmxWriter(const ExportMap& exported) : map(exported) {}

    size_t Write(const std::filesystem::path& mapFile, const std::string& tilesetFolder)
    {
        pugi::xml_document document;
        pugi::xml_node root = NewDocument(document, "map");
        size_t objects = 0;
        for (const ExportLayer& layer : map.layers) objects += layer.objects.size();
        root.append_attribute("orientation") = "isometric";
        root.append_attribute("renderorder") = "right-down";
        root.append_attribute("width") = map.width;
        root.append_attribute("height") = map.height;
        root.append_attribute("tilewidth") = TileWidth;
        root.append_attribute("tileheight") = TileHeight;
        root.append_attribute("infinite") = 0;
        root.append_attribute("nextlayerid") = map.layers.size() + 1;
        root.append_attribute("nextobjectid") = objects + 1;
        AddProperties(root, map.properties);
        size_t written = 0;
        for (const ExportTileset& tileset : map.tilesets) {
            if (tileset.firstGid == 0) continue;
            pugi::xml_node reference = root.append_child("tileset");
            reference.append_attribute("firstgid") = tileset.firstGid;
            const std::string file = tilesetFolder + "/" + tileset.stem + ".tsx";
            reference.append_attribute("source") = file.c_str();
            WriteTileset(tileset, mapFile.parent_path() / file);
            ++written;
        }
        for (size_t l = 0; l < map.layers.size(); ++l) WriteLayer(root, map.layers[l], int(l) + 1);
        Save(document, mapFile);
        return written;
    }

private:
    uint32_t Gid(const PlacedTile& placed) const { return map.tilesets[placed.tileset].firstGid + placed.tile; }

    void WriteLayer(pugi::xml_node root, const ExportLayer& layer, int id)
    {
        pugi::xml_node node = root.append_child(layer.tiles ? "layer" : "objectgroup");
        node.append_attribute("id") = id;
        node.append_attribute("name") = layer.name.c_str();
        if (layer.tiles) {
            node.append_attribute("width") = map.width;
            node.append_attribute("height") = map.height;
        } else {
            node.append_attribute("draworder") = "index";
        }
        if (layer.hidden) node.append_attribute("visible") = 0;
        AddProperties(node, layer.properties);
        if (layer.tiles) {
            std::string csv = "\n";
            csv.reserve(layer.cells.size() * 4);
            for (size_t i = 0; i < layer.cells.size(); ++i) {
                csv += std::to_string(layer.cells[i] ? Gid(*layer.cells[i]) : 0);
                csv += i + 1 == layer.cells.size() ? "\n" : ((i + 1) % size_t(map.width) == 0 ? ",\n" : ",");
            }
            pugi::xml_node data = node.append_child("data");
            data.append_attribute("encoding") = "csv";
            data.text() = csv.c_str();
            return;
        }
        for (const ExportObject& object : layer.objects) {
            pugi::xml_node entry = node.append_child("object");
            entry.append_attribute("id") = nextObjectId++;
            entry.append_attribute("gid") = Gid(object.tile);
            entry.append_attribute("x") = Number(object.x).c_str();
            entry.append_attribute("y") = Number(object.y).c_str();
            const ExportTile& tile = map.tilesets[object.tile.tileset].tiles[object.tile.tile];
            entry.append_attribute("width") = tile.width;
            entry.append_attribute("height") = tile.height;
            AddProperties(entry, object.properties);
        }
    }

    static void WriteTileset(const ExportTileset& tileset, const std::filesystem::path& file)
    {
        pugi::xml_document document;
        pugi::xml_node node = NewDocument(document, "tileset");
        uint32_t widest = 1, tallest = 1;
        for (const ExportTile& tile : tileset.tiles) {
            widest = std::max(widest, tile.width);
            tallest = std::max(tallest, tile.height);
        }
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
        Save(document, file);
    }

    const ExportMap& map;
    int nextObjectId = 1;
};

}  // namespace

size_t WriteTmx(const ExportMap& map, const std::string& mapPath, const std::string& tilesetFolder)
{
    return TmxWriter(map).Write(mapPath, tilesetFolder);
}
