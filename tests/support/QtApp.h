#pragma once
// The one QApplication of a widget test program, created on first use and
// shared by every test file of the program.
#include <QApplication>
#include <QByteArray>

namespace tansa2::testing {

inline QApplication& QtApp() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tests_ui";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's input devices, parented to the application, would
  // outlive the registry they unregister from at exit and crash the program.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace tansa2::testing
