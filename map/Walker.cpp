#include "map/Walker.h"

#include "map/TileMap.h"
#include "sprite/Sprite.h"

#include <cstdio>

//                    code:  0  1  2   3   4   5   6   7
const int32_t DirectionDX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
const int32_t DirectionDY[8] = {0, 1, 1, 1, 0, -1, -1, -1};

TileMap* currentMap = nullptr;

namespace {

constexpr const char* WalkAnimation = "walk";

bool IsDirection(int32_t direction)
{
    return direction >= 0 && direction < 8;
}

// Returns whether a step in `direction` would have walk frames to play. It
// looks only at a sprite that is already loaded, so asking neither loads the
// sprite nor counts as a use.
bool CanWalk(const TileMap& map, const SceneObject& object, int32_t direction)
{
    const int index = object.spriteIndex;
    if (index < 0 || index >= map.sprites.EntryCount()) return false;
    const Sprite* sprite = map.sprites.Entry(index).sprite;
    if (!sprite) return false;
    const int animation = sprite->FindAnimation(WalkAnimation, direction);
    return animation >= 0 && sprite->animations[animation].frameCount > 0;
}

}  // namespace

Walker::Walker()
{
    cursor.speed = WalkerSpeed;
}

void Walker::Spawn(TileMap& onMap, int32_t spriteId, int32_t x, int32_t y, int32_t z)
{
    map = &onMap;
    SceneObject object{};
    object.x0 = object.x1 = static_cast<int16_t>(x);
    object.y0 = object.y1 = static_cast<int16_t>(y);
    object.z = static_cast<int16_t>(z);
    object.spriteIndex = map->sprites.FindSpriteIndex(spriteId);
    std::snprintf(object.animationName, sizeof object.animationName, "%s", WalkAnimation);
    object.direction = 0;
    object.cursor = &cursor;
    entry = map->InsertObject(object);
}

// A step only starts when it can end: without walk frames for that direction
// the cursor would never report the end of the animation, and the walker
// would stay stepping for good. Such a request only turns the walker.
void Walker::RequestStep(int32_t newDirection)
{
    if (stepping) return;
    direction = newDirection;
    SceneObject& object = entry->object;
    object.direction = newDirection;
    if (!IsDirection(newDirection)) return;
    if (!map->IsWalkable(object.x0, object.y0, DirectionDX[newDirection], DirectionDY[newDirection])) return;
    if (!CanWalk(*map, object, newDirection)) return;
    stepping = true;
    cursor.rebind = true;
    cursor.Play();
}

void Walker::Update()
{
    if (cursor.Advance() && stepping && IsDirection(direction)) {
        map->MoveObject(entry, DirectionDX[direction], DirectionDY[direction], 0);
        cursor.Stop();
        stepping = false;
        if (followsCamera) {
            map->cameraOffsetX = 0;
            map->cameraOffsetY = 0;
            map->cameraX += DirectionDX[direction];
            map->cameraY += DirectionDY[direction];
        }
    }
    if (!followsCamera) return;
    // Shifting the view against the frame's offsets keeps the followed walker
    // still on the screen while everything else slides by.
    const SceneObject& object = entry->object;
    const Sprite* sprite = map->sprites.GetSprite(object.spriteIndex);
    if (!sprite) return;
    const SpriteFrame* frame = sprite->GetCurrentFrame(object.animationName, object.direction, object.cursor);
    if (!frame) return;
    map->cameraOffsetX = -frame->offsetX;
    map->cameraOffsetY = -frame->offsetY;
}
