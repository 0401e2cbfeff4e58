// The parts of the editor's XML that the conversion reads:
//
//   <map orientation="isometric" width height tilewidth tileheight infinite>
//                                           or orientation="staggered" staggeraxis staggerindex
//     <tileset firstgid source="x.tsx"/>        or the tileset written inline:
//     <tileset firstgid name tilewidth tileheight spacing margin tilecount columns
//              objectalignment tilerendersize>
//       <tileoffset x y/>
//       <image source trans/>                   a sheet of tiles, or per tile:
//       <tile id x y width height> <properties/> <image source/>
//                                  <objectgroup> collision shapes </objectgroup>
//                                  <animation> <frame tileid duration/>... </animation> </tile>
//     </tileset>
//     <layer name width height offsetx offsety opacity visible tintcolor> <properties/>
//       <data encoding compression> ... </data>   or <data> <tile gid/>... </data>
//       or, on infinite maps, <data> <chunk x y width height> ... </chunk>... </data>
//     </layer>
//     <objectgroup draworder offsetx offsety opacity visible tintcolor>
//       <object id gid template x y width height rotation visible> <properties/> </object>
//     </objectgroup>
//     <imagelayer offsetx offsety x y opacity visible tintcolor repeatx repeaty>
//       <image source trans/> </imagelayer>
//     <group offsetx offsety opacity visible tintcolor> layers and groups </group>
//   </map>
//
//   <template> <tileset firstgid source/> <object .../> </template>   a .tx file
//
// Anything else (wang sets, editor settings, custom properties other than
// `blocked` and `floor`) is read past.
#include "tools/tmximport/TmxReader.h"

#include "tools/tmximport/LayerData.h"
#include "tools/tmximport/MapLattice.h"
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

// A tint colour, "#AARRGGBB" or "#RRGGBB" (the '#' optional), as 0xAARRGGBB.
uint32_t TintAttribute(const XmlFile& file, const pugi::xml_node& node, const char* name)
{
    std::string text = node.attribute(name).value();
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    uint32_t alpha = 0xFF, rgb = 0;
    const bool withAlpha =
        text.size() == 8 && ParseRgbDigits("0000" + text.substr(0, 2), alpha) && ParseRgbDigits(text.substr(2), rgb);
    if (!withAlpha && !ParseRgbDigits(text, rgb)) {
        throw ImportRefusal(file.Place(node),
                            std::string("the attribute ") + name + " must be a colour #RRGGBB or #AARRGGBB");
    }
    return alpha << 24 | rgb;
}

// Two tints of nested layers, multiplied channel by channel as the editor
// multiplies them.
uint32_t MultiplyTints(uint32_t a, uint32_t b)
{
    uint32_t product = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t channel = ((a >> shift) & 0xFF) * ((b >> shift) & 0xFF);
        product |= uint32_t(std::lround(channel / 255.0)) << shift;
    }
    return product;
}

