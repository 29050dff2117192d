#pragma once
// The result list's settings section on the list itself: each field is
// listed once, and read from the list or applied to it from that list.
#include "settings/SettingsSections.h"

namespace tansa2 {

class TKyGrepResult;

TGrepResultSection GrepResultSettings(const TKyGrepResult& list);
void ApplyGrepResultSettings(TKyGrepResult& list, const TGrepResultSection& section);

}  // namespace tansa2
