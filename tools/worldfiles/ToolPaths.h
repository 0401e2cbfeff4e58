// The paths a tool is given: what it says when a file cannot be read, and the
// folders it makes for what it writes.
#pragma once

#include "tools/worldfiles/Files.h"

#include <cstdint>
#include <string>
#include <vector>

// Returns why the file at `path` cannot be read, in words: "there is no such
// file", "is a folder, not a file", or what the system says.
std::string WhyUnreadable(const std::string& path);

// The same for what ReadFileWithin found of it: its limit passed, too.
std::string WhyUnreadable(const std::string& path, const FileFault& fault);

// Makes the folders that `file` is to be written into, when they are
// missing. Returns false, with `error` saying why ("out is a file, not a
// folder"), when they cannot be made.
bool MakeFolderFor(const std::string& file, std::string& error);

// Writes `bytes` to `path` after making its folders. Returns false, with
// `error` saying why ("cannot be written: Permission denied"), when it cannot.
bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