// When a tileset leaves it unspecified, the editor aligns tile objects by
// their bottom centre on isometric maps and by their bottom-left corner on
// the others.
ObjectAlignment AlignmentAttribute(const XmlFile& file, const pugi::xml_node& node, MapOrientation orientation)
{
    static const std::pair<const char*, ObjectAlignment> names[] = {
        {"topleft", ObjectAlignment::TopLeft},        {"top", ObjectAlignment::Top},
        {"topright", ObjectAlignment::TopRight},      {"left", ObjectAlignment::Left},
        {"center", ObjectAlignment::Center},          {"right", ObjectAlignment::Right},
        {"bottomleft", ObjectAlignment::BottomLeft},  {"bottom", ObjectAlignment::Bottom},
        {"bottomright", ObjectAlignment::BottomRight}};
    const std::string value = node.attribute("objectalignment").as_string("unspecified");
    if (value == "unspecified") {
        return orientation == MapOrientation::Isometric ? ObjectAlignment::Bottom : ObjectAlignment::BottomLeft;
    }
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
    tile.collisionShapes = static_cast<bool>(node.child("objectgroup").child("object"));
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

void ReadTilesetBody(const XmlFile& file, const pugi::xml_node& node, MapOrientation orientation, TmxTileset& tileset)
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
    tileset.alignment = AlignmentAttribute(file, node, orientation);
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

// A tileset written inline in `file` (a map or a template), or in the .tsx
// file it names.
TmxTileset ReadTileset(const XmlFile& file, const pugi::xml_node& node, MapOrientation orientation)
{
    TmxTileset tileset;
    tileset.firstGid = uint32_t(RequiredIntAttribute(file, node, "firstgid", 1, TileIdBits));
    const std::string source = node.attribute("source").value();
    if (source.empty()) {
        ReadTilesetBody(file, node, orientation, tileset);
        return tileset;
    }
    const SourcePlace namedAt = file.Place(node);
    const std::string path = file.Resolve(source);
    const XmlFile tilesetFile(ReadWholeFile(path, namedAt), path);
    const pugi::xml_node root = tilesetFile.Root();
    if (std::string(root.name()) != "tileset") {
        throw ImportRefusal(namedAt, "\"" + path + "\" is not a tileset file (.tsx)");
    }
    ReadTilesetBody(tilesetFile, root, orientation, tileset);
    tileset.file = path;
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
    if (node.attribute("tintcolor")) look.tint = MultiplyTints(look.tint, TintAttribute(file, node, "tintcolor"));
    look.visible = look.visible && FlagAttribute(file, node, "visible", true);
    if (const std::optional<bool> blocked = BoolProperty(file, node, "blocked")) look.blocked = blocked;
    if (const std::optional<bool> floor = BoolProperty(file, node, "floor")) look.floor = floor;
    look.properties = ReadProperties(node);
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

// The ids of `count` cells in `data` (a <data> or a <chunk>), in the
// encoding of `encoded` (the <data>).
std::vector<uint32_t> ReadCells(const XmlFile& file, const pugi::xml_node& encoded, const pugi::xml_node& data,
                                size_t count)
{
    const std::string encoding = encoded.attribute("encoding").value();
    if (encoding.empty()) return ReadTileElements(file, data, count);
    return DecodeLayerData(encoding, encoded.attribute("compression").value(), data.text().get(), count,
                           file.Place(data));
}

void ReadTileLayer(const XmlFile& file, const pugi::xml_node& node, TmxMap& map, TmxLayer& layer)
{
    const pugi::xml_node data = node.child("data");
    if (!data) throw ImportRefusal(layer.look.place, "the layer has no <data>");
    if (data.child("chunk")) {
        if (!map.infinite) {
            throw ImportRefusal(file.Place(data), "layer data in chunks belongs to infinite maps, and this map is not");
        }
        // Chunks are as large as the editor's chunk size (16 x 16 unless set
        // otherwise); all of a layer's together hold at most a map's cells.
        int64_t cells = 0;
        for (const pugi::xml_node chunk : data.children("chunk")) {
            TmxTileArea area;
            area.x = IntAttribute(file, chunk, "x", 0, -(int64_t(1) << 30), int64_t(1) << 30);
            area.y = IntAttribute(file, chunk, "y", 0, -(int64_t(1) << 30), int64_t(1) << 30);
            area.width = RequiredIntAttribute(file, chunk, "width", 1, MaxMapSide);
            area.height = RequiredIntAttribute(file, chunk, "height", 1, MaxMapSide);
            cells += area.width * area.height;
            if (cells > MaxMapCells) {
                throw ImportRefusal(file.Place(chunk),
                                    "the layer's chunks hold more than " + std::to_string(MaxMapCells) + " cells");
            }
            area.gids = ReadCells(file, data, chunk, size_t(area.width * area.height));
            layer.areas.push_back(std::move(area));
        }
        return;
    }
    const int64_t width = IntAttribute(file, node, "width", map.width, 0, MaxMapSide);
    const int64_t height = IntAttribute(file, node, "height", map.height, 0, MaxMapSide);
    if (!map.infinite && (width != map.width || height != map.height)) {
        throw ImportRefusal(layer.look.place, "the layer is " + std::to_string(width) + " x " + std::to_string(height) +
                                                  " cells; the map is " + std::to_string(map.width) + " x " +
                                                  std::to_string(map.height));
    }
    if (width * height > MaxMapCells) {
        throw ImportRefusal(layer.look.place, "the layer has more than " + std::to_string(MaxMapCells) + " cells");
    }
    TmxTileArea area;
    area.width = width;
    area.height = height;
    area.gids = ReadCells(file, data, data, size_t(width * height));
    layer.areas.push_back(std::move(area));
}

// Whether `path` lies inside the folder tree of `folder`, by their names.
bool InsideFolder(const std::string& path, const std::string& folder)
{
    std::error_code failed;
    const std::filesystem::path base = std::filesystem::absolute(folder.empty() ? "." : folder, failed);
    const std::filesystem::path full = std::filesystem::absolute(path, failed);
    if (failed) return false;
    const std::filesystem::path relative = full.lexically_normal().lexically_relative(base.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}

// What one template file gives its instances: the object it holds and the
// tileset its tile comes from.
struct ObjectTemplate {
    std::unique_ptr<XmlFile> file;
    pugi::xml_node object;
    std::optional<size_t> tileset;  // an index into the map's tilesets
    uint32_t firstGid = 0;          // of that tileset within the template
};

// Reads the map's layers, and the templates their objects name, once each.
class LayerReader {
public:
    LayerReader(const XmlFile& mapFile, TmxMap& target) : file(mapFile), map(target)
    {
        folder = std::filesystem::path(map.path).parent_path().string();
        for (const TmxTileset& tileset : map.tilesets) namedFiles.push_back(tileset.file);
    }

    void ReadLayers(const pugi::xml_node& parent, const TmxLayerLook& outer, int depth)
    {
        if (depth > 64) throw ImportRefusal(file.Place(parent), "groups are nested more than 64 deep");
        for (const pugi::xml_node node : parent.children()) {
            const std::string name = node.name();
            if (name == "group") {
                ReadLayers(node, CombineLook(file, node, outer, map.warnings), depth + 1);
            } else if (name == "layer" || name == "objectgroup" || name == "imagelayer") {
                TmxLayer layer;
                layer.look = CombineLook(file, node, outer, map.warnings);
                if (name == "layer") {
                    layer.kind = TmxLayer::Kind::Tiles;
                    ReadTileLayer(file, node, map, layer);
                } else if (name == "objectgroup") {
                    layer.kind = TmxLayer::Kind::Objects;
                    ReadObjectLayer(node, layer);
                } else {
                    layer.kind = TmxLayer::Kind::Image;
                    if (!ReadImageLayer(node, layer)) continue;  // no picture: nothing to draw
                }
                map.layers.push_back(std::move(layer));
            }
        }
    }

private:
    void ReadObjectLayer(const pugi::xml_node& node, TmxLayer& layer)
    {
        const std::string order = node.attribute("draworder").as_string("topdown");
        if (order != "topdown" && order != "index") {
            throw ImportRefusal(layer.look.place, "unknown draworder \"" + order + "\"");
        }
        layer.drawnInFileOrder = order == "index";
        for (const pugi::xml_node child : node.children("object")) layer.objects.push_back(ReadObject(child));
    }

    // An object's attributes are its own, or its template's when it has one
    // and leaves them out; its properties are the template's with its own
    // put over them, as the editor takes them.
    TmxObject ReadObject(const pugi::xml_node& node)
    {
        TmxObject object;
        object.place = file.Place(node);
        const ObjectTemplate* model = nullptr;
        if (node.attribute("template")) model = &Template(node);
        const auto from = [&](const char* name) -> std::pair<const XmlFile&, pugi::xml_node> {
            if (node.attribute(name) || !model) return {file, node};
            return {*model->file, model->object};
        };
        const auto number = [&](const char* name, double fallback) {
            const auto [source, element] = from(name);
            return NumberAttribute(source, element, name, fallback);
        };
        {
            const auto [source, element] = from("gid");
            object.gid = uint32_t(IntAttribute(source, element, "gid", 0, 0, UINT32_MAX));
            if (model && element == model->object && object.gid != 0) TemplateTile(*model, object);
        }
        object.x = number("x", 0);
        object.y = number("y", 0);
        object.width = number("width", 0);
        object.height = number("height", 0);
        if (object.width < 0 || object.height < 0) throw ImportRefusal(object.place, "the size must not be negative");
        object.rotation = number("rotation", 0);
        {
            const auto [source, element] = from("visible");
            object.visible = FlagAttribute(source, element, "visible", true);
        }
        object.blocked = BoolProperty(file, node, "blocked");
        if (model) {
            if (!object.blocked) object.blocked = BoolProperty(*model->file, model->object, "blocked");
            object.properties = ReadProperties(model->object);
        }
        for (auto& [name, value] : ReadProperties(node)) object.properties[name] = value;
        return object;
    }

    // The template's tile, in the tileset the template names.
    void TemplateTile(const ObjectTemplate& model, TmxObject& object) const
    {
        const SourcePlace place = model.file->Place(model.object);
        if (!model.tileset) throw ImportRefusal(place, "the template's object shows a tile, but it names no tileset");
        const uint32_t id = object.gid & TileIdBits;
        if (id < model.firstGid) {
            throw ImportRefusal(place, "the tile id " + std::to_string(id) + " lies below the template's firstgid");
        }
        object.gid = (object.gid & ~TileIdBits) | (id - model.firstGid);
        object.tileset = model.tileset;
    }

    // The template an object names, read on first use. A template may come
    // from anywhere the map names; what it names in turn (its tileset and
    // the tileset's pictures) must lie in the map's folder tree, unless the
    // map names the same tileset itself.
    const ObjectTemplate& Template(const pugi::xml_node& node)
    {
        const SourcePlace namedAt = file.Place(node);
        const std::string path = file.Resolve(node.attribute("template").value());
        if (const auto known = templates.find(path); known != templates.end()) return *known->second;
        auto model = std::make_unique<ObjectTemplate>();
        model->file = std::make_unique<XmlFile>(ReadWholeFile(path, namedAt), path);
        const pugi::xml_node root = model->file->Root();
        if (std::string(root.name()) != "template") {
            throw ImportRefusal(namedAt, "\"" + path + "\" is not a template file (.tx)");
        }
        model->object = root.child("object");
        if (!model->object) throw ImportRefusal(model->file->Place(root), "the template holds no <object>");
        if (const pugi::xml_node tileset = root.child("tileset")) {
            model->firstGid = uint32_t(RequiredIntAttribute(*model->file, tileset, "firstgid", 1, TileIdBits));
            model->tileset = TemplateTileset(*model->file, tileset);
        }
        return *templates.emplace(path, std::move(model)).first->second;
    }

    size_t TemplateTileset(const XmlFile& templateFile, const pugi::xml_node& node)
    {
        const SourcePlace place = templateFile.Place(node);
        const std::string source = node.attribute("source").value();
        const std::string path = source.empty() ? "" : templateFile.Resolve(source);
        if (!path.empty()) {
            for (size_t i = 0; i < map.tilesets.size(); ++i) {
                if (map.tilesets[i].file == path) return i;
            }
            CheckNamedInside(path, place);
        }
        TmxTileset tileset = ReadTileset(templateFile, node, map.orientation);
        if (tileset.sheet) CheckNamedInside(tileset.sheet->path, tileset.sheet->place);
        for (const auto& [id, tile] : tileset.tiles) {
            if (tile.image) CheckNamedInside(tile.image->path, tile.image->place);
        }
        // Above every id of the map: no tile of the map's resolves into it.
        tileset.firstGid = TileIdBits + 1;
        map.tilesets.push_back(std::move(tileset));
        return map.tilesets.size() - 1;
    }

    void CheckNamedInside(const std::string& path, const SourcePlace& place) const
    {
        if (InsideFolder(path, folder)) return;
        if (std::find(namedFiles.begin(), namedFiles.end(), path) != namedFiles.end()) return;
        throw ImportRefusal(place, "\"" + path +
                                       "\" lies outside the map's folder: a template may only name files in "
                                       "the map's folder tree, or tilesets the map names itself");
    }

    // False for an image layer without a picture, which draws nothing.
    bool ReadImageLayer(const pugi::xml_node& node, TmxLayer& layer)
    {
        // The x and y of older maps place the picture as the offset does.
        layer.look.offsetX += NumberAttribute(file, node, "x", 0);
        layer.look.offsetY += NumberAttribute(file, node, "y", 0);
        layer.repeatX = FlagAttribute(file, node, "repeatx", false);
        layer.repeatY = FlagAttribute(file, node, "repeaty", false);
        const pugi::xml_node image = node.child("image");
        if (!image || (!image.attribute("source").value()[0] && !image.child("data"))) return false;
        layer.image = ReadImage(file, image);
        if (image.attribute("trans")) layer.imageTransparentColour = ColourAttribute(file, image, "trans");
        return true;
    }

    const XmlFile& file;
    TmxMap& map;
    std::string folder;                   // the map's
    std::vector<std::string> namedFiles;  // the tileset files the map names
    std::map<std::string, std::unique_ptr<ObjectTemplate>> templates;
};

void ReadMapHeader(const XmlFile& file, const pugi::xml_node& root, TmxMap& map)
{
    const SourcePlace place = file.Place(root);
    map.place = place;
    if (std::string(root.name()) != "map") {
        throw ImportRefusal(place, std::string(root.name()) == "tileset"
                                       ? "this is a tileset file: convert the map (.tmx) that uses it"
                                       : "not a map file: the first element is not <map>");
    }
    const std::string orientation = root.attribute("orientation").value();
    if (orientation == "staggered") {
        map.orientation = MapOrientation::Staggered;
        const std::string axis = root.attribute("staggeraxis").as_string("y");
        const std::string index = root.attribute("staggerindex").as_string("odd");
        if ((axis != "x" && axis != "y") || (index != "odd" && index != "even")) {
            throw ImportRefusal(place, "a staggered map needs staggeraxis \"x\" or \"y\" and staggerindex \"odd\" or "
                                       "\"even\"");
        }
        map.staggerX = axis == "x";
        map.staggerEven = index == "even";
    } else if (orientation != "isometric") {
        // Staggered maps are isometric too: the reason holds for them.
        const std::string kind = orientation == "orthogonal" || orientation == "hexagonal"
                                     ? orientation + " maps are"
                                     : "the orientation \"" + orientation + "\" is";
        throw ImportRefusal(place, kind + " not supported: only isometric (diamond) maps convert");
    }
    map.infinite = FlagAttribute(file, root, "infinite", false);
    map.width = int(RequiredIntAttribute(file, root, "width", 1, MaxMapSide));
    map.height = int(RequiredIntAttribute(file, root, "height", 1, MaxMapSide));
    if (int64_t(map.width) * map.height > MaxMapCells) {
        throw ImportRefusal(place, "the map has more than " + std::to_string(MaxMapCells) + " cells");
    }
    map.tileWidth = int(RequiredIntAttribute(file, root, "tilewidth", 1, MaxTileSide));
    map.tileHeight = int(RequiredIntAttribute(file, root, "tileheight", 1, MaxTileSide));
    if (root.attribute("backgroundcolor")) {
        map.warnings.push_back(ImportRefusal::Describe(place, "the background colour is left out: the program's "
                                                              "screen is black around the map"));
    }
}

void ReadTilesets(const XmlFile& file, const pugi::xml_node& root, TmxMap& map)
{
    for (const pugi::xml_node node : root.children("tileset")) {
        map.tilesets.push_back(ReadTileset(file, node, map.orientation));
    }
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
    LayerReader(file, map).ReadLayers(root, TmxLayerLook{}, 0);
    PlaceOnLattice(map);
    return map;
}

TmxMap ReadTmxFile(const std::string& path)
{
    return ReadTmxText(ReadWholeFile(path, {path, 0, ""}), path);
}
