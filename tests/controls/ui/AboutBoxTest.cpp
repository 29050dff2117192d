#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controls/ui/KyFlatAboutDialog.h"
#include "controls/ui/KyFlatFrAbout.h"
#include "controls/ui/KyFlatFrAbout2.h"
#include "controls/ui/KyVerInfo.h"
#include "platform/ui/QtText.h"
#include "session/ui/FrTS2Main.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using testing::FindChild;

QString Text(const QWidget& box, const char* label) {
  const QLabel* found = FindChild<QLabel>(box, label);
  return found ? found->text() : QString();
}

// Runs `step` once the next modal box is up, inside its event loop.
void WhenModal(std::function<void(QWidget&)> step) {
  QTimer::singleShot(0, qApp, [step = std::move(step)] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    step(*box);
  });
}

// Every label shows its whole text at the box's designed size.
void ExpectNothingClipped(QWidget& box) {
  box.show();
  QApplication::processEvents();
  for (const QLabel* label : box.findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;
    const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
    if (!label->wordWrap()) {
      EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
    }
    EXPECT_LE(needed, label->height()) << label->objectName().toStdString();
  }
}

TEST(AboutBoxTest, ShowsTheProgramsVersionValues) {
  testing::QtApp();
  const TKyVerInfo info;
  TKyFlatFormAbout box;
  box.SetTitleString("Linux / Qt");
  EXPECT_EQ(box.windowTitle(), QApplication::applicationName() + QString::fromUtf8(" のバージョン情報"));
  EXPECT_EQ(Text(box, "LabelString"), QStringLiteral("Linux / Qt"));
  EXPECT_EQ(Text(box, "LabelTitle"), QStringLiteral("TANSA2"));
  EXPECT_EQ(Text(box, "LabelVersion"), QStringLiteral("Version " TANSA2_VERSION));
  EXPECT_EQ(Text(box, "LabelCopyright"), platform::ToQString(info.LegalCopyright()));
  const QLabel* icon = FindChild<QLabel>(box, "ImageIcon");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->toolTip(), QString::fromUtf8("ダブルクリックで詳細情報を表示"));
  EXPECT_FALSE(icon->pixmap().isNull());
  EXPECT_EQ(box.size(), QSize(305, 201));
  ExpectNothingClipped(box);
}

TEST(AboutBoxTest, DetailBoxListsTheElevenKeysAndShowsTheSelectedValue) {
  testing::QtApp();
  const TKyVerInfo info;
  TKyFlatFormAbout2 box;
  box.SetTitleString("Linux / Qt");
  EXPECT_EQ(box.windowTitle(), QApplication::applicationName() + QString::fromUtf8(" のバージョン詳細情報"));
  EXPECT_EQ(Text(box, "LabelTitle"), platform::ToQString(info.FileDescription()));
  auto* list = FindChild<QListWidget>(box, "KyFlatListBoxAbout");
  auto* memo = FindChild<QPlainTextEdit>(box, "KyFlatMemoAbout");
  ASSERT_TRUE(list && memo);
  QStringList labels;
  for (int i = 0; i < list->count(); ++i) labels << list->item(i)->text();
  EXPECT_EQ(labels.join(QLatin1Char(',')),
            QStringLiteral("Comments,CompanyName,FileDescription,FileVersion,InternalName,LeagalCopyright,"
                           "LeagalTrademarks,OriginalFilename,ProductName,ProductVersion,DevelopTool"));
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(memo->toPlainText(), platform::ToQString(info.Comments()));
  EXPECT_TRUE(memo->isReadOnly());

  const std::pair<int, std::string> rows[] = {
      {5, info.LegalCopyright()}, {6, info.LegalTrademarks()}, {8, info.ProductName()}, {10, info.DevelopTool()}};
  for (const auto& [row, value] : rows) {
    list->setCurrentRow(row);
    EXPECT_EQ(memo->toPlainText(), platform::ToQString(value)) << row;
  }
  // Each label readable beside the scroll bar.
  ExpectNothingClipped(box);
  for (int i = 0; i < list->count(); ++i)
    EXPECT_LE(list->fontMetrics().horizontalAdvance(list->item(i)->text()), list->viewport()->width() - 4) << i;

  list->clearSelection();
  EXPECT_EQ(memo->toPlainText(), QString());
  EXPECT_EQ(box.size(), QSize(382, 273));
}

