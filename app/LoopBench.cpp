#include "app/LoopBench.h"

#include <cstdio>

bool LoopBench::CountPass(uint32_t now)
{
    ++passes;
    const uint32_t elapsed = now - start;
    if (elapsed < MeasureMilliseconds) return false;
    std::printf("loopbench: %u passes in %u ms: %.1f passes per second\n", passes, elapsed, passes * 1000.0 / elapsed);
    std::fflush(stdout);
    return true;
}
