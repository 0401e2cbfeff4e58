#include "web/PageWorld.h"

#include "app/SceneSteps.h"
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

PageView PageWorld::View() const
{
    PageView view;
    view.cameraX = map.cameraX;
    view.cameraY = map.cameraY;
    const Walker* walkers[2] = {&walker1, &walker2};
    for (int i = 0; i < 2; ++i) {
        view.walkerX[i] = walkers[i]->entry->object.x0;
        view.walkerY[i] = walkers[i]->entry->object.y0;
        view.walkerDirection[i] = walkers[i]->direction;
    }
    return view;
}

void PageWorld::RestoreView(const PageView& view)
{
    Walker* walkers[2] = {&walker1, &walker2};
    for (int i = 0; i < 2; ++i) {
        SceneObject& at = walkers[i]->entry->object;
        map.MoveObject(walkers[i]->entry, view.walkerX[i] - at.x0, view.walkerY[i] - at.y0, 0);
        walkers[i]->direction = view.walkerDirection[i];
        walkers[i]->entry->object.direction = view.walkerDirection[i];
    }
    if (view.cameraX >= 0 && view.cameraX < map.width && view.cameraY >= 0 && view.cameraY < map.height) {
        map.cameraX = view.cameraX;
        map.cameraY = view.cameraY;
    }
}
