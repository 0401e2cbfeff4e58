// The frame loop: one pass after another until the window is closed.
#pragma once

// Runs passes until WM_QUIT arrives. Returns the exit code it carries.
int RunFrameLoop();
