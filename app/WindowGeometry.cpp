#include "app/WindowGeometry.h"

namespace {
constexpr uint32_t PopupStyle = 0x80000000u;         // WS_POPUP
constexpr uint32_t PopupCaptionStyle = 0x80C00000u;  // WS_POPUP | WS_CAPTION
constexpr int32_t WindowedWidth = 640;
constexpr int32_t WindowedHeight = 480;
}  // namespace

WindowGeometry MainWindowGeometry(bool fullScreen, int32_t screenWidth, int32_t screenHeight)
{
    if (fullScreen) return {PopupStyle, 0, 0, screenWidth, screenHeight};
    return {PopupCaptionStyle, screenWidth / 2 - WindowedWidth / 2, screenHeight / 2 - WindowedHeight / 2,
            WindowedWidth, WindowedHeight};
}
