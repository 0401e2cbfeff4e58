#include "sprite/SpriteRegistry.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr int NameBufferSize = 1024;

bool IsWordEnd(int c)
{
    return c == EOF || std::isspace(c);
}

// Reads one word as "%s" would, however long it is: after the 1023 bytes that
// "%1023s" takes, further pieces are read up to the next white space, so a
// longer name is kept whole and never runs into the next entry. Returns the
// word in a new allocation, or null when no word is left.
char* ReadName(std::FILE* list)
{
    char piece[NameBufferSize] = {};
    if (std::fscanf(list, "%1023s", piece) != 1) return nullptr;

    size_t length = std::strlen(piece);
    char* name = new char[length + 1];
    std::memcpy(name, piece, length + 1);
    for (int c = std::fgetc(list); !IsWordEnd(c); c = std::fgetc(list)) {
        std::ungetc(c, list);
        std::memset(piece, 0, sizeof piece);
        if (std::fscanf(list, "%1023[^ \t\n\v\f\r]", piece) != 1) break;
        const size_t added = std::strlen(piece);
        char* longer = new char[length + added + 1];
        std::memcpy(longer, name, length);
        std::memcpy(longer + length, piece, added + 1);
        delete[] name;
        name = longer;
        length += added;
    }
    return name;
}

char* EmptyName()
{
    char* name = new char[1];
    name[0] = '\0';
    return name;
}

}  // namespace

SpriteRegistry::~SpriteRegistry()
{
    for (int32_t i = 0; i < count; ++i) {
        if (Sprite* sprite = entries[i].sprite) {
            sprite->FreeSprite();
            delete sprite;
        }
        delete[] entries[i].fileName;
    }
    delete[] entries;
    entries = nullptr;
    count = capacity = 0;
}

void SpriteRegistry::Append(const SpriteEntry& entry)
{
    if (count == capacity) {
        const int32_t grown = count == 0 ? 1 : count * 2;
        SpriteEntry* storage = new SpriteEntry[grown];
        for (int32_t i = 0; i < count; ++i) storage[i] = entries[i];
        delete[] entries;
        entries = storage;
        capacity = grown;
    }
    entries[count++] = entry;
}

bool SpriteRegistry::LoadSpriteList(const char* fileName)
{
    std::FILE* list = std::fopen(fileName, "rt");
    if (!list) return false;

    int listed = 0;
    std::fscanf(list, "%d", &listed);
    for (int i = 0; i < listed; ++i) {
        SpriteEntry entry = {nullptr, 0, nullptr, 0};
        std::fscanf(list, "%d", &entry.id);
        entry.fileName = ReadName(list);
        if (!entry.fileName) {
            // The list ends before its count. The missing entries would all
            // be alike (no name, nothing to load), so one entry stands for
            // them all rather than as many as a damaged count asks for.
            entry.fileName = EmptyName();
            Append(entry);
            break;
        }
        Append(entry);
    }
    std::fclose(list);
    return true;
}

int SpriteRegistry::FindSpriteIndex(int32_t id) const
{
    for (int32_t i = 0; i < count; ++i) {
        if (entries[i].id == id) return i;
    }
    return -1;
}

void SpriteRegistry::Load(SpriteEntry& entry)
{
    Sprite* sprite = new Sprite;
    sprite->ResetSprite();
    entry.sprite = sprite;
    if (!sprite->LoadSprite(entry.fileName)) {
        sprite->FreeSprite();
        delete sprite;
        entry.sprite = nullptr;
    }
}
