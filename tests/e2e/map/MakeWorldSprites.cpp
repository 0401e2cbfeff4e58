// The sprite files of the end-to-end world (world.txt), written into the
// folder given: two floor tiles and three objects, one blended through an
// alpha mask, one colour-keyed, one copied opaquely. Patterns rather than flat
// colours, so that a pixel out of place shows; no pure red, which is the
// frame-rate text's colour.
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr uint32_t Key = 0xFF00FF;

bool InDiamond(int x, int y)
{
    return std::abs(2 * x - 39) * 10 + std::abs(2 * y - 19) * 20 <= 400;
}

// A 40 x 20 diamond, keyed outside, anchored at its middle.
FrameSource Diamond(uint32_t (*shade)(int x, int y))
{
    FrameSource frame;
    frame.width = 40;
    frame.height = 20;
    frame.anchorX = 20;
    frame.anchorY = 10;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) frame.pixels.push_back(InDiamond(x, y) ? shade(x, y) : Key);
    }
    return frame;
}

uint32_t Grass(int x, int y)
{
    return uint32_t(0x10 + (x * 3 + y) % 24) << 16 | uint32_t(0x80 + (x * 7 + y * 5) % 64) << 8 | 0x20;
}

uint32_t Stone(int x, int y)
{
    const uint32_t grey = 0x70 + uint32_t((x / 4 + y / 3) % 5) * 0x10;
    return grey << 16 | grey << 8 | (grey + 8);
}

// A 32 x 48 glow, blended: opaque in its core, fading out to its edges.
FrameSource Ghost()
{
    FrameSource frame;
    frame.width = 32;
    frame.height = 48;
    frame.anchorX = 16;
    frame.anchorY = 44;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 32; ++x) {
            frame.pixels.push_back(uint32_t(0x40 + x * 4) << 16 | uint32_t(0x60 + y * 2) << 8 | 0xE0);
            const int dx = std::abs(2 * x - 31), dy = std::abs(y - 24);
            const int fade = 255 - (dx * 3 + dy * 4);
            frame.alphaMask.push_back(static_cast<uint8_t>(fade < 0 ? 0 : fade));
        }
    }
    return frame;
}

// A 30 x 30 crate with keyed holes.
FrameSource Crate()
{
    FrameSource frame;
    frame.width = 30;
    frame.height = 30;
    frame.anchorX = 15;
    frame.anchorY = 26;
    frame.offsetX = 2;  // placed by anchor and offset together
    frame.offsetY = -1;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool hole = (x / 5 + y / 5) % 3 == 0 && x % 5 && y % 5;
            frame.pixels.push_back(hole ? Key : uint32_t(0x90 + x) << 16 | uint32_t(0x50 + y) << 8 | 0x18);
        }
    }
    return frame;
}

// A 16 x 40 pillar drawn opaquely: its key-coloured stripes are drawn too.
FrameSource Pillar()
{
    FrameSource frame;
    frame.width = 16;
    frame.height = 40;
    frame.anchorX = 8;
    frame.anchorY = 36;
    frame.flags = 1;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 16; ++x) frame.pixels.push_back(y % 9 == 0 ? Key : 0xD0C000 + uint32_t(x * 8 + y));
    }
    return frame;
}

SpriteSource OneAnimation(const char* name, FrameSource frame, uint8_t pixelFormat = 1)
{
    SpriteSource sprite;
    sprite.pixelFormat = pixelFormat;
    sprite.animations.push_back({name, 0, {frame}});
    return sprite;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-world-sprites <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const struct {
        const char* file;
        SpriteSource sprite;
    } sprites[] = {
        {"grass.spr", OneAnimation("floor", Diamond(Grass))},
        {"stone.spr", OneAnimation("floor", Diamond(Stone))},
        {"ghost.spr", OneAnimation("idle", Ghost())},
        {"crate.spr", OneAnimation("idle", Crate())},
        // Stored as 5-6-5: drawn opaquely, so no key needs to survive the conversion.
        {"pillar.spr", OneAnimation("idle", Pillar(), 0)},
    };
    for (const auto& entry : sprites) {
        if (!WriteFileBytes(folder + "/" + entry.file, EncodeSpriteFile(entry.sprite))) {
            std::fprintf(stderr, "make-world-sprites: cannot write %s/%s\n", folder.c_str(), entry.file);
            return 1;
        }
    }
    return 0;
}
