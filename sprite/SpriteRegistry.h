// Sprite ids of the map, mapped to sprite files through "SpriteList.txt";
// each sprite is loaded the first time it is asked for.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>

struct SpriteEntry {
    char* fileName;  // owned, exactly as long as the listed name
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

    // Appends an entry for each sprite that the list file names, in its order.
    // Returns false when the file cannot be opened; a list that ends early
    // still loads.
    bool LoadSpriteList(const char* fileName);
    // Returns the index of the first entry listed under `id`, or -1 when
    // there is none.
    int FindSpriteIndex(int32_t id) const;
    // Returns the sprite at `index`, loading it on first use, or null when it
    // cannot be loaded or no entry has that index. Every request counts as a use.
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
    // Loads the entry's file into a new sprite of the entry; when that fails
    // the entry is left without one.
    static void Load(SpriteEntry& entry);

    SpriteEntry* entries = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
};
