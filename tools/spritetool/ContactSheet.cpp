#include "tools/spritetool/ContactSheet.h"

#include "tools/worldfiles/FrameImage.h"
#include "tools/worldfiles/PictureText.h"

#include <algorithm>

namespace {

constexpr int Margin = 8;
constexpr int Padding = 4;      // around a frame in its cell
constexpr int Check = 8;        // the squares of the checkerboard behind a frame
constexpr int RowWidth = 2048;  // frames wrap onto the next line beyond this
constexpr int LineHeight = GlyphHeight + 4;
constexpr uint32_t Background = 0x202020, CheckLight = 0x606060, CheckDark = 0x4C4C4C;
constexpr uint32_t LabelColour = 0xFFFFFF, NoteColour = 0xC8C8C8, AnchorColour = 0xFF2020;

void Fill(RgbaImage& image, int x, int y, int width, int height, uint32_t rgb)
{
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) BlendPixel(image, column, row, rgb, 255);
    }
}

void Checkerboard(RgbaImage& image, int x, int y, int width, int height)
{
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            BlendPixel(image, x + column, y + row, ((row / Check + column / Check) % 2) ? CheckDark : CheckLight, 255);
        }
    }
}

// The frame as the program draws it, blended over the cell.
void DrawFrame(RgbaImage& image, int x, int y, const SpriteFrame& frame)
{
    if (!frame.pixels) return;
    const RgbaImage picture = FramePicture(SourceOf(frame));
    for (uint32_t row = 0; row < picture.height; ++row) {
        for (uint32_t column = 0; column < picture.width; ++column) {
            const uint8_t* pixel = picture.Pixel(column, row);
            if (pixel[3]) BlendPixel(image, x + int(column), y + int(row), RgbOf(pixel), pixel[3]);
        }
    }
}

void Cross(RgbaImage& image, int x, int y)
{
    for (int d = -3; d <= 3; ++d) {
        BlendPixel(image, x + d, y, AnchorColour, 255);
        BlendPixel(image, x, y + d, AnchorColour, 255);
    }
}

std::string Offset(const SpriteFrame& frame)
{
    if (frame.offsetX == 0 && frame.offsetY == 0) return "";
    return "off " + std::to_string(frame.offsetX) + "," + std::to_string(frame.offsetY);
}

std::string Label(const Animation& animation)
{
    return "\"" + std::string(animation.name) + "\" direction " + std::to_string(animation.direction) + ", " +
           std::to_string(animation.frameCount) + (animation.frameCount == 1 ? " frame" : " frames");
}

}  // namespace

bool DrawContactSheet(const Sprite& sprite, RgbaImage& sheet, std::string& error)
{
    // One cell size for every frame, wide enough for the frame's texts.
    int frameWidth = 1, frameHeight = 1, textWidth = TextWidth("00000 ms");
    for (int32_t a = 0; a < sprite.animationCount; ++a) {
        const Animation& animation = sprite.animations[a];
        for (int32_t f = 0; f < animation.frameCount; ++f) {
            const SpriteFrame& frame = animation.frames[f];
            frameWidth = std::max<int>(frameWidth, frame.width);
            frameHeight = std::max<int>(frameHeight, frame.height);
            textWidth = std::max(textWidth, TextWidth(std::to_string(frame.duration) + " ms"));
            textWidth = std::max(textWidth, TextWidth(Offset(frame)));
        }
    }
    const int cellWidth = std::max(frameWidth, textWidth) + 2 * Padding;
    const int cellHeight = frameHeight + 2 * Padding + 2 * LineHeight;
    const int perLine = std::max(1, (RowWidth - 2 * Margin) / cellWidth);

    int64_t width = 2 * Margin, height = Margin;
    for (int32_t a = 0; a < sprite.animationCount; ++a) {
        const Animation& animation = sprite.animations[a];
        const int32_t lines = std::max(1, (animation.frameCount + perLine - 1) / perLine);
        width = std::max<int64_t>(width, 2 * Margin + TextWidth(Label(animation)));
        width = std::max<int64_t>(width, 2 * Margin + int64_t(std::min(animation.frameCount, perLine)) * cellWidth);
        height += LineHeight + int64_t(lines) * cellHeight + Margin;
    }
    if (width > MaxPictureSide || height > MaxPictureSide) {
        error = "its contact sheet would be " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, more than " + std::to_string(MaxPictureSide) + " a side";
        return false;
    }
    sheet = RgbaImage{uint32_t(width), uint32_t(height), std::vector<uint8_t>(size_t(width) * size_t(height) * 4, 0)};
    Fill(sheet, 0, 0, int(width), int(height), Background);

    int y = Margin;
    for (int32_t a = 0; a < sprite.animationCount; ++a) {
        const Animation& animation = sprite.animations[a];
        DrawLabel(sheet, Margin, y, Label(animation), LabelColour);
        y += LineHeight;
        for (int32_t f = 0; f < animation.frameCount; ++f) {
            const SpriteFrame& frame = animation.frames[f];
            const int x = Margin + (f % perLine) * cellWidth;
            const int top = y + (f / perLine) * cellHeight;
            Checkerboard(sheet, x + Padding, top + Padding, frame.width, frame.height);
            DrawFrame(sheet, x + Padding, top + Padding, frame);
            Cross(sheet, x + Padding + frame.anchorX, top + Padding + frame.anchorY);
            const int text = top + Padding + frameHeight + 2;
            DrawLabel(sheet, x + Padding, text, std::to_string(frame.duration) + " ms", NoteColour);
            DrawLabel(sheet, x + Padding, text + LineHeight, Offset(frame), NoteColour);
        }
        y += std::max(1, (animation.frameCount + perLine - 1) / perLine) * cellHeight + Margin;
    }
    return true;
}
