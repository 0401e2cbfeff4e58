// A rectangle with right and bottom exclusive. Rect has the layout of a
// Windows RECT; WideRect holds the same in 64 bits, so that a position and an
// offset of 32 bits each can be added on the way to a clip without overflow.
//
// A clip reads as one expression that leaves early when nothing is left:
//   const WideRect visible = frame.Translated(x, y).Intersected(surface);
//   if (visible.IsEmpty()) return;
#pragma once

#include <algorithm>
#include <cstdint>

template <typename Coordinate>
struct RectOf {
    Coordinate left;
    Coordinate top;
    Coordinate right;
    Coordinate bottom;

    // Whether it holds no pixel; an inverted rectangle holds none either.
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }

    // The part it shares with `other`: the larger left and top, the smaller
    // right and bottom. When they share nothing the result is empty, and may be
    // inverted; it is never made (0, 0, 0, 0).
    constexpr RectOf Intersected(const RectOf& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }

    // The same rectangle moved by (dx, dy).
    constexpr RectOf Translated(Coordinate dx, Coordinate dy) const
    {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }

    // The same corners in another coordinate type; where that is narrower, the
    // caller makes sure they fit.
    template <typename Other>
    constexpr RectOf<Other> As() const
    {
        return {static_cast<Other>(left), static_cast<Other>(top), static_cast<Other>(right),
                static_cast<Other>(bottom)};
    }
};

using Rect = RectOf<int32_t>;
using WideRect = RectOf<int64_t>;
