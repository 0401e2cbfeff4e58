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
