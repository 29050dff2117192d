#pragma once
#include <cstdint>

namespace tansa2::platform {

// Milliseconds of a monotonic clock, wrapping like a 32-bit tick counter.
uint32_t GetTickCount();

}  // namespace tansa2::platform
