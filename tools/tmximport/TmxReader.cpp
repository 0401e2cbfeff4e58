// The parts of the editor's XML that the conversion reads:
//
//   <map orientation="isometric" width height tilewidth tileheight infinite="0">
//     <tileset firstgid source="x.tsx"/>        or the tileset written inline:
//     <tileset firstgid name tilewidth tileheight spacing margin tilecount columns
//              objectalignment tilerendersize>
//       <tileoffset x y/>
//       <image source trans/>                   a sheet of tiles, or per tile:
//       <tile id x y width height> <properties/> <image source/>
//                                  <animation> <frame tileid duration/>... </animation> </tile>
//     </tileset>
//     <layer name width height offsetx offsety opacity visible> <properties/>
//       <data encoding compression> ... </data>   or <data> <tile gid/>... </data>
//     </layer>
//     <objectgroup draworder offsetx offsety opacity visible>
//       <object id gid x y width height rotation visible> <properties/> </object>
//     </objectgroup>
//     <group offsetx offsety opacity visible> layers and groups </group>
//   </map>
//
// Anything else (wang sets, editor settings, custom properties other than
// `blocked` and `floor`) is read past.
#include "tools/tmximport/TmxReader.h"

#include "tools/tmximport/LayerData.h"
#include "tools/worldfiles/TextValues.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

// One parsed XML file, kept with its text so that elements can be placed by
// line.
class XmlFile {
public:
    XmlFile(const std::string& text, const std::string& filePath) : path(filePath)
    {
        lineStarts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') lineStarts.push_back(i + 1);
        }
        const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
        if (!parsed) {
            throw ImportRefusal({path, LineOf(parsed.offset), ""},
                                std::string("not a readable XML file: ") + parsed.description());
        }
    }

    pugi::xml_node Root() const { return document.document_element(); }

    SourcePlace Place(const pugi::xml_node& node) const { return {path, LineOf(node.offset_debug()), Describe(node)}; }

    // Names relative to this file's folder.
    std::string Resolve(const std::string& name) const
    {
        return (std::filesystem::path(path).parent_path() / std::filesystem::path(name)).lexically_normal().string();
    }

    const std::string path;

private:
    int LineOf(ptrdiff_t offset) const
    {
        if (offset < 0) return 0;
        const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), size_t(offset));
        return int(next - lineStarts.begin());
    }

    // `<layer name="Ground">`; an element without a name or id is described
    // with the element it is in.
    static std::string Describe(const pugi::xml_node& node)
    {
        std::string text = std::string("<") + node.name();
        bool named = false;
        for (const char* key : {"name", "id"}) {
            if (const pugi::xml_attribute attribute = node.attribute(key)) {
                text += std::string(" ") + key + "=\"" + attribute.value() + "\"";
                named = true;
                break;
            }
        }
        text += ">";
        const pugi::xml_node parent = node.parent();
        if (!named && parent && parent.type() == pugi::node_element) text += " in " + Describe(parent);
        return text;
    }

    pugi::xml_document document;
    std::vector<size_t> lineStarts;
};

std::string ReadWholeFile(const std::string& path, const SourcePlace& namedAt)
{
    std::ifstream file(path, std::ios::binary);
    // The map itself is named by the message's place already.
    const std::string name = namedAt.file == path ? "the file" : "\"" + path + "\"";
    if (!file) throw ImportRefusal(namedAt, "cannot open " + name);
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || uint64_t(size) > MaxTmxFileBytes) {
        throw ImportRefusal(namedAt, name + " is not a readable file of at most 64 MiB");
    }
    file.seekg(0);
    std::string text(static_cast<size_t>(size), '\0');
    if (!file.read(text.data(), size)) throw ImportRefusal(namedAt, "cannot read " + name);
    return text;
}

// Strict attribute readers: a value that is there must be a number in range.
int64_t IntAttribute(const XmlFile& file, const pugi::xml_node& node, const char* name, int64_t fallback, int64_t low,
                     int64_t high)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) return fallback;
    const char* text = attribute.value();
    int64_t value = 0;
    if (!ParseWholeNumber(text, low, high, value)) {
        throw ImportRefusal(file.Place(node), std::string("the attribute ") + name + "=\"" + text +
                                                  "\" must be a whole number from " + std::to_string(low) + " to " +
                                                  std::to_string(high));
    }
    return value;
}

