// The values the tools read from and write into text: whole numbers, colours
// and names made fit for file names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads `text` as a decimal whole number from `low` to `high` into `value`.
// Returns false for an empty text, anything after the number, or a number out
// of range; `value` is left as it was then.
bool ParseWholeNumber(const std::string& text, int64_t low, int64_t high, int64_t& value);

// Reads exactly six hex digits, "FF00FF", into `rgb` as 0xRRGGBB. Returns
// false for anything else; callers strip the prefix their format allows.
bool ParseRgbDigits(const std::string& text, uint32_t& rgb);

// Returns the colour as "#RRGGBB", in capitals.
std::string FormatRgb(uint32_t rgb);

// Returns `text` with every character but letters, digits and those of `kept`
// replaced by '_', so that it can stand in a file name.
std::string FileNameWord(const std::string& text, const char* kept);

// The longest part of a tileset's name that goes into a file name.
constexpr size_t LongestNameInFileName = 48;
