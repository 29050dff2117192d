#pragma once
// The main window's search panel: the four history fields with their
// labels and the four check boxes, laid out in six rows, and the one place
// that binds them to the search parameters and to the settings groups.
#include <QWidget>
#include <array>
#include <vector>

#include "session/GrepRun.h"
#include "settings/SettingsGroups.h"
#include "settings/SettingsSections.h"

class QCheckBox;
class QLabel;

namespace tansa2 {

class TKyHistoryComboBox;

class TSearchPanel : public QWidget {
 public:
  explicit TSearchPanel(QWidget* parent = nullptr);

  // The four fields, in tab order.
  std::array<TKyHistoryComboBox*, 4> Fields() const;
  // The four fields and the four check boxes, in tab order.
  std::array<QWidget*, 8> Controls() const;
  // The first of the search string, directory and file mask fields that
  // shows no text; nullptr when all three do.
  TKyHistoryComboBox* FirstEmptyField() const;
  // The field that holds `field`; nullptr for none.
  TKyHistoryComboBox* Field(TGrepField field) const;

  // The search parameters as the fields and boxes hold them, and back.
  TGrepParam ReadGrepParam() const;
  void ApplyGrepParam(const TGrepParam& param);
  // Checks and trims `param`, read from the fields, and puts the trimmed
  // texts back into them. A refused search beeps and puts the focus on the
  // field at fault; `refusal` then tells why where the beep isn't enough.
  // An accepted one adds each field's text to its history.
  bool CheckGrepInput(TGrepParam& param, QString& refusal);
  // The check boxes as section Grep stores them.
  TGrepOptions ReadGrepOptions() const;
  void ApplyGrepOptions(const TGrepOptions& options);
  // `grep` with the fields' histories as comma text; applying sets the
  // histories with the group's completion and length.
  TGrepInfo ReadGrepInfo(TGrepInfo grep) const;
  void ApplyGrepInfo(const TGrepInfo& grep);
  // `texts` with the newest history entry of each field whose switch in
  // `grep` asks to start with it.
  TGrepParam NewestTexts(const TGrepInfo& grep, TGrepParam texts) const;

  TKyHistoryComboBox* KyFlatComboBoxExGrepStr = nullptr;
  TKyHistoryComboBox* KyFlatComboBoxExGrepDir = nullptr;
  TKyHistoryComboBox* KyFlatComboBoxExGrepFileMask = nullptr;
  TKyHistoryComboBox* KyFlatComboBoxExGrepDirMask = nullptr;
  QCheckBox* KyFlatCheckBoxGrepSubDir = nullptr;
  QCheckBox* KyFlatCheckBoxGrepMatchCase = nullptr;
  QCheckBox* KyFlatCheckBoxGrepNoRegExp = nullptr;
  QCheckBox* KyFlatCheckBoxGrepAutoCode = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOut();

  std::vector<QLabel*> labels_;  // beside the four fields, in their order
};

}  // namespace tansa2
