// Any bytes as a map file: the importer converts them or refuses them with a
// message, and never crashes, hangs or runs out of memory.
#include "tools/tmximport/TmxImport.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ConvertedWorld world;
    std::string error;
    // The map stands beside a few small pictures and a tileset file, so that
    // the seeds' tilesets are found and their tiles drawn.
    const bool converted =
        ConvertTmxText(std::string(reinterpret_cast<const char*>(data), size), FUZZ_ASSETS "/fuzz.tmx", world, error);
    if (!converted && error.empty()) __builtin_trap();
    return 0;
}
