// 8-bit RGB PNG files of 0x00RRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool WritePng(const std::string& path, int32_t width, int32_t height, const std::vector<uint32_t>& pixels);
