// tansa2: the window.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/SingleInstance.h"
#include "session/HandOff.h"
#include "session/ui/AutoRun.h"
#include "session/ui/FrTS2Main.h"

int main(int argc, char** argv) {
  // Directory, search string, file mask.
  const std::vector<std::string> parameters = tansa2::ReadParameters(argc, argv);

  // A second start hands its command line to the running instance and ends
  // without a window and without touching the settings.
  const QString instanceName = tansa2::platform::InstanceName();
  tansa2::platform::TStartLock startLock(instanceName);
  std::optional<tansa2::platform::TCopyData> copyData;
  if (!parameters.empty())
    copyData = tansa2::platform::TCopyData{tansa2::kHandOffIdentifier, tansa2::HandOffData(parameters)};
  if (tansa2::platform::SendToRunningInstance(instanceName, copyData)) return 0;

  QApplication app(argc, argv);
  QApplication::setApplicationName(tansa2::ApplicationTitle());
  QApplication::setApplicationVersion(QStringLiteral(TANSA2_VERSION));
  QApplication::setFont(tansa2::TFormTS2Main::DefaultFont());

  // The standard dialogs and buttons speak the program's language.
  QTranslator translator;
  if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&translator);

  // Second starts queue up until the window is there to take them.
  tansa2::platform::TInstanceServer instance;
  instance.Listen(instanceName);
  startLock.Release();

  tansa2::TFormTS2Main window(parameters);
  window.ServeSecondStarts(instance);
  window.show();
  tansa2::ScheduleAutoRun(window);
  return QApplication::exec();
}
