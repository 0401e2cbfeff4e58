// The two exported routines: each blit goes to the kernel chosen for its path.
#include "blitter/BlitPaths.h"
#include "blitter/Pixmix.h"

namespace {

void Blit(Routine routine, const SurfaceBuffer& destination, const BlitSource& source)
{
    const int bytesPerPixel = destination.bitsPerPixel == 32 ? 4 : 2;
    ChosenPath(routine, bytesPerPixel, source.alphaMask != nullptr).kernel(destination, source);
}

}  // namespace

extern "C" {

PIXMIX_API void PIXMIX_CALL Blt(SurfaceBuffer destination, BlitSource source)
{
    Blit(Routine::Blt, destination, source);
}

PIXMIX_API void PIXMIX_CALL Blt_NoColorkey(SurfaceBuffer destination, BlitSource source)
{
    Blit(Routine::NoColorkey, destination, source);
}
}
