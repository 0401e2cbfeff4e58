#include "sprite/FileBytes.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr size_t FirstBlock = 64 * 1024;
// A larger reported size is only believed as far as the file really goes.
constexpr size_t LargestHint = size_t(1) << 28;

// The size the file system reports, or 0 when it cannot tell (a pipe, a device).
size_t SizeHint(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    const long end = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return 0;
    if (end <= 0) return 0;
    return static_cast<unsigned long>(end) < LargestHint ? static_cast<size_t>(end) : LargestHint;
}

}  // namespace

bool FileBytes::Reserve(size_t capacityWanted)
{
    if (capacityWanted <= capacity) return true;
    uint8_t* grown = new (std::nothrow) uint8_t[capacityWanted];
    if (!grown) return false;
    if (size) std::memcpy(grown, data, size);
    delete[] data;
    data = grown;
    capacity = capacityWanted;
    return true;
}

bool FileBytes::ReadFile(const char* fileName)
{
    delete[] data;
    data = nullptr;
    size = capacity = 0;

    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return false;

    // One byte beyond the reported size, so that a file read whole ends with
    // a short read instead of a second, doubled buffer.
    bool ok = Reserve(SizeHint(file) + 1);
    while (ok) {
        if (size == capacity && !Reserve(capacity < FirstBlock ? FirstBlock : capacity * 2)) {
            ok = false;
            break;
        }
        const size_t wanted = capacity - size;
        const size_t got = std::fread(data + size, 1, wanted, file);
        size += got;
        if (got < wanted) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);

    if (!ok) {
        delete[] data;
        data = nullptr;
        size = capacity = 0;
    }
    return ok;
}
