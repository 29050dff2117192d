#include "engine/BRegExp.h"

namespace tansa2 {

TBRegExp::~TBRegExp() { BRegfree(compiled_); }

int TBRegExp::Match(const std::string& Pattern, std::string_view Text) {
  if (compiled_ && Pattern != compiled_->pattern) {
    BRegfree(compiled_);
    compiled_ = nullptr;
  }
  char message[BREGEXP_MESSAGE_SIZE] = {};
  matched_ = false;
  // An empty line is searched as an empty range, so that no pattern finds a
  // character in it; the pointer only has to be valid.
  static const char kEmpty = '\0';
  const char* text = Text.empty() ? &kEmpty : Text.data();
  const int result = BMatch(Pattern.c_str(), text, text + Text.size(), &compiled_, message);
  if (message[0] != '\0') throw EBRegExpError(message);
  matched_ = result > 0;
  textStart_ = text;
  return result;
}

int TBRegExp::MatchPos() const {
  if (!matched_) throw EBRegExpError("no match pos");
  return static_cast<int>(compiled_->startp[0] - textStart_) + 1;
}

int TBRegExp::MatchLen() const {
  if (!matched_) throw EBRegExpError("no match length");
  return static_cast<int>(compiled_->endp[0] - compiled_->startp[0]);
}

}  // namespace tansa2
