#include "world/WorldPass.h"

#include "sprite/FrameTick.h"
#include "world/SceneSteps.h"

#include <cstdio>

namespace {

bool KeyHeldOnPlatform(const void* platform, uint8_t virtualKey)
{
    return static_cast<const PassPlatform*>(platform)->KeyHeld(virtualKey);
}

}  // namespace

void RunPass(PassPlatform& platform, FrameRateCounter& frameRate, TileMap& map, Walker& first, Walker& second)
{
    PollKeys(KeyHeldOnPlatform, &platform, first, second);
    FrameTick = platform.Tick();
    UpdateWalkers(first, second);
    frameRate.CountFrame(platform.Tick());
    SurfaceBuffer frame;
    if (platform.ClearFrame(frame)) DrawScene(map, frame);
    char text[256];
    std::snprintf(text, sizeof text, "%.2f", frameRate.rate);
    platform.WriteRate(text);
    platform.Present();
}
