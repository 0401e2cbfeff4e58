#include "tools/worldfiles/SpriteSource.h"

#include "base/BoundedReader.h"
#include "sprite/FrameBlit.h"
#include "sprite/SpriteFile.h"

#include <cstring>

bool ReadSpriteBytes(const std::vector<uint8_t>& bytes, const std::string& name, Sprite& sprite, std::string& error)
{
    BoundedReader reader(bytes.data(), bytes.size());
    if (!ReadSpriteMagic(reader)) {
        error = name + ": not a sprite file (it does not start with " + SpriteMagic + ")";
        return false;
    }
    if (!sprite.ReadSprite(reader, 32)) {
        error = name + ": damaged: the layout breaks at or before byte " + std::to_string(reader.Offset()) + " of " +
                std::to_string(bytes.size());
        return false;
    }
    return true;
}

FrameSource SourceOf(const SpriteFrame& frame)
{
    FrameSource source;
    source.duration = frame.duration;
    source.colorKey = DisplayColorKey(frame.colorKey, 32);
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
        for (int32_t f = 0; f < animation.frameCount; ++f) out.frames.push_back(SourceOf(animation.frames[f]));
        source.animations.push_back(std::move(out));
    }
    return source;
}
