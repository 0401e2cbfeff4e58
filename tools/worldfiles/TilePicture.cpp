#include "tools/worldfiles/TilePicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// How much of source pixel `index` a destination pixel covers, along one axis.
struct Share {
    uint32_t index;
    double weight;
};

// For each of the `to` destination pixels, the source pixels under it and
// their weights (summing to 1).
std::vector<std::vector<Share>> Shares(uint32_t from, uint32_t to)
{
    std::vector<std::vector<Share>> shares(to);
    const double step = double(from) / to;
    for (uint32_t i = 0; i < to; ++i) {
        const double start = i * step, end = (i + 1) * step;
        for (uint32_t s = uint32_t(start); s < from && s < end; ++s) {
            const double covered = std::min(end, s + 1.0) - std::max(start, double(s));
            if (covered > 1e-9) shares[i].push_back({s, covered / step});
        }
    }
    return shares;
}

bool HardEdged(const RgbaImage& image)
{
    for (size_t i = 3; i < image.rgba.size(); i += 4) {
        if (image.rgba[i] != 0 && image.rgba[i] != 255) return false;
    }
    return true;
}

bool CoversCell(const RgbaImage& image, CellDiamond cell)
{
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            if (cell.HoldsPixel(x, y, image.height) && image.Pixel(x, y)[3] != 255) return false;
        }
    }
    return true;
}

// The opaque pixel of `image` nearest to the point (x, y), searched a few
// pixels out; null when there is none that near.
const uint8_t* NearestOpaque(const RgbaImage& image, double x, double y)
{
    const uint8_t* best = nullptr;
    double bestDistance = 0;
    const int64_t cx = int64_t(std::floor(x)), cy = int64_t(std::floor(y));
    for (int64_t sy = cy - 3; sy <= cy + 3; ++sy) {
        for (int64_t sx = cx - 3; sx <= cx + 3; ++sx) {
            if (sx < 0 || sy < 0 || sx >= int64_t(image.width) || sy >= int64_t(image.height)) continue;
            const uint8_t* p = image.Pixel(uint32_t(sx), uint32_t(sy));
            const double distance = std::hypot(sx + 0.5 - x, sy + 0.5 - y);
            if (p[3] >= 128 && (!best || distance < bestDistance)) {
                best = p;
                bestDistance = distance;
            }
        }
    }
    return best;
}

uint8_t Byte(double value)
{
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

RgbaImage CutPicture(const RgbaImage& image, uint32_t x, uint32_t y, uint32_t width, uint32_t height)
{
    RgbaImage part;
    part.width = width;
    part.height = height;
    part.rgba.reserve(size_t(width) * height * 4);
    for (uint32_t row = y; row < y + height; ++row) {
        const uint8_t* first = image.Pixel(x, row);
        part.rgba.insert(part.rgba.end(), first, first + size_t(width) * 4);
    }
    return part;
}

void ClearColour(RgbaImage& image, uint32_t rgb)
{
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        if (RgbOf(&image.rgba[i]) == rgb) image.rgba[i + 3] = 0;
    }
}

RgbaImage ResamplePicture(const RgbaImage& image, uint32_t width, uint32_t height)
{
    if (image.width == width && image.height == height) return image;
    const std::vector<std::vector<Share>> columns = Shares(image.width, width);
    const std::vector<std::vector<Share>> rows = Shares(image.height, height);
    const bool hard = HardEdged(image);
    RgbaImage result;
    result.width = width;
    result.height = height;
    result.rgba.resize(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            // Colours are averaged weighted by their alpha, so that transparent
            // pixels lend no colour to the edge.
            double sum[4] = {0, 0, 0, 0};
            for (const Share& row : rows[y]) {
                for (const Share& column : columns[x]) {
                    const uint8_t* p = image.Pixel(column.index, row.index);
                    const double weight = row.weight * column.weight, alpha = weight * p[3];
                    for (int c = 0; c < 3; ++c) sum[c] += alpha * p[c];
                    sum[3] += alpha;
                }
            }
            uint8_t* out = &result.rgba[(size_t(y) * width + x) * 4];
            for (int c = 0; c < 3; ++c) out[c] = sum[3] > 0 ? Byte(sum[c] / sum[3]) : 0;
            out[3] = hard ? (sum[3] >= 127.5 ? 255 : 0) : Byte(sum[3]);
        }
    }
    return result;
}

void FlipPicture(RgbaImage& image, bool horizontally, bool vertically)
{
    const RgbaImage source = image;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint32_t fromX = horizontally ? image.width - 1 - x : x;
            const uint32_t fromY = vertically ? image.height - 1 - y : y;
            std::memcpy(&image.rgba[(size_t(y) * image.width + x) * 4], source.Pixel(fromX, fromY), 4);
        }
    }
}

void CoverCellDiamond(RgbaImage& frame, const RgbaImage& source, CellDiamond frameCell, CellDiamond sourceCell)
{
    if (frame.width == 0 || frame.height == 0) return;
    if ((frame.width == source.width && frame.height == source.height) || !CoversCell(source, sourceCell)) return;
    const double toSourceX = double(source.width) / frame.width, toSourceY = double(source.height) / frame.height;
    for (uint32_t y = 0; y < frame.height; ++y) {
        for (uint32_t x = 0; x < frame.width; ++x) {
            uint8_t* p = &frame.rgba[(size_t(y) * frame.width + x) * 4];
            if (p[3] == 255 || !frameCell.HoldsPixel(x, y, frame.height)) continue;
            if (p[3] == 0) {
                // A cleared pixel's colour may be no colour at all: none of
                // the source pixels under it need have been opaque.
                const uint8_t* nearest = NearestOpaque(source, (x + 0.5) * toSourceX, (y + 0.5) * toSourceY);
                if (nearest) std::copy_n(nearest, 3, p);
            }
            p[3] = 255;
        }
    }
}

void FadePicture(RgbaImage& image, double opacity)
{
    if (opacity >= 1) return;
    for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = Byte(image.rgba[i] * opacity);
}
