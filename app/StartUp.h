// The application shell: the one window, the one device, start-up and the
// frame loop, all on the thread that enters WinMain.
#pragma once

#include "gfx/GraphicsDevice.h"

// Fixed when the program is built (CLIENT_FULLSCREEN): the full-screen window
// and device, or a window on the desktop.
extern const bool FullScreen;

extern HWND MainWindow;
// Never released or destroyed: it ends with the process.
extern GraphicsDevice* MainDevice;

// Registers the window class and shows the window; ends the process with -1
// when no window can be made.
HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The device, the scene and the walkers; false when the frame loop cannot begin.
bool StartUp();

// Runs until WM_QUIT and returns its exit code.
int RunFrameLoop();
