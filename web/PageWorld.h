// One world as the page runs it: the program's start-up and the program's
// pass of the frame loop (RunPass), without Windows. The objects are the
// program's process-lifetime objects, in the same order of construction (the
// frame-rate counter, the map with its registry, Walker1, Walker2) and torn
// down in the reverse order when the world is closed. The frame is a frame in
// memory (world/MemoryFrame.h); the page presents it and writes the frame
// rate over it.
#pragma once

#include "map/TileMap.h"
#include "map/Walker.h"
#include "world/FrameRateCounter.h"
#include "world/MemoryFrame.h"

#include <cstdint>
#include <vector>

// Milliseconds, as GetTickCount gives them; read twice in every pass.
using PageClock = uint32_t (*)();

// Where the view was: the camera's tile, and each walker's cell and
// direction. The page carries it from a world to the same world reopened
// (the live view of a map being edited), so that an edit does not send the
// view back to the start.
struct PageView {
    int32_t cameraX = 0, cameraY = 0;
    int32_t walkerX[2] = {}, walkerY[2] = {}, walkerDirection[2] = {};
};

class PageWorld {
public:
    PageWorld() = default;
    PageWorld(const PageWorld&) = delete;
    PageWorld& operator=(const PageWorld&) = delete;

    // Loads "SpriteList.txt", then "test.map", from the working directory and
    // places both walkers on cell (1, 1), as the program starts. Returns false
    // when either file cannot be loaded (the map loader has shown its message
    // for a wrong one); the world must not be run then.
    bool Start();

    // One pass of the frame loop: the keys held (`keysDown`, one byte per
    // virtual-key code, non-zero when down) become step requests in the
    // program's polling order, FrameTick is read from `clock`, the walkers
    // move on, the frame is counted at a second reading, the frame is cleared
    // to black and drawn with DrawMap at its centre, and the frame rate's text
    // is kept for the page to write over it.
    void Pass(const uint8_t keysDown[256], PageClock clock);

    // Clears the frame and draws the map into it, the drawing part of a pass.
    void DrawFrame();

    // The view now, a step under way left out (its walker is still on the
    // cell it leaves).
    PageView View() const;
    // After Start: each walker onto its cell of `view` when it can step
    // there (the cell is on this map and not blocked), turned as it was; the
    // camera onto its tile when the map has that tile.
    void RestoreView(const PageView& view);

    // The frame's pixels, rows top first, each 0x00RRGGBB.
    const std::vector<uint32_t>& Frame() const { return frame.Pixels(); }
    // The frame rate as the program prints it ("%.2f"), as of the last pass.
    const char* RateText() const { return rateText; }

private:
    friend class PagePass;

    FrameRateCounter frameRate;
    TileMap map;
    Walker walker1;  // arrow keys; the view follows it
    Walker walker2;  // W, A, S, D
    MemoryFrame frame;
    char rateText[256] = "";
};
