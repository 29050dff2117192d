#pragma once
// Keeps Qt's font database in step with the fonts installed on the machine.

namespace tansa2::platform {

// Makes Qt's font database see the fonts installed or removed since it was
// last read, so that a face added while the program runs can be listed and
// used. Costs a look at each font folder when nothing changed; only a change
// makes fontconfig and Qt read the fonts again.
void CatchUpWithInstalledFonts();

}  // namespace tansa2::platform
