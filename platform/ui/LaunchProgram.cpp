#include "platform/ui/LaunchProgram.h"

#include <QMessageBox>
#include <QProcess>
#include <QStringList>

#include "platform/NameForm.h"
#include "platform/ProcessArguments.h"
#include "platform/ui/QtText.h"

namespace tansa2::platform {

bool LaunchProgram(const std::string& program, std::string_view parameters, QWidget* parent) {
  QStringList arguments;
  for (const std::string& argument : SplitArguments(parameters)) arguments << QString::fromUtf8(argument);
  QProcess process;
  process.setProgram(QString::fromUtf8(NativePath(program)));
  process.setArguments(arguments);
  if (process.startDetached()) return true;
  const QString title = parent ? parent->window()->windowTitle() : QString();
  QMessageBox::warning(parent, title,
                       ToQString(program) + QStringLiteral(" を起動できませんでした。\n") +
                           process.errorString());
  return false;
}

}  // namespace tansa2::platform
