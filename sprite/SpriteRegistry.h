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
    // or when no entry has that index. Every request counts as a use.
    Sprite* GetSprite(int index)
    {
        if (index < 0 || index >= count) return nullptr;
        SpriteEntry& entry = entries[index];
        if (!entry.sprite) Load(entry);
        ++entry.useCount;
        return entry.sprite;
    }

    int32_t EntryCount() const { return count; }
    int32_t Capacity() const { return capacity; }
    const SpriteEntry& Entry(int index) const { return entries[index]; }

private:
    void Append(const SpriteEntry& entry);
    // Tries to load the entry's file; leaves no sprite when that fails.
    static void Load(SpriteEntry& entry);

    SpriteEntry* entries = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
};
