#pragma once
// The platform layer's one clock, behind timeGetTime and _ftime. Normally it
// is the monotonic clock; with the test hooks' fixed frame clock
// (GAME_TEST_FRAME_MS) it stands still and moves on by that many milliseconds
// at every buffer swap, so frame rates and game time repeat exactly.

#include <cstdint>

namespace platform {

// Milliseconds since the layer first looked at the clock (wraps at 2^32).
uint32_t clockMilliseconds();
// Called once per buffer swap; advances the fixed frame clock.
void clockFrameDone();
// True when the fixed frame clock is on.
bool clockIsFixed();

}  // namespace platform
