#pragma once
// An early exit that unwinds an operation without a message: reading and
// writing result and history files give up this way, and whoever started
// the command catches it and carries on silently.
#include <exception>

namespace tansa2 {

class EQuietAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "operation aborted"; }
};

}  // namespace tansa2
