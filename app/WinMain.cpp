// The program's entry: the window, the start-up, then the frame loop until the
// window is closed.
#include "app/FrameLoop.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    MainWindow = CreateMainWindow(instance);
    if (!StartUp()) return -1;
    return RunFrameLoop();
}
