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

const SpriteFrame* Sprite::GetCurrentFrame(const char* animationName, int32_t direction, AnimationCursor* cursor) const
{
    return FrameToShow(FindAnimation(animationName, direction), cursor);
}
