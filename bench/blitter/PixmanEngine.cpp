#include "bench/BenchSupport.h"
#include "bench/blitter/BlitEngines.h"

#include <pixman.h>

namespace {

pixman_image_t* Wrap(pixman_format_code_t format, int width, int height, void* bits, int pitch)
{
    return pixman_image_create_bits(format, width, height, static_cast<uint32_t*>(bits), pitch);
}

}  // namespace

void RunPixman(benchmark::State& state, BlitScene& scene, PixmanJob job)
{
    const pixman_format_code_t format = scene.bytesPerPixel == 4 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
    pixman_image_t* screen = Wrap(format, BlitScene::screenWidth, BlitScene::screenHeight, scene.screen.data(),
                                  scene.ScreenPitch());
    pixman_image_t* frames = Wrap(format, scene.frameWidth, scene.SheetHeight(), scene.frames.data(), scene.FramePitch());
    pixman_image_t* masks = job == PixmanJob::OverWithMask
                                ? Wrap(PIXMAN_a8, scene.frameWidth, scene.SheetHeight(), scene.masks.data(), scene.frameWidth)
                                : nullptr;
    const pixman_op_t op = job == PixmanJob::OverWithMask ? PIXMAN_OP_OVER : PIXMAN_OP_SRC;
    for (auto _ : state) {
        for (int i = 0; i < scene.FrameCount(); ++i) {
            const Placement p = scene.placements[i];
            const int sheetY = i * scene.frameHeight;
            pixman_image_composite32(op, frames, masks, screen, 0, sheetY, 0, sheetY, p.x, p.y, scene.frameWidth,
                                     scene.frameHeight);
        }
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, scene.PixelsPerPass());
    if (masks) pixman_image_unref(masks);
    pixman_image_unref(frames);
    pixman_image_unref(screen);
}
