#pragma once
// The system's text for an error number, safe to ask for on any thread: the
// workers report the files they can't read while the window reports others.
#include <string>

namespace tansa2::platform {

// CP932, like every other program text.
std::string SystemErrorText(int error);

}  // namespace tansa2::platform
