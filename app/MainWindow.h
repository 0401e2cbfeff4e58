// The program's one window, made before the device and never destroyed.
#pragma once

#include <windows.h>

// Fixed when the program is built (CLIENT_FULLSCREEN, app/FullScreen.cpp):
// the full-screen window and device, or a window on the desktop.
extern const bool FullScreen;

// The window that WinMain made; the device presents into it.
extern HWND MainWindow;

// Registers the window class and shows the window. Returns the window; ends
// the process with -1 when none can be made.
HWND CreateMainWindow(HINSTANCE instance);

// Escape closes the window, and closing it ends the frame loop; every other
// message goes to the default procedure.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
