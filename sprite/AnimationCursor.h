// Per-object playback state of one animation. Owns nothing: `timing` points
// into a loaded sprite, which lives as long as the registry that holds it.
#pragma once

#include <cstdint>

struct AnimationTiming;

struct AnimationCursor {
    bool rebind = true;  // the next GetCurrentFrame binds this cursor to the animation it finds
    bool loop = false;   // after the last frame: start again (true) or stop on it (false)
    float speed = 1.0f;  // frame i lasts durations[i] / speed milliseconds
    int32_t frameIndex = 0;
    bool playing = false;     // only a playing cursor is moved by Advance
    uint32_t frameStart = 0;  // FrameTick at which the shown frame began
    const AnimationTiming* timing = nullptr;

    void Bind(const AnimationTiming& animationTiming);
    void Play();
    void Stop();
    // Moves the cursor on by at most one frame, measured against FrameTick.
    // Returns true exactly when a non-looping animation has just finished its
    // last frame.
    bool Advance();
    int32_t GetFrameIndex() const { return frameIndex; }
};
