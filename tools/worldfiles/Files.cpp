#include "tools/worldfiles/Files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Checks that `path` is a regular file of at most `limit` bytes; sets `size`.
bool CheckFile(const std::string& path, uint64_t limit, uint64_t& size, FileFault& fault)
{
    std::error_code failed;
    const fs::file_status status = fs::status(path, failed);
    if (status.type() == fs::file_type::not_found) {
        fault = {FileFault::Missing, "does not exist"};
        return false;
    }
    if (failed) {
        fault = {FileFault::Unreadable, "cannot be read: " + failed.message()};
        return false;
    }
    if (status.type() == fs::file_type::directory) {
        fault = {FileFault::NotAFile, "is not a file but a folder"};
        return false;
    }
    if (status.type() != fs::file_type::regular) {
        fault = {FileFault::NotAFile, "is not a regular file but a device or a pipe"};
        return false;
    }
    size = fs::file_size(path, failed);
    if (failed) {
        fault = {FileFault::Unreadable, "cannot be read: " + failed.message()};
        return false;
    }
    if (size > limit) {
        fault = {FileFault::TooLarge, "is larger than " + SizeText(limit) + " (" + std::to_string(size) + " bytes)"};
        return false;
    }
    return true;
}

// Opens `path` for binary reading once CheckFile passes it.
std::FILE* OpenChecked(const std::string& path, uint64_t limit, uint64_t& size, FileFault& fault)
{
    if (!CheckFile(path, limit, size, fault)) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) fault = {FileFault::Unreadable, std::string("cannot be read: ") + std::strerror(errno)};
    return file;
}

template <typename Bytes>
bool ReadWithin(const std::string& path, uint64_t limit, Bytes& bytes, FileFault& fault)
{
    uint64_t size = 0;
    std::FILE* file = OpenChecked(path, limit, size, fault);
    if (!file) return false;
    bytes.resize(size_t(size));
    const size_t read = size ? std::fread(&bytes[0], 1, bytes.size(), file) : 0;
    // A file that changes while it is read is not read on to its new end.
    const bool whole = read == bytes.size() && std::fgetc(file) == EOF && !std::ferror(file);
    std::fclose(file);
    if (!whole) {
        bytes.clear();
        fault = {FileFault::Unreadable, "cannot be read whole"};
    }
    return whole;
}

// A name that no other run picks: the process's start, the object's number.
std::string NewTag()
{
    static std::atomic<unsigned> made{0};
    static const uint64_t start = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^
                                  uint64_t(reinterpret_cast<uintptr_t>(&made));
    char text[40];
    std::snprintf(text, sizeof text, "%llx-%u", static_cast<unsigned long long>(start & 0xFFFFFFFFFFFFull), ++made);
    return text;
}

// A hidden name beside `target` that nothing has: ".<name>.<kind>-<tag>".
std::string HiddenBeside(const std::string& target, const char* kind, const std::string& tag)
{
    const fs::path path(target);
    const std::string name = path.filename().string().substr(0, 40);
    std::error_code ignored;
    for (int n = 0;; ++n) {
        const fs::path hidden =
            path.parent_path() / ("." + name + "." + kind + "-" + tag + (n ? "-" + std::to_string(n) : ""));
        if (!fs::exists(fs::symlink_status(hidden, ignored))) return hidden.string();
    }
}

}  // namespace

bool ReadFileWithin(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes, FileFault& fault)
{
    return ReadWithin(path, limit, bytes, fault);
}

bool ReadFileWithin(const std::string& path, uint64_t limit, std::string& text, FileFault& fault)
{
    return ReadWithin(path, limit, text, fault);
}

std::FILE* OpenFileWithin(const std::string& path, uint64_t limit, FileFault& fault)
{
    uint64_t size = 0;
    return OpenChecked(path, limit, size, fault);
}

std::string SizeText(uint64_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    FileFault ignored;
    return ReadFileWithin(path, MaxFileBytes, bytes, ignored);
}

StagedFiles::StagedFiles() : tag(NewTag()) {}

StagedFiles::~StagedFiles()
{
    std::error_code ignored;
    for (const auto& entry : staged) fs::remove_all(entry.first, ignored);
}

std::string StagedFiles::Stage(const std::string& target)
{
    staged.push_back({HiddenBeside(target, "new", tag), target});
    return staged.back().first;
}

bool StagedFiles::Write(const std::string& target, const std::vector<uint8_t>& bytes, std::string& why)
{
    const std::string hidden = Stage(target);
    std::FILE* file = std::fopen(hidden.c_str(), "wb");
    if (!file) {
        why = target + ": " + std::strerror(errno);
        staged.pop_back();
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int error = errno;
    if (std::fclose(file) != 0 || !written) {
        why = target + ": " + std::strerror(written ? errno : error);
        std::remove(hidden.c_str());
        staged.pop_back();
        return false;
    }
    return true;
}

bool StagedFiles::MoveIntoPlace(std::string& why)
{
    std::error_code failed;
    // A file replaces a file or a link, a folder a folder: nothing else that
    // has a target's name is taken away.
    for (const auto& [hidden, target] : staged) {
        const fs::file_status old = fs::symlink_status(target, failed);
        if (fs::exists(old) && fs::is_directory(old) != fs::is_directory(fs::symlink_status(hidden, failed))) {
            why = target + (fs::is_directory(old) ? ": is a folder, not a file" : ": is not a folder");
            return false;
        }
    }
    // One file alone replaces its namesake in one step, so that the name
    // never goes missing; several move the old ones aside first, to move them
    // back should a later move fail.
    if (staged.size() == 1 && !fs::is_directory(fs::symlink_status(staged[0].second, failed))) {
        fs::rename(staged[0].first, staged[0].second, failed);
        if (failed) {
            why = staged[0].second + ": " + failed.message();
            return false;
        }
        staged.clear();
        return true;
    }
    std::vector<std::pair<std::string, std::string>> asides;  // aside, target
    size_t moved = 0;
    for (; moved < staged.size(); ++moved) {
        const auto& [hidden, target] = staged[moved];
        if (fs::exists(fs::symlink_status(target, failed))) {
            const std::string aside = HiddenBeside(target, "old", tag);
            fs::rename(target, aside, failed);
            if (failed) break;
            asides.push_back({aside, target});
        }
        fs::rename(hidden, target, failed);
        if (failed) break;
    }
    std::error_code ignored;
    if (failed) {
        why = staged[moved].second + ": " + failed.message();
        while (moved-- > 0) fs::rename(staged[moved].second, staged[moved].first, ignored);
        for (auto aside = asides.rbegin(); aside != asides.rend(); ++aside) {
            fs::rename(aside->first, aside->second, ignored);
        }
        return false;
    }
    for (const auto& aside : asides) fs::remove_all(aside.first, ignored);
    staged.clear();
    return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    StagedFiles files;
    std::string why;
    return files.Write(path, bytes, why) && files.MoveIntoPlace(why);
}

bool StaysInside(const std::string& name)
{
    const fs::path path(name);
    if (name.empty() || path.is_absolute() || path.has_root_name()) return false;
    const fs::path normal = path.lexically_normal();
    if (normal == "." || normal.filename().empty()) return false;
    for (const auto& part : normal) {
        if (part == "..") return false;
    }
    return true;
}
