// libFuzzer target: any bytes after the magic into LoadSprite, then every
// animation of what loaded drawn onto a small surface. The first input byte
// picks the display depth. The magic itself is always right: a wrong one ends
// the process by design, which would end the fuzzing too.
#include "sprite/AnimationCursor.h"
#include "sprite/DisplayDepth.h"
#include "sprite/Sprite.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Returns the path of the input file, in memory-backed /dev/shm where there is
// one, since a file is written and read for every input.
const std::string& InputPath()
{
    static const std::string path = [] {
        std::error_code error;
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path folder =
            std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
        return (folder / ("fuzz-sprite-" + std::to_string(getpid()) + ".spr")).string();
    }();
    static const bool removedAtExit = std::atexit([] { std::remove(InputPath().c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

bool WriteInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file) return false;
    std::fwrite("SPRITE", 1, 6, file);
    if (size) std::fwrite(data, 1, size, file);
    return std::fclose(file) == 0;
}

void DrawEveryAnimation(const Sprite& sprite, uint8_t depth)
{
    static uint8_t surface[48][64 * 4];
    const SurfaceBuffer target = {&surface[0][0], &surface[47][0] + 64 * 4, 64 * 4, 48, 64, depth};
    for (int32_t a = 0; a < sprite.animationCount; ++a) {
        const Animation& animation = sprite.animations[a];
        AnimationCursor cursor;
        for (int32_t f = 0; f < animation.frameCount; ++f) {
            cursor.frameIndex = f;
            sprite.DrawSprite(target, animation.name, animation.direction, 20, 10, nullptr, &cursor);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    DisplayDepth = (data[0] & 1) ? 16 : 32;
    if (!WriteInput(data + 1, size - 1)) return 0;

    Sprite sprite;
    sprite.ResetSprite();
    if (sprite.LoadSprite(InputPath().c_str())) DrawEveryAnimation(sprite, DisplayDepth);
    sprite.FreeSprite();
    return 0;
}
