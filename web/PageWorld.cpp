#include "web/PageWorld.h"

#include "sprite/DisplayDepth.h"
#include "sprite/FrameTick.h"
#include "world/SceneSteps.h"
#include "world/WorldPass.h"

#include <cstdio>

// The page's share of a pass: the key states the script wrote, the page's
// clock, and the frame in memory. The script presents the frame, and writes
// the rate's text over it, once the pass is over.
class PagePass final : public PassPlatform {
public:
    PagePass(PageWorld& passWorld, const uint8_t* passKeys, PageClock passClock)
        : world(passWorld), keysDown(passKeys), clock(passClock)
    {
    }
    bool KeyHeld(uint8_t virtualKey) const override { return keysDown[virtualKey] != 0; }
    uint32_t Tick() override { return clock(); }
    bool ClearFrame(SurfaceBuffer& surface) override
    {
        world.frame.Clear();
        surface = world.frame.Surface();
        return true;
    }
    void WriteRate(const char* text) override { std::snprintf(world.rateText, sizeof world.rateText, "%s", text); }
    void Present() override {}

private:
    PageWorld& world;
    const uint8_t* keysDown;
    PageClock clock;
};

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
    PagePass platform(*this, keysDown, clock);
    RunPass(platform, frameRate, map, walker1, walker2);
}

void PageWorld::DrawFrame()
{
    frame.Clear();
    DrawScene(map, frame.Surface());
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
