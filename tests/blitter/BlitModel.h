// What a blit must leave, worked out pixel by pixel from the rules, with every
// scaled product floor(x * w / 255) computed by division rather than looked up
// in the library's table: an oracle that shares no code with the library.
#pragma once

#include "TestSurface.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

enum class Routine { Blt, NoColorkey };

using BlitRoutine = void(PIXMIX_CALL*)(SurfaceBuffer, BlitSource);

inline BlitRoutine RoutineOf(Routine routine)
{
    return routine == Routine::Blt ? Blt : Blt_NoColorkey;
}

inline const char* NameOf(Routine routine)
{
    return routine == Routine::Blt ? "Blt" : "Blt_NoColorkey";
}

// A path through the library as a caller picks it: routine, pixel size, mask
// or none; and all eight of them.
struct ExportedPath {
    Routine routine;
    int bytesPerPixel;
    bool masked;
};

inline constexpr ExportedPath AllPaths[] = {
    {Routine::Blt, 4, true}, {Routine::NoColorkey, 4, true}, {Routine::Blt, 4, false}, {Routine::NoColorkey, 4, false},
    {Routine::Blt, 2, true}, {Routine::NoColorkey, 2, true}, {Routine::Blt, 2, false}, {Routine::NoColorkey, 2, false},
};

inline uint32_t Scaled(uint32_t value, uint32_t weight)
{
    return value * weight / 255;
}

inline uint32_t ModelBlend32(uint32_t d, uint32_t s, uint32_t a)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t channel = Scaled((d >> shift) & 0xFF, 255 - a) + Scaled((s >> shift) & 0xFF, a);
        result |= channel << shift;
    }
    return result;
}

inline uint32_t ModelBlend565(uint32_t d, uint32_t s, uint32_t a)
{
    const auto red = [](uint32_t v) { return (v >> 8) & 0xF8; };
    const auto green = [](uint32_t v) { return ((v >> 5) & 0x3F) << 2; };
    const auto blue = [](uint32_t v) { return (v & 0x1F) << 3; };
    const uint32_t r = Scaled(red(d), 255 - a) + Scaled(red(s), a);
    const uint32_t g = Scaled(green(d), 255 - a) + Scaled(green(s), a);
    const uint32_t b = Scaled(blue(d), 255 - a) + Scaled(blue(s), a);
    return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
}

inline uint32_t ModelPixel(Routine routine, int bytesPerPixel, bool masked, uint32_t d, uint32_t s, uint32_t a,
                           uint32_t colorKey)
{
    if (masked) {
        if (a == 255) return s;
        if (bytesPerPixel == 4) return a == 0 ? d : ModelBlend32(d, s, a);
        return ModelBlend565(d, s, a);
    }
    if (routine == Routine::NoColorkey) return s;
    const uint32_t compared =
        bytesPerPixel == 4 ? s : static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(s)));
    return compared != colorKey ? s : d;
}

// Applies the rules to `rows` rows of `destination` (its lastRowEnd is not
// read: the caller says how many rows the bound must let through).
inline void ModelBlit(Routine routine, const SurfaceBuffer& destination, const BlitSource& source, int rows)
{
    const int size = destination.bitsPerPixel == 32 ? 4 : 2;
    const bool masked = source.alphaMask != nullptr;
    for (int y = 0; y < rows; ++y) {
        uint8_t* d = destination.firstPixel + static_cast<ptrdiff_t>(y) * destination.pitch;
        const uint8_t* s = source.pixels + static_cast<ptrdiff_t>(y) * source.pitch;
        const uint8_t* m = masked ? source.alphaMask + static_cast<ptrdiff_t>(y) * source.alphaPitch : nullptr;
        for (int i = 0; i < destination.width; ++i) {
            uint32_t dv = 0;
            uint32_t sv = 0;
            std::memcpy(&dv, d + i * size, size);
            std::memcpy(&sv, s + i * size, size);
            const uint32_t result = ModelPixel(routine, size, masked, dv, sv, masked ? m[i] : 0, source.colorKey);
            std::memcpy(d + i * size, &result, size);
        }
    }
}

// What `surface` must hold after the routine ran on `destination` (a rectangle
// of it) with `rows` rows let through by the bound.
inline std::vector<uint8_t> Expected(Routine routine, const TestSurface& surface, const SurfaceBuffer& destination,
                                     const BlitSource& source, int rows)
{
    TestSurface expected = surface;
    ModelBlit(routine, Rebase(destination, surface, expected), source, rows);
    return expected.bytes;
}
