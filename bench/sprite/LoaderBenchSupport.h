// What the loader benchmarks (LoadSprite here, LoadMap in bench/map) share:
// their files, the heap they run with, and fread of the same bytes as the
// anchor their figures are read against.
#pragma once

#include "bench/BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <string>
#include <vector>
#include <unistd.h>

namespace bench {

// Files of this run only (several builds may run benchmarks at once), removed at exit.
inline std::string BenchFile(const std::string& name)
{
    static std::vector<std::string> made;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("client-bench-" + std::to_string(getpid()) + "-" + name)).string();
    if (made.empty()) {
        std::atexit([] {
            for (const std::string& file : made) std::remove(file.c_str());
        });
    }
    made.push_back(path);
    return path;
}

// Loaders and fread run with the heap kept between passes. Otherwise glibc
// hands the megabytes one pass freed back to the system, and the next pass
// pays a page fault for every 4 KB it allocates (about 10 us each on this
// virtual machine), which measures the allocator rather than the loader.
inline void KeepTheHeap()
{
#if defined(__GLIBC__)
    static const bool kept = mallopt(M_TRIM_THRESHOLD, 512 << 20) && mallopt(M_MMAP_THRESHOLD, 32 << 20);
    (void)kept;
#endif
}

// fread of a whole file of `size` bytes into a new buffer each pass, as a
// loader's output is new each pass. Items are file bytes.
inline void FreadFile(benchmark::State& state, const std::string& path, size_t size)
{
    KeepTheHeap();
    for (auto _ : state) {
        std::vector<uint8_t> bytes(size);
        std::FILE* in = std::fopen(path.c_str(), "rb");
        if (!in || std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) state.SkipWithError("fread failed");
        if (in) std::fclose(in);
        benchmark::DoNotOptimize(bytes.data());
    }
    SetItemsPerPass(state, static_cast<int64_t>(size));
}

}  // namespace bench
