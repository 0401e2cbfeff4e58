// A character that walks the current map one cell per step under the keyboard.
#pragma once

#include "sprite/AnimationCursor.h"

#include <cstdint>

class TileMap;
struct SceneEntry;

// Direction codes 0-7 and the cell step of each.
extern const int32_t DirectionDX[8];
extern const int32_t DirectionDY[8];

// The map the walkers act on; set by start-up once the map is loaded.
extern TileMap* currentMap;

class Walker {
public:
    Walker();

    void Spawn(int32_t spriteId, int32_t x, int32_t y, int32_t z);
    void RequestStep(int32_t direction);
    void Update();

    int32_t direction = 0;
    bool stepping = false;
    bool followsCamera = false;
    AnimationCursor cursor;       // plays the walk animation
    SceneEntry* entry = nullptr;  // the walker's object in currentMap's scene list
};
