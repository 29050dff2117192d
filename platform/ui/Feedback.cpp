#include "platform/ui/Feedback.h"

#include <QApplication>
#include <QCursor>

namespace tansa2::platform {

void Beep() { QApplication::beep(); }

TWaitCursor::TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

TWaitCursor::~TWaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace tansa2::platform
