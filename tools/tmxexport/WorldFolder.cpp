#include "tools/tmxexport/WorldFolder.h"

#include "map/MapFile.h"
#include "sprite/SpriteRegistry.h"
#include "tools/tiledworld/BytePatch.h"
#include "tools/tiledworld/TiledLimits.h"
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
    FileFault fault;
    if (!ReadFileWithin(path.string(), MaxSpriteFileBytes, bytes, fault)) {
        sprite.missing = fault.kind == FileFault::Missing;
        if (!sprite.missing) error = path.string() + ": " + fault.why;
        return sprite.missing;
    }
    Sprite loaded{};
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
    FileFault fault;
    if (!ReadFileWithin(path.string(), MaxTextFileBytes, bytes, fault)) {
        error = path.string() + ": cannot be read: it " + fault.why + WorldFolderHolds;
        return false;
    }
    if (!registry.LoadSpriteList(path.string().c_str())) {
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

// The frames of the sprites read so far, held to what a map carries back.
struct FrameCount {
    uint64_t frames = 0;
    uint64_t pixels = 0;
};

// tmximport reads a frame's picture as a tile of at most MaxTileSide pixels
// a side, and the sprites' frames within MaxFrames and MaxFramePixels: a
// world beyond those is refused here, with the reason, rather than written as
// a map that cannot come back.
bool CountFrames(const WorldSprite& sprite, const std::filesystem::path& folder, FrameCount& count, std::string& error)
{
    const std::string name = (folder / sprite.fileName).string();
    for (const AnimationSource& animation : sprite.source.animations) {
        for (size_t f = 0; f < animation.frames.size(); ++f) {
            const FrameSource& frame = animation.frames[f];
            ++count.frames;
            if (!frame.pixelsPresent || frame.width == 0 || frame.height == 0) continue;
            count.pixels += uint64_t(frame.width) * frame.height;
            if (frame.width > MaxTileSide || frame.height > MaxTileSide) {
                error = name + ": the frame " + std::to_string(f) + " of \"" + animation.name + "\" is " +
                        std::to_string(frame.width) + " x " + std::to_string(frame.height) +
                        " pixels; a Tiled map carries frames of at most " + std::to_string(MaxTileSide) +
                        " pixels a side back to the world";
                return false;
            }
        }
    }
    if (count.frames > MaxFrames || count.pixels > MaxFramePixels) {
        error = name + ": the world's sprites hold more than " +
                (count.frames > MaxFrames ? std::to_string(MaxFrames) + " frames"
                                          : std::to_string(MaxFramePixels) + " pixels of frames") +
                ", more than a Tiled map carries back to the world";
        return false;
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
    FileFault fault;
    if (!ReadFileWithin(mapPath.string(), MaxMapFileBytes, mapBytes, fault)) {
        error = mapPath.string() + ": cannot be read: it " + fault.why + WorldFolderHolds;
        return false;
    }
    std::string why;
    if (!DecodeMapFile(mapBytes, world.map, why)) {
        error = mapPath.string() + ": " + why;
        return false;
    }
    world.mapDifference = DescribeDifference(EncodeMapFile(world.map), mapBytes);
    mapBytes = {};
    FrameCount frames;
    for (WorldSprite& sprite : world.sprites) {
        if (!ReadSprite(folder, sprite, error) || !CountFrames(sprite, folder, frames, error)) return false;
        if (sprite.missing) world.notes.push_back(sprite.fileName + " is listed but not in the folder: kept listed");
    }
    return true;
}
