#include "bench/blitter/BlitEngines.h"

#include <SDL.h>

#include <memory>

namespace {

using Surface = std::shared_ptr<SDL_Surface>;

Surface Wrap(void* pixels, int width, int height, int depth, int pitch, Uint32 format)
{
    return Surface(SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, depth, pitch, format), SDL_FreeSurface);
}

}  // namespace

BlitPass SdlPass(benchmark::State& state, BlitScene& scene, SdlJob job)
{
    const Uint32 format = scene.bytesPerPixel == 4 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    const Surface screen = Wrap(scene.screen.data(), BlitScene::screenWidth, BlitScene::screenHeight,
                                scene.bytesPerPixel * 8, scene.ScreenPitch(), format);
    const Surface frames = job == SdlJob::PerPixelAlpha
                               ? Wrap(scene.framesArgb.data(), scene.frameWidth, scene.SheetHeight(), 32,
                                      scene.frameWidth * 4, SDL_PIXELFORMAT_ARGB8888)
                               : Wrap(scene.frames.data(), scene.frameWidth, scene.SheetHeight(),
                                      scene.bytesPerPixel * 8, scene.FramePitch(), format);
    if (!screen || !frames) {
        state.SkipWithError(SDL_GetError());
        return {};
    }
    SDL_SetSurfaceRLE(frames.get(), 0);
    if (job == SdlJob::ColorKey) SDL_SetColorKey(frames.get(), SDL_TRUE, scene.keyPixel);
    SDL_SetSurfaceBlendMode(frames.get(), job == SdlJob::PerPixelAlpha ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    return [&scene, screen, frames] {
        int failed = 0;
        for (int i = 0; i < scene.FrameCount(); ++i) {
            SDL_Rect from{0, i * scene.frameHeight, scene.frameWidth, scene.frameHeight};
            SDL_Rect at{scene.placements[i].x, scene.placements[i].y, scene.frameWidth, scene.frameHeight};
            failed |= SDL_BlitSurface(frames.get(), &from, screen.get(), &at);
        }
        return failed == 0;
    };
}
