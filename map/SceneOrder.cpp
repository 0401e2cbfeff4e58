// Where a scene object goes in the drawing order, how it moves, and where a
// character may stand.
#include "map/TileMap.h"

bool TileMap::IsInFront(const SceneObject& existing, const SceneObject& added)
{
    if (existing.x0 >= added.x0 && existing.y0 <= added.y0) return true;
    return existing.x0 >= added.x1 && existing.y0 <= added.y1;
}

SceneEntry* TileMap::InsertObject(const SceneObject& object)
{
    for (SceneEntry* entry = objects.First(); entry != objects.End(); entry = entry->next) {
        if (IsInFront(entry->object, object)) return objects.InsertBefore(entry, object);
    }
    return objects.Append(object);
}

SceneEntry* TileMap::AppendObject(const SceneObject& object)
{
    return objects.Append(object);
}

namespace {

// Returns `value` moved by `change`. Coordinates are 16-bit, so a value pushed
// past the range wraps.
int16_t Add16(int16_t value, int32_t change)
{
    return static_cast<int16_t>(static_cast<uint16_t>(int64_t(value) + change));
}

}  // namespace

void TileMap::MoveObject(SceneEntry*& entry, int32_t dx, int32_t dy, int32_t dz)
{
    SceneObject moved = entry->object;
    if (!IsWalkable(moved.x0, moved.y0, dx, dy)) return;
    moved.x0 = Add16(moved.x0, dx);
    moved.x1 = Add16(moved.x1, dx);
    moved.y0 = Add16(moved.y0, dy);
    moved.y1 = Add16(moved.y1, dy);
    moved.z = Add16(moved.z, dz);
    objects.Remove(entry);
    entry = InsertObject(moved);
}

bool TileMap::IsWalkable(int32_t x, int32_t y, int32_t dx, int32_t dy) const
{
    // In 64 bits, so that no step can overflow back onto the map.
    const int64_t targetX = int64_t(x) + dx;
    const int64_t targetY = int64_t(y) + dy;
    if (targetX < 0 || targetX >= width || targetY < 0 || targetY >= height) return false;
    return rows[targetY][targetX].blocked == 0;
}
