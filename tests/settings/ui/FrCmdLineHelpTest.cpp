#include "settings/ui/FrCmdLineHelp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeWidget>

#include "platform/CodePage.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

TEST(FrCmdLineHelpTest, ListsTheKeywordsAndThePresets) {
  testing::QtApp();
  QWidget owner;
  QFont font = owner.font();
  font.setPointSize(13);
  owner.setFont(font);
  TFormCmdLineHelp help(&owner);
  EXPECT_EQ(help.windowTitle(), QStringLiteral("エディタの起動パラメータについて"));
  EXPECT_EQ(help.size(), QSize(315, 210));
  EXPECT_EQ(help.font().pointSize(), 13);
  auto* list = help.findChild<QTreeWidget*>(QStringLiteral("ListViewEditor"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("エディタ"));
  EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("起動パラメータ"));
  EXPECT_EQ(list->columnWidth(0), 110);
  EXPECT_FALSE(list->header()->sectionsClickable());
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);

  const std::vector<std::pair<QString, QString>> expected = {
      {"秀丸エディタ", "/j%L %F"}, {"EｍEditor", "/l %L %F"},  {"K2Editor", "/j%L %F"},
      {"TeraPad", "/j=%L %F"},    {"KyEditor", "%F/%L/%S"},  {"gedit", "+%L %F"},
      {"Kate", "--line %L %F"},   {"Visual Studio Code", "-g %F:%L"}, {"Vim", "+%L %F"},
      {"Emacs", "+%L %F"}};
  ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    EXPECT_EQ(list->topLevelItem(i)->text(0), expected[i].first);
    EXPECT_EQ(list->topLevelItem(i)->text(1), expected[i].second);
    EXPECT_FALSE(list->topLevelItem(i)->icon(0).isNull());
  }
  EXPECT_TRUE(help.CmdLine().empty());
}

TEST(FrCmdLineHelpTest, ADoubleClickedRowIsTheChosenTemplate) {
  testing::QtApp();
  TFormCmdLineHelp help;
  help.show();
  auto* list = help.findChild<QTreeWidget*>(QStringLiteral("ListViewEditor"));
  ASSERT_NE(list, nullptr);
  list->scrollToItem(list->topLevelItem(3));
  const QPointF point = list->visualItemRect(list->topLevelItem(3)).center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, point, list->viewport()->mapToGlobal(point), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
  }
  EXPECT_EQ(help.result(), QDialog::Accepted);
  EXPECT_FALSE(help.isVisible());
  EXPECT_EQ(help.CmdLine(), "/j=%L %F");
}

}  // namespace
}  // namespace tansa2
