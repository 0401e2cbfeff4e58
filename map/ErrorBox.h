// The map loader's one message to the person at the screen. On Windows it is a
// message box that waits for OK; elsewhere a line on standard error.
#pragma once

using ErrorBoxHandler = void (*)(const char* text, const char* caption);

// Shows `text` under `caption` and returns once it has been seen.
void ShowErrorBox(const char* text, const char* caption);

// Replaces what ShowErrorBox does, so that tests can see the box and a fuzzer
// can silence it; null restores the platform's box. Returns the handler it
// replaced.
ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler handler);
