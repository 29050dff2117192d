#pragma once
// The one place where the program's CP932 text meets Qt's strings.
#include <QString>
#include <string>
#include <string_view>

namespace tansa2::platform {

QString ToQString(std::string_view cp932);
std::string FromQString(const QString& text);

}  // namespace tansa2::platform
