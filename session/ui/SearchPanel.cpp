#include "session/ui/SearchPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <algorithm>
#include <optional>

#include "platform/CodePage.h"
#include "platform/ui/Feedback.h"
#include "results/CommaText.h"
#include "settings/ui/KyHistoryComboBox.h"

namespace tansa2 {
namespace {

constexpr int kSearchPanelHeight = 153;
constexpr int kFieldLeft = 136;
constexpr int kFieldRightMargin = 6;
constexpr int kLabelLeft = 8;
constexpr int kRowTop = 5;
constexpr int kRowPitch = 24;
constexpr int kBoxSpacing = 12;

// Each field once: its control, its search parameter, and in section Grep
// its history and the switch that starts it with its newest entry.
struct TTextField {
  TKyHistoryComboBox* TSearchPanel::*Box;
  std::string TGrepParam::*Param;
  std::string TGrepInfo::*History;
  bool TGrepInfo::*StartWithNewest;
};
const TTextField kTextFields[] = {
    {&TSearchPanel::KyFlatComboBoxExGrepStr, &TGrepParam::GrepStr, &TGrepInfo::String, &TGrepInfo::LastString},
    {&TSearchPanel::KyFlatComboBoxExGrepDir, &TGrepParam::GrepDir, &TGrepInfo::Directory, &TGrepInfo::LastDirectory},
    {&TSearchPanel::KyFlatComboBoxExGrepFileMask, &TGrepParam::FileMask, &TGrepInfo::FileMask,
     &TGrepInfo::LastFileMask},
    {&TSearchPanel::KyFlatComboBoxExGrepDirMask, &TGrepParam::DirMask, &TGrepInfo::DirectoryMask,
     &TGrepInfo::LastDirectoryMask}};

// Each check box once: its control, its search parameter and its option in
// section Grep.
struct TCheckField {
  QCheckBox* TSearchPanel::*Box;
  bool TGrepParam::*Param;
  bool TGrepOptions::*Option;
};
const TCheckField kCheckFields[] = {
    {&TSearchPanel::KyFlatCheckBoxGrepSubDir, &TGrepParam::SubDir, &TGrepOptions::SubDirectory},
    {&TSearchPanel::KyFlatCheckBoxGrepMatchCase, &TGrepParam::MatchCase, &TGrepOptions::MatchCase},
    {&TSearchPanel::KyFlatCheckBoxGrepNoRegExp, &TGrepParam::NoRegExp, &TGrepOptions::NoRegExp},
    {&TSearchPanel::KyFlatCheckBoxGrepAutoCode, &TGrepParam::AutoCode, &TGrepOptions::AutoCode}};

// Why a search string is refused: which character CP932 can't hold.
QString UnholdableCharacterText(char32_t character) {
  return QStringLiteral("検索文字列の「%1」(U+%2) は Shift-JIS で表せません。")
      .arg(QString::fromUcs4(&character, 1),
           QString::number(static_cast<uint>(character), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

}  // namespace

TSearchPanel::TSearchPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PanelGrep"));
  setFixedHeight(kSearchPanelHeight);
  setContentsMargins(0, 0, kFieldRightMargin, 0);

  const auto field = [this](TKyHistoryComboBox*& box, const char* name, const char* label) {
    box = new TKyHistoryComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    auto* caption = new QLabel(QString::fromUtf8(label), this);
    caption->setBuddy(box);
    labels_.push_back(caption);
  };
  const auto checkBox = [this](QCheckBox*& box, const char* name, const char* caption) {
    box = new QCheckBox(QString::fromUtf8(caption), this);
    box->setObjectName(QString::fromLatin1(name));
  };
  // Created in tab order.
  field(KyFlatComboBoxExGrepStr, "KyFlatComboBoxExGrepStr", "検索文字列(&S)");
  field(KyFlatComboBoxExGrepDir, "KyFlatComboBoxExGrepDir", "検索ディレクトリ(&D)");
  field(KyFlatComboBoxExGrepFileMask, "KyFlatComboBoxExGrepFileMask", "ファイルマスク(&M)");
  checkBox(KyFlatCheckBoxGrepSubDir, "KyFlatCheckBoxGrepSubDir", "サブディレクトリも検索対象(&B)");
  field(KyFlatComboBoxExGrepDirMask, "KyFlatComboBoxExGrepDirMask", "ディレクトリマスク(&K)");
  checkBox(KyFlatCheckBoxGrepMatchCase, "KyFlatCheckBoxGrepMatchCase", "大文字・小文字を区別する(&C)");
  checkBox(KyFlatCheckBoxGrepNoRegExp, "KyFlatCheckBoxGrepNoRegExp", "正規表現を使用しない(&N)");
  checkBox(KyFlatCheckBoxGrepAutoCode, "KyFlatCheckBoxGrepAutoCode", "文字コードを自動判別する(&A)");

  const std::array<QWidget*, 8> order = Controls();
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  for (TKyHistoryComboBox* box : {KyFlatComboBoxExGrepDir, KyFlatComboBoxExGrepFileMask, KyFlatComboBoxExGrepDirMask})
    box->SetHoldsNames(true);
  // Files on this desktop are UTF-8, which raw reading finds no Japanese
  // in: without a stored choice the search detects each file's code.
  KyFlatCheckBoxGrepAutoCode->setChecked(true);

  connect(KyFlatCheckBoxGrepSubDir, &QCheckBox::toggled, KyFlatComboBoxExGrepDirMask,
          &QWidget::setEnabled);
  LayOut();
}

std::array<TKyHistoryComboBox*, 4> TSearchPanel::Fields() const {
  return {KyFlatComboBoxExGrepStr, KyFlatComboBoxExGrepDir, KyFlatComboBoxExGrepFileMask,
          KyFlatComboBoxExGrepDirMask};
}

std::array<QWidget*, 8> TSearchPanel::Controls() const {
  return {KyFlatComboBoxExGrepStr,     KyFlatComboBoxExGrepDir,    KyFlatComboBoxExGrepFileMask,
          KyFlatCheckBoxGrepSubDir,    KyFlatComboBoxExGrepDirMask, KyFlatCheckBoxGrepMatchCase,
          KyFlatCheckBoxGrepNoRegExp, KyFlatCheckBoxGrepAutoCode};
}

TKyHistoryComboBox* TSearchPanel::FirstEmptyField() const {
  for (TKyHistoryComboBox* box : {KyFlatComboBoxExGrepStr, KyFlatComboBoxExGrepDir, KyFlatComboBoxExGrepFileMask})
    if (box->currentText().isEmpty()) return box;
  return nullptr;
}

TKyHistoryComboBox* TSearchPanel::Field(TGrepField field) const {
  switch (field) {
    case TGrepField::GrepStr: return KyFlatComboBoxExGrepStr;
    case TGrepField::GrepDir: return KyFlatComboBoxExGrepDir;
    case TGrepField::FileMask: return KyFlatComboBoxExGrepFileMask;
    case TGrepField::None: break;
  }
  return nullptr;
}

TGrepParam TSearchPanel::ReadGrepParam() const {
  TGrepParam param;
  for (const TTextField& field : kTextFields) param.*field.Param = (this->*field.Box)->Text();
  for (const TCheckField& field : kCheckFields) param.*field.Param = (this->*field.Box)->isChecked();
  return param;
}

void TSearchPanel::ApplyGrepParam(const TGrepParam& param) {
  for (const TTextField& field : kTextFields) (this->*field.Box)->SetText(param.*field.Param);
  for (const TCheckField& field : kCheckFields) (this->*field.Box)->setChecked(param.*field.Param);
}

bool TSearchPanel::CheckGrepInput(TGrepParam& param, QString& refusal) {
  // A character CP932 lacks would become "?", a quantifier in a pattern.
  const QByteArray typed = KyFlatComboBoxExGrepStr->currentText().toUtf8();
  if (const std::optional<char32_t> lacked =
          platform::FirstCharacterCp932Lacks(std::string_view(typed.constData(), static_cast<size_t>(typed.size())))) {
    platform::Beep();
    KyFlatComboBoxExGrepStr->setFocus();
    refusal = UnholdableCharacterText(*lacked);
    return false;
  }
  const TGrepField failed = tansa2::CheckGrepInput(param);
  // The trimmed texts stay in the fields, also when the check fails.
  for (const TTextField& field : kTextFields) {
    TKyHistoryComboBox* box = this->*field.Box;
    if (box->Text() != param.*field.Param) box->SetText(param.*field.Param);
  }
  if (TKyHistoryComboBox* focus = Field(failed)) {
    platform::Beep();
    focus->setFocus();
    return false;
  }
  for (TKyHistoryComboBox* box : Fields()) box->AddHistory();
  return true;
}

TGrepOptions TSearchPanel::ReadGrepOptions() const {
  TGrepOptions options;
  for (const TCheckField& field : kCheckFields) options.*field.Option = (this->*field.Box)->isChecked();
  return options;
}

void TSearchPanel::ApplyGrepOptions(const TGrepOptions& options) {
  for (const TCheckField& field : kCheckFields) (this->*field.Box)->setChecked(options.*field.Option);
}

TGrepInfo TSearchPanel::ReadGrepInfo(TGrepInfo grep) const {
  for (const TTextField& field : kTextFields) grep.*field.History = ToCommaText((this->*field.Box)->Items());
  return grep;
}

void TSearchPanel::ApplyGrepInfo(const TGrepInfo& grep) {
  for (const TTextField& field : kTextFields) {
    TKyHistoryComboBox* box = this->*field.Box;
    box->SetItems(FromCommaText(grep.*field.History));
    box->SetComplete(grep.AutoComplete);
    box->SetMaxHistory(static_cast<uint16_t>(grep.MaxHistory));
  }
}

TGrepParam TSearchPanel::NewestTexts(const TGrepInfo& grep, TGrepParam texts) const {
  for (const TTextField& field : kTextFields) {
    const TKyHistoryComboBox* box = this->*field.Box;
    if (grep.*field.StartWithNewest && box->count() > 0) texts.*field.Param = box->Items().front();
  }
  return texts;
}

void TSearchPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

// Six rows: three fields, the sub-directory box, the directory mask, and the
// other three boxes side by side. Every field ends at the panel's right edge.
void TSearchPanel::LayOut() {
  const int fieldHeight = KyFlatComboBoxExGrepStr->sizeHint().height();
  const int right = contentsRect().right() + 1;
  const int fieldWidth = std::max(right - kFieldLeft, 40);
  const auto rowTop = [](int row) { return kRowTop + row * kRowPitch; };
  const auto placeField = [&](TKyHistoryComboBox* box, QLabel* label, int row) {
    box->setGeometry(kFieldLeft, rowTop(row), fieldWidth, fieldHeight);
    const int labelHeight = label->sizeHint().height();
    label->setGeometry(kLabelLeft, rowTop(row) + (fieldHeight - labelHeight) / 2,
                       kFieldLeft - kLabelLeft - 4, labelHeight);
  };
  const auto placeBox = [&](QCheckBox* box, int left, int row) {
    const QSize size = box->sizeHint();
    box->setGeometry(left, rowTop(row) + (fieldHeight - size.height()) / 2, size.width(), size.height());
    return left + size.width() + kBoxSpacing;
  };
  placeField(KyFlatComboBoxExGrepStr, labels_[0], 0);
  placeField(KyFlatComboBoxExGrepDir, labels_[1], 1);
  placeField(KyFlatComboBoxExGrepFileMask, labels_[2], 2);
  placeBox(KyFlatCheckBoxGrepSubDir, kFieldLeft, 3);
  placeField(KyFlatComboBoxExGrepDirMask, labels_[3], 4);
  // The row of three boxes starts under the fields, or further left when the
  // panel is too narrow to show them whole there.
  const std::initializer_list<QCheckBox*> row = {KyFlatCheckBoxGrepMatchCase, KyFlatCheckBoxGrepNoRegExp,
                                                 KyFlatCheckBoxGrepAutoCode};
  int rowWidth = -kBoxSpacing;
  for (QCheckBox* box : row) rowWidth += box->sizeHint().width() + kBoxSpacing;
  int left = std::max(std::min(kFieldLeft, right - rowWidth), kLabelLeft);
  for (QCheckBox* box : row) left = placeBox(box, left, 5);
}

}  // namespace tansa2
