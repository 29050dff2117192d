#include "platform/ui/ProgramIcon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include "platform/NameForm.h"

namespace tansa2::platform {
namespace {

QIcon IconNamed(const QString& name) {
  if (QFileInfo(name).isAbsolute()) return QFileInfo::exists(name) ? QIcon(name) : QIcon();
  return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : QIcon();
}

// The Icon= of the first desktop entry whose Exec= starts `fileName`.
QString DesktopEntryIcon(const QString& fileName) {
  for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
    const QDir dir(folder);
    for (const QString& entry : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files)) {
      QFile file(dir.filePath(entry));
      if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
      QTextStream stream(&file);
      QString exec, icon;
      bool mainGroup = false;
      for (QString line; stream.readLineInto(&line);) {
        if (line.startsWith(u'[')) mainGroup = line == QLatin1String("[Desktop Entry]");
        else if (mainGroup && line.startsWith(QLatin1String("Exec="))) exec = line.mid(5);
        else if (mainGroup && line.startsWith(QLatin1String("Icon="))) icon = line.mid(5);
      }
      const QString command = exec.section(u' ', 0, 0, QString::SectionSkipEmpty).remove(u'"');
      if (!icon.isEmpty() && QFileInfo(command).fileName() == fileName) return icon;
    }
  }
  return {};
}

}  // namespace

QIcon ProgramIcon(const std::string& program) {
  const QString fileName = QFileInfo(QString::fromUtf8(NativePath(program))).fileName();
  if (fileName.isEmpty()) return {};
  QIcon icon = IconNamed(fileName);
  if (icon.isNull()) {
    const QString entryIcon = DesktopEntryIcon(fileName);
    if (!entryIcon.isEmpty()) icon = IconNamed(entryIcon);
  }
  return icon;
}

}  // namespace tansa2::platform