int64_t RequiredIntAttribute(const XmlFile& file, const pugi::xml_node& node, const char* name, int64_t low,
                             int64_t high)
{
    if (!node.attribute(name)) {
        throw ImportRefusal(file.Place(node), std::string("the attribute ") + name + " is missing");
    }
    return IntAttribute(file, node, name, 0, low, high);
}

double NumberAttribute(const XmlFile& file, const pugi::xml_node& node, const char* name, double fallback)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) return fallback;
    const char* text = attribute.value();
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    // Positions beyond a million pixels are no map's; they would only
    // overflow the conversion's arithmetic.
    if (end == text || *end != '\0' || !std::isfinite(value) || std::fabs(value) > 1e6) {
        throw ImportRefusal(file.Place(node), std::string("the attribute ") + name + "=\"" + text +
                                                  "\" must be a number between -1000000 and 1000000");
    }
    return value;
}

bool FlagAttribute(const XmlFile& file, const pugi::xml_node& node, const char* name, bool fallback)
{
    return IntAttribute(file, node, name, fallback ? 1 : 0, 0, 1) != 0;
}

// A boolean custom property of `node` (`blocked`, `floor`), if it has one.
std::optional<bool> BoolProperty(const XmlFile& file, const pugi::xml_node& node, const char* name)
{
    for (const pugi::xml_node property : node.child("properties").children("property")) {
        if (std::string(property.attribute("name").value()) != name) continue;
        const std::string value =
            property.attribute("value") ? property.attribute("value").value() : property.text().get();
        if (value == "true" || value == "1") return true;
        if (value == "false" || value == "0") return false;
        throw ImportRefusal(file.Place(property),
                            std::string("the property ") + name + " must be true or false, not \"" + value + "\"");
    }
    return std::nullopt;
}

TmxProperties ReadProperties(const pugi::xml_node& node)
{
    TmxProperties properties;
    for (const pugi::xml_node property : node.child("properties").children("property")) {
        properties[property.attribute("name").value()] =
            property.attribute("value") ? property.attribute("value").value() : property.text().get();
    }
    return properties;
}

TmxImage ReadImage(const XmlFile& file, const pugi::xml_node& node)
{
    TmxImage image;
    image.place = file.Place(node);
    if (node.child("data")) {
        throw ImportRefusal(image.place, "pictures embedded in the file are not supported: use a PNG file");
    }
    const std::string source = node.attribute("source").value();
    if (source.empty()) throw ImportRefusal(image.place, "the picture has no source file");
    image.path = file.Resolve(source);
    return image;
}

uint32_t ColourAttribute(const XmlFile& file, const pugi::xml_node& node, const char* name)
{
    std::string text = node.attribute(name).value();
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    uint32_t rgb = 0;
    if (!ParseRgbDigits(text, rgb)) {
        throw ImportRefusal(file.Place(node), std::string("the attribute ") + name + " must be a colour RRGGBB");
    }
    return rgb;
}

ObjectAlignment AlignmentAttribute(const XmlFile& file, const pugi::xml_node& node)
{
    static const std::pair<const char*, ObjectAlignment> names[] = {
        {"unspecified", ObjectAlignment::Bottom},  // what the editor uses on isometric maps
        {"topleft", ObjectAlignment::TopLeft},        {"top", ObjectAlignment::Top},
        {"topright", ObjectAlignment::TopRight},      {"left", ObjectAlignment::Left},
        {"center", ObjectAlignment::Center},          {"right", ObjectAlignment::Right},
        {"bottomleft", ObjectAlignment::BottomLeft},  {"bottom", ObjectAlignment::Bottom},
        {"bottomright", ObjectAlignment::BottomRight}};
    const std::string value = node.attribute("objectalignment").as_string("unspecified");
    for (const auto& [name, alignment] : names) {
        if (value == name) return alignment;
    }
    throw ImportRefusal(file.Place(node), "unknown objectalignment \"" + value + "\"");
}

TmxTile ReadTile(const XmlFile& file, const pugi::xml_node& node)
{
    TmxTile tile;
    tile.place = file.Place(node);
    tile.blocked = BoolProperty(file, node, "blocked");
    tile.properties = ReadProperties(node);
    if (const pugi::xml_node image = node.child("image")) {
        tile.image = ReadImage(file, image);
        tile.image->x = int(IntAttribute(file, node, "x", 0, 0, 1 << 20));
        tile.image->y = int(IntAttribute(file, node, "y", 0, 0, 1 << 20));
        tile.image->width = int(IntAttribute(file, node, "width", 0, 0, 1 << 20));
        tile.image->height = int(IntAttribute(file, node, "height", 0, 0, 1 << 20));
    }
    for (const pugi::xml_node frame : node.child("animation").children("frame")) {
        TmxFrame entry;
        entry.tileId = uint32_t(RequiredIntAttribute(file, frame, "tileid", 0, TileIdBits));
        entry.duration = int32_t(RequiredIntAttribute(file, frame, "duration", 0, INT32_MAX));
        tile.animation.push_back(entry);
    }
    return tile;
}

