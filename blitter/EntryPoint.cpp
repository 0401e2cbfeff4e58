// The library's entry point fills the blend table. On Windows the loader calls
// DllMain on load, unload and thread start and end: each call refills the
// table with the same bytes, whatever the reason. On Linux a load-time
// constructor does the same for libPixmix.so.
#include "blitter/BlendTable.h"

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    FillBlendTable();
    return TRUE;
}
#else
__attribute__((constructor)) static void LoadPixmix()
{
    FillBlendTable();
}
#endif
