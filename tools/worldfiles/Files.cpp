#include "tools/worldfiles/Files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::error_code failure;
    if (!std::filesystem::is_regular_file(path, failure)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    try {
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return false;
    }
    return !file.bad();
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool StaysInside(const std::string& name)
{
    const std::filesystem::path path(name);
    if (name.empty() || path.is_absolute() || path.has_root_name()) return false;
    for (const auto& part : path.lexically_normal()) {
        if (part == "..") return false;
    }
    return true;
}
