// Tiled's own renderer, tmxrasterizer (Debian's tiled package), as the
// reference picture of a map, and the comparison of the program's picture
// with it.
//
// tmxrasterizer draws the whole map on a transparent picture whose top-left
// is the map's bounding box: the editor's cell (column, row) has its top
// corner at ((column - row + height) x w/2, (column + row) x h/2). The program
// draws cell (column, height - 1 - row) at (320, 240) + ((x + y) - (cx + cy)) x
// (20, 10) for a camera on tile (cx, cy), so at the program's scale the two
// pictures differ by a shift alone, worked out here from that cell mapping.
// Layer offsets below zero widen the editor's picture to the left and top,
// which this shift does not follow: maps compared here keep them positive.
// Staggered and infinite maps start their pictures elsewhere: ShiftOfCell
// places them by one cell.
#pragma once

#include "tools/worldfiles/PngImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace tmxtest {

// The editor's picture of `map` at `scale`, composited on black (alpha
// multiplied in, as on the program's black screen). Fails the test when the
// renderer is missing or fails: .ci/setup-machine installs it.
inline RgbaImage TiledPicture(const std::string& map, double scale, const std::string& picture)
{
    const std::string log = picture + ".log";
    char scaleText[32];
    std::snprintf(scaleText, sizeof scaleText, "%.17g", scale);
    const std::string command = "QT_QPA_PLATFORM=offscreen tmxrasterizer --scale " + std::string(scaleText) + " '" +
                                map + "' '" + picture + "' >'" + log + "' 2>&1";
    RgbaImage image;
    std::string error;
    if (std::system(command.c_str()) != 0 || !LoadPng(picture, image, error)) {
        std::ifstream said(log);
        ADD_FAILURE() << "tmxrasterizer (Debian's tiled, installed by .ci/setup-machine) failed: " << command << "\n"
                      << std::string(std::istreambuf_iterator<char>(said), std::istreambuf_iterator<char>()) << error;
        return image;
    }
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        for (int c = 0; c < 3; ++c) image.rgba[i + c] = uint8_t((image.rgba[i + c] * image.rgba[i + 3] + 127) / 255);
        image.rgba[i + 3] = 255;
    }
    return image;
}

// Scaled pictures and blending cannot match to the pixel: the editor scales
// with a bilinear filter where the importer takes the mean of covered pixels,
// and the two blends round differently. On the maps of these tests that costs
// 34 to 37 dB, while the program's picture one pixel out of place, or without
// one of its layers, gives 24 to 27 dB against the editor's: faults fall
// below 30, the import stays above it.
constexpr double ScaledPsnr = 30;

struct PictureComparison {
    size_t compared = 0;        // pixels where either picture shows something
    size_t differing = 0;       // of those, pixels whose colours differ at all
    int largest = 0;            // the largest difference of one channel
    double psnr = 0;            // peak signal to noise ratio over the compared pixels, in dB; 99 when equal
    size_t pinholes = 0;        // black pixels of the program's picture whose eight neighbours are all drawn
    size_t editorPinholes = 0;  // the same in the editor's
    size_t extraPinholes = 0;   // the program's pinholes where the editor's picture shows a colour: holes it has not
};

// Where the editor's picture lies on the program's: the program's pixel of
// its top-left corner.
struct PictureShift {
    int64_t x = 0;
    int64_t y = 0;
};

// The shift for an isometric map of fixed size `rows` cells high, drawn by
// the program with the camera on tile (cameraX, cameraY).
inline PictureShift IsometricShift(int rows, int cameraX, int cameraY)
{
    return {300 - 20 * (cameraX + cameraY), 240 - 10 * (rows + cameraX - cameraY)};
}

// The shift that puts the editor's point (x, y) of its picture, a cell's
// centre at the program's scale, on the program's cell (cellX, cellY).
inline PictureShift ShiftOfCell(double x, double y, int64_t cellX, int64_t cellY, int cameraX, int cameraY)
{
    return {320 + 20 * (cellX + cellY - cameraX - cameraY) - std::llround(x),
            240 + 10 * (cellX - cellY - cameraX + cameraY) - std::llround(y)};
}

