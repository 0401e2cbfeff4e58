// Scene start-up and map drawing: the registry and the map once, then the map
// in every frame, centred in the 640 x 480 frame.
#include "app/ProcessObjects.h"
#include "app/SceneSteps.h"
#include "map/MapFile.h"
#include "sprite/SpriteListFile.h"

namespace {
constexpr int32_t CentreX = 320;
constexpr int32_t CentreY = 240;
}  // namespace

bool StartScene()
{
    // The map turns its sprite ids into registry indices as it loads, so the
    // registry is filled first.
    if (!Map.sprites.LoadSpriteList(SpriteListFileName)) return false;
    return Map.LoadMap(MapFileName);
}

void DrawScene(SurfaceBuffer surface)
{
    Map.DrawMap(surface, CentreX, CentreY);
}
