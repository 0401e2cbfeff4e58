// Marks drawn over pictures for people to read: a small fixed font for
// labels and numbers, lines and crosses, each blended over what is there.
#pragma once

#include "tools/worldfiles/PngImage.h"

#include <cstdint>
#include <string>

constexpr int GlyphWidth = 5;
constexpr int GlyphHeight = 7;
constexpr int GlyphAdvance = GlyphWidth + 1;

// The font's two sizes: all of printable ASCII, 5 x 7; or digits, ',' and
// '-' alone, 3 x 5, for numbers packed closely (the cells of a map).
enum class LabelSize { Normal, Digits };
constexpr int DigitHeight = 5;

// Returns the width in pixels of `text` in the font.
int TextWidth(const std::string& text, LabelSize size = LabelSize::Normal);

// Writes `text` with its top-left corner at (x, y), in `rgb` (0xRRGGBB), with
// a one-pixel dark outline when `outlined`, so that it reads over any
// picture. Characters the size lacks show as '?' (blank among the digits);
// what falls outside the picture is left out.
void DrawLabel(RgbaImage& image, int x, int y, const std::string& text, uint32_t rgb, bool outlined = false,
               LabelSize size = LabelSize::Normal);

// Blends `rgb` over the pixel at (x, y) with `alpha` (255: opaque); the
// pixel becomes opaque. Pixels outside the picture are left out.
void BlendPixel(RgbaImage& image, int x, int y, uint32_t rgb, uint8_t alpha);

// A line from (x0, y0) to (x1, y1), both ends included, blended as BlendPixel.
void DrawLine(RgbaImage& image, int x0, int y0, int x1, int y1, uint32_t rgb, uint8_t alpha);
