// The map's cells drawn over a picture of it, each with its coordinates, so
// that a map maker can see where to place things.
#pragma once

#include "tools/worldfiles/PngImage.h"

#include <cstdint>

// Outlines every cell of a `width` x `height` map and writes "x,y" in it;
// tile (0, 0) is drawn at (originX, originY) of the picture.
void DrawCellGrid(RgbaImage& image, int32_t originX, int32_t originY, uint16_t width, uint16_t height);
