// Multi-byte integers in the byte order of the files: little-endian unless the
// name says otherwise. The decoders read a field of a record that a loader
// holds whole; the stores write one into bytes that already exist. Both take
// two's complement from the bits, never from a narrowing conversion, so a
// value and its bytes go back and forth unchanged.
#pragma once

#include <cstdint>
#include <cstring>

inline uint8_t Unsigned8(const uint8_t* bytes)
{
    return bytes[0];
}

inline int8_t Signed8(const uint8_t* bytes)
{
    int8_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

inline uint16_t LittleEndian16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline uint16_t BigEndian16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline uint32_t LittleEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

inline int16_t SignedLittleEndian16(const uint8_t* bytes)
{
    const uint16_t bits = LittleEndian16(bytes);
    int16_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline int32_t SignedLittleEndian32(const uint8_t* bytes)
{
    const uint32_t bits = LittleEndian32(bytes);
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void StoreLittleEndian16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreBigEndian16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

inline void StoreLittleEndian32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The bits of a signed value as the unsigned value a store writes.
inline uint16_t BitsOf(int16_t value)
{
    uint16_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline uint32_t BitsOf(int32_t value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
