// The data blocks of a map's cells. Any cell may carry one, so a large map
// has tens of thousands; allocated one by one they made loading mostly a
// matter of the allocator. They are carved in file order from a few large
// chunks instead and released all at once with the cells. Each cell's `data`
// still points at its own `dataLength` bytes and nothing else.
#pragma once

#include <cstddef>
#include <cstdint>

class CellDataStore {
public:
    CellDataStore() = default;
    ~CellDataStore() { Release(); }
    CellDataStore(const CellDataStore&) = delete;
    CellDataStore& operator=(const CellDataStore&) = delete;

    // Hands out a block of `size` bytes (more than 0). Returns it, or null when
    // memory runs out.
    uint8_t* Allocate(size_t size)
    {
        if (size > left && !NewChunk(size)) return nullptr;
        uint8_t* block = next;
        next += size;
        left -= size;
        return block;
    }

    // Releases every block at once.
    void Release();
    // Trades contents with `other`, which is how a load hands what it read to
    // the map.
    void Swap(CellDataStore& other);

private:
    static constexpr size_t ChunkSize = 64 * 1024;

    bool NewChunk(size_t size);

    uint8_t* lastChunk = nullptr;  // each chunk starts with a link to the one before
    uint8_t* next = nullptr;
    size_t left = 0;
};
