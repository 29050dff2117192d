#pragma once
// The one place where the program's CP932 text meets Qt's strings.
#include <QString>
#include <string>
#include <string_view>

namespace tansa2::platform {

// Text: what CP932 can't hold becomes "?" on the way in.
QString ToQString(std::string_view cp932);
std::string FromQString(const QString& text);

// Names (files, folders, paths, masks, and messages that hold them) in their
// CP932 form (platform/NameForm.h). A widget shows a name's true characters;
// a byte of the name that isn't UTF-8 shows as "\x83", and a backslash that
// would read as such an escape shows as "\x5C". Reading a shown or typed name
// back gives the same form, so a name copied out of a widget names the same
// file.
QString NameToQString(std::string_view cp932Name);
std::string NameFromQString(const QString& shown);

// Text that travelled in the name form, such as a search string handed over
// by a second start, so that a character CP932 lacks arrives as typed: its
// characters, with no escapes ("\x41" in a pattern stays as it is).
QString TextInNameFormToQString(std::string_view cp932Name);

}  // namespace tansa2::platform
