#include "tools/worldfiles/TilePicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

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

void TurnPicture(RgbaImage& image, bool diagonally, bool horizontally, bool vertically)
{
    if (diagonally) {
        const RgbaImage source = image;
        image.width = source.height;
        image.height = source.width;
        for (uint32_t y = 0; y < image.height; ++y) {
            for (uint32_t x = 0; x < image.width; ++x) {
                std::memcpy(&image.rgba[(size_t(y) * image.width + x) * 4], source.Pixel(y, x), 4);
            }
        }
    }
    if (horizontally || vertically) FlipPicture(image, horizontally, vertically);
}

RgbaImage RotatePicture(const RgbaImage& image, double degrees, double pivotX, double pivotY, int64_t& left,
                        int64_t& top)
{
    // Quarter turns exactly, so that whole pixels land on whole pixels.
    double turns = std::fmod(degrees, 360.0);
    if (turns < 0) turns += 360;
    double cosine = std::cos(turns * Pi / 180), sine = std::sin(turns * Pi / 180);
    if (std::fmod(turns, 90.0) == 0) {
        const int quarter = int(turns / 90);
        cosine = quarter == 0 ? 1 : quarter == 2 ? -1 : 0;
        sine = quarter == 1 ? 1 : quarter == 3 ? -1 : 0;
    }
    // The rotated corners, and the whole pixels around them.
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const auto& [cx, cy] : {std::pair<double, double>{0, 0},
                                 {double(image.width), 0},
                                 {0, double(image.height)},
                                 {double(image.width), double(image.height)}}) {
        const double dx = cx - pivotX, dy = cy - pivotY;
        const double x = pivotX + dx * cosine - dy * sine, y = pivotY + dx * sine + dy * cosine;
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    constexpr double Slack = 1e-9;
    left = int64_t(std::floor(x0 + Slack));
    top = int64_t(std::floor(y0 + Slack));
    RgbaImage result;
    result.width = uint32_t(std::max<int64_t>(1, int64_t(std::ceil(x1 - Slack)) - left));
    result.height = uint32_t(std::max<int64_t>(1, int64_t(std::ceil(y1 - Slack)) - top));
    result.rgba.assign(size_t(result.width) * result.height * 4, 0);
    const bool hard = HardEdged(image);
    for (uint32_t y = 0; y < result.height; ++y) {
        for (uint32_t x = 0; x < result.width; ++x) {
            const double dx = left + x + 0.5 - pivotX, dy = top + y + 0.5 - pivotY;
            const double sx = pivotX + dx * cosine + dy * sine, sy = pivotY - dx * sine + dy * cosine;
            // Inside the picture's left and top edges, not its right and
            // bottom ones, as the editor draws a turned picture.
            if (sx < -Slack || sy < -Slack || sx >= image.width - Slack || sy >= image.height - Slack) continue;
            // Bilinear between the four pixel centres around the point,
            // clamped at the picture's edge; colours weighted by alpha.
            const double fx = std::clamp(sx - 0.5, 0.0, image.width - 1.0);
            const double fy = std::clamp(sy - 0.5, 0.0, image.height - 1.0);
            const uint32_t ix = uint32_t(fx), iy = uint32_t(fy);
            const double tx = fx - ix, ty = fy - iy;
            double sum[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4; ++k) {
                const uint32_t px = std::min(ix + (k & 1), image.width - 1);
                const uint32_t py = std::min(iy + (k >> 1), image.height - 1);
                const double weight = ((k & 1) ? tx : 1 - tx) * ((k >> 1) ? ty : 1 - ty);
                if (weight == 0) continue;
                const uint8_t* p = image.Pixel(px, py);
                for (int c = 0; c < 3; ++c) sum[c] += weight * p[3] * p[c];
                sum[3] += weight * p[3];
            }
            uint8_t* out = &result.rgba[(size_t(y) * result.width + x) * 4];
            for (int c = 0; c < 3; ++c) out[c] = sum[3] > 0 ? Byte(sum[c] / sum[3]) : 0;
            out[3] = hard ? (sum[3] >= 127.5 ? 255 : 0) : Byte(sum[3]);
        }
    }
    return result;
}

void TintPicture(RgbaImage& image, uint32_t rgb)
{
    if ((rgb & 0xFFFFFF) == 0xFFFFFF) return;
    const uint32_t factors[3] = {(rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF};
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        const uint32_t alpha = image.rgba[i + 3];
        for (int c = 0; c < 3; ++c) {
            // The editor multiplies the picture with the tint, opaque, over
            // it, and then takes the picture's alpha back: where the picture
            // is partly clear, the tint shows through by what is clear. In
            // 255ths, rounded to the nearest.
            const uint32_t seen = alpha == 255 ? image.rgba[i + size_t(c)]
                                               : (image.rgba[i + size_t(c)] * alpha + 255 * (255 - alpha) + 127) / 255;
            const uint32_t product = seen * factors[c];
            image.rgba[i + size_t(c)] = uint8_t((product + (product >> 8) + 0x80) >> 8);
        }
    }
}

bool NearestOpaqueColour(const RgbaImage& image, double x, double y, uint32_t& rgb)
{
    const uint8_t* nearest = NearestOpaque(image, x, y);
    if (nearest) rgb = RgbOf(nearest);
    return nearest != nullptr;
}

void FillPixels(RgbaImage& frame, const RgbaImage& source, const std::vector<uint32_t>& indices)
{
    const double toSourceX = double(source.width) / frame.width, toSourceY = double(source.height) / frame.height;
    for (const uint32_t index : indices) {
        uint8_t* p = &frame.rgba[size_t(index) * 4];
        const uint32_t x = index % frame.width, y = index / frame.width;
        uint32_t rgb = 0;
        if (p[3] == 0 && NearestOpaqueColour(source, (x + 0.5) * toSourceX, (y + 0.5) * toSourceY, rgb)) SetRgb(p, rgb);
        p[3] = 255;
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
