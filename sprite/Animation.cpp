#include "sprite/AnimationCursor.h"
#include "sprite/Sprite.h"

#include <cstring>

int Sprite::FindAnimation(const char* animationName, int32_t direction) const
{
    for (int32_t i = 0; i < animationCount; ++i) {
        const Animation& animation = animations[i];
        if (animation.direction == direction &&
            std::strncmp(animation.name, animationName, sizeof animation.name) == 0) {
            return i;
        }
    }
    return -1;
}

const SpriteFrame* Sprite::GetCurrentFrame(const char* animationName, int32_t direction,
                                           AnimationCursor* cursor) const
{
    const int index = FindAnimation(animationName, direction);
    if (index < 0) return nullptr;
    const Animation& animation = animations[index];
    if (animation.frameCount <= 0) return nullptr;
    if (!cursor) return &animation.frames[0];

    if (cursor->rebind) cursor->Bind(animation.timing);
    // A cursor still set for another, longer animation shows this one's end.
    const int32_t frameIndex = cursor->frameIndex;
    if (frameIndex < 0 || frameIndex >= animation.frameCount) return &animation.frames[animation.frameCount - 1];
    return &animation.frames[frameIndex];
}
