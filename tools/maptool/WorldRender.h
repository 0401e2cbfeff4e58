// A world folder drawn as the program draws it, into memory: the reference
// picture of the end-to-end test, and a map maker's preview without Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t RenderWidth = 640;
constexpr int32_t RenderHeight = 480;

struct RenderView {
    int32_t cameraX = 0;
    int32_t cameraY = 0;
    int32_t cameraOffsetX = 0;
    int32_t cameraOffsetY = 0;
};

// Loads the folder's "SpriteList.txt" and "test.map" (and, as they are drawn,
// its sprite files) and draws the map with DrawMap at the centre (320, 240)
// into a 640 x 480 x 32 surface cleared to black. `pixels` gets its rows,
// top first, as 0x00RRGGBB. Returns false, with `error` set, when the world
// cannot be loaded.
bool RenderWorld(const std::string& folder, const RenderView& view, std::vector<uint32_t>& pixels, std::string& error);
