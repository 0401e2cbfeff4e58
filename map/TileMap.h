// The one loaded map: its cells, floor tiles and scene objects, the camera,
// and the sprite registry through which every sprite of the map is found.
#pragma once

#include "blitter/Pixmix.h"
#include "map/CellDataStore.h"
#include "map/SceneList.h"
#include "sprite/AnimationMemo.h"
#include "sprite/SpriteRegistry.h"

#include <cstdint>

class BoundedReader;

struct MapCell {
    uint8_t blocked;  // 0: a character may stand here
    int16_t value;    // kept, never interpreted
    int32_t dataLength;
    uint8_t* data;  // dataLength bytes, owned by the map; kept, never interpreted
};

struct FloorTile {
    int16_t x;
    int16_t y;
    int16_t z;
    int32_t spriteIndex;
    AnimationName animationName;
    int32_t direction;
};

class TileMap {
public:
    TileMap() = default;
    ~TileMap();
    TileMap(const TileMap&) = delete;
    TileMap& operator=(const TileMap&) = delete;

    // Map file (MapFile.cpp): loads the file into the map. Sprite ids become
    // indices of `sprites`, so the registry must be filled first. A wrong
    // magic, or a file that breaks the layout, shows the "Wrong map file."
    // box; then, and when the file cannot be read, the result is false and
    // the map is as it was.
    bool LoadMap(const char* fileName);
    // The same for a file already in memory, from its first byte.
    bool ReadMap(BoundedReader& file);
    // Releases the cells, the floor tiles and every scene entry (not the
    // cursors they refer to); the map then has no cells (width and height 0).
    void ClearMap();

    // Scene list (SceneOrder.cpp).
    // Inserts a copy of `object` before the first entry that IsInFront puts in
    // front of it, or at the end. Returns the new entry.
    SceneEntry* InsertObject(const SceneObject& object);
    // Appends a copy of `object` at the end, as the loader does in file order.
    // Returns the new entry.
    SceneEntry* AppendObject(const SceneObject& object);
    // Moves the object of `entry` by (dx, dy) cells and dz, when IsWalkable
    // allows the step from its anchor cell, and inserts it anew for its new
    // place; `entry` then refers to the new entry. Otherwise nothing changes.
    void MoveObject(SceneEntry*& entry, int32_t dx, int32_t dy, int32_t dz);
    // Returns whether the cell (x + dx, y + dy) lies on the map and is not
    // blocked.
    bool IsWalkable(int32_t x, int32_t y, int32_t dx, int32_t dy) const;
    // Returns whether `existing` is drawn after `added`, which then goes
    // before it in the list.
    static bool IsInFront(const SceneObject& existing, const SceneObject& added);

    // Rendering (DrawMap.cpp): draws every floor tile, then every scene
    // object, each through its sprite, with the camera tile at the centre
    // point (cx, cy); whatever has no loadable sprite is skipped.
    void DrawMap(SurfaceBuffer surface, int32_t cx, int32_t cy);

    int32_t cameraX = 0;
    int32_t cameraY = 0;
    int32_t cameraOffsetX = 0;
    int32_t cameraOffsetY = 0;
    int32_t headerValue = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    MapCell** rows = nullptr;  // height rows of width cells
    int32_t floorTileCount = 0;
    FloorTile* floorTiles = nullptr;
    SceneList objects;
    SpriteRegistry sprites;  // destroyed before `objects`, after ClearMap

private:
    friend class MapLoad;           // the loader hands the cells' data over (MapFile.cpp)
    CellDataStore cellData;         // every cell's data block
    AnimationMemoTable floorMemos;  // DrawMap's animation searches, one per floor tile
};
