// The walkers' joins with the shell. Until the walkers exist these do nothing.
#include "app/Scene.h"

void PlaceWalkers()
{
}

void PollKeys()
{
}

void UpdateWalkers()
{
}
