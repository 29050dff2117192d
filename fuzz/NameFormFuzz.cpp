// The CP932 form of names, both ways: any native name comes back byte for
// byte from its form, and any CP932 text, read as a path, leads to a name
// whose form leads back to that same name.
#include "fuzz/FuzzInput.h"
#include "platform/NameForm.h"

using namespace tansa2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  fuzz::Check(platform::NativePath(platform::Cp932FormOfName(input)) == input);

  const std::string native = platform::NativePath(input);
  fuzz::Check(platform::NativePath(platform::Cp932FormOfName(native)) == native);
  return 0;
}
