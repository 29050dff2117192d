#include <gtest/gtest.h>

#include <QtGlobal>
#include <string>

#include "controls/ui/KyVerInfo.h"
#include "platform/CodePage.h"

namespace tansa2 {
namespace {

using namespace std::string_literals;

TEST(KyVerInfoTest, ValueIsTrimmedAndEndsAtTheFirstZeroByte) {
  const std::string so = platform::Utf8ToCp932("ソ");  // its trail byte is a backslash
  const TKyVerInfo info({{"ProductName", " \t TANSA2 \r\n"},
                         {"Comments", "first\0second"s},
                         {"FileDescription", "\x01" + so + "\x1F"},
                         {"CompanyName", "   "},
                         {"LegalCopyright", "(C) one"},
                         {"LegalCopyright", "(C) two"}});
  const std::pair<std::string, std::string> cases[] = {
      {info.ProductName(), "TANSA2"},   {info.Comments(), "first"},  {info.FileDescription(), so},
      {info.CompanyName(), ""},         {info.LegalCopyright(), "(C) one"},
      {info.LegalTrademarks(), ""},     {info.Value("productname"), ""},  // keys keep their case
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(value, expected);
}

TEST(KyVerInfoTest, ProgramValuesComeFromTheBuild) {
  const TKyVerInfo info;
  EXPECT_EQ(info.ProductName(), "TANSA2");
  EXPECT_EQ(info.ProductVersion(), TANSA2_VERSION);
  EXPECT_EQ(info.FileVersion(), TANSA2_VERSION);
  EXPECT_EQ(info.LegalCopyright().rfind("Copyright (C) ", 0), 0u);
  EXPECT_FALSE(info.FileDescription().empty());
  EXPECT_NE(info.DevelopTool().find("Qt " QT_VERSION_STR), std::string::npos);
  EXPECT_GT(info.DevelopTool().find("Qt "), 0u);  // the compiler comes first
  EXPECT_EQ(info.OriginalFilename(), "tansa2");
}

}  // namespace
}  // namespace tansa2
