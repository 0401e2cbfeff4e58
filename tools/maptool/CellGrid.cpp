#include "tools/maptool/CellGrid.h"

#include "map/TileProjection.h"
#include "tools/worldfiles/PictureText.h"

#include <string>

namespace {

constexpr uint32_t LineColour = 0xFFFFFF;
constexpr uint8_t LineAlpha = 110;
constexpr uint32_t TextColour = 0xFFFFFF;

}  // namespace

void DrawCellGrid(RgbaImage& image, int32_t originX, int32_t originY, uint16_t width, uint16_t height)
{
    const int halfWidth = TileWidth / 2, halfHeight = TileHeight / 2;
    // Each edge once: a cell draws its two upper edges, and its lower ones
    // only where no cell lies beyond them.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const ScreenPoint at = TileToScreen({originX, originY}, int16_t(x), int16_t(y));
            const int left = at.x - halfWidth, right = at.x + halfWidth, top = at.y - halfHeight,
                      bottom = at.y + halfHeight;
            DrawLine(image, left, at.y, at.x, top, LineColour, LineAlpha);
            DrawLine(image, at.x + 1, top + 1, right, at.y, LineColour, LineAlpha);
            if (y == 0) DrawLine(image, left + 1, at.y + 1, at.x, bottom, LineColour, LineAlpha);
            if (x + 1 == width) DrawLine(image, at.x + 1, bottom - 1, right - 1, at.y + 1, LineColour, LineAlpha);
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const ScreenPoint at = TileToScreen({originX, originY}, int16_t(x), int16_t(y));
            const std::string label = std::to_string(x) + "," + std::to_string(y);
            DrawLabel(image, at.x - TextWidth(label, LabelSize::Digits) / 2, at.y - DigitHeight / 2, label, TextColour,
                      true, LabelSize::Digits);
        }
    }
}
