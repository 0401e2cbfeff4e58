// The only platform call of the map subsystem.
#include "map/ErrorBox.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdio>
#endif

namespace {

void PlatformErrorBox(const char* text, const char* caption)
{
#if defined(_WIN32)
    // The full-screen program's window is top-most: a box below it would
    // leave the user a black screen and a program waiting for a blind Enter.
    // Windows puts a box above the top-most windows for MB_TOPMOST and
    // MB_SYSTEMMODAL alike (the latter is the application-modal box made
    // top-most); Wine does it for MB_SYSTEMMODAL only.
    MessageBoxA(nullptr, text, caption, MB_OK | MB_SYSTEMMODAL | MB_TOPMOST | MB_SETFOREGROUND);
#else
    std::fprintf(stderr, "%s: %s\n", caption, text);
#endif
}

ErrorBoxHandler currentHandler = PlatformErrorBox;

}  // namespace

void ShowErrorBox(const char* text, const char* caption)
{
    currentHandler(text, caption);
}

ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler handler)
{
    const ErrorBoxHandler replaced = currentHandler;
    currentHandler = handler ? handler : PlatformErrorBox;
    return replaced;
}
