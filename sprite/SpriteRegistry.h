// Sprite ids of the map, mapped to sprite files through "SpriteList.txt";
// each sprite is loaded the first time it is asked for.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>

struct SpriteEntry {
    char* fileName;    // owned, exactly as long as the listed name
    int32_t id;
    Sprite* sprite;    // owned; null until loaded successfully
    int32_t useCount;  // GetSprite requests, loaded or not
};

class SpriteRegistry {
public:
    SpriteRegistry() = default;
    ~SpriteRegistry();
    SpriteRegistry(const SpriteRegistry&) = delete;
    SpriteRegistry& operator=(const SpriteRegistry&) = delete;

    bool LoadSpriteList(const char* fileName);
    int FindSpriteIndex(int32_t id) const;
    // The sprite at `index`, loaded on first use; null when it cannot be loaded
    // or when no entry has that index.
    Sprite* GetSprite(int index);

    int32_t EntryCount() const { return count; }
    int32_t Capacity() const { return capacity; }
    const SpriteEntry& Entry(int index) const { return entries[index]; }

private:
    void Append(const SpriteEntry& entry);

    SpriteEntry* entries = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
};
