#include "controls/ui/KyFlatFrAbout.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/ui/KyFlatFrAbout2.h"
#include "platform/ui/QtText.h"

namespace tansa2 {

TKyFlatFormAbout::TKyFlatFormAbout(QWidget* parent)
    : TKyFlatFormAboutBase(parent, QSize(305, 201), " のバージョン情報") {
  SetTitle(VerInfo.ProductName());
  ImageIcon->setToolTip(QString::fromUtf8("ダブルクリックで詳細情報を表示"));
  ImageIcon->installEventFilter(this);

  auto* LabelVersion = new QLabel(platform::ToQString("Version " + VerInfo.ProductVersion()), this);
  LabelVersion->setObjectName(QStringLiteral("LabelVersion"));
  auto* LabelCopyright = new QLabel(platform::ToQString(VerInfo.LegalCopyright()), this);
  LabelCopyright->setObjectName(QStringLiteral("LabelCopyright"));
  LabelCopyright->setWordWrap(true);
  // The lines stand under the title, beside the icon's column.
  auto* lines = new QVBoxLayout;
  lines->setContentsMargins(44, 0, 0, 0);
  lines->addWidget(LabelVersion);
  lines->addWidget(LabelCopyright);
  Body().addLayout(lines);
  Body().addStretch(1);
  AddOkButton();
}

void TKyFlatFormAbout::ImageIconDblClick() {
  hide();
  {
    TKyFlatFormAbout2 detail(parentWidget());
    detail.SetTitleString(TitleString());
    detail.exec();
  }
  accept();
}

bool TKyFlatFormAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ImageIcon && event->type() == QEvent::MouseButtonDblClick) {
    ImageIconDblClick();
    return true;
  }
  return TKyFlatFormAboutBase::eventFilter(watched, event);
}

void TKyFlatFormAbout::keyPressEvent(QKeyEvent* event) {
  // The OK button is the cancel button too: Esc closes with OK.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    accept();
    return;
  }
  TKyFlatFormAboutBase::keyPressEvent(event);
}

}  // namespace tansa2
