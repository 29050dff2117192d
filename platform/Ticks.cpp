#include "platform/Ticks.h"

#include <chrono>

namespace tansa2::platform {

uint32_t GetTickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace tansa2::platform
