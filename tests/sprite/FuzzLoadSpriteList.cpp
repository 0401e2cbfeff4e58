// libFuzzer target: any bytes as "SpriteList.txt", then every entry looked up
// and requested. It works in an empty directory of its own and requests only
// names that stay inside it, so no request can reach a real file (whose wrong
// magic would end the process by design).
#include "sprite/SpriteRegistry.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* ListName = "SpriteList.txt";

void EnterEmptyDirectory()
{
    static bool entered = false;
    if (entered) return;
    // Memory-backed /dev/shm where there is one: the list is written and read per input.
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path directory =
        (std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path()) /
        ("fuzz-sprite-list-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    std::filesystem::current_path(directory);
    entered = true;
    static std::filesystem::path made;
    made = directory;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(made, ignored);
    });
}

bool StaysInside(const char* name)
{
    return std::strchr(name, '/') == nullptr && std::strcmp(name, ListName) != 0;
}

void CheckEntries(SpriteRegistry& registry)
{
    for (int32_t i = 0; i < registry.EntryCount(); ++i) {
        const SpriteEntry& entry = registry.Entry(i);
        // A name is one word: it never takes in the white space before the next entry.
        for (const char* c = entry.fileName; *c; ++c) {
            if (std::isspace(static_cast<unsigned char>(*c))) std::abort();
        }
        const int found = registry.FindSpriteIndex(entry.id);
        if (found < 0 || found > i) std::abort();
        if (StaysInside(entry.fileName) && registry.GetSprite(i) != nullptr) std::abort();
    }
    if (registry.GetSprite(-1) || registry.GetSprite(registry.EntryCount())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnterEmptyDirectory();
    std::FILE* list = std::fopen(ListName, "wb");
    if (!list) return 0;
    if (size) std::fwrite(data, 1, size, list);
    std::fclose(list);

    SpriteRegistry registry;
    if (!registry.LoadSpriteList(ListName)) std::abort();
    CheckEntries(registry);
    return 0;
}
