// Whole files in and out, and the names a world folder's list may give. The
// tools read every file through ReadFileWithin (or OpenFileWithin) and write
// every file through StagedFiles, so that no input can make them wait on a
// pipe, read without end, write through a link or leave half a world.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// Why a file was not read. `why` ends a sentence that starts with the file's
// name: "does not exist", "is larger than 64 MiB", ...
struct FileFault {
    enum Kind { None, Missing, NotAFile, TooLarge, Unreadable };
    Kind kind = None;
    std::string why;
};

// Reads the whole file at `path` into `bytes` or `text` when it is a regular
// file (or a link to one) of at most `limit` bytes. Anything else is refused
// before it is opened: a folder, a device or a pipe could block the read or
// feed it for ever. Returns false, with `fault` set, for those, for a missing
// file and for a failed read.
bool ReadFileWithin(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes, FileFault& fault);
bool ReadFileWithin(const std::string& path, uint64_t limit, std::string& text, FileFault& fault);

// The same checks for a reader that reads the file itself (libpng): returns
// the file open for binary reading, which the caller closes, or null with
// `fault` set.
std::FILE* OpenFileWithin(const std::string& path, uint64_t limit, FileFault& fault);

// Returns `bytes` as a reader reads it: "64 MiB", or "1000 bytes".
std::string SizeText(uint64_t bytes);

// The largest hand-written text a tool reads: a sprite list, a map
// description, a manifest.
constexpr uint64_t MaxTextFileBytes = uint64_t(64) << 20;

// The largest file that ReadFileBytes reads.
constexpr uint64_t MaxFileBytes = uint64_t(1) << 30;

// ReadFileWithin for tests and benchmarks, which need no reason: any regular
// file of at most MaxFileBytes.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

// Files and folders written first under hidden names beside the ones they
// replace, then moved into place together once every one of them is whole:
// a run that fails half way (a full disk, a refusal) leaves the old ones as
// they were, and a link that has a target's name is replaced by the new file,
// never written through. What is left staged is removed with the object.
class StagedFiles {
public:
    StagedFiles();
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // Returns the hidden name beside `target` (in the same folder) under
    // which its new content is written: a file, or a folder the caller makes
    // and fills.
    std::string Stage(const std::string& target);

    // Writes `bytes` as the new content of `target`. Returns false, with
    // `why` naming the file and the reason, when it cannot be written whole.
    bool Write(const std::string& target, const std::vector<uint8_t>& bytes, std::string& why);

    // Moves every staged file or folder to its target, replacing what has
    // that name, in the order they were staged: all of them or, when a move
    // fails, none (the ones moved go back). Returns false, with `why`, then.
    bool MoveIntoPlace(std::string& why);

private:
    std::vector<std::pair<std::string, std::string>> staged;  // hidden name, target
    std::string tag;
};

// Writes `bytes` as the file at `path` through StagedFiles. Returns false
// when it cannot be written whole; the old file stays then.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Returns whether `name`, taken relative to a folder, names something inside
// it: not empty, not absolute, never climbing out with "..", and not the
// folder itself ("." or "a/.."). The program opens a listed sprite file
// relative to the world's folder, and the tools write where the list says.
bool StaysInside(const std::string& name);
