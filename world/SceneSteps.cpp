#include "world/SceneSteps.h"

#include "map/MapFile.h"
#include "sprite/SpriteListFile.h"

namespace {

constexpr int32_t CentreX = 320;
constexpr int32_t CentreY = 240;
constexpr int32_t WalkerSpriteId = 2;
constexpr int32_t SpawnX = 1;
constexpr int32_t SpawnY = 1;

// Windows' virtual-key codes; a browser's keyCode is the same for these keys.
constexpr uint8_t KeyLeft = 0x25, KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28;

struct KeyBinding {
    uint8_t virtualKey;
    bool second;
    int32_t direction;
};

// Polled in this order, so that of several held keys the first one starts a
// step.
constexpr KeyBinding KeyBindings[] = {
    {KeyUp, false, 3}, {KeyDown, false, 7}, {KeyLeft, false, 5}, {KeyRight, false, 1},
    {'W', true, 2},    {'S', true, 6},      {'A', true, 4},      {'D', true, 0},
};

}  // namespace

bool StartScene(TileMap& map)
{
    // The map turns its sprite ids into registry indices as it loads, so the
    // registry is filled first.
    if (!map.sprites.LoadSpriteList(SpriteListFileName)) return false;
    return map.LoadMap(MapFileName);
}

void PlaceWalkers(TileMap& map, Walker& first, Walker& second)
{
    first.followsCamera = true;
    first.Spawn(map, WalkerSpriteId, SpawnX, SpawnY, 0);
    second.Spawn(map, WalkerSpriteId, SpawnX, SpawnY, 0);
}

void PollKeys(KeyHeld held, const void* keys, Walker& first, Walker& second)
{
    for (const KeyBinding& binding : KeyBindings) {
        if (held(keys, binding.virtualKey)) (binding.second ? second : first).RequestStep(binding.direction);
    }
}

void UpdateWalkers(Walker& first, Walker& second)
{
    first.Update();
    second.Update();
}

void DrawScene(TileMap& map, SurfaceBuffer surface)
{
    map.DrawMap(surface, CentreX, CentreY);
}
