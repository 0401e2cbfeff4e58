// Whole files in and out, and the names a world folder's list may give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the whole file at `path` into `bytes`. Returns false for anything but
// a regular file that reads whole (a folder opens, but fails on the first
// read).
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

// Writes `bytes` to the file at `path`, replacing it. Returns false when the
// file cannot be written whole.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Returns whether `name`, taken relative to a folder, stays inside it: not
// empty, not absolute, and never climbing out with "..". The program opens a
// listed sprite file relative to the world's folder, and the tools write
// where the list says.
bool StaysInside(const std::string& name);
