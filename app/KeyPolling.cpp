// The keys that steer the walkers, polled once in every pass.
#include "app/ProcessObjects.h"
#include "app/SceneSteps.h"

#include <windows.h>

namespace {

struct KeyBinding {
    int virtualKey;
    Walker* walker;
    int32_t direction;
};

// Polled in this order, so that of several held keys the first one starts a
// step: arrows for Walker1 along the screen's axes, W/S/A/D for Walker2 along
// the map's cell axes.
const KeyBinding KeyBindings[] = {
    {VK_UP, &Walker1, 3},
    {VK_DOWN, &Walker1, 7},
    {VK_LEFT, &Walker1, 5},
    {VK_RIGHT, &Walker1, 1},
    {'W', &Walker2, 2},
    {'S', &Walker2, 6},
    {'A', &Walker2, 4},
    {'D', &Walker2, 0},
};

}  // namespace

void PollKeys()
{
    for (const KeyBinding& binding : KeyBindings) {
        if (GetKeyState(binding.virtualKey) < 0) binding.walker->RequestStep(binding.direction);
    }
}
