// A hidden folder beside a tool's output in which the output is written
// first, and from which each piece then replaces its namesake only once all
// of it is written: a failed run leaves the earlier output as it was, and no
// half-written files.
#pragma once

#include <filesystem>
#include <string>

class StagingFolder {
public:
    // Makes the folder `name` in `place` afresh. Throws
    // std::filesystem::filesystem_error when it cannot be made.
    StagingFolder(const std::filesystem::path& place, const std::string& name);
    // Removes the folder with whatever is still in it.
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    // Where the piece `name` is written before it moves.
    std::filesystem::path Staged(const std::string& name) const { return folder / name; }

    // Moves the staged piece `name` into place, replacing what was there; the
    // old one is removed only once the new one stands. Throws
    // std::filesystem::filesystem_error when a move fails.
    void MoveIntoPlace(const std::string& name);

private:
    std::filesystem::path place;
    std::filesystem::path folder;
};
