// A cursor over the bytes of a binary file held in memory. Every read states
// how many bytes it needs and fails, consuming nothing, when fewer are left, so
// a loader that goes through it can never read past the end. Counts and sizes
// taken from the file are checked with Fits() before anything is allocated for
// them, so no allocation can exceed what the rest of the file could fill.
//
// Multi-byte integers are little-endian unless the name says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class BoundedReader {
public:
    BoundedReader(const uint8_t* data, size_t size) : next(data), end(data + size), start(data) {}

    size_t Remaining() const { return static_cast<size_t>(end - next); }
    // Bytes consumed so far: where the next read starts in the file.
    size_t Offset() const { return static_cast<size_t>(next - start); }
    bool AtEnd() const { return next == end; }

    // Whether `count` items of `itemSize` bytes each could still be read.
    // Negative counts never fit.
    bool Fits(int64_t count, size_t itemSize) const
    {
        if (count < 0) return false;
        if (count == 0 || itemSize == 0) return true;
        return static_cast<uint64_t>(count) <= Remaining() / itemSize;
    }

    // The next `size` bytes, consumed, or null when fewer are left.
    const uint8_t* Take(size_t size)
    {
        if (size > Remaining()) return nullptr;
        const uint8_t* bytes = next;
        next += size;
        return bytes;
    }

    bool ReadBytes(void* destination, size_t size)
    {
        const uint8_t* bytes = Take(size);
        if (!bytes) return false;
        if (size) std::memcpy(destination, bytes, size);
        return true;
    }

    bool Skip(size_t size) { return Take(size) != nullptr; }

    bool Read(uint8_t& value) { return ReadUnsigned(value); }
    bool Read(uint16_t& value) { return ReadUnsigned(value); }
    bool Read(uint32_t& value) { return ReadUnsigned(value); }
    bool Read(int8_t& value) { return ReadSigned<uint8_t>(value); }
    bool Read(int16_t& value) { return ReadSigned<uint16_t>(value); }
    bool Read(int32_t& value) { return ReadSigned<uint32_t>(value); }

    bool ReadBigEndian(uint16_t& value)
    {
        const uint8_t* bytes = Take(2);
        if (!bytes) return false;
        value = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
        return true;
    }

private:
    template <typename Unsigned>
    bool ReadUnsigned(Unsigned& value)
    {
        const uint8_t* bytes = Take(sizeof(Unsigned));
        if (!bytes) return false;
        Unsigned assembled = 0;
        for (size_t i = 0; i < sizeof(Unsigned); ++i) {
            assembled = static_cast<Unsigned>(assembled | static_cast<Unsigned>(bytes[i]) << (8 * i));
        }
        value = assembled;
        return true;
    }

    // Two's complement is taken from the bits, never from a narrowing conversion.
    template <typename Unsigned, typename Signed>
    bool ReadSigned(Signed& value)
    {
        Unsigned bits;
        if (!ReadUnsigned(bits)) return false;
        std::memcpy(&value, &bits, sizeof value);
        return true;
    }

    const uint8_t* next;
    const uint8_t* end;
    const uint8_t* start;
};
