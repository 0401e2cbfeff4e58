// 8-bit RGB PNG files of 0x00RRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes `pixels` (width x height, top row first) as an RGB PNG at `path`.
// Returns false when the file cannot be written.
bool WritePng(const std::string& path, int32_t width, int32_t height, const std::vector<uint32_t>& pixels);
