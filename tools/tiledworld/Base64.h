// Base64, in which the editor writes layer data and both Tiled tools keep
// bytes in custom properties.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Decodes plain base64, with white space allowed between groups, into
// `bytes`. Returns false for a character outside the alphabet or for a text
// that does not end as base64 ends.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>& bytes);

// Returns the bytes as base64, padded with '=' and without line breaks.
std::string EncodeBase64(const uint8_t* bytes, size_t size);
inline std::string EncodeBase64(const std::vector<uint8_t>& bytes)
{
    return EncodeBase64(bytes.data(), bytes.size());
}
