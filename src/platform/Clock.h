#pragma once

// The platform's monotonic clock in milliseconds. GetTickCount, the window
// system's timers and its message times all read it. A test display can
// replace it by a virtual clock that moves only when told to, so that
// timers fire at exactly the times a test chooses.

#include <cstdint>

namespace platform {

std::uint64_t ClockMilliseconds();

// Switches to a virtual clock that reads `startMs` until moved.
void UseVirtualClock(std::uint64_t startMs);
void AdvanceVirtualClock(std::uint64_t ms);
// Back to the steady clock of the machine.
void UseRealClock();
bool VirtualClockInUse();

}  // namespace platform
