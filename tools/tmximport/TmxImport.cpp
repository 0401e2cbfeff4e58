#include "tools/tmximport/TmxImport.h"

#include "tools/maptool/MapFileCodec.h"
#include "tools/tmximport/TmxReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

namespace {

// The walker's sprite file is copied into the world under its own name. A
// file that is not a sprite file would end the program at its first step.
SpriteListing CopyWalker(const std::string& path, const std::filesystem::path& folder)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) throw std::runtime_error("cannot read the walker sprite \"" + path + "\"");
    if (bytes.compare(0, 6, "SPRITE") != 0) {
        throw std::runtime_error("\"" + path + "\" is not a sprite file (it does not start with \"SPRITE\")");
    }
    const std::string name = std::filesystem::path(path).filename().string();
    if (name.empty() || std::any_of(name.begin(), name.end(), [](char c) { return std::isspace((unsigned char)c); })) {
        throw std::runtime_error("the walker sprite's file name must be one word");
    }
    if (!WriteFileBytes((folder / name).string(), std::vector<uint8_t>(bytes.begin(), bytes.end()))) {
        throw std::runtime_error("cannot write " + (folder / name).string());
    }
    return {WalkerSpriteId, name};
}

void Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    if (!WriteFileBytes(path.string(), bytes)) throw std::runtime_error("cannot write " + path.string());
}

void WriteWorld(const ConvertedWorld& world, const ImportOptions& options)
{
    const std::filesystem::path folder(options.folder);
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    if (failed) throw std::runtime_error("cannot make the folder " + options.folder + ": " + failed.message());
    std::vector<SpriteListing> list;
    if (!options.walkerPath.empty()) list.push_back(CopyWalker(options.walkerPath, folder));
    for (const SpriteFile& sprite : world.sprites) {
        for (const SpriteListing& taken : list) {
            if (taken.fileName == sprite.fileName) {
                throw std::runtime_error("the walker sprite's name " + sprite.fileName + " is also a tileset's");
            }
        }
        Write(folder / sprite.fileName, EncodeSpriteFile(sprite.sprite));
    }
    list.insert(list.end(), world.spriteList.begin(), world.spriteList.end());
    const std::string listText = FormatSpriteList(list);
    Write(folder / "SpriteList.txt", std::vector<uint8_t>(listText.begin(), listText.end()));
    Write(folder / "test.map", EncodeMapFile(world.map));
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
        world = BuildWorld(ReadTmxText(text, path));
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
        const ConvertedWorld world = BuildWorld(ReadTmxFile(options.mapPath));
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
