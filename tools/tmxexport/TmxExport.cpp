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
// only then are its pictures and files written, under hidden names beside the
// earlier export (StagedFiles), which they replace once all of it stands. An
// earlier export is the only thing replaced (ExportTarget.h), and a world
// that a map cannot carry back whole (TiledLimits.h) is refused with the
// reason.
#include "tools/tmxexport/TmxExport.h"

#include "tools/tiledworld/Base64.h"
#include "tools/tiledworld/CellsProperty.h"
#include "tools/tiledworld/WorldProperties.h"
#include "tools/tiledworld/TiledLimits.h"
#include "tools/tmxexport/ExportLayers.h"
#include "tools/tmxexport/ExportTarget.h"
#include "tools/tmxexport/ExportTilesets.h"
#include "tools/tmxexport/TmxWriter.h"
#include "tools/tmxexport/WorldFolder.h"
#include "tools/worldfiles/Files.h"

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

// What tmximport refuses to read back, refused here before anything is made.
void CheckWorldFits(const WorldFolder& world)
{
    const MapSource& map = world.map;
    if (map.width > MaxMapSide || map.height > MaxMapSide || int64_t(map.width) * map.height > MaxMapCells) {
        throw std::runtime_error("the world's map is " + std::to_string(map.width) + " x " +
                                 std::to_string(map.height) + " cells; a Tiled map that tmximport reads has at most " +
                                 std::to_string(MaxMapSide) + " a side and " + std::to_string(MaxMapCells) + " cells");
    }
    if (map.floorTiles.size() + map.objects.size() > MaxPlacedTiles) {
        throw std::runtime_error("the world's map has " + std::to_string(map.floorTiles.size() + map.objects.size()) +
                                 " floor tiles and objects; a Tiled map that tmximport reads gives at most " +
                                 std::to_string(MaxPlacedTiles));
    }
}

// What tmximport counts of the map made: its tileset's tiles and its objects.
void CheckMapFits(const ExportMap& map)
{
    size_t tiles = 0, objects = 0;
    for (const ExportTileset& tileset : map.tilesets) tiles += tileset.tiles.size();
    for (const ExportLayer& layer : map.layers) objects += layer.objects.size();
    if (tiles > MaxTilesetTiles || objects > MaxObjects) {
        throw std::runtime_error("the map would hold " + std::to_string(tiles) + " tiles in its tilesets and " +
                                 std::to_string(objects) + " objects; tmximport reads at most " +
                                 std::to_string(MaxTilesetTiles) + " and " + std::to_string(MaxObjects));
    }
}

ExportMap BuildMap(const WorldFolder& world)
{
    CheckWorldFits(world);
    ExportMap map;
    map.width = world.map.width;
    map.height = world.map.height;
    map.properties = MapProperties(world);
    ExportTilesets tiles = BuildTilesets(world);
    map.layers = BuildLayers(world, tiles, map.floorLayers);
    map.tilesets = std::move(tiles.tilesets);
    CheckMapFits(map);
    return map;
}

// Writes each tileset's pictures into its folder in `root`. Returns how many.
size_t WritePictures(const ExportMap& map, const fs::path& root)
{
    size_t written = 0;
    for (const ExportTileset& tileset : map.tilesets) {
        if (tileset.pictures.empty()) continue;
        const fs::path folder = root / tileset.stem;
        fs::create_directory(folder);
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
    std::error_code failed;
    const fs::path map = fs::absolute(mapPath, failed);
    if (failed) {
        error = mapPath + ": " + failed.message();
        return false;
    }
    const std::string tilesetPath = TilesetFolderFor(map.string());
    if (!MayReplace(map.string(), tilesetPath, error)) return false;
    WorldFolder world;
    if (!ReadWorldFolder(worldFolder, world, error)) return false;
    try {
        const ExportMap exported = BuildMap(world);
        fs::create_directories(map.parent_path());
        StagedFiles staged;
        const std::string stagedTilesets = staged.Stage(tilesetPath);
        const std::string stagedMap = staged.Stage(map.string());
        fs::create_directory(stagedTilesets);
        summary.pictures = WritePictures(exported, stagedTilesets);
        summary.tilesets = WriteTmx(exported, stagedMap, fs::path(tilesetPath).filename().string(), stagedTilesets);
        std::string why;
        if (!staged.MoveIntoPlace(why)) throw std::runtime_error("cannot write " + why);
        summary.width = exported.width;
        summary.height = exported.height;
        summary.floorLayers = exported.floorLayers;
        summary.objects = world.map.objects.size();
        summary.notes = world.notes;
        return true;
    } catch (const std::bad_alloc&) {
        error = "the world needs more memory than there is";
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    return false;
}
