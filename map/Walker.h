// A character that walks a map one cell per step under the keyboard.
#pragma once

#include "sprite/AnimationCursor.h"

#include <cstdint>

class TileMap;
struct SceneEntry;

// Direction codes 0-7 and the cell step of each.
extern const int32_t DirectionDX[8];
extern const int32_t DirectionDY[8];

// A walker plays its walk frames this many times faster than their durations
// say: a frame of 500 ms shows for 50.
constexpr float WalkerSpeed = 10.0f;

// The program's map, on which Spawn places a walker when it is given no map of
// its own. It is process-wide because the walkers are: they are made before
// the map is loaded and live as long as the process. Start-up sets it once the
// map is loaded.
extern TileMap* currentMap;

class Walker {
public:
    Walker();

    // Places the walker on `map` at cell (x, y), drawn with the sprite listed
    // under `spriteId`; every later step and update acts on that map.
    void Spawn(TileMap& map, int32_t spriteId, int32_t x, int32_t y, int32_t z);
    // The same on currentMap.
    void Spawn(int32_t spriteId, int32_t x, int32_t y, int32_t z) { Spawn(*currentMap, spriteId, x, y, z); }
    // Turns the walker to `direction` and, when it is not stepping already,
    // starts a step that way if the cell there is walkable and the sprite has
    // walk frames for that direction.
    void RequestStep(int32_t direction);
    // Advances the walk animation; when a step's animation has ended, moves the
    // walker one cell and, for the walker the view follows, the camera with it.
    void Update();

    int32_t direction = 0;
    bool stepping = false;
    bool followsCamera = false;
    AnimationCursor cursor;       // plays the walk animation
    TileMap* map = nullptr;       // the map it was spawned on
    SceneEntry* entry = nullptr;  // the walker's object in that map's scene list
};
