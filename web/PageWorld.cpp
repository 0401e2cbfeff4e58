#include "web/PageWorld.h"

#include "sprite/DisplayDepth.h"
#include "sprite/FrameTick.h"

#include <cstring>

namespace {

constexpr int32_t CentreX = PageFrameWidth / 2;
constexpr int32_t CentreY = PageFrameHeight / 2;
constexpr int32_t WalkerSpriteId = 2;
constexpr int32_t SpawnX = 1;
constexpr int32_t SpawnY = 1;

// Windows' virtual-key codes, which a browser's keyCode shares for these keys.
constexpr uint8_t KeyLeft = 0x25, KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28;

struct KeyBinding {
    uint8_t virtualKey;
    bool secondWalker;
    int32_t direction;
};

// The program's polling order: of several held keys the first one starts a
// step. Arrows steer Walker1 along the screen's axes, W/S/A/D Walker2 along
// the map's cell axes.
const KeyBinding KeyBindings[] = {
    {KeyUp, false, 3}, {KeyDown, false, 7}, {KeyLeft, false, 5}, {KeyRight, false, 1},
    {'W', true, 2},    {'S', true, 6},      {'A', true, 4},      {'D', true, 0},
};

}  // namespace

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
    // The map turns its sprite ids into registry indices as it loads, so the
    // registry is filled first.
    if (!map.sprites.LoadSpriteList("SpriteList.txt") || !map.LoadMap("test.map")) return false;
    walker1.followsCamera = true;
    walker1.Spawn(map, WalkerSpriteId, SpawnX, SpawnY, 0);
    walker2.Spawn(map, WalkerSpriteId, SpawnX, SpawnY, 0);
    return true;
}

void PageWorld::Pass(const uint8_t keysDown[256], PageClock clock)
{
    for (const KeyBinding& binding : KeyBindings) {
        if (keysDown[binding.virtualKey]) (binding.secondWalker ? walker2 : walker1).RequestStep(binding.direction);
    }
    FrameTick = clock();
    walker1.Update();
    walker2.Update();
    frameRate.CountFrame(clock());
    DrawFrame();
}

void PageWorld::DrawFrame()
{
    std::memset(frame.data(), 0, frame.size() * sizeof frame[0]);
    map.DrawMap(surface, CentreX, CentreY);
}
