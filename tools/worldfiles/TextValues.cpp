#include "tools/worldfiles/TextValues.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool ParseWholeNumber(const std::string& text, int64_t low, int64_t high, int64_t& value)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ParseRgbDigits(const std::string& text, uint32_t& rgb)
{
    if (text.size() != 6) return false;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    rgb = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
    return true;
}

std::string FormatRgb(uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
    return text;
}

std::string FileNameWord(const std::string& text, const char* kept)
{
    std::string word = text;
    for (char& c : word) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr(kept, c));
        if (!plain) c = '_';
    }
    return word;
}
