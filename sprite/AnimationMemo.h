// The animation lookup of one drawable, remembered from one frame to the next
// so that a sprite with many animations is not searched by name for every
// tile of every frame. Only the search is skipped: the frame is still taken
// from the animation found, with the cursor bound and read as always.
//
// Why the memo always gives the answer the search would give: the remembered
// animation was the first of its sprite that matched the name and direction
// it was found for. If it also matches the name and direction the drawable
// asks for now, those are the same name and direction as before. The sprite
// is the same record, and a loaded sprite never changes, so no earlier
// animation matches them now that did not match them then. The check compares
// all 33 bytes of the names, which is stricter than the search (that stops at
// the NUL): a name with other bytes after its NUL merely goes back to the
// search. A drawable whose animation is missing, or whose sprite has changed,
// is searched for as before.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>
#include <cstring>

struct AnimationMemo {
    const Sprite* sprite = nullptr;  // null: nothing remembered
    int32_t index = -1;              // the animation of `sprite` found last

    // Returns the frame that in.GetCurrentFrame(name, direction, cursor)
    // returns, searching for the animation only when the memo does not hold it.
    const SpriteFrame* CurrentFrame(const Sprite& in, const AnimationName& name, int32_t direction,
                                    AnimationCursor* cursor)
    {
        return in.FrameToShow(Find(in, name, direction), cursor);
    }

    // Returns the index that in.FindAnimation(name, direction) returns, -1
    // when there is no such animation, and remembers it.
    int Find(const Sprite& in, const AnimationName& name, int32_t direction)
    {
        if (sprite == &in && index < in.animationCount) {
            const Animation& animation = in.animations[index];
            if (animation.direction == direction && std::memcmp(animation.name, name, sizeof name) == 0) {
                return index;
            }
        }
        return Search(in, name, direction);
    }

private:
    int Search(const Sprite& in, const AnimationName& name, int32_t direction);
};

// One memo for each drawable of a list whose length may change between frames
// (the map's floor tiles). It starts empty and grows, never shrinks.
class AnimationMemoTable {
public:
    AnimationMemoTable() = default;
    ~AnimationMemoTable() { delete[] memos; }
    AnimationMemoTable(const AnimationMemoTable&) = delete;
    AnimationMemoTable& operator=(const AnimationMemoTable&) = delete;

    // Makes room for at least `count` memos. Returns them, or null when the
    // memory cannot be had.
    AnimationMemo* Cover(int32_t count) { return count <= size ? memos : Grow(count); }

private:
    AnimationMemo* Grow(int32_t count);

    AnimationMemo* memos = nullptr;
    int32_t size = 0;
};
