#include "web/PageWorld.h"

#include "world/SceneSteps.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameTick.h"

#include <cstring>

namespace {

bool KeyHeldInPage(const void* keysDown, uint8_t virtualKey)
{
    return static_cast<const uint8_t*>(keysDown)[virtualKey] != 0;
}

}  // namespace

// The scene is drawn centred in a frame of the program's size.
static_assert(PageFrameWidth == 640 && PageFrameHeight == 480);

PageWorld::PageWorld() : frame(size_t(PageFrameWidth) * PageFrameHeight, 0)
{
    uint8_t* first = reinterpret_cast<uint8_t*>(frame.data());
    const int32_t pitch = PageFrameWidth * 4;
    surface = {first, first + (PageFrameHeight - 1) * pitch + pitch, pitch, PageFrameHeight, PageFrameWidth, 32};
}

bool PageWorld::Start()
{
    DisplayDepth = 32;
    FrameTick = 0;
    if (!StartScene(map)) return false;
    PlaceWalkers(map, walker1, walker2);
    return true;
}

void PageWorld::Pass(const uint8_t keysDown[256], PageClock clock)
{
    PollKeys(KeyHeldInPage, keysDown, walker1, walker2);
    FrameTick = clock();
    UpdateWalkers(walker1, walker2);
    frameRate.CountFrame(clock());
    DrawFrame();
}

void PageWorld::DrawFrame()
{
    std::memset(frame.data(), 0, frame.size() * sizeof frame[0]);
    DrawScene(map, surface);
}
