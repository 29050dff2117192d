#include "platform/NativePath.h"

#include <mutex>
#include <unordered_map>

#include "platform/CodePage.h"

namespace tansa2::platform {
namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<std::string, std::string> nativeOf;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RememberNativePath(std::string cp932Path, std::string nativePath) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.nativeOf.insert_or_assign(std::move(cp932Path), std::move(nativePath));
}

std::string NativePath(std::string_view cp932Path) {
  Registry& registry = TheRegistry();
  {
    std::lock_guard lock(registry.mutex);
    if (!registry.nativeOf.empty()) {
      // The longest remembered prefix that ends at a separator wins; the rest
      // of the path converts as usual.
      for (size_t end = cp932Path.size(); end != std::string_view::npos && end > 0;
           end = cp932Path.rfind('/', end - 1)) {
        auto it = registry.nativeOf.find(std::string(cp932Path.substr(0, end)));
        if (it != registry.nativeOf.end())
          return it->second + Cp932ToUtf8(cp932Path.substr(end));
      }
    }
  }
  return Cp932ToUtf8(cp932Path);
}

}  // namespace tansa2::platform
