#include "session/ui/Commands.h"

#include <algorithm>

#include "platform/ui/QtText.h"
#include "results/CommaText.h"
#include "settings/ShortCutText.h"

namespace tansa2 {

bool TKyCommand::Has(platform::TShortCut code) const {
  return code != 0 && (ShortCut == code ||
                       std::find(SecondaryShortCuts.begin(), SecondaryShortCuts.end(), code) !=
                           SecondaryShortCuts.end());
}

TKyCommand& TCommandList::Add(QObject* owner, const char* name, const QString& caption,
                              const QString& hint, TCommandCategory category,
                              platform::TShortCut shortCut, std::function<bool()> enabledRule) {
  auto command = std::make_unique<TKyCommand>();
  command->Action = new QAction(caption, owner);
  command->Action->setObjectName(QString::fromLatin1(name));
  command->Action->setToolTip(hint);
  command->Action->setStatusTip(hint);
  command->Caption = caption;
  command->Hint = hint;
  command->Category = category;
  command->EnabledRule = std::move(enabledRule);
  command->SetShortCut(shortCut);
  commands_.push_back(std::move(command));
  return *commands_.back();
}

void TKyCommand::SetShortCut(platform::TShortCut shortCut) {
  ShortCut = shortCut;
  const std::string text = FormatShortCut(shortCut);
  Action->setText(text.empty() ? Caption : Caption + u'\t' + platform::ToQString(text));
}

void SetActionShortCutText(TKyCommand& command, std::string_view text) {
  const std::vector<std::string> items = FromCommaText(text);
  command.SecondaryShortCuts.clear();
  if (items.empty()) {
    command.SetShortCut(0);
    return;
  }
  command.SetShortCut(ParseShortCut(items.front()));
  for (size_t i = 1; i < items.size(); ++i) command.SecondaryShortCuts.push_back(ParseShortCut(items[i]));
}

std::string GetActionShortCutText(const TKyCommand& command) {
  std::string primary = FormatShortCut(command.ShortCut);
  if (primary.empty()) return std::string();
  std::vector<std::string> items{std::move(primary)};
  for (platform::TShortCut code : command.SecondaryShortCuts) items.push_back(FormatShortCut(code));
  return ToCommaText(items);
}

void TCommandList::Refresh(TCommandCategory category) {
  for (const auto& command : commands_)
    if (command->Category == category) command->Action->setEnabled(command->EnabledRule());
}

void TCommandList::RefreshAll() {
  for (const auto& command : commands_) command->Action->setEnabled(command->EnabledRule());
}

bool TCommandList::Dispatch(platform::TShortCut code) {
  for (const auto& command : commands_) {
    if (!command->Has(code)) continue;
    if (!command->Action->isEnabled()) return false;
    command->Action->trigger();
    return true;
  }
  return false;
}

}  // namespace tansa2