// The part of the editor's picture compared, in its pixels; all of it when
// empty.
struct EditorArea {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = INT64_MAX;
    int64_t bottom = INT64_MAX;
};

namespace detail {

inline bool Drawn(const RgbaImage& image, int64_t x, int64_t y)
{
    const uint8_t* p = image.Pixel(uint32_t(x), uint32_t(y));
    return (p[0] | p[1] | p[2]) != 0;
}

// Whether a pixel shows a colour, not only the near black of dark art that
// the two scalings darken differently.
inline bool ShowsColour(const RgbaImage& image, int64_t x, int64_t y)
{
    const uint8_t* p = image.Pixel(uint32_t(x), uint32_t(y));
    return std::max({p[0], p[1], p[2]}) > 24;
}

// A black pixel whose eight neighbours are drawn: a hole a reader sees.
inline bool Pinhole(const RgbaImage& image, int64_t x, int64_t y)
{
    if (x < 1 || y < 1 || x + 1 >= int64_t(image.width) || y + 1 >= int64_t(image.height) || Drawn(image, x, y)) {
        return false;
    }
    for (int64_t dy = -1; dy <= 1; ++dy) {
        for (int64_t dx = -1; dx <= 1; ++dx) {
            if ((dx || dy) && !Drawn(image, x + dx, y + dy)) return false;
        }
    }
    return true;
}

}  // namespace detail

// The program's 640 x 480 picture against the editor's placed by `shift`,
// where the two overlap within `area` of the editor's.
inline PictureComparison ComparePictures(const RgbaImage& program, const RgbaImage& editor, PictureShift shift,
                                         EditorArea area = {})
{
    const int64_t dx = shift.x, dy = shift.y;
    const int64_t left = std::max<int64_t>(0, area.left), top = std::max<int64_t>(0, area.top);
    const int64_t right = std::min<int64_t>(editor.width, area.right);
    const int64_t bottom = std::min<int64_t>(editor.height, area.bottom);
    PictureComparison result;
    double squares = 0;
    for (int64_t y = std::max<int64_t>(0, dy + top); y < std::min<int64_t>(program.height, dy + bottom); ++y) {
        for (int64_t x = std::max<int64_t>(0, dx + left); x < std::min<int64_t>(program.width, dx + right); ++x) {
            const bool pinhole = detail::Pinhole(program, x, y);
            result.pinholes += pinhole;
            result.editorPinholes += detail::Pinhole(editor, x - dx, y - dy);
            result.extraPinholes += pinhole && detail::ShowsColour(editor, x - dx, y - dy);
            const uint8_t* ours = program.Pixel(uint32_t(x), uint32_t(y));
            const uint8_t* theirs = editor.Pixel(uint32_t(x - dx), uint32_t(y - dy));
            if (!(ours[0] | ours[1] | ours[2] | theirs[0] | theirs[1] | theirs[2])) continue;
            ++result.compared;
            bool differs = false;
            for (int c = 0; c < 3; ++c) {
                const int d = int(ours[c]) - int(theirs[c]);
                squares += double(d) * d;
                result.largest = std::max(result.largest, std::abs(d));
                differs = differs || d != 0;
            }
            result.differing += differs;
        }
    }
    const double mse = result.compared ? squares / (3.0 * result.compared) : 0;
    result.psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99;
    return result;
}

// The same for an isometric map of fixed size `rows` cells high, with the
// camera on tile (cameraX, cameraY), the program's picture moved by
// (shiftX, shiftY) to measure what a misplaced picture costs.
inline PictureComparison ComparePictures(const RgbaImage& program, const RgbaImage& editor, int rows, int cameraX,
                                         int cameraY, int shiftX = 0, int shiftY = 0)
{
    PictureShift shift = IsometricShift(rows, cameraX, cameraY);
    shift.x += shiftX;
    shift.y += shiftY;
    return ComparePictures(program, editor, shift);
}

}  // namespace tmxtest
