// LoadSprite on a large sprite file next to fread of the same bytes (items are
// file bytes, so the summary reads MB/s), and DrawSprite per call (items are
// calls): a frame wholly off the surface, and a visible 64 x 32 frame keyed
// and blended, next to the bare Blt call that does its pixel work.
#include "bench/sprite/LoaderBenchSupport.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameBlit.h"
#include "sprite/Sprite.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <string>
#include <vector>

namespace {

// 8 directions x 16 frames of 128 x 128 pixels, each with a mask: 8.4 MB in
// format 1 (3 bytes a pixel), 6.3 MB in format 0.
SpriteSource LargeSprite(uint8_t pixelFormat)
{
    bench::Noise noise(7);
    SpriteSource sprite;
    sprite.pixelFormat = pixelFormat;
    for (int32_t direction = 0; direction < 8; ++direction) {
        AnimationSource animation{"walk", direction, {}};
        for (int f = 0; f < 16; ++f) {
            FrameSource frame;
            frame.width = frame.height = 128;
            for (int i = 0; i < 128 * 128; ++i) {
                frame.pixels.push_back(noise.Next() & 0xFFFFFF);
                frame.alphaMask.push_back(static_cast<uint8_t>(noise.Next()));
            }
            animation.frames.push_back(std::move(frame));
        }
        sprite.animations.push_back(std::move(animation));
    }
    return sprite;
}

struct SpriteFile {
    std::string path;
    size_t size;
};

const SpriteFile& LargeFile(uint8_t pixelFormat)
{
    static SpriteFile files[2];
    SpriteFile& file = files[pixelFormat];
    if (file.path.empty()) {
        const std::vector<uint8_t> bytes = EncodeSpriteFile(LargeSprite(pixelFormat));
        file.path = bench::BenchFile("sprite-" + std::to_string(pixelFormat) + ".spr");
        WriteFileBytes(file.path, bytes);
        file.size = bytes.size();
    }
    return file;
}

void LoadSpriteFile(benchmark::State& state, uint8_t pixelFormat)
{
    const SpriteFile& file = LargeFile(pixelFormat);
    bench::KeepTheHeap();
    DisplayDepth = 32;
    for (auto _ : state) {
        Sprite sprite;
        sprite.ResetSprite();
        if (!sprite.LoadSprite(file.path.c_str())) state.SkipWithError("LoadSprite failed");
        benchmark::DoNotOptimize(sprite.animations);
        sprite.FreeSprite();
    }
    bench::SetItemsPerPass(state, static_cast<int64_t>(file.size));
}

void FreadFile(benchmark::State& state, uint8_t pixelFormat)
{
    const SpriteFile& file = LargeFile(pixelFormat);
    bench::FreadFile(state, file.path, file.size);
}

// A 640 x 480 x 32 surface and one sprite with a keyed, a blended and (as
// the walker has) eight directions of an animation to search through.
struct DrawScene {
    DrawScene()
    {
        surface.assign(640 * 480, 0x00203040);
        target = {reinterpret_cast<uint8_t*>(surface.data()),
                  reinterpret_cast<uint8_t*>(surface.data() + 640 * 480),
                  640 * 4,
                  480,
                  640,
                  32};
        bench::Noise noise(11);
        FrameSource keyed;
        keyed.width = 64;
        keyed.height = 32;
        keyed.anchorX = 32;
        keyed.anchorY = 16;
        for (int i = 0; i < 64 * 32; ++i) keyed.pixels.push_back(noise.Below(4) ? noise.Next() & 0xFFFFFF : 0xFF00FF);
        FrameSource blended = keyed;
        for (int i = 0; i < 64 * 32; ++i) blended.alphaMask.push_back(static_cast<uint8_t>(noise.Next()));
        SpriteSource source;
        for (int32_t direction = 0; direction < 8; ++direction) {
            source.animations.push_back({"keyed", direction, {keyed}});
            source.animations.push_back({"blended", direction, {blended}});
        }
        const std::vector<uint8_t> bytes = EncodeSpriteFile(source);
        const std::string path = bench::BenchFile("draw.spr");
        WriteFileBytes(path, bytes);
        DisplayDepth = 32;
        sprite.ResetSprite();
        sprite.LoadSprite(path.c_str());
    }

    std::vector<uint32_t> surface;
    SurfaceBuffer target;
    Sprite sprite;
};

DrawScene& Scene()
{
    static DrawScene scene;
    return scene;
}

void DrawAt(benchmark::State& state, const char* animation, int32_t x, int32_t y)
{
    DrawScene& scene = Scene();
    DisplayDepth = 32;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.sprite.DrawSprite(scene.target, animation, 7, x, y, nullptr, nullptr));
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, 1);
}

// The blitter's share of a visible draw: the same call with the geometry done once.
void BltAt(benchmark::State& state, const char* animation, int32_t x, int32_t y)
{
    DrawScene& scene = Scene();
    FrameBlit blit;
    PlaceFrame(*scene.sprite.GetCurrentFrame(animation, 7, nullptr), scene.target, x, y, nullptr, 32, blit);
    for (auto _ : state) {
        Blt(blit.destination, blit.source);
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, 1);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("loadsprite/LoadSprite/888+mask", LoadSpriteFile, uint8_t(1))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("loadsprite/fread/888+mask", FreadFile, uint8_t(1))->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("loadsprite/LoadSprite/565+mask", LoadSpriteFile, uint8_t(0))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("loadsprite/fread/565+mask", FreadFile, uint8_t(0))->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("drawsprite/DrawSprite/off-surface", DrawAt, "keyed", -500, 100);
    benchmark::RegisterBenchmark("drawsprite/DrawSprite/64x32-keyed", DrawAt, "keyed", 300, 200);
    benchmark::RegisterBenchmark("drawsprite/Blt/64x32-keyed", BltAt, "keyed", 300, 200);
    benchmark::RegisterBenchmark("drawsprite/DrawSprite/64x32-blended", DrawAt, "blended", 300, 200);
    benchmark::RegisterBenchmark("drawsprite/Blt/64x32-blended", BltAt, "blended", 300, 200);
    return true;
}();

}  // namespace
