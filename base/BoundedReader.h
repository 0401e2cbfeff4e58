// A cursor over the bytes of a binary file that always knows how many are
// left. Every read states how many bytes it needs and fails when fewer are
// left, so a loader that goes through it never reads past the end; counts and
// sizes taken from the file are checked with Fits() before anything is
// allocated for them, so no allocation exceeds what the rest of the file
// could fill.
//
// The bytes come from memory, or from an open file through a window of
// WindowSize bytes, so that a large file is neither held whole nor copied
// twice: what a loader converts is still in the cache when it converts it.
// Once a read has failed the reader is spent; loaders give up at that point.
//
// Multi-byte integers are little-endian unless the name says otherwise; the
// reader decodes them with the same functions (base/ByteOrder.h) that loaders
// use on records taken whole with Take().
#pragma once

#include "base/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Finds how many bytes lie between the current position of `file` and its
// end, as the file system reports them, and leaves the position where it was.
// Returns false when the file system cannot tell (for a pipe, or a file too
// large for this platform's file positions).
inline bool SizeOfRest(std::FILE* file, size_t& size)
{
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0 || end < start) return false;
    size = static_cast<size_t>(end - start);
    return true;
}

class BoundedReader {
public:
    static constexpr size_t WindowSize = 1024 * 1024;

    // Reads the `size` bytes at `data`, which must outlive the reader.
    BoundedReader(const uint8_t* data, size_t size) : next(data), end(data + size), remaining(size), totalSize(size) {}

    // Reads the rest of an open file from its current position, `size` bytes
    // as the file system reports them. If the file delivers fewer, the read
    // that needs the missing bytes fails. The caller closes the file.
    BoundedReader(std::FILE* file, size_t size) : remaining(size), totalSize(size), source(file) {}

    ~BoundedReader() { delete[] window; }
    BoundedReader(const BoundedReader&) = delete;
    BoundedReader& operator=(const BoundedReader&) = delete;

    // Returns how many bytes are left to read.
    size_t Remaining() const { return remaining; }
    // Returns how many bytes have been read so far, which is where the next
    // read starts in the file.
    size_t Offset() const { return totalSize - untrusted - remaining; }
    bool AtEnd() const { return remaining == 0; }
    // Returns true when a read failed because the file could not be read,
    // rather than because it ended.
    bool ReadError() const { return readError; }

    // Checks whether `count` items of `itemSize` bytes each are still left to
    // read. Returns false for a negative count.
    bool Fits(int64_t count, size_t itemSize) const
    {
        if (count < 0) return false;
        if (count == 0 || itemSize == 0) return true;
        return static_cast<uint64_t>(count) <= remaining / itemSize;
    }

    // Reads the next `size` bytes (at most WindowSize from a file) in place.
    // Returns where they lie, valid until the next read, or null when fewer
    // are left.
    const uint8_t* Take(size_t size)
    {
        if (size > remaining || !Available(size)) return nullptr;
        const uint8_t* bytes = next;
        Consume(size);
        return bytes;
    }

    // Looks at the next bytes without reading them, so that a loader can
    // decode many records straight from memory and then Skip() what it used.
    // Makes at least `least` bytes (at most WindowSize) available and sets
    // `held` to how many lie in memory from the returned address: for bytes in
    // memory, all that are left; for a file, what its window holds now.
    // Returns null when fewer than `least` bytes are left.
    const uint8_t* Peek(size_t least, size_t& held)
    {
        if (least > remaining || !Available(least)) return nullptr;
        held = Held();
        return next;
    }

    // Reads `count` items of `itemSize` bytes each (at most WindowSize) and
    // hands them to `sink(items, itemCount)` in pieces of whole items, as many
    // as the window holds at a time; bytes in memory come in one piece.
    // Returns false, before calling the sink, when the items do not all fit in
    // what is left, and later if a file ends early.
    template <typename Sink>
    bool ReadInPieces(size_t count, size_t itemSize, Sink&& sink)
    {
        if (!Fits(static_cast<int64_t>(count), itemSize)) return false;
        while (count > 0) {
            if (!Available(itemSize)) return false;
            size_t items = static_cast<size_t>(end - next) / itemSize;
            if (items > count) items = count;
            sink(next, items);
            Consume(items * itemSize);
            count -= items;
        }
        return true;
    }

