// The program's one window, made before the device and never destroyed.
#pragma once

#include <windows.h>

// Fixed when the program is built (CLIENT_FULLSCREEN, app/FullScreen.cpp):
// the full-screen window and device, or a window on the desktop.
extern const bool FullScreen;

// The window that WinMain made; the device presents into it.
extern HWND MainWindow;

// False while another program is in front (WM_ACTIVATEAPP): the full-screen
// program then has no display to present to, and its frame loop waits.
// Process-wide because the window procedure sets it and the loop reads it.
extern bool MainWindowActive;

// Registers the window class and shows the window. Returns the window; ends
// the process with -1 when none can be made.
HWND CreateMainWindow(HINSTANCE instance);

// Escape closes the window, and closing it ends the frame loop; the program
// notes activation and the keyboard focus, and passes those messages and every
// other on to the default procedure.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
