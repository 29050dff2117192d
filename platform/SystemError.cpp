#include "platform/SystemError.h"

#include <cstring>

#include "platform/CodePage.h"

namespace tansa2::platform {

std::string SystemErrorText(int error) {
  // strerror() may hand every thread the same buffer; this form fills the
  // caller's or returns a constant text.
  char buffer[256];
  return Utf8ToCp932(strerror_r(error, buffer, sizeof buffer));
}

}  // namespace tansa2::platform
