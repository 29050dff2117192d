#pragma once
// Fits a path into a column by replacing its leading directories with "...".
#include <functional>
#include <string>
#include <string_view>

namespace tansa2 {

// `textWidth` measures a CP932 text in pixels. The directories are dropped
// one by one from the front until the text fits; the file name itself is
// never cut, so the result may still be wider than `maxWidth`.
std::string ShortenPath(std::string_view path, int maxWidth,
                        const std::function<int(std::string_view)>& textWidth);

}  // namespace tansa2