void ReadTilesetBody(const XmlFile& file, const pugi::xml_node& node, TmxTileset& tileset)
{
    tileset.place = file.Place(node);
    tileset.name = node.attribute("name").value();
    tileset.properties = ReadProperties(node);
    tileset.tileWidth = int(IntAttribute(file, node, "tilewidth", 0, 0, MaxTileSide));
    tileset.tileHeight = int(IntAttribute(file, node, "tileheight", 0, 0, MaxTileSide));
    tileset.margin = int(IntAttribute(file, node, "margin", 0, 0, 1 << 16));
    tileset.spacing = int(IntAttribute(file, node, "spacing", 0, 0, 1 << 16));
    tileset.columns = int(IntAttribute(file, node, "columns", 0, 0, 1 << 16));
    tileset.tileCount = int(IntAttribute(file, node, "tilecount", -1, 0, int64_t(TileIdBits)));
    tileset.alignment = AlignmentAttribute(file, node);
    const std::string renderSize = node.attribute("tilerendersize").as_string("tile");
    if (renderSize != "tile" && renderSize != "grid") {
        throw ImportRefusal(tileset.place, "unknown tilerendersize \"" + renderSize + "\"");
    }
    tileset.gridRenderSize = renderSize == "grid";
    if (tileset.gridRenderSize && node.attribute("fillmode").as_string("stretch") != std::string("stretch")) {
        throw ImportRefusal(tileset.place, "only the fill mode \"stretch\" is supported for tiles drawn at grid size");
    }
    if (const pugi::xml_node offset = node.child("tileoffset")) {
        tileset.offsetX = NumberAttribute(file, offset, "x", 0);
        tileset.offsetY = NumberAttribute(file, offset, "y", 0);
    }
    if (const pugi::xml_node image = node.child("image")) {
        tileset.sheet = ReadImage(file, image);
        if (image.attribute("trans")) tileset.transparentColour = ColourAttribute(file, image, "trans");
        if (tileset.tileWidth <= 0 || tileset.tileHeight <= 0) {
            throw ImportRefusal(tileset.place, "a tileset cut from one picture needs tilewidth and tileheight");
        }
    }
    for (const pugi::xml_node child : node.children("tile")) {
        const uint32_t id = uint32_t(RequiredIntAttribute(file, child, "id", 0, TileIdBits));
        if (!tileset.tiles.emplace(id, ReadTile(file, child)).second) {
            throw ImportRefusal(file.Place(child), "the tile id " + std::to_string(id) + " is given twice");
        }
    }
}

TmxTileset ReadTileset(const XmlFile& mapFile, const pugi::xml_node& node)
{
    TmxTileset tileset;
    tileset.firstGid = uint32_t(RequiredIntAttribute(mapFile, node, "firstgid", 1, TileIdBits));
    const std::string source = node.attribute("source").value();
    if (source.empty()) {
        ReadTilesetBody(mapFile, node, tileset);
        return tileset;
    }
    const SourcePlace namedAt = mapFile.Place(node);
    const std::string path = mapFile.Resolve(source);
    const XmlFile file(ReadWholeFile(path, namedAt), path);
    const pugi::xml_node root = file.Root();
    if (std::string(root.name()) != "tileset") {
        throw ImportRefusal(namedAt, "\"" + path + "\" is not a tileset file (.tsx)");
    }
    ReadTilesetBody(file, root, tileset);
    return tileset;
}

