#include "tools/tmxexport/WorldFolder.h"

#include "sprite/SpriteRegistry.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/spritetool/SpriteContents.h"
#include "tools/tiledworld/BytePatch.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// False for anything but a regular file that reads whole: a listed name may
// name a folder, which opens but throws on the first read.
bool ReadBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes)
{
    std::error_code failure;
    if (!std::filesystem::is_regular_file(path, failure)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    try {
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return false;
    }
    return !file.bad();
}

// The program opens a listed name relative to the folder: a name that leaves
// it would make the import write outside the folder it was given.
bool StaysInside(const std::string& name)
{
    const std::filesystem::path path(name);
    if (name.empty() || path.is_absolute() || path.has_root_name()) return false;
    for (const auto& part : path.lexically_normal()) {
        if (part == "..") return false;
    }
    return true;
}

// The frame as the sprite tool's writer describes it: the writer then gives
// back the file, but for what the records do not carry.
FrameSource FrameOf(const SpriteFrame& frame)
{
    FrameSource source;
    source.duration = frame.duration;
    const uint32_t key = uint32_t(frame.colorKey);
    source.colorKey = (key & 0xFF) << 16 | (key & 0xFF00) | ((key >> 16) & 0xFF);
    source.flags = frame.flags;
    source.anchorX = frame.anchorX;
    source.anchorY = frame.anchorY;
    source.offsetX = frame.offsetX;
    source.offsetY = frame.offsetY;
    source.reserved1 = frame.reserved1;
    source.reserved2 = frame.reserved2;
    source.width = frame.width;
    source.height = frame.height;
    source.pixelsPresent = frame.pixels != nullptr;
    const size_t count = size_t(frame.width) * frame.height;
    if (frame.pixels) {
        source.pixels.resize(count);
        for (size_t i = 0; i < count; ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, frame.pixels + 4 * i, 4);
            source.pixels[i] = pixel & 0xFFFFFF;
        }
    }
    if (frame.alphaMaskSize > 0) source.alphaMask.assign(frame.alphaMask, frame.alphaMask + frame.alphaMaskSize);
    if (frame.extraSize > 0) source.extra.assign(frame.extra, frame.extra + frame.extraSize);
    return source;
}

SpriteSource SourceOf(const Sprite& sprite)
{
    SpriteSource source;
    source.id = sprite.id;
    source.pixelFormat = sprite.pixelFormat;
    source.reserved = sprite.reserved;
    for (int32_t a = 0; a < sprite.animationCount; ++a) {
        const Animation& animation = sprite.animations[a];
        AnimationSource out;
        out.name = animation.name;
        out.direction = animation.direction;
        for (int32_t f = 0; f < animation.frameCount; ++f) out.frames.push_back(FrameOf(animation.frames[f]));
        source.animations.push_back(std::move(out));
    }
    return source;
}

bool ReadSprite(const std::filesystem::path& folder, WorldSprite& sprite, std::string& error)
{
    const std::filesystem::path path = folder / sprite.fileName;
    std::vector<uint8_t> bytes;
    if (!std::filesystem::exists(path)) {
        sprite.missing = true;
        return true;
    }
    Sprite loaded{};
    if (!ReadBytes(path, bytes)) {
        std::error_code failure;
        error =
            path.string() + (std::filesystem::is_regular_file(path, failure) ? ": cannot be read" : ": is not a file");
        return false;
    }
    if (!ReadSpriteFile(path.string(), loaded, error)) {
        if (error.empty()) error = path.string() + ": cannot be read";
        return false;
    }
    sprite.source = SourceOf(loaded);
    loaded.FreeSprite();
    sprite.difference = DescribeDifference(EncodeSpriteFile(sprite.source), bytes);
    return true;
}

bool ReadList(const std::filesystem::path& folder, WorldFolder& world, std::string& error)
{
    const std::filesystem::path path = folder / "SpriteList.txt";
    std::vector<uint8_t> bytes;
    SpriteRegistry registry;
    if (!ReadBytes(path, bytes) || !registry.LoadSpriteList(path.string().c_str())) {
        error = path.string() + ": cannot be read (a world folder holds SpriteList.txt and test.map)";
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
    const std::filesystem::path mapPath = folder / "test.map";
    if (!ReadBytes(mapPath, mapBytes)) {
        error = mapPath.string() + ": cannot be read (a world folder holds SpriteList.txt and test.map)";
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
