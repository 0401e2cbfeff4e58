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
//
// The world is read whole first, then made into the map (ExportModel.h), and
// only then are its pictures and files written, into a staging folder that
// replaces the earlier export once all of it stands.
#include "tools/tmxexport/TmxExport.h"

#include "tools/tiledworld/Base64.h"
#include "tools/tiledworld/CellsProperty.h"
#include "tools/tiledworld/WorldProperties.h"
#include "tools/tmxexport/ExportLayers.h"
#include "tools/tmxexport/ExportTilesets.h"
#include "tools/tmxexport/StagingFolder.h"
#include "tools/tmxexport/TmxWriter.h"
#include "tools/tmxexport/WorldFolder.h"

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::vector<Property> MapProperties(const WorldFolder& world)
{
    std::vector<Property> properties = {IntProperty(worldprop::World, 1)};
    if (world.map.headerValue) properties.push_back(IntProperty(worldprop::Header, world.map.headerValue));
    properties.push_back({worldprop::SpriteList, EscapePropertyText(world.listText), nullptr});
    const std::vector<uint8_t> cells = EncodeCellsProperty(world.map);
    if (!cells.empty()) properties.push_back({worldprop::Cells, EncodeBase64(cells), nullptr});
    if (!world.mapDifference.empty()) properties.push_back({worldprop::MapBytes, world.mapDifference, nullptr});
    return properties;
}

ExportMap BuildMap(const WorldFolder& world)
{
    ExportMap map;
    map.width = world.map.width;
    map.height = world.map.height;
    map.properties = MapProperties(world);
    ExportTilesets tiles = BuildTilesets(world);
    map.layers = BuildLayers(world, tiles, map.floorLayers);
    map.tilesets = std::move(tiles.tilesets);
    return map;
}

// Writes each tileset's pictures into its folder in `root`. Returns how many.
size_t WritePictures(const ExportMap& map, const fs::path& root)
{
    size_t written = 0;
    for (const ExportTileset& tileset : map.tilesets) {
        if (tileset.pictures.empty()) continue;
        const fs::path folder = root / tileset.stem;
        fs::create_directories(folder);
        for (const ExportPicture& picture : tileset.pictures) {
            std::string error;
            if (!SavePng((folder / picture.name).string(), picture.image, error)) {
                throw std::runtime_error("cannot write " + error);
            }
            ++written;
        }
    }
    return written;
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
    const std::string mapName = map.filename().string();
    const std::string tilesets = fs::path(TilesetFolderFor(map.string())).filename().string();
    try {
        StagingFolder staging(map.parent_path(), "." + mapName + ".export-" + std::to_string(getpid()));
        fs::create_directories(staging.Staged(tilesets));
        const ExportMap exported = BuildMap(world);
        summary.pictures = WritePictures(exported, staging.Staged(tilesets));
        summary.tilesets = WriteTmx(exported, staging.Staged(mapName).string(), tilesets);
        summary.width = exported.width;
        summary.height = exported.height;
        summary.floorLayers = exported.floorLayers;
        summary.objects = world.map.objects.size();
        summary.notes = world.notes;
        staging.MoveIntoPlace(tilesets);
        staging.MoveIntoPlace(mapName);
        return true;
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    return false;
}
