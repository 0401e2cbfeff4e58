#include "world/SceneSteps.h"

#include "map/MapFile.h"
#include "sprite/SpriteListFile.h"
#include "world/FrameLayout.h"

bool StartScene(TileMap& map, const char** unreadFile)
{
    // The map turns its sprite ids into registry indices as it loads, so the
    // registry is filled first.
    const char* unread = nullptr;
    if (!map.sprites.LoadSpriteList(SpriteListFileName)) {
        unread = SpriteListFileName;
    } else if (!map.LoadMap(MapFileName)) {
        unread = MapFileName;
    }
    if (unreadFile) *unreadFile = unread;
    return unread == nullptr;
}

void PlaceWalkers(TileMap& map, Walker& first, Walker& second)
{
    first.followsCamera = true;
    first.Spawn(map, WalkerSpriteId, WalkerStartX, WalkerStartY, 0);
    second.Spawn(map, WalkerSpriteId, WalkerStartX, WalkerStartY, 0);
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
    map.DrawMap(surface, FrameCentreX, FrameCentreY);
}
