#include "session/ui/Commands.h"

#include <QKeySequence>
#include <algorithm>

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
  command->Category = category;
  command->EnabledRule = std::move(enabledRule);
  SetShortCut(*command, shortCut);
  commands_.push_back(std::move(command));
  return *commands_.back();
}

void TCommandList::SetShortCut(TKyCommand& command, platform::TShortCut shortCut) {
  command.ShortCut = shortCut;
  const QString text = ShortCutText(shortCut);
  command.Action->setText(text.isEmpty() ? command.Caption : command.Caption + u'\t' + text);
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

QString ShortCutText(platform::TShortCut code) {
  if (code == 0) return QString();
  return QKeySequence(platform::KeyCombinationFromShortCut(code)).toString(QKeySequence::PortableText);
}

}  // namespace tansa2
