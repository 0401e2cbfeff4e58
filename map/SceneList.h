// The scene objects in drawing order: a circular doubly linked list with a
// sentinel entry, and an entry count. Entries are drawn first to last.
#pragma once

#include "map/SceneObject.h"
#include "sprite/AnimationMemo.h"

#include <cstdint>

struct SceneEntry {
    SceneEntry* next;
    SceneEntry* previous;
    SceneObject object;
    AnimationMemo memo;  // the drawing's animation search, remembered for this entry
};

class SceneList {
public:
    SceneList();
    ~SceneList();
    SceneList(const SceneList&) = delete;
    SceneList& operator=(const SceneList&) = delete;

    SceneEntry* First() const { return sentinel->next; }
    SceneEntry* Last() const { return sentinel->previous; }
    // Returns the sentinel, which First() returns when the list is empty and
    // which follows Last().
    const SceneEntry* End() const { return sentinel; }
    int32_t Count() const { return count; }

    // Links a new entry holding a copy of `object` immediately before
    // `position`. Returns the new entry.
    SceneEntry* InsertBefore(SceneEntry* position, const SceneObject& object);
    SceneEntry* Append(const SceneObject& object);
    // Unlinks and releases the entry; any pointer to it is no longer valid.
    void Remove(SceneEntry* entry);
    void RemoveAll();

private:
    struct Block;

    SceneEntry* NewEntry();
    void ReleaseBlocks();

    SceneEntry* sentinel;
    int32_t count = 0;
    // Entries come from blocks that the list allocates, so that a map of
    // thousands of objects is not thousands of allocations. A removed entry
    // waits in `spare` (linked through `next`) for the next insertion; the
    // blocks go when the list is emptied or destroyed.
    Block* blocks = nullptr;  // the newest first
    int32_t unused = 0;       // entries at the end of the newest block never handed out
    SceneEntry* spare = nullptr;
};
