#pragma once
// Where the settings file and the temporary folder live: in a folder named
// after the profile, inside the program folder. The program folder is the
// running program's own folder when it is writable or holds "allusers",
// else $XDG_CONFIG_HOME/tansa2 (~/.config/tansa2); TANSA2_HOME replaces it
// when set. All paths are CP932.
#include <string>

namespace tansa2 {

// The program folder, with its trailing separator.
std::string GetProgramFolder();
// "allusers" when the program folder holds a folder of that name, else the
// logon name; empty when the logon name can't be had.
std::string GetProfileName();
// <program folder>/<profile>/tansa2.ini; creates the profile folder.
std::string GetIniFileName();
// <program folder>/<profile>/Tmp, no trailing separator; creates it.
std::string GetTmpDir();

}  // namespace tansa2
