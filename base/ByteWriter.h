// The writing side of BoundedReader: appends the fields of a binary file to a
// growing byte vector in the order and byte order that the reader takes them
// back, little-endian unless the name says otherwise. The content tools and
// the tests build their files with it.
#pragma once

#include "base/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ByteWriter {
public:
    // Appends to `bytes`, which must outlive the writer.
    explicit ByteWriter(std::vector<uint8_t>& bytes) : target(bytes) {}

    void Write(uint8_t value) { target.push_back(value); }
    void Write(int8_t value) { target.push_back(static_cast<uint8_t>(value)); }
    void Write(uint16_t value) { StoreLittleEndian16(Grow(2), value); }
    void Write(int16_t value) { Write(BitsOf(value)); }
    void Write(uint32_t value) { StoreLittleEndian32(Grow(4), value); }
    void Write(int32_t value) { Write(BitsOf(value)); }
    void WriteBigEndian(uint16_t value) { StoreBigEndian16(Grow(2), value); }

    void WriteBytes(const uint8_t* data, size_t size) { target.insert(target.end(), data, data + size); }
    void WriteBytes(const std::vector<uint8_t>& data) { target.insert(target.end(), data.begin(), data.end()); }

    // Writes `text` into a field of `fieldSize` bytes padded with NULs. A
    // longer text is cut so that the field still ends in a NUL.
    void WriteText(const std::string& text, size_t fieldSize)
    {
        if (fieldSize == 0) return;
        uint8_t* field = Grow(fieldSize);
        std::memset(field, 0, fieldSize);
        text.copy(reinterpret_cast<char*>(field), fieldSize - 1);
    }

private:
    // Room for `size` more bytes at the end; returns where they start.
    uint8_t* Grow(size_t size)
    {
        target.resize(target.size() + size);
        return target.data() + target.size() - size;
    }

    std::vector<uint8_t>& target;
};
