#pragma once
// Matches one pattern of the form m/.../k[i] against one line and tells
// where the first match lies. The compiled pattern is kept until another
// pattern comes.
#include <stdexcept>
#include <string>
#include <string_view>

#include "bregexp/bregexp.h"

namespace tansa2 {

class EBRegExpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TBRegExp {
 public:
  TBRegExp() = default;
  ~TBRegExp();
  TBRegExp(const TBRegExp&) = delete;
  TBRegExp& operator=(const TBRegExp&) = delete;

  // > 0 on a match. Throws EBRegExpError with the library's message.
  int Match(const std::string& Pattern, std::string_view Text);
  // 1-based byte position and byte length of the last match.
  int MatchPos() const;
  int MatchLen() const;

 private:
  BRegexpCompiled* compiled_ = nullptr;
  bool matched_ = false;
  const char* textStart_ = nullptr;
};

}  // namespace tansa2