// What a layer takes from the group it is in, and adds of its own.
TmxLayerLook CombineLook(const XmlFile& file, const pugi::xml_node& node, const TmxLayerLook& outer,
                         std::vector<std::string>& warnings)
{
    TmxLayerLook look = outer;
    look.place = file.Place(node);
    look.name = node.attribute("name").value();
    look.offsetX += NumberAttribute(file, node, "offsetx", 0);
    look.offsetY += NumberAttribute(file, node, "offsety", 0);
    const double opacity = NumberAttribute(file, node, "opacity", 1);
    if (opacity < 0 || opacity > 1) throw ImportRefusal(look.place, "the opacity must be from 0 to 1");
    look.opacity *= opacity;
    look.visible = look.visible && FlagAttribute(file, node, "visible", true);
    if (const std::optional<bool> blocked = BoolProperty(file, node, "blocked")) look.blocked = blocked;
    if (const std::optional<bool> floor = BoolProperty(file, node, "floor")) look.floor = floor;
    look.properties = ReadProperties(node);
    if (node.attribute("tintcolor")) {
        warnings.push_back(ImportRefusal::Describe(look.place, "the tint colour is ignored"));
    }
    if (NumberAttribute(file, node, "parallaxx", 1) != 1 || NumberAttribute(file, node, "parallaxy", 1) != 1) {
        warnings.push_back(ImportRefusal::Describe(look.place, "the parallax factor is ignored"));
    }
    return look;
}

std::vector<uint32_t> ReadTileElements(const XmlFile& file, const pugi::xml_node& data, size_t count)
{
    std::vector<uint32_t> gids;
    for (const pugi::xml_node tile : data.children("tile")) {
        if (gids.size() == count) {
            throw ImportRefusal(file.Place(data),
                                "the data holds more than the layer's " + std::to_string(count) + " cells");
        }
        gids.push_back(uint32_t(IntAttribute(file, tile, "gid", 0, 0, UINT32_MAX)));
    }
    gids.resize(count, 0);  // the editor leaves out nothing, but a short list means empty cells
    return gids;
}

void ReadTileLayer(const XmlFile& file, const pugi::xml_node& node, TmxMap& map, TmxLayer& layer)
{
    const int64_t width = IntAttribute(file, node, "width", map.width, 0, MaxMapSide);
    const int64_t height = IntAttribute(file, node, "height", map.height, 0, MaxMapSide);
    if (width != map.width || height != map.height) {
        throw ImportRefusal(layer.look.place, "the layer is " + std::to_string(width) + " x " + std::to_string(height) +
                                                  " cells; the map is " + std::to_string(map.width) + " x " +
                                                  std::to_string(map.height));
    }
    const pugi::xml_node data = node.child("data");
    if (!data) throw ImportRefusal(layer.look.place, "the layer has no <data>");
    if (data.child("chunk")) {
        throw ImportRefusal(file.Place(data), "layer data in chunks (infinite maps) is not supported");
    }
    const size_t count = size_t(map.width) * size_t(map.height);
    const std::string encoding = data.attribute("encoding").value();
    if (encoding.empty()) {
        layer.gids = ReadTileElements(file, data, count);
    } else {
        layer.gids = DecodeLayerData(encoding, data.attribute("compression").value(), data.text().get(), count,
                                     file.Place(data));
    }
}

TmxObject ReadObject(const XmlFile& file, const pugi::xml_node& node)
{
    TmxObject object;
    object.place = file.Place(node);
    if (node.attribute("template")) {
        throw ImportRefusal(object.place, "object templates are not supported: detach the template in the editor");
    }
    object.gid = uint32_t(IntAttribute(file, node, "gid", 0, 0, UINT32_MAX));
    object.x = NumberAttribute(file, node, "x", 0);
    object.y = NumberAttribute(file, node, "y", 0);
    object.width = NumberAttribute(file, node, "width", 0);
    object.height = NumberAttribute(file, node, "height", 0);
    if (object.width < 0 || object.height < 0) throw ImportRefusal(object.place, "the size must not be negative");
    object.visible = FlagAttribute(file, node, "visible", true);
    object.blocked = BoolProperty(file, node, "blocked");
    object.properties = ReadProperties(node);
    if (object.gid != 0 && NumberAttribute(file, node, "rotation", 0) != 0) {
        throw ImportRefusal(object.place, "rotated tile objects are not supported");
    }
    return object;
}

void ReadObjectLayer(const XmlFile& file, const pugi::xml_node& node, TmxLayer& layer)
{
    const std::string order = node.attribute("draworder").as_string("topdown");
    if (order != "topdown" && order != "index") {
        throw ImportRefusal(layer.look.place, "unknown draworder \"" + order + "\"");
    }
    layer.drawnInFileOrder = order == "index";
    for (const pugi::xml_node child : node.children("object")) layer.objects.push_back(ReadObject(file, child));
}

