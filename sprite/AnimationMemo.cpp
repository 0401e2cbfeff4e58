#include "sprite/AnimationMemo.h"

#include <new>

int AnimationMemo::Search(const Sprite& in, const AnimationName& name, int32_t direction)
{
    index = in.FindAnimation(name, direction);
    sprite = index >= 0 ? &in : nullptr;
    return index;
}

AnimationMemo* AnimationMemoTable::Grow(int32_t count)
{
    AnimationMemo* grown = new (std::nothrow) AnimationMemo[static_cast<size_t>(count)];
    if (!grown) return nullptr;
    delete[] memos;  // what they remembered is found again
    memos = grown;
    size = count;
    return memos;
}
