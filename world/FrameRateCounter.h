// The frame rate printed in every frame: passes counted over intervals of a
// little more than half a second, against GetTickCount milliseconds.
#pragma once

#include <cstdint>

struct FrameRateCounter {
    uint32_t frameCount = 0;  // passes since the last sample
    uint32_t interval = 500;  // milliseconds that must pass before a new sample
    uint32_t lastTime = 0;    // tick count of the last sample
    double rate = 0.0;        // frames per second, as shown

    // Counts one pass at tick `now`, and samples the rate once more than
    // `interval` milliseconds have passed; the pass that closes an interval is
    // counted in it.
    void CountFrame(uint32_t now);
};