void ReadLayers(const XmlFile& file, const pugi::xml_node& parent, const TmxLayerLook& outer, TmxMap& map, int depth)
{
    if (depth > 64) throw ImportRefusal(file.Place(parent), "groups are nested more than 64 deep");
    for (const pugi::xml_node node : parent.children()) {
        const std::string name = node.name();
        if (name == "group") {
            ReadLayers(file, node, CombineLook(file, node, outer, map.warnings), map, depth + 1);
        } else if (name == "layer" || name == "objectgroup") {
            TmxLayer layer;
            layer.look = CombineLook(file, node, outer, map.warnings);
            if (name == "layer") {
                layer.kind = TmxLayer::Kind::Tiles;
                ReadTileLayer(file, node, map, layer);
            } else {
                layer.kind = TmxLayer::Kind::Objects;
                ReadObjectLayer(file, node, layer);
            }
            map.layers.push_back(std::move(layer));
        } else if (name == "imagelayer") {
            map.warnings.push_back(ImportRefusal::Describe(file.Place(node), "image layers are left out"));
        }
    }
}

void CheckOrientation(const XmlFile& file, const pugi::xml_node& root)
{
    const std::string orientation = root.attribute("orientation").value();
    if (orientation == "isometric") return;
    std::string reason;
    if (orientation == "orthogonal") {
        reason = "orthogonal maps are not supported: only isometric (diamond) maps convert";
    } else if (orientation == "staggered") {
        reason = "staggered isometric maps are not supported: only isometric (diamond) maps convert";
    } else if (orientation == "hexagonal") {
        reason = "hexagonal maps are not supported: only isometric (diamond) maps convert";
    } else {
        reason = "the orientation \"" + orientation + "\" is not supported: only isometric (diamond) maps convert";
    }
    throw ImportRefusal(file.Place(root), reason);
}

void ReadMapHeader(const XmlFile& file, const pugi::xml_node& root, TmxMap& map)
{
    const SourcePlace place = file.Place(root);
    if (std::string(root.name()) != "map") {
        throw ImportRefusal(place, std::string(root.name()) == "tileset"
                                       ? "this is a tileset file: convert the map (.tmx) that uses it"
                                       : "not a map file: the first element is not <map>");
    }
    CheckOrientation(file, root);
    if (FlagAttribute(file, root, "infinite", false)) {
        throw ImportRefusal(place, "infinite maps are not supported: turn \"Infinite\" off in the map's properties");
    }
    map.width = int(RequiredIntAttribute(file, root, "width", 1, MaxMapSide));
    map.height = int(RequiredIntAttribute(file, root, "height", 1, MaxMapSide));
    if (int64_t(map.width) * map.height > MaxMapCells) {
        throw ImportRefusal(place, "the map has more than " + std::to_string(MaxMapCells) + " cells");
    }
    map.tileWidth = int(RequiredIntAttribute(file, root, "tilewidth", 1, MaxTileSide));
    map.tileHeight = int(RequiredIntAttribute(file, root, "tileheight", 1, MaxTileSide));
}

void ReadTilesets(const XmlFile& file, const pugi::xml_node& root, TmxMap& map)
{
    for (const pugi::xml_node node : root.children("tileset")) map.tilesets.push_back(ReadTileset(file, node));
    std::stable_sort(map.tilesets.begin(), map.tilesets.end(),
                     [](const TmxTileset& a, const TmxTileset& b) { return a.firstGid < b.firstGid; });
    for (size_t i = 1; i < map.tilesets.size(); ++i) {
        if (map.tilesets[i].firstGid == map.tilesets[i - 1].firstGid) {
            throw ImportRefusal(map.tilesets[i].place,
                                "two tilesets have the firstgid " + std::to_string(map.tilesets[i].firstGid));
        }
    }
}

}  // namespace

TmxMap ReadTmxText(const std::string& text, const std::string& path)
{
    const XmlFile file(text, path);
    const pugi::xml_node root = file.Root();
    if (!root) throw ImportRefusal({path, 0, ""}, "the file holds no XML element");
    TmxMap map;
    map.path = path;
    ReadMapHeader(file, root, map);
    map.properties = ReadProperties(root);
    ReadTilesets(file, root, map);
    ReadLayers(file, root, TmxLayerLook{}, map, 0);
    return map;
}

TmxMap ReadTmxFile(const std::string& path)
{
    return ReadTmxText(ReadWholeFile(path, {path, 0, ""}), path);
}
