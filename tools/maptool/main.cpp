// maptool: map files for content authors (docs/map-tool.md).
//
//   maptool build <description.txt> <test.map> [<SpriteList.txt>]
//   maptool dump <test.map>
//   maptool render <world folder> <picture.png> [--whole] [--grid] [<camera x> <camera y> [<offset x> <offset y>]]
//   maptool check <world folder>
#include "tools/maptool/CellGrid.h"
#include "tools/maptool/WorldRender.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/MapText.h"
#include "tools/worldfiles/PngImage.h"
#include "tools/worldfiles/TextValues.h"
#include "tools/worldfiles/ToolPaths.h"
#include "world/WorldCheck.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char Usage[] =
    "usage:\n"
    "  maptool build <description.txt> <test.map> [<SpriteList.txt>]\n"
    "      writes the map file, and the sprite list when a name is given for it\n"
    "  maptool dump <test.map>\n"
    "      prints the map file as a description that build reads back\n"
    "  maptool render <world folder> <picture.png> [--whole] [--grid] [<camera x> <camera y> [<offset x> <offset y>]]\n"
    "      draws the folder's SpriteList.txt and test.map as the program shows them;\n"
    "      --whole draws the whole map, --grid the cells and their coordinates over it\n"
    "  maptool check <world folder>\n"
    "      lists what the world refers to that the program cannot find or will not draw\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "maptool: %s\n", message.c_str());
    return 1;
}

