#include "sprite/PixelConversion.h"

#include "base/ByteOrder.h"
#include "base/PixelFormats.h"
#include "base/PixelLoads.h"

namespace plain {

// hi = the first stored byte: red 5 bits, then green's top 3; lo = green's
// low 3, then blue 5.
void rgb565be_to_x888(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 2, display += 4) {
        Store32(display, RgbOf565(BigEndian16(stored)));
    }
}

// Two pixels are six bytes of one 64-bit word, b0 g0 r0 b1 g1 r1 (and two
// bytes of the next pixel, which the masks drop); moving the second pixel up
// one byte puts both in display layout. The last pixel is left to the byte
// loop, so that no load reaches past the data.
void bgr888_to_x888(uint8_t* display, const uint8_t* stored, size_t count)
{
    size_t i = 0;
    for (; i + 2 < count; i += 2, stored += 6, display += 8) {
        const uint64_t word = Load64(stored);
        Store64(display, (word & 0xFFFFFF) | ((word << 8) & 0xFFFFFF00000000ULL));
    }
    for (; i < count; ++i, stored += 3, display += 4) {
        Store32(display, uint32_t(stored[2]) << 16 | uint32_t(stored[1]) << 8 | stored[0]);
    }
}

void rgb565be_to_565(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 2, display += 2) {
        display[0] = stored[1];
        display[1] = stored[0];
    }
}

void bgr888_to_565(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 3, display += 2) {
        const uint16_t v = Pack565(stored[2], stored[1], stored[0]);
        display[0] = static_cast<uint8_t>(v);
        display[1] = static_cast<uint8_t>(v >> 8);
    }
}

}  // namespace plain

const PixelConversionPath* PixelConversionPaths(size_t& count)
{
    // clang-format off
    static const PixelConversionPath paths[] = {
    //   stored depth bytes in, out  needs              kernel
#if VECTOR_CODE_X86
        {0,     32,   2,  4,         CpuFeature::Avx2,  avx2::rgb565be_to_x888},
        {0,     32,   2,  4,         CpuFeature::Sse2,  sse2::rgb565be_to_x888},
        {1,     32,   3,  4,         CpuFeature::Avx2,  avx2::bgr888_to_x888},
        {1,     32,   3,  4,         CpuFeature::Ssse3, ssse3::bgr888_to_x888},
#endif
        {0,     32,   2,  4,         CpuFeature::None,  plain::rgb565be_to_x888},
        {1,     32,   3,  4,         CpuFeature::None,  plain::bgr888_to_x888},
        {0,     16,   2,  2,         CpuFeature::None,  plain::rgb565be_to_565},
        {1,     16,   3,  2,         CpuFeature::None,  plain::bgr888_to_565},
    };
    // clang-format on
    count = sizeof paths / sizeof paths[0];
    return paths;
}

const PixelConversionPath* FindPixelConversion(uint8_t storedFormat, uint8_t depth)
{
    size_t count = 0;
    const PixelConversionPath* paths = PixelConversionPaths(count);
    return FirstRunnable(paths, count, ThisProcessor(), [&](const PixelConversionPath& path) {
        return path.storedFormat == storedFormat && path.depth == depth;
    });
}
