#include "sprite/PixelConversion.h"

const PixelConversionPath* PixelConversionPaths(size_t& count)
{
    static const PixelConversionPath paths[] = {
#if defined(__i386__) || defined(__x86_64__)
        {0, 32, 2, 4, CpuFeature::Avx2, conversion::rgb565be_to_x888_avx2},
        {0, 32, 2, 4, CpuFeature::Sse2, conversion::rgb565be_to_x888_sse2},
        {1, 32, 3, 4, CpuFeature::Avx2, conversion::bgr888_to_x888_avx2},
        {1, 32, 3, 4, CpuFeature::Ssse3, conversion::bgr888_to_x888_ssse3},
#endif
        {0, 32, 2, 4, CpuFeature::None, conversion::rgb565be_to_x888},
        {1, 32, 3, 4, CpuFeature::None, conversion::bgr888_to_x888},
        {0, 16, 2, 2, CpuFeature::None, conversion::rgb565be_to_565},
        {1, 16, 3, 2, CpuFeature::None, conversion::bgr888_to_565},
    };
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
