#include "map/SceneList.h"

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

SceneEntry* SceneList::InsertBefore(SceneEntry* position, const SceneObject& object)
{
    SceneEntry* entry = new SceneEntry{position, position->previous, object};
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
    delete entry;
    --count;
}

void SceneList::RemoveAll()
{
    while (sentinel->next != sentinel) Remove(sentinel->next);
}
