// Where the main window goes: the whole screen, or 640 x 480 centred on it.
#pragma once

#include <cstdint>

struct WindowGeometry {
    uint32_t style;  // WS_POPUP, or WS_POPUP | WS_CAPTION: a title bar without a close box
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// Returns the style and place of the main window on a screen of that size.
WindowGeometry MainWindowGeometry(bool fullScreen, int32_t screenWidth, int32_t screenHeight);
