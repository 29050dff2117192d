#pragma once
// The screenshot tool's way to the preferences: with TANSA2_PREFS_SCREENSHOT
// naming a folder, the command `toolEnv` runs as soon as the event loop
// does, each page of the dialog it opens is drawn into preferences-1.png,
// preferences-2.png, ... in that folder, and the program quits.
class QAction;

namespace tansa2 {

// Returns whether the environment asked for it.
bool ScheduleToolEnvScreenshot(QAction& toolEnv);

}  // namespace tansa2
