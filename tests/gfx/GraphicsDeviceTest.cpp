// The shared device operations against real DirectDraw surfaces: a device on
// a small window at the normal cooperative level, drawing into off-screen
// surfaces in system memory.
#include "StandInPrimary.h"

#include "gfx/GraphicsDevice.h"
#include "gfx/WindowedDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

HWND TestWindow()
{
    static HWND window = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DeviceTest";
        RegisterClassA(&windowClass);
        HWND created = CreateWindowExA(0, "DeviceTest", "DeviceTest", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                       windowClass.hInstance, nullptr);
        ShowWindow(created, SW_SHOW);
        return created;
    }();
    return window;
}

// While it lives, "ErrLog.txt" cannot be opened: the working directory is a
// fresh one in which a directory has taken the log's name.
class LogUnavailable {
public:
    LogUnavailable() : home(std::filesystem::current_path())
    {
        directory = std::filesystem::temp_directory_path() / "client-device-test-no-log";
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory / "ErrLog.txt");
        std::filesystem::current_path(directory);
    }
    ~LogUnavailable()
    {
        std::filesystem::current_path(home);
        std::filesystem::remove_all(directory);
    }

private:
    std::filesystem::path home;
    std::filesystem::path directory;
};

// DirectDraw and nothing else: the shared operations need no presenting.
class SharedOperationsDevice : public GraphicsDevice {
public:
    HRESULT Create() override
    {
        const HRESULT result = CreateDirectDraw();
        if (FAILED(result)) return result;
        return directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    }
    HRESULT Flip() override { return 0; }
    bool ReadyToPresent() override { return true; }
};

// A locked view of a surface, for reading back what the device wrote.
class Locked {
public:
    explicit Locked(IDirectDrawSurface7* lockedSurface) : surface(lockedSurface), desc(EmptySurfaceDesc())
    {
        ok = SUCCEEDED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    }
    ~Locked()
    {
        if (ok) surface->Unlock(nullptr);
    }
    uint8_t* Memory() const { return static_cast<uint8_t*>(desc.lpSurface); }
    int32_t Pitch() const { return desc.lPitch; }
    uint32_t& Pixel(int32_t x, int32_t y) const { return *reinterpret_cast<uint32_t*>(Memory() + Pitch() * y + 4 * x); }
    bool ok;

private:
    IDirectDrawSurface7* surface;
    DDSURFACEDESC2 desc;
};

class GraphicsDeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(device.Init(TestWindow(), 0, 0, 32), DD_OK);
        ASSERT_NE(device.directDraw, nullptr);
    }
    void TearDown() override
    {
        for (IDirectDrawSurface7* surface : surfaces) surface->Release();
        device.Release();
    }
    IDirectDrawSurface7* NewSurface(uint16_t surfaceWidth, uint16_t surfaceHeight)
    {
        IDirectDrawSurface7* surface = nullptr;
        EXPECT_EQ(device.CreateSurface(surfaceWidth, surfaceHeight, &surface), DD_OK);
        if (surface) surfaces.push_back(surface);
        return surface;
    }
    // Every pixel gets a value of its own: (x << 16) | y, plus one so none is black.
    IDirectDrawSurface7* PatternSurface(uint16_t surfaceWidth, uint16_t surfaceHeight)
    {
        IDirectDrawSurface7* surface = NewSurface(surfaceWidth, surfaceHeight);
        Locked locked(surface);
        for (int32_t y = 0; y < surfaceHeight; ++y)
            for (int32_t x = 0; x < surfaceWidth; ++x) locked.Pixel(x, y) = Pattern(x, y);
        return surface;
    }
    static uint32_t Pattern(int32_t x, int32_t y) { return ((x << 16) | y) + 1; }

    SharedOperationsDevice device;
    std::vector<IDirectDrawSurface7*> surfaces;
};

}  // namespace

TEST_F(GraphicsDeviceTest, CreateSurfaceMakesSystemMemorySurfacesOfTheDisplayDepth)
{
    IDirectDrawSurface7* surface = NewSurface(100, 60);
    ASSERT_NE(surface, nullptr);
    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 100u);
    EXPECT_EQ(desc.dwHeight, 60u);
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u) << "these tests need a 32-bit desktop";
}

// What a lock reports: the surface's memory and pitch (the lock is let go at once).
struct MemoryAndPitch {
    uint8_t* memory;
    int32_t pitch;
};

MemoryAndPitch LockedLayout(IDirectDrawSurface7* surface)
{
    Locked locked(surface);
    EXPECT_TRUE(locked.ok);
    return {locked.Memory(), locked.Pitch()};
}

