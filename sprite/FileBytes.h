// The whole content of a file, read into memory in one pass so that a loader
// can parse it through a BoundedReader. The buffer only grows with what the
// file actually delivers: a size the file system reports is a hint, never an
// allocation taken on trust.
#pragma once

#include <cstddef>
#include <cstdint>

class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes() { delete[] data; }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Reads `fileName` (binary mode, the name passed on unchanged). False when
    // the file cannot be opened, when reading it fails (a directory, an I/O
    // error) or when memory runs out; the buffer is then empty.
    bool ReadFile(const char* fileName);

    const uint8_t* Data() const { return data; }
    size_t Size() const { return size; }

private:
    bool Reserve(size_t capacityWanted);

    uint8_t* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
};
