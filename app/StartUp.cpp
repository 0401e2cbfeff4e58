#include "app/StartUp.h"

#include "app/MainWindow.h"
#include "app/ProcessObjects.h"
#include "gfx/FullscreenDevice.h"
#include "gfx/WindowedDevice.h"
#include "sprite/DisplayDepth.h"
#include "sprite/PixelConversion.h"
#include "world/FrameLayout.h"
#include "world/SceneSteps.h"

#include <cstdio>

GraphicsDevice* MainDevice = nullptr;

namespace {

// Names, in one line of debug output, the pixel conversions that sprites of
// both stored formats get on this processor, as Pixmix does for its kernels:
// no user sees it, a debugger and the emulated-processor tests do.
void ReportPixelConversions()
{
    const PixelConversionPath* rgb565 = FindPixelConversion(0, DisplayDepth);
    const PixelConversionPath* bgr888 = FindPixelConversion(1, DisplayDepth);
    char line[80];
    std::snprintf(line, sizeof line, "Client pixel conversions: 565=%s 888=%s", rgb565 ? NameOf(rgb565->needs) : "none",
                  bgr888 ? NameOf(bgr888->needs) : "none");
    OutputDebugStringA(line);
}
}  // namespace

bool StartUp()
{
    if (FullScreen) {
        MainDevice = new FullscreenDevice;
        MainDevice->Init(MainWindow, uint16_t{FrameWidth}, uint16_t{FrameHeight}, FrameBitsPerPixel);
    } else {
        // The windowed device sizes its surfaces from the screen.
        MainDevice = new WindowedDevice;
        MainDevice->Init(MainWindow, 0, 0, FrameBitsPerPixel);
    }
    // Create failed without a log line to show for it: there is nothing to draw into.
    if (!MainDevice->drawTarget) return false;
    DisplayDepth = FrameBitsPerPixel;
    ReportPixelConversions();
    if (!StartScene(Map)) return false;
    // Walker::Spawn places a walker on currentMap when it is given no map;
    // from here on that is the program's one map.
    currentMap = &Map;
    PlaceWalkers(Map, Walker1, Walker2);
    return true;
}
