#include "platform/ui/QtText.h"

#include "platform/CodePage.h"

namespace tansa2::platform {

QString ToQString(std::string_view cp932) {
  const std::string utf8 = Cp932ToUtf8(cp932);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToCp932(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

}  // namespace tansa2::platform
