#pragma once
// A program's picture as the desktop shows it in its menus.
#include <QIcon>
#include <string>

namespace tansa2::platform {

// The icon-theme icon named like the program's file, or the one of a desktop
// entry that starts this program; a null icon when neither is found.
// `program` is a CP932 path or a name looked up in PATH.
QIcon ProgramIcon(const std::string& program);

}  // namespace tansa2::platform
