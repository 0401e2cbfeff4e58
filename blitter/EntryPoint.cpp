// The library's entry point fills the blend table. On Windows the loader calls
// DllMain on load, unload and thread start and end: each call refills the
// table with the same bytes, whatever the reason, and reports success. On
// Linux a load-time constructor does the same for libPixmix.so.
//
// On load the Windows library also names the kernels it chose for this
// processor in one line of debug output: no user sees it, a debugger does,
// and so do the tests that run the program on emulated processors.
#include "blitter/BlendTable.h"
#include "blitter/BlitPaths.h"

#if defined(_WIN32)
// DllMain's own signature, BOOL WINAPI (HINSTANCE, DWORD, LPVOID), spelled in
// plain types so that the library needs no Windows header. The name must match
// exactly: a mismatch would leave the C runtime's empty default DllMain in
// place, and the table would never be filled.
#if defined(_WIN64)
#define PIXMIX_WINAPI
#else
#define PIXMIX_WINAPI __stdcall
#endif

extern "C" int PIXMIX_WINAPI DllMain(void* module, unsigned long reason, void* reserved);
extern "C" __declspec(dllimport) void PIXMIX_WINAPI OutputDebugStringA(const char* text);

extern "C" int PIXMIX_WINAPI DllMain(void*, unsigned long reason, void*)
{
    FillBlendTable();
    const unsigned long processAttach = 1;  // DLL_PROCESS_ATTACH
    if (reason == processAttach) OutputDebugStringA(DescribeChosenPaths());
    return 1;  // TRUE
}
#else
__attribute__((constructor)) static void LoadPixmix()
{
    FillBlendTable();
}
#endif
