#pragma once
// The screenshot tool's way to the about box: with TANSA2_ABOUT_SCREENSHOT
// naming a PNG file, the command `showAbout` runs as soon as the event loop
// does, the box it opens is drawn into that file, and the program quits.
class QAction;

namespace tansa2 {

// Returns whether the environment asked for it.
bool ScheduleAboutScreenshot(QAction& showAbout);

}  // namespace tansa2
