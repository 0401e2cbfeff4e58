// What every benchmark of client_bench shares.
//
// Names read "<job>/<engine>/<case>", e.g. "blend32/Blt/partial/640x480": the
// same job on the same input done by different engines (our code, a library
// that does the same job, memcpy of the same bytes as the bandwidth limit).
// Each benchmark reports its work through SetItemsProcessed (pixels, cells,
// whatever the job counts); after the run the summary puts one job and case
// on one line: every engine's rate, and how many times as fast the first
// engine registered for it is.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace bench {

inline void SetItemsPerPass(benchmark::State& state, int64_t itemsPerPass)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * itemsPerPass);
}

// Repeatable noise for benchmark inputs (xorshift32): the same bytes on every run.
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // 0 .. bound - 1
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>((static_cast<uint64_t>(Next()) * bound) >> 32); }

private:
    uint32_t state;
};

}  // namespace bench
