// The program's start-up: the device, then the scene and the walkers, all on
// the thread that enters WinMain.
#pragma once

#include "gfx/GraphicsDevice.h"

// The one device, process-wide because the frame loop and the window share it
// for the life of the process; never released or destroyed, it ends with the
// process.
extern GraphicsDevice* MainDevice;

// Creates the device for MainWindow, then starts the scene and places the
// walkers. Returns false when the frame loop cannot begin.
bool StartUp();
