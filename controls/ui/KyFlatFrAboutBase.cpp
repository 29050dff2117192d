#include "controls/ui/KyFlatFrAboutBase.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/ui/Colors.h"
#include "platform/ui/ProgramIcon.h"
#include "platform/ui/QtText.h"

namespace tansa2 {
namespace {

constexpr int kIconSize = 32;
constexpr uint32_t clActiveCaption = 0x80000002;

// The program's picture: the application's own icon, else the one the
// desktop gives the program file, else the style's.
QIcon ProgramPicture(const QWidget& widget) {
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull()) icon = platform::ProgramIcon(platform::FromQString(QApplication::applicationFilePath()));
  if (icon.isNull()) icon = widget.style()->standardIcon(QStyle::SP_ComputerIcon);
  return icon;
}

}  // namespace

TKyFlatFormAboutBase::TKyFlatFormAboutBase(QWidget* parent, QSize clientSize, const char* captionSuffix)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setFixedSize(clientSize);
  setWindowTitle(QApplication::applicationName() + QString::fromUtf8(captionSuffix));

  LabelString = new QLabel(this);
  LabelString->setObjectName(QStringLiteral("LabelString"));
  QFont bold = font();
  bold.setBold(true);
  LabelString->setFont(bold);
  QPalette caption = LabelString->palette();
  caption.setColor(QPalette::WindowText, platform::ToQColor(clActiveCaption, palette()));
  LabelString->setPalette(caption);

  ImageIcon = new QLabel(this);
  ImageIcon->setObjectName(QStringLiteral("ImageIcon"));
  ImageIcon->setFixedSize(kIconSize, kIconSize);
  ImageIcon->setPixmap(ProgramPicture(*this).pixmap(kIconSize, kIconSize));

  LabelTitle = new QLabel(this);
  LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
  QFont large = bold;
  large.setPointSizeF(bold.pointSizeF() > 0 ? bold.pointSizeF() * 1.6 : 14.0);
  LabelTitle->setFont(large);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 8, 10, 10);
  layout->setSpacing(6);
  layout->addWidget(LabelString);
  auto* header = new QHBoxLayout;
  header->setSpacing(12);
  header->addWidget(ImageIcon, 0, Qt::AlignTop);
  header->addWidget(LabelTitle, 1);
  layout->addLayout(header);
  body_ = new QVBoxLayout;
  layout->addLayout(body_, 1);
}

void TKyFlatFormAboutBase::AddOkButton() {
  auto* ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
  ButtonOK->setDefault(true);
  ButtonOK->setFixedWidth(75);
  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  body_->addWidget(ButtonOK, 0, Qt::AlignHCenter);
}

void TKyFlatFormAboutBase::SetTitleString(const std::string& text) {
  titleString_ = text;
  LabelString->setText(platform::ToQString(text));
}

void TKyFlatFormAboutBase::SetTitle(const std::string& text) { LabelTitle->setText(platform::ToQString(text)); }

void TKyFlatFormAboutBase::showEvent(QShowEvent* event) {
  if (const QScreen* where = screen()) move(where->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

}  // namespace tansa2
