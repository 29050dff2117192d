#pragma once
// The window's 16-pixel command images, drawn at start so they stay sharp
// at any scale.
#include <QIcon>

namespace tansa2 {

enum TCommandImage {
  ciExit, ciGrepStart, ciGrepCancel, ciRefreshDir, ciResultPrev, ciResultNext, ciEditor,
  ciResultClear, ciResultSave, ciToolEnv, ciDirPanel, ciToolBar
};

QIcon CommandIcon(TCommandImage image);

}  // namespace tansa2
