// Stand-ins for Pixmix.dll that pixmix-pe-check must reject: one with its
// ordinals swapped, one that needs libwinpthread at load time.
#include <pthread.h>

extern "C" {
void Blt() {}
#if defined(PE_DECOY_NEEDS_WINPTHREAD)
void Blt_NoColorkey()
{
    pthread_self();
}
#else
void Blt_NoColorkey() {}
#endif
}
