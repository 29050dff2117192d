#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/ui/Colors.h"
#include "results/ui/KyGrepResult.h"
#include "settings/IniFileEx.h"
#include "settings/ui/GrepResultSettings.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

// The list's section read onto the list, and written from it.
TEST(GrepResultSettingsTest, ReadsTheKeysItFindsKeepsTheRestAndWritesThemAll) {
  testing::QtApp();
  testing::TTempDir dir;
  const std::string file =
      dir.Write("a.ini", "[GrepResult]\r\nFontSize=15\r\nColor=clBlue\r\nMatchBkColor=$00123456\r\nShowGridLine=1\r\n"
                         "DoubleBuffered=1\r\nWheelScrollLine=abc\r\nSaveType=2\r\nTitleWidths1=77\r\n"
                         "TitleCaptions2=Text\r\n");
  TKyGrepResult list;
  list.SetWheelScrollLine(100);
  const TIniFileEx ini(file);
  ApplyGrepResultSettings(list, ReadGrepResult(ini, GrepResultSettings(list)));
  EXPECT_EQ(list.font().pointSize(), 15);
  EXPECT_EQ(list.Color(), platform::clBlue);
  EXPECT_EQ(list.ColorMatchBk(), 0x00123456u);
  EXPECT_EQ(list.ColorMatch(), platform::clBlue);  // absent: as it was
  EXPECT_TRUE(list.ShowGridLine());
  EXPECT_TRUE(list.DoubleBuffered());
  EXPECT_EQ(list.WheelScrollLine(), 100);  // unreadable: as it was
  EXPECT_EQ(list.SaveType(), 2);
  EXPECT_EQ(list.TitleWidths(0), 140);
  EXPECT_EQ(list.TitleWidths(1), 77);
  EXPECT_EQ(list.TitleCaptions()[2], "Text");
  EXPECT_EQ(list.TitleCaptions()[0], platform::Utf8ToCp932("ファイル名"));

  TIniFileEx out(dir.String() + "/b.ini");
  WriteGrepResult(out, GrepResultSettings(list));
  const std::string text = out.Text();
  const size_t section = text.find("[GrepResult]\r\nFontName=");
  ASSERT_NE(section, std::string::npos) << text;
  EXPECT_NE(text.find("FontSize=15\r\nFontColor=clWindowText\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Color=clBlue\r\nBorderColor=clBtnShadow\r\nFixedColor=clBtnFace\r\nSelColor=clHighlightText\r\n"
                      "SelBkColor=clHighlight\r\nMatchColor=clBlue\r\nMatchBkColor=$00123456\r\nShowFileNameOnly=0\r\n"
                      "ShowGridLine=1\r\nDoubleBuffered=1\r\nWheelScrollLine=100\r\nRightClickSelect=1\r\n"
                      "HorizontalScroll=0\r\nSaveType=2\r\nTitleWidths0=140\r\nTitleWidths1=77\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("TitleCaptions2=Text\r\n"), std::string::npos);

  TKyGrepResult again;
  ApplyGrepResultSettings(again, ReadGrepResult(out, GrepResultSettings(again)));
  EXPECT_EQ(again.ColorMatchBk(), 0x00123456u);
  EXPECT_EQ(again.TitleWidths(1), 77);
  EXPECT_EQ(again.font().pointSize(), 15);
}

}  // namespace
}  // namespace tansa2
