/* Stand-ins for a shipped program that windows-2000-check must reject: one
   imports GetTickCount64 (Vista and later), the other asks for a newer
   subsystem version in its header and imports nothing amiss. */
#include <windows.h>

int main(void)
{
#if defined(DECOY_NEWER_IMPORT)
    return (int)GetTickCount64();
#else
    return (int)GetTickCount();
#endif
}
