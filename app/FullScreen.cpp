// Compiled once per program: client.exe and its other-geometry twin differ only here.
#include "app/MainWindow.h"

#if !defined(CLIENT_FULLSCREEN_VALUE)
#error "CLIENT_FULLSCREEN_VALUE (1 or 0) must be defined by the build"
#endif

const bool FullScreen = CLIENT_FULLSCREEN_VALUE != 0;
