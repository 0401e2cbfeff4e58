#include "map/CellDataStore.h"

#include <cstring>
#include <new>
#include <utility>

bool CellDataStore::NewChunk(size_t size)
{
    // A block larger than a chunk gets a chunk of its own size.
    const size_t bytes = size > ChunkSize ? size : ChunkSize;
    if (bytes > SIZE_MAX - sizeof lastChunk) return false;
    uint8_t* chunk = new (std::nothrow) uint8_t[sizeof lastChunk + bytes];
    if (!chunk) return false;
    std::memcpy(chunk, &lastChunk, sizeof lastChunk);
    lastChunk = chunk;
    next = chunk + sizeof lastChunk;
    left = bytes;
    return true;
}

void CellDataStore::Release()
{
    while (lastChunk) {
        uint8_t* previous;
        std::memcpy(&previous, lastChunk, sizeof previous);
        delete[] lastChunk;
        lastChunk = previous;
    }
    next = nullptr;
    left = 0;
}

void CellDataStore::Swap(CellDataStore& other)
{
    std::swap(lastChunk, other.lastChunk);
    std::swap(next, other.next);
    std::swap(left, other.left);
}
