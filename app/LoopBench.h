// The loop benchmark's measurement (client-loopbench.exe only): counts the
// frame loop's passes for a fixed time, then prints passes per second.
#pragma once

#include <cstdint>

class LoopBench {
public:
    explicit LoopBench(uint32_t startTick) : start(startTick) {}

    // True once the measuring time is over; the result has been printed then.
    bool CountPass(uint32_t now);

private:
    static constexpr uint32_t MeasureMilliseconds = 10000;
    uint32_t start;
    uint32_t passes = 0;
};
