#pragma once
// The history combo box of the search fields: an editable text with a
// drop-down list of earlier entries, newest first, and optional completion
// of typed text from that list. Texts are the program's CP932 strings; a
// box that holds names (directories, masks) keeps them in their CP932 form
// and shows their true characters.
#include <QComboBox>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tansa2 {

class TKyHistoryComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TKyHistoryComboBox(QWidget* parent = nullptr);

  bool HoldsNames() const { return holdsNames_; }
  void SetHoldsNames(bool value) { holdsNames_ = value; }

  std::string Text() const;
  void SetText(const std::string& text);

  std::vector<std::string> Items() const;
  void SetItems(const std::vector<std::string>& items);
  // Enters the current text at the top of the list (see HistoryList.h).
  void AddHistory();

  uint16_t MaxHistory() const { return maxHistory_; }
  // Drops entries beyond the new limit at once; the field's text stays.
  void SetMaxHistory(uint16_t value);
  bool Complete() const { return complete_; }
  void SetComplete(bool value) { complete_ = value; }
  uint16_t MinLengthComplete() const { return minLengthComplete_; }
  void SetMinLengthComplete(uint16_t value) { minLengthComplete_ = value; }

  bool DroppedDown() const;
  // Height of one row of the drop-down list: the font's height plus an
  // eighth of it, less 2.
  int DropDownRowHeight() const;
  void showPopup() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TextEdited(const QString& text);
  QString Shown(std::string_view text) const;
  std::string Held(const QString& shown) const;

  bool holdsNames_ = false;
  uint16_t maxHistory_ = 32;
  bool complete_ = false;
  uint16_t minLengthComplete_ = 0;
  uint16_t lastKey_ = 0;  // virtual-key code of the last key pressed in the field
};

}  // namespace tansa2
