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
    size_t compared = 0;   // pixels where either picture shows something
    size_t differing = 0;  // of those, pixels whose colours differ at all
    int largest = 0;       // the largest difference of one channel
    double psnr = 0;       // peak signal to noise ratio over the compared pixels, in dB; 99 when equal
};

// The program's 640 x 480 picture (camera on tile (cameraX, cameraY), shifted
// by (shiftX, shiftY) to measure what a misplaced picture costs) against the
// editor's of a map `rows` cells high, where the two overlap.
inline PictureComparison ComparePictures(const RgbaImage& program, const RgbaImage& editor, int rows, int cameraX,
                                         int cameraY, int shiftX = 0, int shiftY = 0)
{
    const int64_t dx = 300 - 20 * (cameraX + cameraY) + shiftX;
    const int64_t dy = 240 - 10 * (rows + cameraX - cameraY) + shiftY;
    PictureComparison result;
    double squares = 0;
    for (int64_t y = std::max<int64_t>(0, dy); y < std::min<int64_t>(program.height, dy + editor.height); ++y) {
        for (int64_t x = std::max<int64_t>(0, dx); x < std::min<int64_t>(program.width, dx + editor.width); ++x) {
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

}  // namespace tmxtest
