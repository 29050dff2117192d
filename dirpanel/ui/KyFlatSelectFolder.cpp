#include "dirpanel/ui/KyFlatSelectFolder.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>
#include <vector>

#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/NameForm.h"
#include "platform/FileIO.h"
#include "platform/ui/QtText.h"

namespace tansa2 {
namespace {

constexpr int kClientWidth = 401;
constexpr int kClientHeight = 297;
constexpr int kIndent = 19;

std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    if (end > start && path.compare(start, end - start, ".") != 0)
      parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string CurrentDirectory() {
  std::error_code error;
  return platform::Cp932FormOfName(std::filesystem::current_path(error).string());
}

bool IsExistingDir(const std::string& path) {
  return path.starts_with('/') && platform::DirectoryExists(path);
}

}  // namespace

std::string RelativeDirPath(const std::string& dir, const std::string& base) {
  const std::vector<std::string> to = Parts(dir);
  const std::vector<std::string> from = Parts(base);
  size_t common = 0;
  while (common < to.size() && common < from.size() && to[common] == from[common]) ++common;
  std::string relative;
  for (size_t i = common; i < from.size(); ++i) relative += "../";
  for (size_t i = common; i < to.size(); ++i) relative += to[i] + "/";
  return relative.empty() ? "./" : relative;
}

TKyFlatFormSelectFolder::TKyFlatFormSelectFolder(const QString& caption, const QString& prompt,
                                                 bool relativePath, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TKyFlatFormSelectFolder"));
  setWindowTitle(caption);
  setFixedSize(kClientWidth, kClientHeight);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(new QLabel(prompt, this));
  KyFlatDirView = new TKyFlatDirView(this);
  KyFlatDirView->setObjectName(QStringLiteral("KyFlatDirView"));
  KyFlatDirView->SetBorderColor(platform::clBtnShadow);
  KyFlatDirView->SetNoBorder(false);
  KyFlatDirView->setIndentation(kIndent);
  layout->addWidget(KyFlatDirView, 1);
  CheckBoxRelativePath = new QCheckBox(QStringLiteral("相対パスに変換する"), this);
  CheckBoxRelativePath->setObjectName(QStringLiteral("CheckBoxRelativePath"));
  CheckBoxRelativePath->setVisible(relativePath);
  layout->addWidget(CheckBoxRelativePath);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ButtonOk = new QPushButton(QStringLiteral("選択"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonOk->setEnabled(false);
  ButtonCancel = new QPushButton(QStringLiteral("キャンセル"), this);
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);
  layout->addLayout(buttons);
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

  KyFlatDirView->OnChange = [this](const std::string& dir) { ButtonOk->setEnabled(IsExistingDir(dir)); };
  KyFlatDirView->Rebuild();
}

void TKyFlatFormSelectFolder::SelectDir(const std::string& dir) {
  if (dir.empty()) return;
  KyFlatDirView->SetSelectedDir(dir.starts_with('/') ? dir : CurrentDirectory() + "/" + dir);
}

std::string TKyFlatFormSelectFolder::ChosenDir(const std::string& baseDir) const {
  const std::string dir = KyFlatDirView->GetSelectedDir();
  return CheckBoxRelativePath->isChecked() ? RelativeDirPath(dir, baseDir) : dir;
}

bool TKyFlatSelectFolder::Execute(QWidget* parent) {
  const std::string base = CurrentDir.empty() ? CurrentDirectory() : CurrentDir;
  TKyFlatFormSelectFolder form(
      CaptionString.empty() ? QStringLiteral("フォルダ選択") : platform::ToQString(CaptionString),
      TitleString.empty() ? QStringLiteral("フォルダを選択してください。") : platform::ToQString(TitleString),
      RelativePath, parent);
  form.setFont(Font);
  form.SelectDir(SelectDir);
  if (form.exec() != QDialog::Accepted) return false;
  SelectDir = form.ChosenDir(base);
  return true;
}

}  // namespace tansa2
