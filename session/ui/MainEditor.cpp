// The main window opens the selected result row in the user's editor, at
// its line.
#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "platform/ui/LaunchProgram.h"
#include "platform/ui/ProgramIcon.h"
#include "results/ui/KyGrepResult.h"
#include "session/EditorCommand.h"
#include "session/ui/FrTS2Main.h"
#include "controls/ui/Icons.h"

namespace tansa2 {

void TFormTS2Main::ActionResultEditorExecute() {
  const std::string fileName = KyGrepResult->SelectedFileName();
  if (!EditorInfo.ExeName.empty() && !fileName.empty()) {
    // Filled in the file system's encoding, so that a name CP932 can't hold
    // reaches the editor as the listing found it.
    const std::string matched = MatchedText(KyGrepResult->SelectedLine(), KyGrepResult->SelectedMatchPos(),
                                            KyGrepResult->SelectedMatchLen());
    const std::string parameters =
        FillEditorCommand(platform::Cp932ToUtf8(EditorInfo.CmdLine), platform::NativePath(fileName),
                          KyGrepResult->SelectedLineNum(), platform::Cp932ToUtf8(matched));
    platform::LaunchProgram(EditorInfo.ExeName, parameters, this);
  }
  Commands.Refresh(TCommandCategory::Result);
}

void TFormTS2Main::ApplyEditorIcon() {
  const QIcon icon = EditorInfo.ExeName.empty() ? QIcon() : platform::ProgramIcon(EditorInfo.ExeName);
  ActionResultEditor->Action->setIcon(icon.isNull() ? CommandIcon(ciEditor) : icon);
}

}  // namespace tansa2
