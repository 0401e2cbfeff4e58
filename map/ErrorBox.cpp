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
    MessageBoxA(nullptr, text, caption, MB_OK);
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
