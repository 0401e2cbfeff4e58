#include "app/FrameLoop.h"

#include "app/ProcessObjects.h"
#include "app/StartUp.h"
#include "world/FrameLayout.h"
#include "world/WorldPass.h"

#if defined(CLIENT_LOOPBENCH)
#include "app/LoopBench.h"
#endif

namespace {

constexpr COLORREF Black = 0;
constexpr COLORREF Red = 255;

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

// The program's share of a pass: the keyboard as the messages taken so far
// left it, GetTickCount, and the device's draw surface, presented by Flip.
class DevicePass final : public PassPlatform {
public:
    explicit DevicePass(GraphicsDevice& passDevice) : device(passDevice) {}
    bool KeyHeld(uint8_t virtualKey) const override { return GetKeyState(virtualKey) < 0; }
    uint32_t Tick() override { return GetTickCount(); }
    bool ClearFrame(SurfaceBuffer& frame) override
    {
        device.ColorFill(device.drawTarget, Black);
        return device.GetSurfaceBuffer(device.drawTarget, &frame, nullptr) == 0;
    }
    void WriteRate(const char* text) override { device.DrawText(device.drawTarget, RateTextX, RateTextY, Red, text); }
    void Present() override { device.Flip(); }

private:
    GraphicsDevice& device;
};

}  // namespace

int RunFrameLoop()
{
#if defined(CLIENT_LOOPBENCH)
    LoopBench bench(GetTickCount());
#endif
    DevicePass platform(*MainDevice);
    int exitCode = 0;
    while (TakeMessage(exitCode)) {
        RunPass(platform, FrameRate, Map, Walker1, Walker2);
        Sleep(1);
#if defined(CLIENT_LOOPBENCH)
        if (bench.CountPass(GetTickCount())) return 0;
#endif
    }
    return exitCode;
}
