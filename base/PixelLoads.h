// Unaligned loads and stores of pixels and mask bytes: rows, masks and
// pitches carry no alignment, so every access goes through memcpy.
#pragma once

#include <cstdint>
#include <cstring>

inline uint16_t Load16(const uint8_t* p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline uint64_t Load64(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void Store16(uint8_t* p, uint16_t v)
{
    std::memcpy(p, &v, 2);
}
inline void Store32(uint8_t* p, uint32_t v)
{
    std::memcpy(p, &v, 4);
}
inline void Store64(uint8_t* p, uint64_t v)
{
    std::memcpy(p, &v, 8);
}