TEST_F(GraphicsDeviceTest, GetSurfaceBufferDescribesTheWholeSurface)
{
    IDirectDrawSurface7* surface = NewSurface(640, 480);
    SurfaceBuffer buffer = {};
    ASSERT_EQ(device.GetSurfaceBuffer(surface, &buffer, nullptr), DD_OK);
    const MemoryAndPitch layout = LockedLayout(surface);
    EXPECT_EQ(buffer.firstPixel, layout.memory);
    EXPECT_EQ(buffer.lastRowEnd, layout.memory + 2560 + layout.pitch * 479);
    EXPECT_EQ(buffer.pitch, layout.pitch);
    EXPECT_EQ(buffer.height, 480);
    EXPECT_EQ(buffer.width, 640);
    EXPECT_EQ(buffer.bitsPerPixel, 32);
}

TEST_F(GraphicsDeviceTest, GetSurfaceBufferClampsTheCallersRectangleInPlace)
{
    IDirectDrawSurface7* surface = NewSurface(640, 480);
    const MemoryAndPitch layout = LockedLayout(surface);
    struct Case {
        RECT in, out;
    };
    const Case cases[] = {
        {{-10, -10, 700, 500}, {0, 0, 640, 480}},
        {{100, 50, 200, 150}, {100, 50, 200, 150}},
        {{600, 470, 650, 490}, {600, 470, 640, 480}},
    };
    for (const Case& c : cases) {
        RECT rect = c.in;
        SurfaceBuffer buffer = {};
        ASSERT_EQ(device.GetSurfaceBuffer(surface, &buffer, &rect), DD_OK);
        EXPECT_EQ(rect.left, c.out.left);
        EXPECT_EQ(rect.top, c.out.top);
        EXPECT_EQ(rect.right, c.out.right);
        EXPECT_EQ(rect.bottom, c.out.bottom);
        EXPECT_EQ(buffer.firstPixel, layout.memory + layout.pitch * c.out.top + 4 * c.out.left);
        EXPECT_EQ(buffer.lastRowEnd, layout.memory + 4 * c.out.right + layout.pitch * (c.out.bottom - 1));
        EXPECT_EQ(buffer.width, c.out.right - c.out.left);
        EXPECT_EQ(buffer.height, c.out.bottom - c.out.top);
    }
}

TEST_F(GraphicsDeviceTest, GetSurfaceBufferKeepsAWiderPitch)
{
    // A surface over memory of our own, 2600 bytes per row.
    std::vector<uint8_t> memory(2600 * 480);
    DDSURFACEDESC2 desc = OffscreenSurfaceDesc(640, 480);
    desc.dwFlags |= DDSD_LPSURFACE | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.lPitch = 2600;
    desc.lpSurface = memory.data();
    desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc.ddpfPixelFormat.dwRGBBitCount = 32;
    desc.ddpfPixelFormat.dwRBitMask = 0x00FF0000;
    desc.ddpfPixelFormat.dwGBitMask = 0x0000FF00;
    desc.ddpfPixelFormat.dwBBitMask = 0x000000FF;
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(device.directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
    surfaces.push_back(surface);

    SurfaceBuffer buffer = {};
    ASSERT_EQ(device.GetSurfaceBuffer(surface, &buffer, nullptr), DD_OK);
    EXPECT_EQ(buffer.firstPixel, memory.data());
    EXPECT_EQ(buffer.lastRowEnd, memory.data() + 2560 + 2600 * 479);
    EXPECT_EQ(buffer.pitch, 2600);
    EXPECT_EQ(buffer.width, 640);
    EXPECT_EQ(buffer.height, 480);
}

TEST_F(GraphicsDeviceTest, ColorFillConvertsTheColorRef)
{
    IDirectDrawSurface7* surface = NewSurface(16, 8);
    struct Case {
        COLORREF color;
        uint32_t pixel;
    };
    const Case cases[] = {
        {0x000000FF, 0x00FF0000}, {0x00FF0000, 0x000000FF}, {0x0000FF00, 0x0000FF00},
        {0x00123456, 0x00563412}, {0x00000000, 0x00000000},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(device.ColorFill(surface, c.color), DD_OK);
        Locked locked(surface);
        ASSERT_TRUE(locked.ok);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 16; ++x)
                ASSERT_EQ(locked.Pixel(x, y) & 0x00FFFFFF, c.pixel) << std::hex << c.color << " at " << x << "," << y;
    }
}

