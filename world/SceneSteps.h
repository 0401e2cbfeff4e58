// Where the scene joins a shell: two steps of start-up and three steps of
// every pass of the frame loop, called in the order written here. The
// program, the web page, maptool render and the benchmarks all run the scene
// through these (the passes through RunPass, world/WorldPass.h), so they
// load, steer and draw a world the same way.
#pragma once

#include "blitter/Pixmix.h"
#include "map/TileMap.h"
#include "map/Walker.h"

#include <cstdint>

// The id under which "SpriteList.txt" lists the walkers' sprite.
constexpr int32_t WalkerSpriteId = 2;

// The cell both walkers start on.
constexpr int32_t WalkerStartX = 1;
constexpr int32_t WalkerStartY = 1;

// Windows' virtual-key codes; a browser's keyCode is the same for these keys.
constexpr uint8_t KeyLeft = 0x25, KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28;

// A key that steers a walker: its virtual-key code, which walker (the first
// or the second) and the direction code it asks for.
struct KeyBinding {
    uint8_t virtualKey;
    bool second;
    int32_t direction;
};

// The keys the walkers are steered with: arrows for the first walker along
// the screen's axes, W, S, A, D for the second along the map's cell axes.
// Polled in this order, so that of several held keys the first one starts a
// step.
inline constexpr KeyBinding KeyBindings[] = {
    {KeyUp, false, 3}, {KeyDown, false, 7}, {KeyLeft, false, 5}, {KeyRight, false, 1},
    {'W', true, 2},    {'S', true, 6},      {'A', true, 4},      {'D', true, 0},
};

// Start-up, once DisplayDepth is 32: "SpriteList.txt" into the map's
// registry, then "test.map" into the map, both from the working directory.
// Returns false when either cannot be read, with the name of that file in
// `unreadFile` when one is given; the world must not run then.
bool StartScene(TileMap& map, const char** unreadFile = nullptr);

// Start-up, after StartScene: both walkers on their start cell, the view
// following the first.
void PlaceWalkers(TileMap& map, Walker& first, Walker& second);

// Whether the key with this Windows virtual-key code is held, asked of
// whatever `keys` is for the shell that polls.
using KeyHeld = bool (*)(const void* keys, uint8_t virtualKey);

// Each pass, before FrameTick is sampled: the held keys of KeyBindings become
// step requests.
void PollKeys(KeyHeld held, const void* keys, Walker& first, Walker& second);

// Each pass, right after FrameTick is sampled: the first walker, then the
// second.
void UpdateWalkers(Walker& first, Walker& second);

// Each pass, between clearing the frame (world/FrameLayout.h) and writing the
// frame rate: the map drawn with its camera tile at the frame's centre.
void DrawScene(TileMap& map, SurfaceBuffer surface);
