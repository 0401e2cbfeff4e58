// A world folder drawn as the program draws it, into memory: the reference
// picture of the end-to-end test, and a map maker's preview without Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RenderView {
    bool whole = false;  // the whole map instead of the program's frame; the camera is not used
    int32_t cameraX = 0;
    int32_t cameraY = 0;
    int32_t cameraOffsetX = 0;
    int32_t cameraOffsetY = 0;
};

struct RenderedWorld {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // rows top first, 0x00RRGGBB
    int32_t originX = 0;           // where tile (0, 0) is drawn in the picture
    int32_t originY = 0;
    uint16_t mapWidth = 0;  // the map's cells
    uint16_t mapHeight = 0;
};

// The largest whole-map picture drawn, per side and in all.
constexpr int32_t MaxWholeSide = 16384;
constexpr int64_t MaxWholePixels = int64_t(1) << 26;

// Loads the folder's "SpriteList.txt" and "test.map" (and, as they are drawn,
// its sprite files) as the program starts its world, and draws the map as a
// pass of the program does, without the walkers: into the program's frame
// (world/FrameLayout.h: 640 x 480 x 32, cleared to black, the camera tile at
// its centre (320, 240)), or with `whole` into a black picture just large
// enough for every cell and every picture of what stands on the map's cells,
// each pixel as the frame would show it. Returns false, with `error` set,
// when the world cannot be loaded (`unreadFile` then names its file, if it
// was one of the two) or the whole map is larger than the limits above.
bool RenderWorld(const std::string& folder, const RenderView& view, RenderedWorld& picture, std::string& error,
                 std::string& unreadFile);
