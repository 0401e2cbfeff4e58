#include "blitter/SurfaceRect.h"
#include "sprite/AnimationMemo.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameBlit.h"
#include "sprite/Sprite.h"

#include <cstdint>

namespace {

// Returns the part of the frame that `clip` (in frame coordinates) leaves, or
// the whole frame without a clip; empty when the clip leaves nothing.
Rect ClippedFrame(const SpriteFrame& frame, const Rect* clip)
{
    const Rect whole{0, 0, frame.width, frame.height};
    return clip ? clip->Intersected(whole) : whole;
}

// Returns whether the frame holds the pixels it promises: `pixelCount` pixels
// of `bytesPerPixel` bytes each.
bool HasPixelsFor(const SpriteFrame& frame, int64_t pixelCount, int bytesPerPixel)
{
    return frame.pixels && bytesPerPixel > 0 && frame.pixelBytes >= pixelCount * bytesPerPixel;
}

}  // namespace

bool PlaceFrame(const SpriteFrame& frame, const SurfaceBuffer& target, int32_t x, int32_t y, const Rect* clip,
                uint8_t depth, FrameBlit& blit)
{
    const Rect part = ClippedFrame(frame, clip);
    if (part.IsEmpty()) return false;
    // In 64 bits, so that no drawing position can overflow on the way to the
    // clip. An empty rectangle would write nothing in the blitter either.
    const int64_t originX = int64_t(x) + frame.offsetX - frame.anchorX;
    const int64_t originY = int64_t(y) + frame.offsetY - frame.anchorY;
    const WideRect span =
        part.As<int64_t>().Translated(originX, originY).Intersected({0, 0, target.width, target.height});
    if (span.IsEmpty()) return false;

    const int sourceBytes = depth / 8;
    const int64_t pixelCount = int64_t(frame.width) * frame.height;
    if (!HasPixelsFor(frame, pixelCount, sourceBytes)) return false;

    const int64_t dx = span.left - originX;
    const int64_t dy = span.top - originY;
    const int64_t framePitch = int64_t(frame.width) * sourceBytes;
    const bool masked = frame.alphaMask && frame.alphaMaskSize != 0 && frame.alphaMaskSize >= pixelCount;
    const int32_t visibleWidth = static_cast<int32_t>(span.right - span.left);
    const int32_t visibleHeight = static_cast<int32_t>(span.bottom - span.top);

    blit.source.pixels = frame.pixels + dy * framePitch + dx * sourceBytes;
    blit.source.alphaMask = masked ? frame.alphaMask + dy * frame.width + dx : nullptr;
    blit.source.pitch = static_cast<int32_t>(framePitch);
    blit.source.alphaPitch = frame.width;
    blit.source.height = visibleHeight;
    blit.source.width = visibleWidth;
    blit.source.colorKey = frame.displayKey;
    blit.source.bitsPerPixel = depth;

    blit.destination = SurfacePart(target, span);
    blit.noColorkey = (frame.flags & 1) != 0;
    return true;
}

namespace {

// Returns whether a frame drawn without a clip rectangle lies wholly off the
// surface, as PlaceFrame would find. Most frames of a map do, and this lets
// them leave before the blit is set up.
inline bool WhollyOffSurface(const SpriteFrame& frame, const SurfaceBuffer& target, int32_t x, int32_t y)
{
    const int64_t left = int64_t(x) + frame.offsetX - frame.anchorX;
    const int64_t top = int64_t(y) + frame.offsetY - frame.anchorY;
    return left + frame.width < 0 || top + frame.height < 0 || left > target.width || top > target.height;
}

bool DrawFrame(const SpriteFrame* frame, const SurfaceBuffer& target, int32_t x, int32_t y, const Rect* clip)
{
    if (!frame) return false;
    if (!clip && WhollyOffSurface(*frame, target, x, y)) return true;
    FrameBlit blit;
    if (!PlaceFrame(*frame, target, x, y, clip, DisplayDepth, blit)) return true;
    if (blit.noColorkey) {
        Blt_NoColorkey(blit.destination, blit.source);
    } else {
        Blt(blit.destination, blit.source);
    }
    return true;
}

}  // namespace

bool Sprite::DrawSprite(SurfaceBuffer target, const char* animationName, int32_t direction, int32_t x, int32_t y,
                        const Rect* clip, AnimationCursor* cursor) const
{
    return DrawFrame(GetCurrentFrame(animationName, direction, cursor), target, x, y, clip);
}

bool Sprite::DrawSprite(SurfaceBuffer target, const AnimationName& animationName, int32_t direction, int32_t x,
                        int32_t y, const Rect* clip, AnimationCursor* cursor, AnimationMemo& memo) const
{
    return DrawFrame(memo.CurrentFrame(*this, animationName, direction, cursor), target, x, y, clip);
}
