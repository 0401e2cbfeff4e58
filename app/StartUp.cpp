#include "app/StartUp.h"

#include "app/MainWindow.h"
#include "app/SceneSteps.h"
#include "gfx/FullscreenDevice.h"
#include "gfx/WindowedDevice.h"
#include "sprite/DisplayDepth.h"

GraphicsDevice* MainDevice = nullptr;

namespace {
constexpr uint16_t FrameWidth = 640;
constexpr uint16_t FrameHeight = 480;
constexpr uint8_t FrameBitsPerPixel = 32;
}  // namespace

bool StartUp()
{
    if (FullScreen) {
        MainDevice = new FullscreenDevice;
        MainDevice->Init(MainWindow, FrameWidth, FrameHeight, FrameBitsPerPixel);
    } else {
        // The windowed device sizes its surfaces from the screen.
        MainDevice = new WindowedDevice;
        MainDevice->Init(MainWindow, 0, 0, FrameBitsPerPixel);
    }
    // Create failed without a log line to show for it: there is nothing to draw into.
    if (!MainDevice->drawTarget) return false;
    DisplayDepth = FrameBitsPerPixel;
    if (!StartScene()) return false;
    PlaceWalkers();
    return true;
}
