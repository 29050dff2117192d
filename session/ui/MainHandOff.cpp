// The main window's side of a second start.
#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/ui/QtText.h"
#include "platform/ui/SingleInstance.h"
#include "session/HandOff.h"
#include "session/ui/FrTS2Main.h"
#include "session/ui/SearchPanel.h"
#include "settings/ui/KyHistoryComboBox.h"

namespace tansa2 {

void TFormTS2Main::ReceiveCopyData(uint32_t identifier, std::string_view data) {
  if (identifier != kHandOffIdentifier) return;
  if (const std::optional<THandOffFields> fields = ReadHandOff(data)) {
    PanelGrep->KyFlatComboBoxExGrepDir->SetText(fields->GrepDir);
    // In the name form, as ReadParameters wrote it: a character CP932 lacks
    // shows as typed, and the search refuses it when it starts.
    PanelGrep->KyFlatComboBoxExGrepStr->setEditText(platform::TextInNameFormToQString(fields->GrepStr));
    PanelGrep->KyFlatComboBoxExGrepFileMask->SetText(fields->FileMask);
  }
  // A directory the tree resolves comes back into the field as the tree's
  // path; one it can't resolve stays in the field as passed.
  KyFlatDirView->SetSelectedDir(PanelGrep->KyFlatComboBoxExGrepDir->Text());
  if (PanelGrep->KyFlatComboBoxExGrepStr->Text() == kBlankSearchString) PanelGrep->KyFlatComboBoxExGrepStr->SetText({});
  // While a search runs the panel is disabled and the focus stays put.
  if (TKyHistoryComboBox* empty = PanelGrep->FirstEmptyField()) empty->setFocus();
}

void TFormTS2Main::ComeForward() {
  // A maximised window comes back maximised.
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void TFormTS2Main::ServeSecondStarts(platform::TInstanceServer& server) {
  server.Serve([this] { ComeForward(); },
               [this](const platform::TCopyData& copyData) { ReceiveCopyData(copyData.Identifier, copyData.Data); });
}

}  // namespace tansa2
