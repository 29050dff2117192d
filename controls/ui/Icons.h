#pragma once
// The window's command images, designed on a 16-pixel grid and drawn at the
// pixel size each use asks for, so they stay sharp at any scale.
#include <QIcon>

namespace tansa2 {

enum TCommandImage {
  ciExit, ciGrepStart, ciGrepCancel, ciRefreshDir, ciResultPrev, ciResultNext, ciEditor,
  ciResultClear, ciResultSave, ciToolEnv, ciDirPanel, ciToolBar
};

QIcon CommandIcon(TCommandImage image);

}  // namespace tansa2
