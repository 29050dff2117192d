#include "platform/ui/InstalledFonts.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <QFontDatabase>
#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace tansa2::platform {
namespace {

// A font folder as last seen: installing or removing a font file changes its
// modification time.
struct TFolderState {
  std::string Path;
  bool Exists = false;
  timespec Modified{};

  bool operator==(const TFolderState& other) const {
    return Path == other.Path && Exists == other.Exists && Modified.tv_sec == other.Modified.tv_sec &&
           Modified.tv_nsec == other.Modified.tv_nsec;
  }
};

// fontconfig's own check compares whole seconds with the time of its last
// look, so a file copied in the same second as that look is never noticed;
// the folders' full modification times are.
std::vector<TFolderState> FontFolderStates() {
  std::vector<TFolderState> states;
  const std::unique_ptr<FcStrList, decltype(&FcStrListDone)> folders(FcConfigGetFontDirs(nullptr), FcStrListDone);
  if (!folders) return states;
  while (const FcChar8* folder = FcStrListNext(folders.get())) {
    TFolderState state{reinterpret_cast<const char*>(folder)};
    struct stat info;
    if (stat(state.Path.c_str(), &info) == 0) {
      state.Exists = true;
      state.Modified = info.st_mtim;
    }
    states.push_back(std::move(state));
  }
  return states;
}

// The file of some installed font, or empty.
QString AnyFontFile() {
  const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), FcPatternDestroy);
  const std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(FcObjectSetBuild(FC_FILE, nullptr),
                                                                          FcObjectSetDestroy);
  if (!pattern || !objects) return {};
  const std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
      FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);
  if (!fonts) return {};
  for (int i = 0; i < fonts->nfont; ++i) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
      return QString::fromLocal8Bit(reinterpret_cast<const char*>(file));
  }
  return {};
}

// Qt reads the system's fonts once and offers no call to read them again;
// removing an application font makes it forget everything it read, and it
// asks fontconfig anew at the next use.
void MakeQtReadFontsAgain() {
  const int id = QFontDatabase::addApplicationFont(AnyFontFile());
  if (id >= 0) QFontDatabase::removeApplicationFont(id);
}

}  // namespace

void CatchUpWithInstalledFonts() {
  static std::vector<TFolderState> seen = FontFolderStates();
  std::vector<TFolderState> now = FontFolderStates();
  if (now == seen) return;
  // A failed reading keeps the fonts fontconfig had; it is tried again only
  // after the next change, not at every list.
  if (FcInitReinitialize()) {
    MakeQtReadFontsAgain();
    now = FontFolderStates();
  }
  seen = std::move(now);
}

}  // namespace tansa2::platform
