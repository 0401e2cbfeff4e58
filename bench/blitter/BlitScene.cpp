#include "bench/blitter/BlitScene.h"

#include "base/PixelFormats.h"
#include "bench/BenchSupport.h"
#include "blitter/SurfaceRect.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace {

constexpr uint32_t Key32 = 0x00FF00FF;
constexpr uint32_t Key565 = 0xF81F;

uint32_t RandomPixel(bench::Noise& noise, int bytesPerPixel)
{
    return bytesPerPixel == 4 ? noise.Next() & 0x00FFFFFF : noise.Next() & 0xFFFF;
}

void Store(uint8_t* at, uint32_t pixel, int bytesPerPixel)
{
    if (bytesPerPixel == 4) {
        at[0] = static_cast<uint8_t>(pixel);
        at[1] = static_cast<uint8_t>(pixel >> 8);
        at[2] = static_cast<uint8_t>(pixel >> 16);
        at[3] = static_cast<uint8_t>(pixel >> 24);
    } else {
        at[0] = static_cast<uint8_t>(pixel);
        at[1] = static_cast<uint8_t>(pixel >> 8);
    }
}

uint32_t Load(const uint8_t* at, int bytesPerPixel)
{
    const uint32_t low = at[0] | at[1] << 8;
    return bytesPerPixel == 4 ? low | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24 : low;
}

// An ellipse filling a 64 x 32 sprite, opaque inside, with a two-pixel soft edge.
uint8_t SpriteShapedAlpha(int x, int y)
{
    const double dx = (x % BlitScene::spriteWidth - 31.5) / 30.0;
    const double dy = (y % BlitScene::spriteHeight - 15.5) / 14.0;
    const double inside = (1.0 - std::sqrt(dx * dx + dy * dy)) * 14.0 / 2.0;  // in edge widths
    if (inside <= 0) return 0;
    if (inside >= 1) return 255;
    return static_cast<uint8_t>(std::clamp(inside * 255.0, 1.0, 254.0));
}

uint32_t ToArgb(uint32_t pixel, int bytesPerPixel, uint8_t alpha)
{
    if (bytesPerPixel == 2) {
        const uint32_t r = (pixel >> 11) & 0x1F, g = (pixel >> 5) & 0x3F, b = pixel & 0x1F;
        pixel = (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
    }
    return static_cast<uint32_t>(alpha) << 24 | (pixel & 0x00FFFFFF);
}

void FillFrame(BlitScene& scene, BlitInput input, bench::Noise& noise)
{
    const int n = scene.frameWidth * scene.SheetHeight();
    const int size = scene.bytesPerPixel;
    scene.frames.resize(static_cast<size_t>(n) * size);
    if (input == BlitInput::Partial || input == BlitInput::SpriteShaped) scene.masks.resize(n);
    scene.framesArgb.resize(n);
    for (int i = 0; i < n; ++i) {
        uint32_t pixel = RandomPixel(noise, size);
        if (pixel == scene.keyPixel) pixel ^= 1;
        if (input == BlitInput::HalfKeyed && noise.Below(2) == 0) pixel = scene.keyPixel;
        Store(&scene.frames[static_cast<size_t>(i) * size], pixel, size);
        uint8_t alpha = 255;
        if (input == BlitInput::Partial) alpha = static_cast<uint8_t>(1 + noise.Below(254));
        if (input == BlitInput::SpriteShaped) alpha = SpriteShapedAlpha(i % scene.frameWidth, i / scene.frameWidth);
        if (!scene.masks.empty()) scene.masks[i] = alpha;
        scene.framesArgb[i] = ToArgb(Load(&scene.frames[static_cast<size_t>(i) * size], size), size, alpha);
    }
}

std::unique_ptr<BlitScene> MakeScene(const BlitSceneShape& shape)
{
    auto scene = std::make_unique<BlitScene>();
    bench::Noise noise(0x5EED0000u + static_cast<uint32_t>(shape.bytesPerPixel * 16 + static_cast<int>(shape.input)));
    scene->bytesPerPixel = shape.bytesPerPixel;
    scene->keyPixel = shape.bytesPerPixel == 4 ? Key32 : Key565;
    scene->screen.resize(static_cast<size_t>(BlitScene::screenWidth) * BlitScene::screenHeight * shape.bytesPerPixel);
    for (size_t i = 0; i < scene->screen.size(); ++i) scene->screen[i] = static_cast<uint8_t>(noise.Next());
    if (shape.coverage == BlitCoverage::Screen) {
        scene->frameWidth = BlitScene::screenWidth;
        scene->frameHeight = BlitScene::screenHeight;
        scene->placements.push_back({0, 0});
    } else {
        scene->frameWidth = BlitScene::spriteWidth;
        scene->frameHeight = BlitScene::spriteHeight;
        for (int y = 0; y < BlitScene::screenHeight; y += BlitScene::spriteHeight) {
            for (int x = 0; x < BlitScene::screenWidth; x += BlitScene::spriteWidth)
                scene->placements.push_back({x, y});
        }
    }
    FillFrame(*scene, shape.input, noise);
    return scene;
}

}  // namespace

SurfaceBuffer BlitScene::Target(int i)
{
    return WholeSurfaceBuffer(ScreenAt(placements[i]), ScreenPitch(), frameWidth, frameHeight,
                              static_cast<uint8_t>(bytesPerPixel * 8));
}

BlitSource BlitScene::Source(int i) const
{
    BlitSource source{};
    source.pixels = frames.data() + static_cast<size_t>(i) * frameHeight * FramePitch();
    source.alphaMask = masks.empty() ? nullptr : masks.data() + static_cast<size_t>(i) * frameHeight * frameWidth;
    source.pitch = FramePitch();
    source.alphaPitch = frameWidth;
    source.height = frameHeight;
    source.width = frameWidth;
    source.colorKey = bytesPerPixel == 4 ? keyPixel : Widened565(static_cast<uint16_t>(keyPixel));
    source.bitsPerPixel = static_cast<uint8_t>(bytesPerPixel * 8);
    return source;
}

BlitScene& SceneFor(const BlitSceneShape& shape)
{
    static std::map<std::tuple<int, BlitInput, BlitCoverage>, std::unique_ptr<BlitScene>> scenes;
    std::unique_ptr<BlitScene>& scene = scenes[{shape.bytesPerPixel, shape.input, shape.coverage}];
    if (!scene) scene = MakeScene(shape);
    return *scene;
}
