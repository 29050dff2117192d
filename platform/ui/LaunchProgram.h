#pragma once
// Starting another program, such as the user's editor, on its own: the
// program isn't waited for and keeps running when this one ends.
#include <string>
#include <string_view>

class QWidget;

namespace tansa2::platform {

// `program` is a CP932 path in the name form (or a name looked up in PATH);
// `parameters` the parameter text in the file system's bytes (UTF-8, and a
// native path as it is), split by SplitArguments
// (platform/ProcessArguments.h). When the program can't be started, a
// message box over `parent` says so with the system's reason, and the
// result is false.
bool LaunchProgram(const std::string& program, std::string_view parameters, QWidget* parent);

}  // namespace tansa2::platform
