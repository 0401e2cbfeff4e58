#include "tools/tiledworld/Base64.h"

#include <cctype>

namespace {

const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

bool DecodeBase64(const std::string& text, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    bytes.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int bits = 0;
    size_t padding = 0;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int value = Base64Value(c);
        if (value < 0 || padding > 0) return false;  // no data after the padding
        group = (group << 6) | uint32_t(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<uint8_t>(group >> bits));
        }
    }
    // Leftover bits must be the zero filler of a short last group.
    return padding <= 2 && bits < 6 && (group & ((1u << bits) - 1)) == 0;
}

std::string EncodeBase64(const uint8_t* bytes, size_t size)
{
    std::string text;
    text.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const uint32_t group = uint32_t(bytes[i]) << 16 | (i + 1 < size ? uint32_t(bytes[i + 1]) << 8 : 0) |
                               (i + 2 < size ? bytes[i + 2] : 0);
        for (size_t k = 0; k < 4; ++k) text += i + k <= size ? Alphabet[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}
