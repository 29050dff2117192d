#pragma once
// The program's version values (product name, version, copyright and the
// others), looked up by key. They are compiled into the program from the
// project's settings; absent keys read as empty.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tansa2 {

class TKyVerInfo {
 public:
  using TBlock = std::vector<std::pair<std::string, std::string>>;

  // The running program's values.
  TKyVerInfo();
  // The values of `block`, keys and values in CP932.
  explicit TKyVerInfo(TBlock block);

  // The key's value up to its first zero byte, without blanks and control
  // characters at either end; empty when the key is absent.
  std::string Value(std::string_view key) const;

  std::string Comments() const { return Value("Comments"); }
  std::string CompanyName() const { return Value("CompanyName"); }
  std::string FileDescription() const { return Value("FileDescription"); }
  std::string FileVersion() const { return Value("FileVersion"); }
  std::string InternalName() const { return Value("InternalName"); }
  std::string LegalCopyright() const { return Value("LegalCopyright"); }
  std::string LegalTrademarks() const { return Value("LegalTrademarks"); }
  std::string OriginalFilename() const { return Value("OriginalFilename"); }
  std::string ProductName() const { return Value("ProductName"); }
  std::string ProductVersion() const { return Value("ProductVersion"); }
  std::string DevelopTool() const { return Value("DevelopTool"); }

 private:
  TBlock block_;
};

}  // namespace tansa2
