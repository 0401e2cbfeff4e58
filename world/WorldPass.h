// One pass of the frame loop, the same in every shell that runs a world (the
// program and the web page): the keys, the clock, the walkers, the frame-rate
// counter, then the frame cleared, drawn, given its frame rate and presented.
// What only the shell has (key states, a clock, a frame to draw into, text
// and presenting) it gives the pass as a PassPlatform.
#pragma once

#include "blitter/Pixmix.h"
#include "map/TileMap.h"
#include "map/Walker.h"
#include "world/FrameRateCounter.h"

#include <cstdint>

class PassPlatform {
public:
    // Whether the key with this Windows virtual-key code is held.
    virtual bool KeyHeld(uint8_t virtualKey) const = 0;
    // Milliseconds, as GetTickCount counts them.
    virtual uint32_t Tick() = 0;
    // Clears the frame to black and describes it in `frame`. Returns false
    // when the frame cannot be described; the map is not drawn then.
    virtual bool ClearFrame(SurfaceBuffer& frame) = 0;
    // Writes `text` over the frame, its top-left corner at (RateTextX,
    // RateTextY) of world/FrameLayout.h, in pure red on a transparent
    // background.
    virtual void WriteRate(const char* text) = 0;
    // Presents the finished frame.
    virtual void Present() = 0;

protected:
    ~PassPlatform() = default;
};

// Runs one pass on `map` and its walkers, in this order: the held keys become
// step requests; FrameTick is read from the platform's clock; the walkers
// move on; the frame is counted at a second reading of the clock; the frame
// is cleared and, when it can be described, the map drawn into it; the frame
// rate, formatted "%.2f", is written over it; the frame is presented.
void RunPass(PassPlatform& platform, FrameRateCounter& frameRate, TileMap& map, Walker& first, Walker& second);
