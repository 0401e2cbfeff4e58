// The keyboard as the walkers see it: the key states of GetKeyState, which
// follow the messages the program has taken, and only while the main window
// has the keyboard focus. Keys pressed in another program do not move the
// walkers. A key that the program still holds for down when the focus comes
// back, although it is up on the keyboard, was let go in the other program:
// it counts again only once the program has seen it up.
#pragma once

#include <cstdint>

// Whether the key with this virtual-key code is held for the walkers.
bool WalkerKeyHeld(uint8_t virtualKey);

// The main window's procedure calls these on WM_SETFOCUS and WM_KILLFOCUS.
void KeyboardFocusGained();
void KeyboardFocusLost();
