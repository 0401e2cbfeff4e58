#include "app/MainWindow.h"

#include "app/Keyboard.h"
#include "app/WindowGeometry.h"

#include <cstdlib>

namespace {
constexpr const char* WindowName = "Client";
}  // namespace

HWND MainWindow = nullptr;
bool MainWindowActive = true;

HWND CreateMainWindow(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = WindowName;
    RegisterClassExA(&windowClass);

    const WindowGeometry geometry =
        MainWindowGeometry(FullScreen, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = CreateWindowExA(0, WindowName, WindowName, geometry.style, geometry.x, geometry.y, geometry.width,
                                  geometry.height, nullptr, nullptr, instance, nullptr);
    if (!window) std::exit(-1);
    ShowWindow(window, SW_SHOW);
    return window;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        // The window stays; the loop ends on the WM_QUIT this posts.
        PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND: return 0;
    case WM_KEYDOWN:
        // Other keys reach the walkers only through polling.
        if (wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_ACTIVATEAPP: MainWindowActive = wParam != FALSE; break;
    case WM_SETFOCUS: KeyboardFocusGained(); break;
    case WM_KILLFOCUS: KeyboardFocusLost(); break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
