#include "tools/worldfiles/ToolPaths.h"

#include "tools/worldfiles/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string WhyUnreadable(const std::string& path)
{
    FileFault fault;
    if (std::FILE* file = OpenFileWithin(path, UINT64_MAX, fault)) {
        std::fclose(file);
        return "cannot be read";
    }
    return WhyUnreadable(path, fault);
}

std::string WhyUnreadable(const std::string& path, const FileFault& fault)
{
    std::error_code failed;
    if (fault.kind == FileFault::Missing) return "there is no such file";
    if (fault.kind == FileFault::NotAFile && fs::is_directory(path, failed)) return "is a folder, not a file";
    return fault.why;
}

bool MakeFolderFor(const std::string& file, std::string& error)
{
    const fs::path folder = fs::path(file).parent_path();
    if (folder.empty()) return true;
    std::error_code failed;
    if (fs::is_directory(folder, failed)) return true;
    // The nearest part of the path that exists must be a folder to make the rest in.
    for (fs::path part = folder; !part.empty(); part = part.parent_path()) {
        if (fs::exists(part, failed) && !fs::is_directory(part, failed)) {
            error = part.string() + " is a file, not a folder";
            return false;
        }
        if (part == part.parent_path()) break;
    }
    if (!fs::create_directories(folder, failed) && failed) {
        error = "cannot make the folder " + folder.string() + ": " + failed.message();
        return false;
    }
    return true;
}

bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    if (!MakeFolderFor(path, error)) return false;
    errno = 0;
    if (WriteFileBytes(path, bytes)) return true;
    std::error_code failed;
    if (fs::is_directory(path, failed)) error = "cannot be written: it is a folder";
    else error = std::string("cannot be written: ") + (errno ? std::strerror(errno) : "the write failed");
    return false;
}
