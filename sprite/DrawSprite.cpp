#include "sprite/AnimationMemo.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameBlit.h"
#include "sprite/Sprite.h"

#include <algorithm>

namespace {

// Right and bottom exclusive. 64 bits, so that no drawing position can
// overflow on the way to the clip.
struct Span {
    int64_t left, top, right, bottom;
};

// The frame's rectangle on the surface before the surface clips it; false
// when a clip rectangle leaves nothing of the frame.
bool FrameRectangle(const SpriteFrame& frame, int64_t x, int64_t y, const Rect* clip, Span& span)
{
    if (!clip) {
        span = {x, y, x + frame.width, y + frame.height};
        return true;
    }
    const int64_t left = std::max<int64_t>(clip->left, 0);
    const int64_t top = std::max<int64_t>(clip->top, 0);
    const int64_t right = std::min<int64_t>(clip->right, frame.width);
    const int64_t bottom = std::min<int64_t>(clip->bottom, frame.height);
    if (right <= left || bottom <= top) return false;
    span = {x + left, y + top, x + right, y + bottom};
    return true;
}

bool HasPixelsFor(const SpriteFrame& frame, int64_t pixelCount, int bytesPerPixel)
{
    return frame.pixels && bytesPerPixel > 0 && frame.pixelBytes >= pixelCount * bytesPerPixel;
}

}  // namespace

uint32_t DisplayColorKey(int32_t colorKey, uint8_t depth)
{
    const uint32_t key = static_cast<uint32_t>(colorKey);
    const uint32_t r = key & 0xFF, g = (key >> 8) & 0xFF, b = (key >> 16) & 0xFF;
    if (depth == 32) return r << 16 | g << 8 | b;
    const uint16_t pixel = static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(pixel)));
}

bool PlaceFrame(const SpriteFrame& frame, const SurfaceBuffer& target, int32_t x, int32_t y,
                const Rect* clip, uint8_t depth, FrameBlit& blit)
{
    const int64_t originX = int64_t(x) + frame.offsetX - frame.anchorX;
    const int64_t originY = int64_t(y) + frame.offsetY - frame.anchorY;
    Span span;
    if (!FrameRectangle(frame, originX, originY, clip, span)) return false;
    // Most frames of a map lie off the surface: they leave here.
    if (span.right < 0 || span.bottom < 0 || span.left > target.width || span.top > target.height) return false;

    span.left = std::max<int64_t>(span.left, 0);
    span.top = std::max<int64_t>(span.top, 0);
    span.right = std::min<int64_t>(span.right, target.width);
    span.bottom = std::min<int64_t>(span.bottom, target.height);
    // An empty rectangle would write nothing in the blitter either.
    if (span.right <= span.left || span.bottom <= span.top) return false;

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
    blit.source.colorKey = DisplayColorKey(frame.colorKey, depth);
    blit.source.bitsPerPixel = depth;

    const int targetBytes = target.bitsPerPixel / 8;
    blit.destination = target;
    blit.destination.firstPixel = target.firstPixel + span.top * target.pitch + span.left * targetBytes;
    blit.destination.lastRowEnd = target.firstPixel + (span.bottom - 1) * target.pitch + span.right * targetBytes;
    blit.destination.height = visibleHeight;
    blit.destination.width = visibleWidth;
    blit.noColorkey = (frame.flags & 1) != 0;
    return true;
}

namespace {

// Without a clip rectangle: whether the whole frame lies off the surface, as
// PlaceFrame would find. Most frames of a map do: they leave before the blit
// is set up.
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

bool Sprite::DrawSprite(SurfaceBuffer target, const char* animationName, int32_t direction,
                        int32_t x, int32_t y, const Rect* clip, AnimationCursor* cursor) const
{
    return DrawFrame(GetCurrentFrame(animationName, direction, cursor), target, x, y, clip);
}

bool Sprite::DrawSprite(SurfaceBuffer target, const AnimationName& animationName, int32_t direction,
                        int32_t x, int32_t y, const Rect* clip, AnimationCursor* cursor, AnimationMemo& memo) const
{
    return DrawFrame(memo.CurrentFrame(*this, animationName, direction, cursor), target, x, y, clip);
}
