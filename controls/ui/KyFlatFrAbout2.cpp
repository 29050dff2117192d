#include "controls/ui/KyFlatFrAbout2.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/ui/QtText.h"

namespace tansa2 {
namespace {

struct TVersionKey {
  const char* Label;
  const char* Key;
};

// Two labels keep their old spelling; the keys are the standard ones.
constexpr TVersionKey kVersionKeys[] = {
    {"Comments", "Comments"},
    {"CompanyName", "CompanyName"},
    {"FileDescription", "FileDescription"},
    {"FileVersion", "FileVersion"},
    {"InternalName", "InternalName"},
    {"LeagalCopyright", "LegalCopyright"},
    {"LeagalTrademarks", "LegalTrademarks"},
    {"OriginalFilename", "OriginalFilename"},
    {"ProductName", "ProductName"},
    {"ProductVersion", "ProductVersion"},
    {"DevelopTool", "DevelopTool"},
};
constexpr int kRowHeight = 16;

}  // namespace

TKyFlatFormAbout2::TKyFlatFormAbout2(QWidget* parent)
    : TKyFlatFormAboutBase(parent, QSize(382, 273), " のバージョン詳細情報") {
  SetTitle(VerInfo.FileDescription());

  KyFlatListBoxAbout = new QListWidget(this);
  KyFlatListBoxAbout->setObjectName(QStringLiteral("KyFlatListBoxAbout"));
  KyFlatListBoxAbout->setUniformItemSizes(true);
  int widest = 0;
  for (const TVersionKey& key : kVersionKeys) {
    const QString label = QString::fromLatin1(key.Label);
    widest = std::max(widest, KyFlatListBoxAbout->fontMetrics().horizontalAdvance(label));
    auto* item = new QListWidgetItem(label, KyFlatListBoxAbout);
    item->setSizeHint(QSize(-1, kRowHeight));
  }
  // Wide enough for every label beside a scroll bar.
  KyFlatListBoxAbout->setFixedWidth(widest + 12 + 2 * KyFlatListBoxAbout->frameWidth() +
                                    style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  KyFlatMemoAbout = new QPlainTextEdit(this);
  KyFlatMemoAbout->setObjectName(QStringLiteral("KyFlatMemoAbout"));
  KyFlatMemoAbout->setReadOnly(true);
  connect(KyFlatListBoxAbout, &QListWidget::itemSelectionChanged, this,
          &TKyFlatFormAbout2::KyFlatListBoxAboutClick);

  auto* keys = new QHBoxLayout;
  keys->addWidget(KyFlatListBoxAbout);
  keys->addWidget(KyFlatMemoAbout, 1);
  Body().addLayout(keys, 1);
  AddOkButton();

  KyFlatListBoxAbout->setCurrentRow(0);
}

void TKyFlatFormAbout2::KyFlatListBoxAboutClick() {
  const QList<QListWidgetItem*> selected = KyFlatListBoxAbout->selectedItems();
  const int row = selected.isEmpty() ? -1 : KyFlatListBoxAbout->row(selected.front());
  KyFlatMemoAbout->setPlainText(row < 0 ? QString() : platform::ToQString(VerInfo.Value(kVersionKeys[row].Key)));
}

}  // namespace tansa2
