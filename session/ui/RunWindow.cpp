#include "session/ui/RunWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <optional>
#include <string>
#include <vector>

#include "platform/HugePageMalloc.h"
#include "platform/ui/SingleInstance.h"
#include "session/HandOff.h"
#include "session/ui/FrTS2Main.h"

namespace tansa2 {

int RunWindow(int argc, char** argv, const std::function<void(TFormTS2Main&)>& shown) {
  platform::UseHugePageMalloc(argv);
  // Directory, search string, file mask.
  const std::vector<std::string> parameters = ReadParameters(argc, argv);

  // A second start hands its command line to the running instance and ends
  // without a window and without touching the settings.
  const QString instanceName = platform::InstanceName();
  platform::TStartLock startLock(instanceName);
  std::optional<platform::TCopyData> copyData;
  if (!parameters.empty())
    copyData = platform::TCopyData{kHandOffIdentifier, HandOffData(parameters)};
  if (platform::SendToRunningInstance(instanceName, copyData)) return 0;

  QApplication app(argc, argv);
  QApplication::setApplicationName(ApplicationTitle());
  QApplication::setApplicationVersion(QStringLiteral(TANSA2_VERSION));
  QApplication::setFont(TFormTS2Main::DefaultFont());

  // The standard dialogs and buttons speak the program's language.
  QTranslator translator;
  if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&translator);

  // Second starts queue up until the window is there to take them.
  platform::TInstanceServer instance;
  instance.Listen(instanceName);
  startLock.Release();

  TFormTS2Main window(parameters);
  window.ServeSecondStarts(instance);
  window.show();
  if (shown) shown(window);
  return QApplication::exec();
}

}  // namespace tansa2