TEST_F(GraphicsDeviceTest, SetColorKeyKeysExactlyTheConvertedColour)
{
    IDirectDrawSurface7* surface = NewSurface(8, 8);
    ASSERT_EQ(device.SetColorKey(surface, 0x00FF00FF), DD_OK);  // magenta as a COLORREF
    DDCOLORKEY key = {};
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x00FF00FFu);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x00FF00FFu);
    ASSERT_EQ(device.SetColorKey(surface, 0x00000080), DD_OK);  // dark red
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x00800000u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x00800000u);
}

// Where each pixel of the destination came from: the source pixel it holds, or nothing (0).
struct BltFastCase {
    const char* name;
    int32_t x, y;
    bool hasRect;
    RECT rect;
    RECT landed;     // destination pixels that were copied
    POINT sourceAt;  // the source pixel that landed on landed's top-left
};

TEST_F(GraphicsDeviceTest, BltFastClipsToTheDestination)
{
    const BltFastCase cases[] = {
        {"off the left", -20, 10, false, {}, {0, 10, 80, 110}, {20, 0}},
        {"off the bottom right", 600, 450, false, {}, {600, 450, 640, 480}, {0, 0}},
        {"a part, clipped", -20, 0, true, {10, 10, 50, 50}, {0, 10, 30, 50}, {20, 10}},
        {"wholly outside", 700, 0, false, {}, {0, 0, 0, 0}, {0, 0}},
        {"inverted rectangle", 0, 0, true, {50, 50, 10, 10}, {0, 0, 0, 0}, {0, 0}},
    };
    IDirectDrawSurface7* source = PatternSurface(100, 100);
    IDirectDrawSurface7* destination = NewSurface(640, 480);
    for (const BltFastCase& c : cases) {
        ASSERT_EQ(device.ColorFill(destination, 0), DD_OK);
        RECT rect = c.rect;
        ASSERT_EQ(device.BltFast(destination, source, c.x, c.y, c.hasRect ? &rect : nullptr, DDBLTFAST_WAIT), DD_OK)
            << c.name;
        Locked locked(destination);
        ASSERT_TRUE(locked.ok);
        int32_t wrong = 0;
        for (int32_t y = 0; y < 480; ++y) {
            for (int32_t x = 0; x < 640; ++x) {
                const bool inside =
                    x >= c.landed.left && x < c.landed.right && y >= c.landed.top && y < c.landed.bottom;
                const uint32_t expected =
                    inside ? Pattern(c.sourceAt.x + x - c.landed.left, c.sourceAt.y + y - c.landed.top) : 0;
                if ((locked.Pixel(x, y) & 0x00FFFFFF) != expected) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

TEST_F(GraphicsDeviceTest, DrawTextWritesItsColourFromTheGivenCorner)
{
    IDirectDrawSurface7* surface = NewSurface(200, 80);
    struct Case {
        COLORREF color;
        uint32_t fullPixel;
        uint32_t channelMask;  // the channel the text's colour lives in
    };
    const Case cases[] = {{0x000000FF, 0x00FF0000, 0x00FF0000}, {0x00FF0000, 0x000000FF, 0x000000FF}};
    for (const Case& c : cases) {
        ASSERT_EQ(device.ColorFill(surface, 0), DD_OK);
        ASSERT_EQ(device.DrawText(surface, 50, 30, c.color, "88.88"), DD_OK);
        Locked locked(surface);
        ASSERT_TRUE(locked.ok);
        int32_t full = 0, otherColour = 0;
        int32_t left = 200, top = 80, right = 0, bottom = 0;
        for (int32_t y = 0; y < 80; ++y) {
            for (int32_t x = 0; x < 200; ++x) {
                const uint32_t pixel = locked.Pixel(x, y) & 0x00FFFFFF;
                if (!pixel) continue;
                if (pixel & ~c.channelMask) ++otherColour;
                if (pixel == c.fullPixel) ++full;
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
            }
        }
        EXPECT_GT(full, 10) << std::hex << c.color;
        EXPECT_EQ(otherColour, 0) << std::hex << c.color;
        // Glyphs start at the corner, within the leading of the default font.
        EXPECT_GE(left, 50);
        EXPECT_LE(left, 54);
        EXPECT_GE(top, 30);
        EXPECT_LE(top, 36);
        EXPECT_LE(right, 50 + 60);
        EXPECT_LE(bottom, 30 + 20);
    }
}

TEST_F(GraphicsDeviceTest, ReleaseGivesUpEachReferenceOnce)
{
    IDirectDrawSurface7* back = NewSurface(32, 32);
    IDirectDrawSurface7* drawTarget = NewSurface(32, 32);
    surfaces.clear();  // the device owns them now
    device.back = back;
    device.drawTarget = drawTarget;
    back->AddRef();
    drawTarget->AddRef();
    device.Release();
    EXPECT_EQ(device.directDraw, nullptr);
    EXPECT_EQ(device.back, nullptr);
    EXPECT_EQ(device.drawTarget, nullptr);
    EXPECT_EQ(back->Release(), 0u);
    EXPECT_EQ(drawTarget->Release(), 0u);
}

TEST_F(GraphicsDeviceTest, ReleaseDoesNotReleaseASharedBackTwice)
{
    IDirectDrawSurface7* back = NewSurface(32, 32);
    surfaces.clear();
    device.back = back;
    device.drawTarget = back;
    back->AddRef();
    back->AddRef();
    device.Release();
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(back->Release(), 0u);
}

TEST_F(GraphicsDeviceTest, FailedLockWithoutALogReturnsItsCodeAndLeavesTheBuffer)
{
    IDirectDrawSurface7* surface = NewSurface(64, 64);
    const LogUnavailable noLog;
    // A surface that is locked already cannot be locked again.
    Locked locked(surface);
    ASSERT_TRUE(locked.ok);

    SurfaceBuffer buffer;
    std::memset(&buffer, 0xA5, sizeof buffer);
    SurfaceBuffer untouched = buffer;
    EXPECT_TRUE(FAILED(device.GetSurfaceBuffer(surface, &buffer, nullptr)));
    EXPECT_EQ(std::memcmp(&buffer, &untouched, sizeof buffer), 0) << "the buffer must stay unfilled";

    // DirectDraw makes no surface without a size; the out argument stays as it was.
    IDirectDrawSurface7* const marker = reinterpret_cast<IDirectDrawSurface7*>(0x1234);
    IDirectDrawSurface7* created = marker;
    EXPECT_TRUE(FAILED(device.CreateSurface(0, 0, &created)));
    EXPECT_EQ(created, marker);
}

TEST(WindowedDevice, DrawsIntoAScreenSizedBackSurfaceBehindAClipper)
{
    WindowedDevice device;
    ASSERT_EQ(device.Init(TestWindow(), 0, 0, 32), DD_OK);
    EXPECT_EQ(device.width, 0);
    EXPECT_EQ(device.height, 0);
    ASSERT_NE(device.primary, nullptr);
    ASSERT_NE(device.back, nullptr);
    EXPECT_EQ(device.drawTarget, device.back);
    ASSERT_NE(device.clipper, nullptr);
    IDirectDrawClipper* attached = nullptr;
    ASSERT_EQ(device.primary->GetClipper(&attached), DD_OK);
    EXPECT_EQ(attached, device.clipper);
    attached->Release();

    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    ASSERT_EQ(device.back->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(desc.dwHeight, static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);

    EXPECT_EQ(device.ColorFill(device.drawTarget, 255), DD_OK);
    EXPECT_EQ(device.Flip(), DD_OK);

    IDirectDrawSurface7* back = device.back;
    back->AddRef();
    device.Release();
    EXPECT_EQ(device.drawTarget, nullptr);
    EXPECT_EQ(device.clipper, nullptr);
    EXPECT_EQ(back->Release(), 0u);
}

// A windowed primary lost (a mode change, another program's exclusive mode,
// sleep and resume) is restored, or the surfaces are made again after a mode
// change, and the frames go on: presenting waits only while the display says
// it is not the program's yet.
TEST(WindowedDevice, APrimaryLostIsRestoredOrMadeAgain)
{
    struct Case {
        const char* name;
        HRESULT bltFails;               // what the stand-in's Blt fails with, once
        std::vector<HRESULT> restores;  // what its Restore says, in turn (then the real one's answer)
        int waits;                      // ReadyToPresent false before it is true
        int restoresAsked;
        bool madeAgain;  // the primary, back surface and clipper are new
    };
    constexpr HRESULT Lost = DDERR_SURFACELOST, Held = DDERR_EXCLUSIVEMODEALREADYSET;
    // clang-format off
    const Case cases[] = {
        {"lost, restored at once",                        Lost,            {},                          0, 1, false},
        {"lost while another program holds the display", Lost,            {Held, Held},                2, 3, false},
        {"lost to a mode change",                         Lost,            {DDERR_WRONGMODE},           0, 1, true},
        {"another program holds the display",             Held,            {DDERR_NOEXCLUSIVEMODE},     1, 2, false},
        {"the mode changed",                              DDERR_WRONGMODE, {},                          0, 0, true},
    };
    // clang-format on
    // A loss that went to the log would end the test program with 0; without
    // a log it shows as a failure here instead.
    const LogUnavailable noLog;
    for (const Case& c : cases) {
        WindowedDevice device;
        ASSERT_EQ(device.Init(TestWindow(), 0, 0, 32), DD_OK) << c.name;
        StandInRecord record;
        device.primary = new StandInPrimary(device.primary, c.bltFails, c.restores, record);

        EXPECT_EQ(device.Flip(), c.bltFails) << c.name;
        EXPECT_EQ(device.lostWith, c.bltFails) << c.name;
        int waits = 0;
        while (!device.ReadyToPresent() && waits < 10) ++waits;
        EXPECT_EQ(waits, c.waits) << c.name;
        EXPECT_EQ(record.restores, c.restoresAsked) << c.name;
        EXPECT_EQ(record.released, c.madeAgain) << c.name;
        EXPECT_EQ(device.lostWith, DD_OK) << c.name;
        ASSERT_NE(device.drawTarget, nullptr) << c.name;
        EXPECT_EQ(device.drawTarget, device.back) << c.name;

        // The next frames are presented, by the stand-in's real primary or by the new one.
        EXPECT_EQ(device.ColorFill(device.drawTarget, 255), DD_OK) << c.name;
        EXPECT_EQ(device.Flip(), DD_OK) << c.name;
        EXPECT_TRUE(device.ReadyToPresent()) << c.name;
        EXPECT_EQ(record.blts, c.madeAgain ? 1 : 2) << c.name;
        device.Release();
        EXPECT_TRUE(record.released) << c.name;
    }
}

// Every other failure of the present is not a loss: it goes to the log as
// before (here, with no log to write to, the code comes back).
TEST(WindowedDevice, AFailureThatIsNotALossIsNotWaitedFor)
{
    WindowedDevice device;
    ASSERT_EQ(device.Init(TestWindow(), 0, 0, 32), DD_OK);
    StandInRecord record;
    device.primary = new StandInPrimary(device.primary, DDERR_GENERIC, {}, record);
    {
        const LogUnavailable noLog;
        EXPECT_EQ(device.Flip(), DDERR_GENERIC);
    }
    EXPECT_EQ(device.lostWith, DD_OK);
    EXPECT_TRUE(device.ReadyToPresent());
    EXPECT_EQ(record.restores, 0);
    device.Release();
}

// The frame is copied only where the window lies on a screen: Wine refuses a
// copy that reaches off the screens, which ended the program when its window
// was dragged partly off.
TEST(WindowedDevice, PresentsOnlyWhatLiesOnTheScreens)
{
    const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN), screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    ASSERT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), 0) << "one screen at the origin, as Xvfb gives";
    struct Case {
        const char* name;
        POINT at;  // the 64 x 64 window's top-left corner
        RECT destination, source;
        bool copied;
    };
    const Case cases[] = {
        {"on the screen", {10, 20}, {10, 20, 74, 84}, {0, 0, 64, 64}, true},
        {"off the top left", {-20, -10}, {0, 0, 44, 54}, {20, 10, 64, 64}, true},
        {"off the bottom right",
         {screenWidth - 30, screenHeight - 20},
         {screenWidth - 30, screenHeight - 20, screenWidth, screenHeight},
         {0, 0, 30, 20},
         true},
        {"wholly off", {-100, 0}, {}, {}, false},
    };
    HWND window = TestWindow();
    WindowedDevice device;
    ASSERT_EQ(device.Init(window, 0, 0, 32), DD_OK);
    StandInRecord record;
    device.primary = new StandInPrimary(device.primary, DD_OK, {}, record);
    // A refused copy would end the test program with 0 through the log.
    const LogUnavailable noLog;
    for (const Case& c : cases) {
        SetWindowPos(window, nullptr, c.at.x, c.at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const int before = record.blts;
        EXPECT_EQ(device.Flip(), DD_OK) << c.name;
        EXPECT_EQ(record.blts - before, c.copied ? 1 : 0) << c.name;
        if (!c.copied) continue;
        EXPECT_TRUE(EqualRect(&record.destination, &c.destination)) << c.name;
        EXPECT_TRUE(EqualRect(&record.source, &c.source)) << c.name;
    }
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    device.Release();
}
