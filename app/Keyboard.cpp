#include "app/Keyboard.h"

#include <windows.h>

namespace {

// Process-wide, like the one window whose focus they follow: the window
// procedure sets them and the frame loop's polling reads them.
bool hasFocus = false;
bool waitsForRelease[256] = {};

bool Down(uint8_t virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

}  // namespace

bool WalkerKeyHeld(uint8_t virtualKey)
{
    if (!hasFocus) return false;
    const bool down = Down(virtualKey);
    if (waitsForRelease[virtualKey]) {
        if (down) return false;
        waitsForRelease[virtualKey] = false;
    }
    return down;
}

void KeyboardFocusGained()
{
    hasFocus = true;
    // Down for the program but up on the keyboard: the key was let go while
    // another program had the focus, and this program never saw it go up.
    for (int key = 0; key < 256; ++key) {
        waitsForRelease[key] = Down(static_cast<uint8_t>(key)) && (GetAsyncKeyState(key) & 0x8000) == 0;
    }
}

void KeyboardFocusLost()
{
    hasFocus = false;
}
