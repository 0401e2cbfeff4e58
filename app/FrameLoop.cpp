#include "app/FrameLoop.h"

#include "app/Keyboard.h"
#include "app/MainWindow.h"
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

// How long the loop waits for a message while it cannot present, before it
// asks the device again: a display that comes back does not always say so
// with a message.
constexpr DWORD WaitMilliseconds = 250;

// Takes and dispatches every waiting message. GetKeyState follows the
// messages taken: with one message a pass, a held key's repeats would fill
// the queue, the walkers would go on walking after the key is up, and Escape
// would wait its turn behind them. Returns false once WM_QUIT has arrived,
// with its code in `exitCode`.
bool TakeMessages(int& exitCode)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            exitCode = static_cast<int>(message.wParam);
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

// Whether a pass can present its frame now: not while the full-screen
// program is in the background, nor while the window is minimised (Windows
// minimises the full-screen one in the background), nor while the device's
// display is lost and cannot be restored yet.
bool CanPresent()
{
    if (FullScreen && !MainWindowActive) return false;
    if (IsIconic(MainWindow)) return false;
    return MainDevice->ReadyToPresent();
}

// Waits, using no processor time, until a message arrives or the wait is
// over.
void WaitForMessages()
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, WaitMilliseconds, QS_ALLINPUT);
}

// The program's share of a pass: the keyboard as the messages taken so far
// left it (app/Keyboard.h), GetTickCount, and the device's draw surface,
// presented by Flip.
class DevicePass final : public PassPlatform {
public:
    explicit DevicePass(GraphicsDevice& passDevice) : device(passDevice) {}
    bool KeyHeld(uint8_t virtualKey) const override { return WalkerKeyHeld(virtualKey); }
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
    while (TakeMessages(exitCode)) {
        // Nothing is composed while it could not be shown: the world, the
        // walkers and the camera wait as they are.
        if (!CanPresent()) {
            WaitForMessages();
            continue;
        }
        RunPass(platform, FrameRate, Map, Walker1, Walker2);
        // A frame that found the display lost is followed by a wait, so that
        // a display which is lost again in every frame costs no processor time.
        if (MainDevice->lostWith != DD_OK) {
            WaitForMessages();
        } else {
            Sleep(1);
        }
#if defined(CLIENT_LOOPBENCH)
        if (bench.CountPass(GetTickCount())) return 0;
#endif
    }
    return exitCode;
}
