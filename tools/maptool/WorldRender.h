// A world folder drawn as the program draws it, into memory: the reference
// picture of the end-to-end test, and a map maker's preview without Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RenderView {
    int32_t cameraX = 0;
    int32_t cameraY = 0;
    int32_t cameraOffsetX = 0;
    int32_t cameraOffsetY = 0;
};

// Loads the folder's "SpriteList.txt" and "test.map" (and, as they are drawn,
// its sprite files) as the program starts its world, and draws the map as a
// pass of the program does, into the program's frame (world/FrameLayout.h:
// 640 x 480 x 32, cleared to black, the camera tile at its centre (320,
// 240)), without the walkers. `pixels` gets its rows, top first, as
// 0x00RRGGBB. Returns false, with `error` set, when the world cannot be
// loaded.
bool RenderWorld(const std::string& folder, const RenderView& view, std::vector<uint32_t>& pixels, std::string& error);
