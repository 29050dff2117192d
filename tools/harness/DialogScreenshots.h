#pragma once
// The screenshot tools' way to the window's dialogs: the command runs as
// soon as the event loop does, the dialog it opens is drawn into PNG files,
// and the program quits.
//   TANSA2_ABOUT_SCREENSHOT  a PNG file the about box is drawn into
//   TANSA2_PREFS_SCREENSHOT  a folder each page of the preferences is drawn
//                            into, as preferences-1.png, preferences-2.png, ...
namespace tansa2 {

class TFormTS2Main;

// Returns whether the environment asked for one.
bool ScheduleDialogScreenshot(TFormTS2Main& window);

}  // namespace tansa2
