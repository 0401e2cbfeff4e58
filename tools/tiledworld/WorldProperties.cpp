#include "tools/tiledworld/WorldProperties.h"

#include "tools/worldfiles/TextValues.h"

#include <cstdio>
#include <cstdint>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string EscapePropertyText(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\n') || byte == '%' || byte >= 0x7F) {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

bool UnescapePropertyText(const std::string& text, std::string& bytes)
{
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) return false;
        bytes += char(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string FormatPair(int64_t x, int64_t y)
{
    return std::to_string(x) + "," + std::to_string(y);
}

bool ParsePair(const std::string& text, int64_t low, int64_t high, int64_t& x, int64_t& y)
{
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    return ParseWholeNumber(text.substr(0, comma), low, high, x) &&
           ParseWholeNumber(text.substr(comma + 1), low, high, y);
}

std::string FormatFloorRuns(const std::vector<FloorRun>& runs)
{
    std::string text;
    for (const FloorRun& run : runs) {
        if (!text.empty()) text += ' ';
        text += std::to_string(run.column) + "," + std::to_string(run.row) + "," + std::to_string(run.first) + "," +
                std::to_string(run.count);
    }
    return text;
}

bool ParseFloorRuns(const std::string& text, int64_t columns, int64_t rows, std::vector<FloorRun>& runs)
{
    runs.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        int64_t values[4];
        size_t from = start;
        for (int v = 0; v < 4; ++v) {
            size_t to = v == 3 ? end : text.find(',', from);
            if (to == std::string::npos || to > end) return false;
            if (!ParseWholeNumber(text.substr(from, to - from), 0, INT32_MAX, values[v])) return false;
            from = to + 1;
        }
        FloorRun run{values[0], values[1], values[2], values[3]};
        if (run.column >= columns || run.row >= rows || run.count < 1 || run.first + run.count > INT32_MAX)
            return false;
        runs.push_back(run);
        start = end + 1;
    }
    return true;
}
