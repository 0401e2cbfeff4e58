// Draws the map into a locked surface: every floor tile in array order, then
// every scene object in list order. There is no culling here: DrawSprite
// rejects what lies off the surface. Each drawable remembers its animation search (AnimationMemo.h);
// its sprite is still asked for, and its frame taken, every time.
#include "map/TileMap.h"
#include "map/TileProjection.h"

void TileMap::DrawMap(SurfaceBuffer surface, int32_t cx, int32_t cy)
{
    const ScreenPoint origin = MapOrigin(cameraX, cameraY, cameraOffsetX, cameraOffsetY, cx, cy);

    AnimationMemo* memos = floorMemos.Cover(floorTileCount);
    for (int32_t i = 0; i < floorTileCount; ++i) {
        const FloorTile& tile = floorTiles[i];
        AnimationMemo forgotten;  // without memos, every search is made anew
        AnimationMemo& memo = memos ? memos[i] : forgotten;
        Sprite* sprite = sprites.GetSprite(tile.spriteIndex);
        if (!sprite) continue;
        const ScreenPoint at = TileToScreen(origin, tile.x, tile.y);
        // No cursor: a floor tile always shows its animation's first frame.
        sprite->DrawSprite(surface, tile.animationName, tile.direction, at.x, at.y, nullptr, nullptr, memo);
    }

    for (SceneEntry* entry = objects.First(); entry != objects.End(); entry = entry->next) {
        const SceneObject& object = entry->object;
        Sprite* sprite = sprites.GetSprite(object.spriteIndex);
        if (!sprite) continue;
        const ScreenPoint at = TileToScreen(origin, object.x0, object.y0);
        sprite->DrawSprite(surface, object.animationName, object.direction, at.x, at.y, nullptr, object.cursor,
                           entry->memo);
    }
}
