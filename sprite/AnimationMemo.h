// The animation lookup of one drawable, remembered from one frame to the next
// so that a sprite with many animations is not searched by name for every
// tile of every frame. Only the search is skipped: the frame is still taken
// from the animation found, with the cursor bound and read as always.
//
// Why the answer is the search's own: the remembered animation was the first
// of its sprite to answer the name and direction it was found for. If it
// answers the drawable's present name and direction too, then they are the
// same name and direction, and no earlier animation can answer them now that
// did not answer them then; the sprite is the same record, and a loaded
// sprite never changes. The check compares all 33 bytes of the names, which
// is stricter than the search (it stops at the NUL): a name padded otherwise
// only goes back to the search. A drawable whose animation is missing, or
// whose sprite is another, is searched as before.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>
#include <cstring>

struct AnimationMemo {
    const Sprite* sprite = nullptr;  // null: nothing remembered
    int32_t index = -1;              // the animation of `sprite` found last

    // GetCurrentFrame, with the search remembered.
    const SpriteFrame* CurrentFrame(const Sprite& in, const AnimationName& name, int32_t direction,
                                    AnimationCursor* cursor)
    {
        return in.FrameToShow(Find(in, name, direction), cursor);
    }

    // The index FindAnimation gives for this name and direction.
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

// One memo per drawable of a list whose length may change between frames
// (the map's floor tiles). Starts empty; grows, never shrinks.
class AnimationMemoTable {
public:
    AnimationMemoTable() = default;
    ~AnimationMemoTable() { delete[] memos; }
    AnimationMemoTable(const AnimationMemoTable&) = delete;
    AnimationMemoTable& operator=(const AnimationMemoTable&) = delete;

    // At least `count` memos, or null when they cannot be had.
    AnimationMemo* Cover(int32_t count)
    {
        return count <= size ? memos : Grow(count);
    }

private:
    AnimationMemo* Grow(int32_t count);

    AnimationMemo* memos = nullptr;
    int32_t size = 0;
};