    // Copies the next `size` bytes to `destination`. Returns false when fewer
    // are left.
    bool ReadBytes(void* destination, size_t size)
    {
        if (size <= Held()) {  // a short read, whose bytes are already in memory
            if (size) std::memcpy(destination, next, size);
            Consume(size);
            return true;
        }
        uint8_t* out = static_cast<uint8_t*>(destination);
        return ReadInPieces(size, 1, [&out](const uint8_t* bytes, size_t count) {
            std::memcpy(out, bytes, count);
            out += count;
        });
    }

    // Passes over the next `size` bytes. Returns false when fewer are left.
    bool Skip(size_t size)
    {
        if (size <= Held()) {
            Consume(size);
            return true;
        }
        return ReadInPieces(size, 1, [](const uint8_t*, size_t) {});
    }

    // Each reads one field into `value`. Returns false, leaving `value` as it
    // was, when the field's bytes are not all left.
    bool Read(uint8_t& value) { return ReadField<uint8_t, Unsigned8>(value); }
    bool Read(uint16_t& value) { return ReadField<uint16_t, LittleEndian16>(value); }
    bool Read(uint32_t& value) { return ReadField<uint32_t, LittleEndian32>(value); }
    bool Read(int8_t& value) { return ReadField<int8_t, Signed8>(value); }
    bool Read(int16_t& value) { return ReadField<int16_t, SignedLittleEndian16>(value); }
    bool Read(int32_t& value) { return ReadField<int32_t, SignedLittleEndian32>(value); }
    bool ReadBigEndian(uint16_t& value) { return ReadField<uint16_t, BigEndian16>(value); }

private:
    // Returns how many bytes lie in memory from `next` on, never more than
    // are left.
    size_t Held() const { return static_cast<size_t>(end - next); }

    void Consume(size_t size)
    {
        next += size;
        remaining -= size;
    }

    // Makes `size` bytes (no more than are left) lie in memory at `next`,
    // reading from the file when the window does not hold them yet. Returns
    // false when the file delivers fewer; from then on the reader trusts
    // nothing more of the file.
    bool Available(size_t size)
    {
        const size_t held = static_cast<size_t>(end - next);
        if (held >= size) return true;
        if (!source || size > WindowSize) return false;
        if (!window) {
            // A small file gets a window of its own size.
            windowSize = remaining < WindowSize ? remaining : WindowSize;
            window = new uint8_t[windowSize];
        }
        if (held) std::memmove(window, next, held);
        const size_t wanted = remaining < windowSize ? remaining : windowSize;
        const size_t got = std::fread(window + held, 1, wanted - held, source);
        next = window;
        end = window + held + got;
        if (held + got >= size) return true;
        readError = std::ferror(source) != 0;
        // The file is shorter than it said: nothing more is trusted.
        untrusted = remaining;
        remaining = 0;
        return false;
    }

    template <typename Value, Value (*Decode)(const uint8_t*)>
    bool ReadField(Value& value)
    {
        const uint8_t* bytes = Take(sizeof(Value));
        if (!bytes) return false;
        value = Decode(bytes);
        return true;
    }

    const uint8_t* next = nullptr;  // the next byte to read, in memory or in the window
    const uint8_t* end = nullptr;   // the end of the bytes in memory from `next`
    size_t remaining;               // bytes of the file not read yet
    size_t totalSize;               // bytes of the whole file
    size_t untrusted = 0;           // bytes given up on when the file ended early
    std::FILE* source = nullptr;
    uint8_t* window = nullptr;
    size_t windowSize = 0;
    bool readError = false;
};
