#include "tools/tmximport/TmxImport.h"

#include "base/BoundedReader.h"
#include "map/MapFile.h"
#include "sprite/SpriteFile.h"
#include "tools/tmximport/TmxReader.h"
#include "tools/tmximport/WorldRestorer.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>

namespace {

// The walker's sprite file, copied into the world under its own name. A file
// that is not a sprite file would end the program at its first step.
struct WalkerFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

WalkerFile ReadWalker(const std::string& path, const ConvertedWorld& world)
{
    WalkerFile walker;
    if (!ReadFileBytes(path, walker.bytes)) throw std::runtime_error("cannot read the walker sprite \"" + path + "\"");
    BoundedReader reader(walker.bytes.data(), walker.bytes.size());
    if (!ReadSpriteMagic(reader)) {
        throw std::runtime_error("\"" + path + "\" is not a sprite file (it does not start with \"" + SpriteMagic +
                                 "\")");
    }
    walker.name = std::filesystem::path(path).filename().string();
    if (walker.name.empty() ||
        std::any_of(walker.name.begin(), walker.name.end(), [](char c) { return std::isspace((unsigned char)c); })) {
        throw std::runtime_error("the walker sprite's file name must be one word");
    }
    for (const SpriteFile& sprite : world.sprites) {
        if (sprite.fileName == walker.name) {
            throw std::runtime_error("the walker sprite's name " + walker.name + " is also a tileset's");
        }
    }
    return walker;
}

void Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    if (!WriteFileBytes(path.string(), bytes)) throw std::runtime_error("cannot write " + path.string());
}

// Everything is checked before the first file is written.
void WriteWorld(const ConvertedWorld& world, const ImportOptions& options)
{
    std::vector<SpriteListing> list;
    WalkerFile walker;
    if (!options.walkerPath.empty()) {
        if (world.spriteListText) {
            throw std::runtime_error("a map made by tmxexport keeps its world's sprite list: --walker is for maps "
                                     "made in the editor");
        }
        walker = ReadWalker(options.walkerPath, world);
        list.push_back({WalkerSpriteId, walker.name});
    }
    // Every name is checked before anything is written, so that a refused
    // name leaves no part of the world behind.
    for (const SpriteFile& sprite : world.sprites) {
        if (!StaysInside(sprite.fileName)) {
            throw std::runtime_error(options.mapPath + ": the sprite file name \"" + sprite.fileName +
                                     "\" leaves the world folder");
        }
    }
    const std::filesystem::path folder(options.folder);
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    if (failed) throw std::runtime_error("cannot make the folder " + options.folder + ": " + failed.message());
    if (!walker.name.empty()) Write(folder / walker.name, walker.bytes);
    for (const SpriteFile& sprite : world.sprites) {
        const std::filesystem::path path = folder / sprite.fileName;
        std::filesystem::create_directories(path.parent_path(), failed);
        Write(path, sprite.bytes ? *sprite.bytes : EncodeSpriteFile(sprite.sprite));
    }
    list.insert(list.end(), world.spriteList.begin(), world.spriteList.end());
    std::string listText = FormatSpriteList(list);
    if (world.spriteListText) listText = *world.spriteListText;
    Write(folder / SpriteListFileName, std::vector<uint8_t>(listText.begin(), listText.end()));
    Write(folder / MapFileName, world.mapBytes ? *world.mapBytes : EncodeMapFile(world.map));
}

// A map that tmxexport made gives back the world it came from.
ConvertedWorld Convert(const TmxMap& map)
{
    return IsExportedWorld(map) ? RestoreWorld(map) : BuildWorld(map);
}

void Summarise(const ConvertedWorld& world, ImportSummary& summary)
{
    summary.width = world.map.width;
    summary.height = world.map.height;
    summary.floorTiles = world.map.floorTiles.size();
    summary.objects = world.map.objects.size();
    summary.blockedCells = size_t(std::count_if(world.map.cells.begin(), world.map.cells.end(),
                                                [](const CellSource& cell) { return cell.blocked != 0; }));
    summary.sprites = world.sprites.size();
    summary.warnings = world.warnings;
}

}  // namespace

bool ConvertTmxText(const std::string& text, const std::string& path, ConvertedWorld& world, std::string& error)
{
    try {
        world = Convert(ReadTmxText(text, path));
        return true;
    } catch (const std::bad_alloc&) {
        error = path + ": the map needs more memory than there is";
    } catch (const std::exception& refusal) {
        error = refusal.what();
    }
    return false;
}

bool ImportTmx(const ImportOptions& options, ImportSummary& summary, std::string& error)
{
    try {
        const ConvertedWorld world = Convert(ReadTmxFile(options.mapPath));
        WriteWorld(world, options);
        Summarise(world, summary);
        return true;
    } catch (const std::bad_alloc&) {
        error = options.mapPath + ": the map needs more memory than there is";
    } catch (const std::exception& refusal) {
        error = refusal.what();
    }
    return false;
}