// The folder as a prefix of the names in it.
std::string InFolder(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// Why `folder` is no folder to read a world from; empty when it is one.
std::string WhyNotAFolder(const std::string& folder)
{
    std::error_code failed;
    if (std::filesystem::is_directory(folder, failed)) return "";
    return std::filesystem::exists(folder, failed) ? "is not a folder" : "there is no such folder";
}

// What the check can see in a description before the sprite files exist.
DescribedWorld Described(const MapDescription& description, const std::string& name, const std::string& listFile)
{
    DescribedWorld world;
    world.mapFile = name;
    world.listFile = listFile;
    for (size_t i = 0; i < description.sprites.size(); ++i) {
        world.sprites.push_back(
            {description.sprites[i].id, description.sprites[i].fileName, description.spriteLines[i]});
    }
    const MapSource& map = description.map;
    world.width = map.width;
    world.height = map.height;
    for (const CellSource& cell : map.cells) world.blocked.push_back(cell.blocked);
    world.rowLines = description.rowLines;
    for (size_t i = 0; i < map.floorTiles.size(); ++i) {
        const FloorSource& tile = map.floorTiles[i];
        world.floor.push_back(
            {tile.x, tile.y, tile.spriteId, tile.animationName, tile.direction, description.floorLines[i]});
    }
    for (size_t i = 0; i < map.objects.size(); ++i) {
        const ObjectSource& object = map.objects[i];
        world.objects.push_back({object.x0, object.y0, object.spriteId, object.animationName, object.direction,
                                 description.objectLines[i]});
    }
    return world;
}

int Build(const std::vector<std::string>& args)
{
    if (args.size() != 2 && args.size() != 3) return Fail(std::string("build takes 2 or 3 names\n") + Usage);
    std::vector<uint8_t> text;
    std::string error;
    FileFault fault;
    if (!ReadFileWithin(args[0], MaxTextFileBytes, text, fault))
        return Fail(args[0] + ": " + WhyUnreadable(args[0], fault));
    MapDescription description;
    if (!ParseMapText(std::string(text.begin(), text.end()), args[0], description, error)) return Fail(error);
    const std::string listFile = args.size() == 3 ? args[2] : "";
    for (const WorldFinding& finding : CheckDescribedWorld(Described(description, args[0], listFile))) {
        std::fprintf(stderr, "maptool: %s%s\n", finding.hides ? "warning: " : "", FormatFinding(finding).c_str());
    }
    if (!WriteOutput(args[1], EncodeMapFile(description.map), error)) return Fail(args[1] + ": " + error);
    const MapSource& map = description.map;
    std::string written = args[1] + ": " + std::to_string(map.width) + " x " + std::to_string(map.height) + " cells, " +
                          std::to_string(map.floorTiles.size()) + " floor tiles, " +
                          std::to_string(map.objects.size()) + " objects";
    if (!listFile.empty()) {
        const std::string list = FormatSpriteList(description.sprites);
        if (!WriteOutput(listFile, std::vector<uint8_t>(list.begin(), list.end()), error)) {
            return Fail(listFile + ": " + error);
        }
        written += "; " + listFile + ": " + std::to_string(description.sprites.size()) + " sprites";
    }
    std::printf("%s\n", written.c_str());
    return 0;
}

int Dump(const std::vector<std::string>& args)
{
    if (args.size() != 1) return Fail(std::string("dump takes one map file\n") + Usage);
    std::vector<uint8_t> file;
    std::string error;
    FileFault fault;
    if (!ReadFileWithin(args[0], MaxMapFileBytes, file, fault))
        return Fail(args[0] + ": " + WhyUnreadable(args[0], fault));
    MapSource map;
    if (!DecodeMapFile(file, map, error)) return Fail(args[0] + ": " + error);
    std::fputs(FormatMapText(map).c_str(), stdout);
    return 0;
}

int Render(const std::vector<std::string>& args)
{
    RenderView view;
    bool grid = false;
    std::vector<std::string> rest;
    for (const std::string& arg : args) {
        if (arg == "--whole") view.whole = true;
        else if (arg == "--grid") grid = true;
        else rest.push_back(arg);
    }
    const size_t numbers = rest.size() < 2 ? 0 : rest.size() - 2;
    if (rest.size() < 2 || (numbers != 0 && numbers != 2 && numbers != 4) || (view.whole && numbers != 0)) {
        return Fail(std::string("render takes a folder, a picture and up to four numbers (none with --whole)\n") +
                    Usage);
    }
    int32_t* fields[] = {&view.cameraX, &view.cameraY, &view.cameraOffsetX, &view.cameraOffsetY};
    for (size_t i = 0; i < numbers; ++i) {
        int64_t value = 0;
        if (!ParseWholeNumber(rest[2 + i], -1000000, 1000000, value)) {
            return Fail("'" + rest[2 + i] + "' is not a whole number");
        }
        *fields[i] = int32_t(value);
    }
    const std::string& folder = rest[0];
    const std::string& picturePath = rest[1];
    if (const std::string why = WhyNotAFolder(folder); !why.empty()) return Fail(folder + ": " + why);
    std::string error;
    if (!MakeFolderFor(picturePath, error)) return Fail(picturePath + ": " + error);
    // The picture's name is taken before the world's folder becomes the working directory.
    const std::string picture = std::filesystem::absolute(picturePath).string();
    RenderedWorld world;
    std::string unreadFile;
    if (!RenderWorld(folder, view, world, error, unreadFile)) {
        if (unreadFile.empty()) return Fail(folder + ": " + error);
        return Fail(InFolder(folder) + unreadFile + ": " + error + " (maptool check " + folder + " says why)");
    }
    RgbaImage image = OpaqueImage(uint32_t(world.width), uint32_t(world.height), world.pixels);
    if (grid) DrawCellGrid(image, world.originX, world.originY, world.mapWidth, world.mapHeight);
    if (!SavePng(picture, image, error, PngChannels::Rgb)) return Fail(error);
    std::printf("%s: %s%d x %d pixels%s\n", picturePath.c_str(),
                view.whole ? ("the whole " + std::to_string(world.mapWidth) + " x " + std::to_string(world.mapHeight) +
                              " map, ")
                                 .c_str()
                           : "",
                world.width, world.height, grid ? ", with the cell grid" : "");
    return 0;
}

int Check(const std::vector<std::string>& args)
{
    if (args.size() != 1) return Fail(std::string("check takes one world folder\n") + Usage);
    const std::string& folder = args[0];
    if (const std::string why = WhyNotAFolder(folder); !why.empty()) return Fail(folder + ": " + why);
    const std::vector<WorldFinding> findings = CheckWorldFolder(folder);
    size_t hiding = 0;
    for (const WorldFinding& finding : findings) {
        std::printf("maptool: %s\n", FormatFinding(finding, InFolder(folder)).c_str());
        hiding += finding.hides;
    }
    if (findings.empty()) {
        std::printf("%s: the program finds everything the world refers to\n", folder.c_str());
    } else {
        std::printf("%s: %zu finding%s, %zu of them keeping something from showing or walking\n", folder.c_str(),
                    findings.size(), findings.size() == 1 ? "" : "s", hiding);
    }
    return hiding ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Fail(std::string("no command\n") + Usage);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "build") return Build(args);
    if (command == "dump") return Dump(args);
    if (command == "render") return Render(args);
    if (command == "check") return Check(args);
    if (command == "help" || command == "--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    return Fail("unknown command '" + command + "'\n" + Usage);
}
