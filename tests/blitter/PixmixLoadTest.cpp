// Pixmix.dll as the Windows loader sees it: loaded by name, its two routines
// found by ordinal as client.exe binds them, and by name to the same code.
// Small on purpose: under the 32-bit Wine it is the deliverable's smoke test.
#include "TestSurface.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using BlitRoutine = void(PIXMIX_CALL*)(SurfaceBuffer, BlitSource);

BlitRoutine AsRoutine(FARPROC procedure)
{
    // Through void(*)(), the type every function pointer may pass through.
    return reinterpret_cast<BlitRoutine>(reinterpret_cast<void (*)()>(procedure));
}

class PixmixLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA("Pixmix.dll");
        ASSERT_NE(library, nullptr) << "LoadLibraryA failed, error " << GetLastError();
    }
    void TearDown() override
    {
        if (library) FreeLibrary(library);
    }
    FARPROC Ordinal(int n) const { return GetProcAddress(library, MAKEINTRESOURCEA(n)); }

    HMODULE library = nullptr;
};

TEST_F(PixmixLoadTest, OrdinalsOneAndTwoAreBltAndBltNoColorkey)
{
    ASSERT_NE(Ordinal(1), nullptr);
    ASSERT_NE(Ordinal(2), nullptr);
    EXPECT_NE(Ordinal(1), Ordinal(2));
    EXPECT_EQ(Ordinal(1), GetProcAddress(library, "Blt"));
    EXPECT_EQ(Ordinal(2), GetProcAddress(library, "Blt_NoColorkey"));
    EXPECT_EQ(Ordinal(3), nullptr);
}

// A few pixels through each ordinal: a blend (which also shows that DllMain
// filled the table), a keyed copy, a 5-6-5 blend and an opaque copy.
TEST_F(PixmixLoadTest, BlitsKnownPixelsThroughTheOrdinals)
{
    const BlitRoutine blt = AsRoutine(Ordinal(1));
    const BlitRoutine bltNoColorkey = AsRoutine(Ordinal(2));
    ASSERT_NE(blt, nullptr);
    ASSERT_NE(bltNoColorkey, nullptr);

    TestSurface destination(4, 3, 1);
    TestSurface source(4, 3, 1);
    TestSurface mask(1, 3, 1);
    const uint32_t pixels[] = {0x00FFFFFF, 0x00646464, 0x00ABCDEF};
    const uint8_t alphas[] = {128, 128, 0};
    for (int i = 0; i < 3; ++i) {
        destination.Set(i, 0, i == 0 ? 0 : pixels[i]);
        source.Set(i, 0, pixels[i]);
        mask.Set(i, 0, alphas[i]);
    }
    destination.Set(2, 0, 0xFF123456);
    blt(destination.Rect(0, 0, 3, 1), SourceAt(source, 0, 0, &mask));
    EXPECT_EQ(destination.Get(0, 0), 0x00808080u);
    EXPECT_EQ(destination.Get(1, 0), 0x00636363u);
    EXPECT_EQ(destination.Get(2, 0), 0xFF123456u);

    blt(destination.Rect(0, 0, 3, 1), SourceAt(source, 0, 0, nullptr, 0x00646464));
    EXPECT_EQ(destination.Get(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(destination.Get(1, 0), 0x00636363u);  // keyed: left as it was
    EXPECT_EQ(destination.Get(2, 0), 0x00ABCDEFu);

    TestSurface destination565(2, 2, 1);
    TestSurface source565(2, 2, 1);
    destination565.Set(0, 0, 0xFFFF);
    destination565.Set(1, 0, 0xF800);
    source565.Set(0, 0, 0xFFFF);
    source565.Set(1, 0, 0x001F);
    bltNoColorkey(destination565.Rect(0, 0, 2, 1), SourceAt(source565, 0, 0, &mask));
    EXPECT_EQ(destination565.Get(0, 0), 0xF7DEu);
    EXPECT_EQ(destination565.Get(1, 0), 0x780Fu);

    bltNoColorkey(destination565.Rect(0, 0, 2, 1), SourceAt(source565, 0, 0, nullptr, 0xFFFFFFFF));
    EXPECT_EQ(destination565.Get(0, 0), 0xFFFFu);
    EXPECT_EQ(destination565.Get(1, 0), 0x001Fu);
}

}  // namespace
