#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bregexp/bregexp.h"

namespace {

// Shift-JIS bytes: 表 ends in 0x5C, 都府県 and ア are plain double-byte characters.
const std::string kHyo = "\x95\x5c";
const std::string kTo = "\x93\x73";
const std::string kFu = "\x95\x7b";
const std::string kKen = "\x8c\xa7";

// One compiled slot and the outcome of the last call.
class BMatchTest : public ::testing::Test {
 protected:
  void TearDown() override { BRegfree(compiled_); }

  int Match(const std::string& pattern, const std::string& text) {
    text_ = text;
    return BMatch(pattern.c_str(), text_.data(), text_.data() + text_.size(), &compiled_, message_);
  }
  std::string Matched(int group = 0) const {
    return std::string(compiled_->startp[group], compiled_->endp[group]);
  }
  long Start() const { return compiled_->startp[0] - text_.data(); }

  BRegexpCompiled* compiled_ = nullptr;
  char message_[BREGEXP_MESSAGE_SIZE] = "stale";
  std::string text_;
};

TEST_F(BMatchTest, AsciiWithAndWithoutIgnoreCase) {
  EXPECT_EQ(Match("m/b+c/k", "aBbbcd"), 1);
  EXPECT_STREQ(message_, "");
  EXPECT_EQ(Matched(), "bbc");
  EXPECT_EQ(Match("m/b+c/ki", "aBbbcd"), 1);
  EXPECT_EQ(Matched(), "Bbbc");
  EXPECT_EQ(Match("m/B/k", "abc"), 0);
  EXPECT_STREQ(message_, "");
}

TEST_F(BMatchTest, CaptureGroups) {
  ASSERT_EQ(Match("m/(a+)(x)?(b)/k", "zaab"), 1);
  EXPECT_EQ(compiled_->nparens, 3);
  EXPECT_EQ(Matched(1), "aa");
  EXPECT_EQ(compiled_->startp[2], nullptr);
  EXPECT_EQ(Matched(3), "b");
}

TEST_F(BMatchTest, SlashInsidePattern) {
  EXPECT_EQ(Match("m/a\\/b/k", "xa/b"), 1);
  EXPECT_EQ(Matched(), "a/b");
  // Text searched without regular expressions keeps its slash unescaped.
  EXPECT_EQ(Match("m/a/b/k", "xa/b"), 1);
  EXPECT_EQ(Matched(), "a/b");
  EXPECT_EQ(Match("m/" + kHyo + "\\//k", "x" + kHyo + "/"), 1);
  EXPECT_EQ(Matched(), kHyo + "/");
}

TEST_F(BMatchTest, TrailByte5CIsNoEscape) {
  // With k, 表 is one character; its 0x5C does not take the slash along.
  EXPECT_EQ(Match("m/" + kHyo + "+/k", "a" + kHyo + kHyo), 1);
  EXPECT_EQ(Matched(), kHyo + kHyo);
}

TEST_F(BMatchTest, DoubleByteCharactersAreNeverSplit) {
  EXPECT_EQ(Match("m/\\\\/k", kHyo), 0);
  EXPECT_EQ(Match("m/\\\\/k", kHyo + "\\"), 1);
  EXPECT_EQ(Start(), 2);
  // 0x95 0x7B is 府; the trail byte is "{" and must not be found alone.
  EXPECT_EQ(Match("m/\\{/k", kFu), 0);
  // Two characters, not three bytes, fill .{2}.
  ASSERT_EQ(Match("m/.{2}/k", "a" + kHyo), 1);
  EXPECT_EQ(Matched(), "a" + kHyo);
  ASSERT_EQ(Match("m/[" + kTo + kFu + kKen + "]/k", "\x93\x8c\x8b\x9e" + kTo), 1);
  EXPECT_EQ(Start(), 4);
  const std::string text = "\x8d\xe3\x8d\xe3" + kTo + "\x90\x85\x95\x6b\x8b\xe6" + kKen;
  ASSERT_EQ(Match("m/" + kTo + ".{0,3}" + kKen + "/k", text), 1);
  EXPECT_EQ(Start(), 4);
  EXPECT_EQ(Matched(), text.substr(4));
  EXPECT_EQ(Match("m/" + kTo + ".{0,2}" + kKen + "/k", text), 0);
}

TEST_F(BMatchTest, IgnoreCaseWithShiftJis) {
  ASSERT_EQ(Match("m/" + kHyo + "abc/ki", "x" + kHyo + "ABC"), 1);
  EXPECT_EQ(Matched(), kHyo + "ABC");
}

TEST_F(BMatchTest, AnyBytesInText) {
  EXPECT_EQ(Match("m/b/k", std::string("a\0b", 3)), 1);
  EXPECT_EQ(Start(), 2);
  EXPECT_EQ(Match("m/^$/k", ""), 1);
  EXPECT_EQ(Match("m/./k", ""), 0);
  // A lead byte cut off by the end of the text is no reason to read beyond it.
  auto cut = std::make_unique<char[]>(2);
  std::memcpy(cut.get(), "a\x95", 2);
  EXPECT_EQ(BMatch("m/" "\x95\x5c" "/k", cut.get(), cut.get() + 2, &compiled_, message_), 0);
  ASSERT_EQ(BMatch("m/[^a]/k", cut.get(), cut.get() + 2, &compiled_, message_), 1);
  EXPECT_EQ(compiled_->startp[0], cut.get() + 1);
  EXPECT_EQ(compiled_->endp[0], cut.get() + 2);
}

TEST_F(BMatchTest, MalformedPatterns) {
  for (const char* pattern : {"m/(/k", "m/abc", "abc", "m/a/kz", "", "m/", "m/a\\/k"}) {
    std::strcpy(message_, "stale");
    EXPECT_EQ(Match(pattern, "abc"), -1) << pattern;
    EXPECT_STRNE(message_, "") << pattern;
    EXPECT_LT(std::strlen(message_), size_t{BREGEXP_MESSAGE_SIZE}) << pattern;
    EXPECT_EQ(compiled_, nullptr) << pattern;
  }
  // A failed compile leaves nothing behind; the next good pattern works.
  EXPECT_EQ(Match("m/b/k", "abc"), 1);
  EXPECT_STREQ(message_, "");
}

TEST_F(BMatchTest, RecordIsReusedUntilPatternChanges) {
  ASSERT_EQ(Match("m/b/k", "abc"), 1);
  BRegexpCompiled* first = compiled_;
  EXPECT_EQ(Match("m/b/k", "xxb"), 1);
  EXPECT_EQ(compiled_, first);
  EXPECT_EQ(Start(), 2);
  EXPECT_EQ(Match("m/b/ki", "xxB"), 1);
  EXPECT_STREQ(compiled_->pattern, "m/b/ki");
}

TEST_F(BMatchTest, NullArgumentsAreRejected) {
  EXPECT_EQ(BMatch(nullptr, "a", "a" + 1, &compiled_, message_), -1);
  EXPECT_STRNE(message_, "");
  EXPECT_EQ(BMatch("m/a/k", nullptr, nullptr, &compiled_, message_), -1);
  EXPECT_EQ(BMatch("m/a/k", "a", "a" + 1, nullptr, message_), -1);
  BRegfree(nullptr);
}

TEST(BMatchThreads, SeparateRecordsOnSeparateThreads) {
  std::vector<int> hits(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &hits] {
      BRegexpCompiled* compiled = nullptr;
      char message[BREGEXP_MESSAGE_SIZE];
      const std::string pattern = "m/" + kHyo + "[0-9]{" + std::to_string(t + 1) + "}/k";
      const std::string text = "abc" + kHyo + "12345";
      for (int i = 0; i < 2000; ++i) {
        if (BMatch(pattern.c_str(), text.data(), text.data() + text.size(), &compiled, message) == 1 &&
            compiled->endp[0] - compiled->startp[0] == 2 + t + 1)
          ++hits[t];
      }
      BRegfree(compiled);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(hits, std::vector<int>(4, 2000));
}

}  // namespace
