#include "bench/blitter/BlitEngines.h"

#include <pixman.h>

#include <memory>

namespace {

using Image = std::shared_ptr<pixman_image_t>;

Image Wrap(pixman_format_code_t format, int width, int height, void* bits, int pitch)
{
    return Image(pixman_image_create_bits(format, width, height, static_cast<uint32_t*>(bits), pitch),
                 [](pixman_image_t* image) {
                     if (image) pixman_image_unref(image);
                 });
}

}  // namespace

BlitPass PixmanPass(benchmark::State&, BlitScene& scene, PixmanJob job)
{
    const pixman_format_code_t format = scene.bytesPerPixel == 4 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
    const Image screen =
        Wrap(format, BlitScene::screenWidth, BlitScene::screenHeight, scene.screen.data(), scene.ScreenPitch());
    const Image frames = Wrap(format, scene.frameWidth, scene.SheetHeight(), scene.frames.data(), scene.FramePitch());
    const Image masks = job == PixmanJob::OverWithMask ? Wrap(PIXMAN_a8, scene.frameWidth, scene.SheetHeight(),
                                                              scene.masks.data(), scene.frameWidth)
                                                       : nullptr;
    const pixman_op_t op = job == PixmanJob::OverWithMask ? PIXMAN_OP_OVER : PIXMAN_OP_SRC;
    return [&scene, screen, frames, masks, op] {
        for (int i = 0; i < scene.FrameCount(); ++i) {
            const Placement p = scene.placements[i];
            const int sheetY = i * scene.frameHeight;
            pixman_image_composite32(op, frames.get(), masks.get(), screen.get(), 0, sheetY, 0, sheetY, p.x, p.y,
                                     scene.frameWidth, scene.frameHeight);
        }
        return true;
    };
}
