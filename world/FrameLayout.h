// The frame that every shell shows: 640 x 480 pixels of 32 bits, with the
// map's camera tile drawn at its centre and the frame rate written near its
// top-left corner.
#pragma once

#include <cstdint>

constexpr int32_t FrameWidth = 640;
constexpr int32_t FrameHeight = 480;
constexpr uint8_t FrameBitsPerPixel = 32;

// Where DrawMap puts the camera tile.
constexpr int32_t FrameCentreX = FrameWidth / 2;
constexpr int32_t FrameCentreY = FrameHeight / 2;

// The top-left corner of the frame rate's text.
constexpr int32_t RateTextX = 50;
constexpr int32_t RateTextY = 50;
