// The clock of every animation: GetTickCount milliseconds, sampled once per
// pass of the frame loop (after the keys are polled, before the walkers move).
// 0 until the first pass.
#pragma once

#include <cstdint>

extern uint32_t FrameTick;
