#include "app/FrameLoop.h"

#include "app/ProcessObjects.h"
#include "world/SceneSteps.h"
#include "app/StartUp.h"
#include "sprite/FrameTick.h"

#include <cstdio>

#if defined(CLIENT_LOOPBENCH)
#include "app/LoopBench.h"
#endif

namespace {

constexpr COLORREF Black = 0;
constexpr COLORREF Red = 255;
constexpr int32_t RateX = 50;
constexpr int32_t RateY = 50;

// Held as the keyboard stands when this pass's messages have been taken.
bool KeyHeldNow(const void*, uint8_t virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

// Takes and dispatches at most one waiting message. Returns false once
// WM_QUIT has arrived, with its code in `exitCode`.
bool TakeMessage(int& exitCode)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return true;
    if (GetMessageA(&message, nullptr, 0, 0) == 0) {
        exitCode = static_cast<int>(message.wParam);
        return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

// Clears the draw surface, draws the scene and the frame rate into it, and
// presents it.
void DrawFrame()
{
    GraphicsDevice& device = *MainDevice;
    device.ColorFill(device.drawTarget, Black);
    SurfaceBuffer surface;
    // Without a description of the surface there is nowhere to draw the map.
    if (device.GetSurfaceBuffer(device.drawTarget, &surface, nullptr) == 0) DrawScene(Map, surface);
    char text[256];
    std::snprintf(text, sizeof text, "%.2f", FrameRate.rate);
    device.DrawText(device.drawTarget, RateX, RateY, Red, text);
    device.Flip();
}

}  // namespace

int RunFrameLoop()
{
#if defined(CLIENT_LOOPBENCH)
    LoopBench bench(GetTickCount());
#endif
    int exitCode = 0;
    while (TakeMessage(exitCode)) {
        PollKeys(KeyHeldNow, nullptr, Walker1, Walker2);
        FrameTick = GetTickCount();
        UpdateWalkers(Walker1, Walker2);
        FrameRate.CountFrame(GetTickCount());
        DrawFrame();
        Sleep(1);
#if defined(CLIENT_LOOPBENCH)
        if (bench.CountPass(GetTickCount())) return 0;
#endif
    }
    return exitCode;
}
