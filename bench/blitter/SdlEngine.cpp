#include "bench/BenchSupport.h"
#include "bench/blitter/BlitEngines.h"

#include <SDL.h>

void RunSdl(benchmark::State& state, BlitScene& scene, SdlJob job)
{
    const Uint32 format = scene.bytesPerPixel == 4 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormatFrom(scene.screen.data(), BlitScene::screenWidth,
                                                             BlitScene::screenHeight, scene.bytesPerPixel * 8,
                                                             scene.ScreenPitch(), format);
    SDL_Surface* frames =
        job == SdlJob::PerPixelAlpha
            ? SDL_CreateRGBSurfaceWithFormatFrom(scene.framesArgb.data(), scene.frameWidth, scene.SheetHeight(), 32,
                                                 scene.frameWidth * 4, SDL_PIXELFORMAT_ARGB8888)
            : SDL_CreateRGBSurfaceWithFormatFrom(scene.frames.data(), scene.frameWidth, scene.SheetHeight(),
                                                 scene.bytesPerPixel * 8, scene.FramePitch(), format);
    if (!screen || !frames) {
        state.SkipWithError(SDL_GetError());
        SDL_FreeSurface(frames);  // either may be null, which SDL ignores
        SDL_FreeSurface(screen);
        return;
    }
    SDL_SetSurfaceRLE(frames, 0);
    if (job == SdlJob::ColorKey) SDL_SetColorKey(frames, SDL_TRUE, scene.keyPixel);
    SDL_SetSurfaceBlendMode(frames, job == SdlJob::PerPixelAlpha ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    int failed = 0;
    for (auto _ : state) {
        for (int i = 0; i < scene.FrameCount(); ++i) {
            SDL_Rect from{0, i * scene.frameHeight, scene.frameWidth, scene.frameHeight};
            SDL_Rect at{scene.placements[i].x, scene.placements[i].y, scene.frameWidth, scene.frameHeight};
            failed |= SDL_BlitSurface(frames, &from, screen, &at);
        }
        benchmark::ClobberMemory();
    }
    if (failed) state.SkipWithError(SDL_GetError());
    bench::SetItemsPerPass(state, scene.PixelsPerPass());
    SDL_FreeSurface(frames);
    SDL_FreeSurface(screen);
}
