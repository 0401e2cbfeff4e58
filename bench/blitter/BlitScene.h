// The inputs of one blit benchmark: a 640 x 480 screen, a source frame with
// its mask, and where each blit of a pass lands. "640x480" is one blit of the
// whole screen; "64x32" is 150 sprite blits that tile the same screen, so
// both move the same pixels per pass and differ in the cost of each call.
// Every sprite blit has a frame of its own, so that no input repeats within
// a pass (a repeated random key pattern would be learnt by branch prediction).
#pragma once

#include "blitter/Pixmix.h"

#include <cstdint>
#include <vector>

enum class BlitInput {
    Partial,       // a mask of partial weights only (1..254): every pixel blends
    SpriteShaped,  // a mask of mostly 0 and 255 with soft edges, per 64 x 32 sprite
    HalfKeyed,     // no mask; half the pixels, at random, are the colour key
    Opaque,        // no mask, no key
};

enum class BlitCoverage { Screen, Sprites };

struct BlitSceneShape {
    int bytesPerPixel;  // 4: 0x00RRGGBB; 2: 5-6-5
    BlitInput input;
    BlitCoverage coverage;
};

struct Placement {
    int x, y;
};

struct BlitScene {
    static constexpr int screenWidth = 640, screenHeight = 480;
    static constexpr int spriteWidth = 64, spriteHeight = 32;

    int bytesPerPixel = 4;
    int frameWidth = 0, frameHeight = 0;
    std::vector<uint8_t> screen;       // screenWidth pixels a row, no padding
    std::vector<uint8_t> frames;       // one frame per placement, stacked; frameWidth pixels a row
    std::vector<uint8_t> masks;        // their masks, frameWidth bytes a row; empty for the mask-less inputs
    std::vector<uint32_t> framesArgb;  // the frames as ARGB8888 with the masks as alpha
    uint32_t keyPixel = 0;             // the transparent value as a pixel
    std::vector<Placement> placements;

    int ScreenPitch() const { return screenWidth * bytesPerPixel; }
    int FramePitch() const { return frameWidth * bytesPerPixel; }
    uint8_t* ScreenAt(Placement p) { return screen.data() + p.y * ScreenPitch() + p.x * bytesPerPixel; }
    int FrameCount() const { return static_cast<int>(placements.size()); }
    int SheetHeight() const { return frameHeight * FrameCount(); }  // the stacked frames as one image
    int64_t PixelsPerPass() const { return static_cast<int64_t>(FrameCount()) * frameWidth * frameHeight; }

    // The records the frame drawer would pass for blit i.
    SurfaceBuffer Target(int i);
    BlitSource Source(int i) const;
};

// Built on first use and kept for the run; every benchmark of a shape shares it.
BlitScene& SceneFor(const BlitSceneShape& shape);
