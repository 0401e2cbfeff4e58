#include "blitter/SurfaceRect.h"
#include "sprite/AnimationMemo.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameBlit.h"
#include "sprite/Sprite.h"
#include "sprite/SpriteFile.h"

#include <cstdint>

uint32_t DisplayColorKey(int32_t colorKey, uint8_t depth)
{
    const uint32_t rgb = StoredKeyRgb(colorKey);
    return depth == 32 ? rgb : Widened565(Pack565(rgb));
}

namespace {

// Where a frame's top-left pixel lands: the drawing position moved by the
// frame's offset minus its anchor. In 64 bits, so that no drawing position
// can overflow on the way to the clip.
struct FrameOrigin {
    int64_t x, y;
};

inline FrameOrigin OriginOf(const SpriteFrame& frame, int32_t x, int32_t y)
{
    return {int64_t(x) + frame.offsetX - frame.anchorX, int64_t(y) + frame.offsetY - frame.anchorY};
}

// The rectangle that the frame covers on the surface from `origin`: `clip`
// (in frame coordinates) applied, or the whole frame without one.
inline WideRect DrawnRect(const SpriteFrame& frame, const FrameOrigin& origin, const Rect* clip)
{
    const Rect whole{0, 0, frame.width, frame.height};
    return (clip ? clip->Intersected(whole) : whole).As<int64_t>().Translated(origin.x, origin.y);
}

// Returns whether `drawn` lies wholly beyond one of the surface's edges (its
// far edge at or beyond that one), and so shows nothing. Most frames of a map
// do: the clip asks this first, and the drawer before anything else.
inline bool BeyondAnEdge(const WideRect& drawn, const SurfaceBuffer& target)
{
    return drawn.right <= 0 || drawn.left >= target.width || drawn.bottom <= 0 || drawn.top >= target.height;
}

// The frame's clip: the part of the surface that `drawn` covers. Returns
// false, with `span` unset, when nothing of it is visible; an empty rectangle
// would write nothing in the blitter either.
inline bool VisibleSpan(const WideRect& drawn, const SurfaceBuffer& target, WideRect& span)
{
    if (BeyondAnEdge(drawn, target)) return false;
    span = drawn.Intersected({0, 0, target.width, target.height});
    return !span.IsEmpty();
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
    const FrameOrigin origin = OriginOf(frame, x, y);
    WideRect span;
    if (!VisibleSpan(DrawnRect(frame, origin, clip), target, span)) return false;

    const int sourceBytes = depth / 8;
    const int64_t pixelCount = int64_t(frame.width) * frame.height;
    if (!HasPixelsFor(frame, pixelCount, sourceBytes)) return false;

    const int64_t dx = span.left - origin.x;
    const int64_t dy = span.top - origin.y;
    const int64_t framePitch = int64_t(frame.width) * sourceBytes;
    const bool masked = frame.alphaMask && frame.alphaMaskSize != 0 && frame.alphaMaskSize >= pixelCount;

    blit.source.pixels = frame.pixels + dy * framePitch + dx * sourceBytes;
    blit.source.alphaMask = masked ? frame.alphaMask + dy * frame.width + dx : nullptr;
    blit.source.pitch = static_cast<int32_t>(framePitch);
    blit.source.alphaPitch = frame.width;
    blit.source.height = static_cast<int32_t>(span.bottom - span.top);
    blit.source.width = static_cast<int32_t>(span.right - span.left);
    blit.source.colorKey = frame.displayKey;
    blit.source.bitsPerPixel = depth;

    blit.destination = SurfacePart(target, span);
    blit.noColorkey = (frame.flags & 1) != 0;
    return true;
}

namespace {

// PlaceFrame and the blit, out of line: see DrawFrame.
__attribute__((noinline)) void Draw(const SpriteFrame& frame, const SurfaceBuffer& target, int32_t x, int32_t y,
                                    const Rect* clip)
{
    FrameBlit blit;
    if (!PlaceFrame(frame, target, x, y, clip, DisplayDepth, blit)) return;
    if (blit.noColorkey) {
        Blt_NoColorkey(blit.destination, blit.source);
    } else {
        Blt(blit.destination, blit.source);
    }
}

bool DrawFrame(const SpriteFrame* frame, const SurfaceBuffer& target, int32_t x, int32_t y, const Rect* clip)
{
    if (!frame) return false;
    // The frames of a map are drawn without a clip rectangle, and most lie
    // beyond an edge of the surface: they leave at the clip's first question,
    // asked here without a call.
    if (clip || !BeyondAnEdge(DrawnRect(*frame, OriginOf(*frame, x, y), nullptr), target)) {
        Draw(*frame, target, x, y, clip);
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
