// libFuzzer target: any bytes as a world folder for the world check. The
// first two bytes say how long "SpriteList.txt" is, the next two "test.map";
// the rest is the sprite file "a.spr", which the list may name as any case of
// its name, or not at all. Every finding must be one line of text.
#include "world/WorldCheck.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// An empty folder of its own, memory-backed where /dev/shm is, written per input.
const std::string& Folder()
{
    static std::string folder;
    if (!folder.empty()) return folder;
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path made =
        (std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path()) /
        ("fuzz-world-check-" + std::to_string(getpid()));
    std::filesystem::create_directories(made);
    folder = made.string();
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
    return folder;
}

void Write(const std::string& name, const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen((Folder() + "/" + name).c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    size_t list = size_t(data[0] | data[1] << 8), map = size_t(data[2] | data[3] << 8);
    data += 4;
    size -= 4;
    if (list > size) list = size;
    if (map > size - list) map = size - list;
    Write("SpriteList.txt", data, list);
    Write("test.map", data + list, map);
    Write("a.spr", data + list + map, size - list - map);

    for (const WorldFinding& finding : CheckWorldFolder(Folder())) {
        const std::string line = FormatFinding(finding);
        if (finding.text.empty() || line.find_first_of("\n\r") != std::string::npos) std::abort();
    }
    return 0;
}
