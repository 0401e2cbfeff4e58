// Scene start-up and map drawing. Until the map subsystem joins, there is no
// scene: start-up succeeds and nothing is drawn.
#include "app/Scene.h"

bool StartScene()
{
    return true;
}

void DrawScene(SurfaceBuffer)
{
}
