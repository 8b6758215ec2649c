// Control of the simulated desktop, for tests and Linux tools.
#pragma once

#include "platform/clock.h"

namespace sim {

// Fixes the clock at a date and time; LocalNow returns it until changed.
void SetLocalTime(const platform::LocalDateTime& now);
// Lets the clock follow the host's real local time again (the default).
void UseSystemClock();

}  // namespace sim
