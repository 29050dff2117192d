// tansa2: the window.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "session/ui/AutoRun.h"
#include "session/ui/FrTS2Main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(tansa2::ApplicationTitle());
  QApplication::setApplicationVersion(QStringLiteral(TANSA2_VERSION));
  QApplication::setFont(tansa2::TFormTS2Main::DefaultFont());

  // The standard dialogs and buttons speak the program's language.
  QTranslator translator;
  if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&translator);

  // Directory, search string, file mask; an empty argument doesn't count.
  std::vector<std::string> parameters;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '\0') parameters.push_back(tansa2::platform::Utf8ToCp932(argv[i]));

  tansa2::TFormTS2Main window(parameters);
  window.show();
  tansa2::ScheduleAutoRun(window);
  return QApplication::exec();
}
