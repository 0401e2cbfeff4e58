#include "world/FrameRateCounter.h"

void FrameRateCounter::CountFrame(uint32_t now)
{
    ++frameCount;
    // Unsigned, so the elapsed time stays right when the tick count wraps.
    const uint32_t elapsed = now - lastTime;
    if (elapsed > interval) {
        rate = static_cast<double>(frameCount) / static_cast<double>(elapsed) * 1000.0;
        lastTime = now;
        frameCount = 0;
    }
}
