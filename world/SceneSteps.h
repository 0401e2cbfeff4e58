// Where the scene joins a shell: two steps of start-up and three steps of
// every pass of the frame loop, called in the order written here. The
// program, the web page and the benchmarks all run the scene through these,
// so they load, steer and draw a world the same way.
#pragma once

#include "blitter/Pixmix.h"
#include "map/TileMap.h"
#include "map/Walker.h"

#include <cstdint>

// Start-up, once DisplayDepth is 32: "SpriteList.txt" into the map's
// registry, then "test.map" into the map, both from the working directory.
// Returns false when either cannot be read; the world must not run then.
bool StartScene(TileMap& map);

// Start-up, after StartScene: both walkers on cell (1, 1), the view
// following the first.
void PlaceWalkers(TileMap& map, Walker& first, Walker& second);

// Whether the key with this Windows virtual-key code is held, asked of
// whatever `keys` is for the shell that polls.
using KeyHeld = bool (*)(const void* keys, uint8_t virtualKey);

// Each pass, before FrameTick is sampled: held keys become step requests,
// arrows for the first walker along the screen's axes, W, S, A, D for the
// second along the map's cell axes.
void PollKeys(KeyHeld held, const void* keys, Walker& first, Walker& second);

// Each pass, right after FrameTick is sampled: the first walker, then the
// second.
void UpdateWalkers(Walker& first, Walker& second);

// Each pass, between clearing the 640 x 480 frame and writing the frame
// rate: the map drawn centred in it.
void DrawScene(TileMap& map, SurfaceBuffer surface);
