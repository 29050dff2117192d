#pragma once
// tansa2-grep's command line: what the user asked for, read from argv the
// way grep and ripgrep read theirs.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tansa2::cli {

// A command line that can't be run; the message says why.
class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TWhen { Auto, Always, Never };
// What is printed for the files searched.
enum class TListing { Lines, Counts, FilesWithMatches, FilesWithoutMatch, Quiet };
// How a matching line is printed.
enum class TShape { Ripgrep, Vimgrep, Json, Tag, Csv, Line };
enum class TCase { Match, Ignore, Smart };

struct TOptions {
  std::vector<std::string> patterns;  // UTF-8, any of them matches
  std::vector<std::string> paths;     // as typed, native bytes
  bool fixedStrings = false;
  bool wordRegexp = false;
  bool invert = false;
  TCase letterCase = TCase::Match;

  bool raw = false;                  // lines as the file's bytes, no detection
  std::optional<int> encoding;       // a KyConvert code every file is read in
  bool sjisOutput = false;

  TListing listing = TListing::Lines;
  TShape shape = TShape::Ripgrep;
  bool onlyMatching = false;
  std::optional<bool> lineNumbers;   // unset: on a terminal
  std::optional<bool> withFileName;  // unset: when more than one file may be searched
  std::optional<bool> heading;       // unset: on a terminal
  int before = 0;
  int after = 0;
  TWhen color = TWhen::Auto;
  bool summary = false;

  std::vector<std::string> globs;    // "!" before one excludes
  std::string dirMask;
  uint64_t maxFileSize = uint64_t{10} << 20;
  std::string excludeExt;
  bool hidden = false;
  bool followLinks = false;
  std::optional<int> maxDepth;
};

// Reads the arguments after the program name. Returns nothing when the run
// is over already (--help, --version printed). Throws EUsage.
std::optional<TOptions> ParseArguments(const std::vector<std::string>& args);

// "10M" -> 10485760; K, M, G are powers of 1024.
uint64_t ParseSize(const std::string& text);

}  // namespace tansa2::cli
