// What the shell does with the scene: the registry and the map once, the
// walkers placed on it, and in every pass the walkers moved on and the map
// drawn, centred in the 640 x 480 frame.
#include "app/SceneSteps.h"

#include "app/ProcessObjects.h"
#include "map/MapFile.h"
#include "sprite/SpriteListFile.h"

namespace {

constexpr int32_t CentreX = 320;
constexpr int32_t CentreY = 240;
constexpr int32_t WalkerSpriteId = 2;
constexpr int32_t SpawnX = 1;
constexpr int32_t SpawnY = 1;

}  // namespace

bool StartScene()
{
    // The map turns its sprite ids into registry indices as it loads, so the
    // registry is filled first.
    if (!Map.sprites.LoadSpriteList(SpriteListFileName)) return false;
    return Map.LoadMap(MapFileName);
}

void PlaceWalkers()
{
    currentMap = &Map;
    Walker1.followsCamera = true;
    Walker1.Spawn(WalkerSpriteId, SpawnX, SpawnY, 0);
    Walker2.Spawn(WalkerSpriteId, SpawnX, SpawnY, 0);
}

void UpdateWalkers()
{
    Walker1.Update();
    Walker2.Update();
}

void DrawScene(SurfaceBuffer surface)
{
    Map.DrawMap(surface, CentreX, CentreY);
}
