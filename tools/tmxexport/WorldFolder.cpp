#include "tools/tmxexport/WorldFolder.h"

#include "map/MapFile.h"
#include "sprite/SpriteRegistry.h"
#include "tools/tiledworld/BytePatch.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <filesystem>
#include <map>

namespace {

const std::string WorldFolderHolds =
    std::string(" (a world folder holds ") + SpriteListFileName + " and " + MapFileName + ")";

bool ReadSprite(const std::filesystem::path& folder, WorldSprite& sprite, std::string& error)
{
    const std::filesystem::path path = folder / sprite.fileName;
    std::vector<uint8_t> bytes;
    if (!std::filesystem::exists(path)) {
        sprite.missing = true;
        return true;
    }
    Sprite loaded{};
    if (!ReadFileBytes(path.string(), bytes)) {
        std::error_code failure;
        error =
            path.string() + (std::filesystem::is_regular_file(path, failure) ? ": cannot be read" : ": is not a file");
        return false;
    }
    if (!ReadSpriteBytes(bytes, path.string(), loaded, error)) return false;
    sprite.source = SourceOf(loaded);
    loaded.FreeSprite();
    sprite.difference = DescribeDifference(EncodeSpriteFile(sprite.source), bytes);
    return true;
}

bool ReadList(const std::filesystem::path& folder, WorldFolder& world, std::string& error)
{
    const std::filesystem::path path = folder / SpriteListFileName;
    std::vector<uint8_t> bytes;
    SpriteRegistry registry;
    if (!ReadFileBytes(path.string(), bytes) || !registry.LoadSpriteList(path.string().c_str())) {
        error = path.string() + ": cannot be read" + WorldFolderHolds;
        return false;
    }
    world.listText.assign(bytes.begin(), bytes.end());
    std::map<std::string, bool> seen;
    for (int i = 0; i < registry.EntryCount(); ++i) {
        const SpriteEntry& entry = registry.Entry(i);
        world.list.push_back({entry.id, entry.fileName});
        if (seen[entry.fileName] || !*entry.fileName) continue;
        seen[entry.fileName] = true;
        if (!StaysInside(entry.fileName)) {
            error = path.string() + ": the sprite file name \"" + entry.fileName + "\" leaves the world folder";
            return false;
        }
        world.sprites.push_back({entry.fileName, false, {}, ""});
    }
    return true;
}

}  // namespace

int WorldFolder::SpriteIndexFor(int32_t spriteId) const
{
    for (const SpriteListing& listing : list) {
        if (listing.id != spriteId) continue;
        for (size_t i = 0; i < sprites.size(); ++i) {
            if (sprites[i].fileName == listing.fileName) return int(i);
        }
        return -1;
    }
    return -1;
}

const WorldSprite* WorldFolder::SpriteFor(int32_t spriteId) const
{
    const int index = SpriteIndexFor(spriteId);
    return index >= 0 && !sprites[size_t(index)].missing ? &sprites[size_t(index)] : nullptr;
}

bool ReadWorldFolder(const std::string& folderName, WorldFolder& world, std::string& error)
{
    const std::filesystem::path folder(folderName);
    world = WorldFolder{};
    if (!ReadList(folder, world, error)) return false;
    std::vector<uint8_t> mapBytes;
    const std::filesystem::path mapPath = folder / MapFileName;
    if (!ReadFileBytes(mapPath.string(), mapBytes)) {
        error = mapPath.string() + ": cannot be read" + WorldFolderHolds;
        return false;
    }
    std::string why;
    if (!DecodeMapFile(mapBytes, world.map, why)) {
        error = mapPath.string() + ": " + why;
        return false;
    }
    world.mapDifference = DescribeDifference(EncodeMapFile(world.map), mapBytes);
    for (WorldSprite& sprite : world.sprites) {
        if (!ReadSprite(folder, sprite, error)) return false;
        if (sprite.missing) world.notes.push_back(sprite.fileName + " is listed but not in the folder: kept listed");
    }
    return true;
}
