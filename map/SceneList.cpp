#include "map/SceneList.h"

#include <new>

struct SceneList::Block {
    Block* older;
    int32_t size;
    SceneEntry* entries;
};

namespace {

constexpr int32_t FirstBlockSize = 16;
constexpr int32_t LargestBlockSize = 512;  // about 50 KB: under the sizes an allocator maps page by page

}  // namespace

SceneList::SceneList() : sentinel(new SceneEntry{})
{
    sentinel->next = sentinel;
    sentinel->previous = sentinel;
}

SceneList::~SceneList()
{
    RemoveAll();
    delete sentinel;
}

SceneEntry* SceneList::NewEntry()
{
    if (spare) {
        SceneEntry* entry = spare;
        spare = spare->next;
        return entry;
    }
    if (unused == 0) {
        // Each block twice the one before, up to a limit.
        const int32_t size = !blocks                           ? FirstBlockSize
                             : blocks->size < LargestBlockSize ? blocks->size * 2
                                                               : blocks->size;
        // Raw storage: InsertBefore makes each entry when it hands it out.
        blocks = new Block{blocks, size, static_cast<SceneEntry*>(::operator new(size * sizeof(SceneEntry)))};
        unused = size;
    }
    return &blocks->entries[blocks->size - unused--];
}

void SceneList::ReleaseBlocks()
{
    while (blocks) {
        Block* older = blocks->older;
        ::operator delete(blocks->entries);
        delete blocks;
        blocks = older;
    }
    unused = 0;
    spare = nullptr;
}

SceneEntry* SceneList::InsertBefore(SceneEntry* position, const SceneObject& object)
{
    SceneEntry* entry = new (NewEntry()) SceneEntry{position, position->previous, object, AnimationMemo{}};
    position->previous->next = entry;
    position->previous = entry;
    ++count;
    return entry;
}

SceneEntry* SceneList::Append(const SceneObject& object)
{
    return InsertBefore(sentinel, object);
}

void SceneList::Remove(SceneEntry* entry)
{
    entry->previous->next = entry->next;
    entry->next->previous = entry->previous;
    entry->next = spare;
    spare = entry;
    --count;
}

void SceneList::RemoveAll()
{
    sentinel->next = sentinel;
    sentinel->previous = sentinel;
    count = 0;
    ReleaseBlocks();
}
