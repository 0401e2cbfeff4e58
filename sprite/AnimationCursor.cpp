#include "sprite/AnimationCursor.h"

#include "sprite/FrameTick.h"
#include "sprite/Sprite.h"

void AnimationCursor::Bind(const AnimationTiming& animationTiming)
{
    timing = &animationTiming;
    frameIndex = 0;
    rebind = false;
}

void AnimationCursor::Play()
{
    frameIndex = 0;
    frameStart = FrameTick;
    playing = true;
}

void AnimationCursor::Stop()
{
    frameIndex = 0;
    playing = false;
}

bool AnimationCursor::Advance()
{
    if (!timing || !playing) return false;

    const uint32_t now = FrameTick;
    const int32_t frameCount = timing->frameCount;
    if (frameIndex >= 0 && frameIndex < frameCount) {
        // The next frame starts when the change is seen, not at the deadline,
        // and one call passes one frame however late it comes. The tick count
        // wraps after 2^32 ms (49.7 days), and a tick never runs backwards, so
        // `now` is taken as lying the unsigned difference after frameStart:
        // away from the wrap that is `now` itself, and a frame begun just
        // before the wrap still ends after it.
        const double deadline = (1.0 / speed) * timing->durations[frameIndex] + double(frameStart);
        const double elapsedTo = double(frameStart) + double(uint32_t(now - frameStart));
        if (deadline < elapsedTo) {
            ++frameIndex;
            frameStart = now;
        }
    }
    if (frameIndex >= 0 && frameIndex < frameCount) return false;

    if (loop) {
        frameIndex = 0;
        return false;
    }
    playing = false;
    frameIndex = frameCount > 0 ? frameCount - 1 : 0;
    return true;
}