TEST(AboutBoxTest, EachRunMakesANewBoxAndTellsHowItClosed) {
  testing::QtApp();
  TKyFlatAboutDialog dialog;
  dialog.TitleString = "Linux / Qt";
  EXPECT_FALSE(dialog.Show());

  struct TRun {
    const char* how;
    std::function<void(QWidget&)> close;
    bool result;
  };
  const TRun runs[] = {
      {"OK", [](QWidget& box) { FindChild<QPushButton>(box, "ButtonOK")->click(); }, true},
      {"Esc", [](QWidget& box) {
         QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(&box, &esc);
       }, true},
      {"title bar", [](QWidget& box) { box.close(); }, false},
  };
  for (const TRun& run : runs) {
    bool shownWhileOpen = false;
    QWidget* seen = nullptr;
    WhenModal([&](QWidget& box) {
      shownWhileOpen = dialog.Show();
      seen = &box;
      EXPECT_EQ(Text(box, "LabelString"), QStringLiteral("Linux / Qt"));
      run.close(box);
    });
    EXPECT_EQ(dialog.Execute(), run.result) << run.how;
    EXPECT_TRUE(shownWhileOpen);
    EXPECT_FALSE(dialog.Show());
    EXPECT_NE(seen, nullptr);
    // The box is gone with the run.
    for (QWidget* widget : QApplication::topLevelWidgets())
      EXPECT_EQ(qobject_cast<TKyFlatFormAbout*>(widget), nullptr) << run.how;
  }
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(AboutBoxTest, DoubleClickOnTheIconLeadsThroughTheDetailBoxBackToTheOwner) {
  testing::QtApp();
  TKyFlatAboutDialog dialog;
  dialog.TitleString = "Linux / Qt";
  bool detailSeen = false;
  WhenModal([&](QWidget& about) {
    WhenModal([&](QWidget& detail) {
      detailSeen = true;
      EXPECT_NE(qobject_cast<TKyFlatFormAbout2*>(&detail), nullptr);
      EXPECT_FALSE(about.isVisible());
      EXPECT_EQ(Text(detail, "LabelString"), QStringLiteral("Linux / Qt"));
      FindChild<QPushButton>(detail, "ButtonOK")->click();
    });
    QLabel* icon = FindChild<QLabel>(about, "ImageIcon");
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(8, 8), icon->mapToGlobal(QPointF(8, 8)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(icon, &click);
  });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_TRUE(detailSeen);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(AboutBoxTest, MainWindowCommandShowsTheBoxWithThePlatformTagLine) {
  testing::QtApp();
  testing::TTempDir home;
  std::optional<std::string> saved;
  if (const char* value = std::getenv("TANSA2_HOME")) saved = value;
  setenv("TANSA2_HOME", home.String().c_str(), 1);
  {
    TFormTS2Main window(std::vector<std::string>{});
    QAction* command = FindChild<QAction>(window, "ActionHelpVersion");
    ASSERT_NE(command, nullptr);
    QString tag;
    WhenModal([&](QWidget& box) {
      tag = Text(box, "LabelString");
      EXPECT_EQ(box.parentWidget(), &window);
      box.close();
    });
    command->trigger();
    EXPECT_EQ(tag, QStringLiteral("Linux / Qt"));
  }
  if (saved) setenv("TANSA2_HOME", saved->c_str(), 1);
  else unsetenv("TANSA2_HOME");
}

}  // namespace
}  // namespace tansa2
