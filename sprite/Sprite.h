// A loaded sprite file: named, directional animations of frames whose pixels
// are already in the display's layout (DisplayDepth).
#pragma once

#include "base/Rect.h"
#include "blitter/Pixmix.h"
#include "sprite/AnimationCursor.h"
#include "sprite/AnimationName.h"

#include <cstdint>

struct AnimationMemo;
class BoundedReader;

// Display times of an animation's frames, in milliseconds, as floats.
struct AnimationTiming {
    int32_t frameCount;
    float* durations;  // owned, frameCount entries
};

struct SpriteFrame {
    int32_t duration;     // milliseconds
    int32_t colorKey;     // as stored: red bits 0-7, green 8-15, blue 16-23 (StoredKeyRgb)
    uint32_t displayKey;  // colorKey in the pixels' layout, made with them at load (DisplayColorKey)
    int32_t flags;        // bit 0: draw without colour key
    int16_t anchorX;      // subtracted from the drawing position
    int16_t anchorY;
    int16_t offsetX;  // added to the drawing position
    int16_t offsetY;
    int16_t reserved1;
    int16_t reserved2;
    uint16_t width;
    uint16_t height;
    int32_t pixelBytes;     // width x height x DisplayDepth / 8, or 0 without pixels
    uint8_t* pixels;        // owned; rows of width pixels, no padding
    int32_t alphaMaskSize;  // as stored; 0: no mask
    uint8_t* alphaMask;     // owned; one byte per pixel
    int32_t extraSize;
    uint8_t* extra;  // owned; kept, never interpreted
};

struct Animation {
    AnimationName name;  // NUL-terminated
    int32_t direction;
    int32_t frameCount;
    AnimationTiming timing;  // cursors point at this member
    SpriteFrame* frames;     // owned, frameCount entries
};

struct Sprite {
    int32_t id;
    uint8_t pixelFormat;  // stored format of the file: 0 = 5-6-5 big-endian, 1 = 24-bit BGR
    uint8_t reserved;
    int32_t animationCount;
    Animation* animations;  // owned, animationCount entries

    // Sprite file loading (SpriteFile.cpp): loads the file into the record,
    // which must be empty, with its pixels converted to DisplayDepth. Returns
    // false when the file cannot be read or breaks the layout, or when no
    // conversion leads to that depth; the record is then empty again. A wrong
    // magic is logged and ends the process.
    bool LoadSprite(const char* fileName);
    // The same, with the pixels converted to `depth` (16 or 32) instead.
    bool LoadSprite(const char* fileName, uint8_t depth);
    // The same for a file already in memory, read from just after its magic;
    // nothing is logged.
    bool ReadSprite(BoundedReader& file);
    bool ReadSprite(BoundedReader& file, uint8_t depth);
    void ResetSprite();
    void FreeSprite();

    // Animation lookup (Animation.cpp).
    int FindAnimation(const char* animationName, int32_t direction) const;
    const SpriteFrame* GetCurrentFrame(const char* animationName, int32_t direction, AnimationCursor* cursor) const;
    // Returns the frame to show of the animation at `index`, as GetCurrentFrame
    // does once it has found it: the first frame without a cursor, else the
    // cursor's, binding the cursor to the animation first when it asks for
    // that. Returns null for an index of -1 and for an animation without frames.
    const SpriteFrame* FrameToShow(int index, AnimationCursor* cursor) const
    {
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

    // Frame drawing (DrawSprite.cpp): draws the current frame of the animation
    // onto `target`, placed at (x, y), clipped and blitted. Returns false only
    // when there is no frame to show; a frame that lies off the surface draws
    // nothing and returns true.
    bool DrawSprite(SurfaceBuffer target, const char* animationName, int32_t direction, int32_t x, int32_t y,
                    const Rect* clip, AnimationCursor* cursor) const;
    // The same, with the animation's search remembered in `memo` (AnimationMemo.h).
    bool DrawSprite(SurfaceBuffer target, const AnimationName& animationName, int32_t direction, int32_t x, int32_t y,
                    const Rect* clip, AnimationCursor* cursor, AnimationMemo& memo) const;
};
