#pragma once
#include <string>

namespace tansa2 {

// True when the file opens and its first 2048 bytes hold no 0x00 byte.
// Otherwise false, with `Message` saying why (CP932).
bool IsTextFile(const std::string& FileName, std::string& Message);

}  // namespace tansa2
