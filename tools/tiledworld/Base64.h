// Base64, as the editor writes layer data and as both directions of the
// Tiled conversion keep bytes in custom properties.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Plain base64 (white space allowed between groups). False on a character
// outside the alphabet or a broken end.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>& bytes);

// Base64 with '=' padding and no line breaks.
std::string EncodeBase64(const uint8_t* bytes, size_t size);
inline std::string EncodeBase64(const std::vector<uint8_t>& bytes)
{
    return EncodeBase64(bytes.data(), bytes.size());
}
