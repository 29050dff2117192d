// tansa2-grep: one search of the window's kind, from the command line.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BRegExp.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "platform/Ticks.h"
#include "results/RowFormats.h"
#include "session/GrepRun.h"

namespace {

using namespace tansa2;

constexpr int kExitMatch = 0;
constexpr int kExitNoMatch = 1;
constexpr int kExitError = 2;

const char kUsage[] =
    "Usage: tansa2-grep [OPTIONS] SEARCH-STRING DIRECTORY [FILE-MASKS]\n"
    "Searches the files of DIRECTORY whose names match FILE-MASKS (comma or blank\n"
    "separated, default \"*.*\") for lines matching SEARCH-STRING, a regular expression\n"
    "unless -F is given.\n"
    "\n"
    "  -r, --subdirs          search sub-directories too\n"
    "      --dir-mask=MASK    only walk sub-directories matching MASK (default *.*)\n"
    "  -c, --match-case       letter case matters (default: ignored)\n"
    "  -F, --no-regexp        SEARCH-STRING is plain text\n"
    "  -a, --auto-code        detect each file's character code (Shift-JIS, EUC-JP,\n"
    "                         JIS, UTF-8, UTF-16) instead of reading raw bytes\n"
    "      --max-size=MB      skip files of MB megabytes or more (default 10)\n"
    "      --exclude-ext=LIST skip files with these extensions, e.g. exe,dll\n"
    "      --format=FORMAT    tag (path(line):text, default), csv or line\n"
    "      --encoding=ENC     utf8 (default) or sjis: print raw Shift-JIS bytes\n"
    "  -l, --files-with-matches  print only the names of files with a match\n"
    "      --count            print each searched file's number of matching lines\n"
    "      --color=WHEN       colour file names, line numbers and matches: auto\n"
    "                         (default, on a terminal), always or never\n"
    "      --summary          print the hit count and elapsed time to standard error\n"
    "      --help             show this help\n"
    "      --version          show the version\n"
    "\n"
    "A file that can't be read is reported on standard error and the search goes on.\n"
    "Exit status: 0 when a line matched, 1 when none did, 2 on an error (also when\n"
    "a file could not be read).\n";

enum class TListing { Lines, FileNames, Counts };
enum class TColor { Auto, Always, Never };

struct TOptions {
  TGrepParam param;
  int maxFileSize = 10;
  std::string noFileExt;
  int saveType = stTag;
  bool rawOutput = false;
  bool summary = false;
  TListing listing = TListing::Lines;
  TColor color = TColor::Auto;
};

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

int ParseMegabytes(std::string_view text) {
  int value = 0;
  if (text.empty() || text.size() > 9) throw EUsage("invalid --max-size: '" + std::string(text) + "'");
  for (char c : text) {
    if (c < '0' || c > '9') throw EUsage("invalid --max-size: '" + std::string(text) + "'");
    value = value * 10 + (c - '0');
  }
  return value;
}

// Returns false when the run is over already (--help, --version).
bool ParseArguments(int argc, char** argv, TOptions& options) {
  std::vector<std::string> positional;
  bool optionsEnded = false;
  auto setListing = [&](TListing listing) {
    if (options.listing != TListing::Lines && options.listing != listing)
      throw EUsage("-l and --count can't be combined");
    options.listing = listing;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional.emplace_back(arg);
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string_view name = arg.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : arg.substr(eq + 1);
    const bool hasValue = eq != std::string_view::npos;
    auto needsValue = [&] {
      if (!hasValue) throw EUsage("option " + std::string(name) + " needs a value (" + std::string(name) + "=...)");
    };
    auto noValue = [&] {
      if (hasValue) throw EUsage("option " + std::string(name) + " takes no value");
    };
    if (arg == "--") {
      optionsEnded = true;
    } else if (name == "--help") {
      noValue();
      std::fputs(kUsage, stdout);
      return false;
    } else if (name == "--version") {
      noValue();
      std::printf("tansa2-grep %s\n", TANSA2_VERSION);
      return false;
    } else if (name == "--subdirs") {
      noValue();
      options.param.SubDir = true;
    } else if (name == "--match-case") {
      noValue();
      options.param.MatchCase = true;
    } else if (name == "--no-regexp") {
      noValue();
      options.param.NoRegExp = true;
    } else if (name == "--auto-code") {
      noValue();
      options.param.AutoCode = true;
    } else if (name == "--summary") {
      noValue();
      options.summary = true;
    } else if (name == "--files-with-matches") {
      noValue();
      setListing(TListing::FileNames);
    } else if (name == "--count") {
      noValue();
      setListing(TListing::Counts);
    } else if (name == "--color" || name == "--colour") {
      needsValue();
      if (value == "auto") options.color = TColor::Auto;
      else if (value == "always") options.color = TColor::Always;
      else if (value == "never") options.color = TColor::Never;
      else throw EUsage("unknown --color '" + std::string(value) + "' (auto, always or never)");
    } else if (name == "--dir-mask") {
      needsValue();
      options.param.DirMask = platform::Utf8ToCp932(value);
    } else if (name == "--max-size") {
      needsValue();
      options.maxFileSize = ParseMegabytes(value);
    } else if (name == "--exclude-ext") {
      needsValue();
      options.noFileExt = platform::Utf8ToCp932(value);
    } else if (name == "--format") {
      needsValue();
      if (value == "tag") options.saveType = stTag;
      else if (value == "csv") options.saveType = stCsv;
      else if (value == "line") options.saveType = stLineOnly;
      else throw EUsage("unknown --format '" + std::string(value) + "' (tag, csv or line)");
    } else if (name == "--encoding") {
      needsValue();
      if (value == "sjis") options.rawOutput = true;
      else if (value == "utf8") options.rawOutput = false;
      else throw EUsage("unknown --encoding '" + std::string(value) + "' (utf8 or sjis)");
    } else if (arg[1] != '-') {
      for (char flag : arg.substr(1)) {
        switch (flag) {
          case 'r': options.param.SubDir = true; break;
          case 'c': options.param.MatchCase = true; break;
          case 'F': options.param.NoRegExp = true; break;
          case 'a': options.param.AutoCode = true; break;
          case 'l': setListing(TListing::FileNames); break;
          default: throw EUsage(std::string("unknown option -") + flag);
        }
      }
    } else {
      throw EUsage("unknown option " + std::string(name));
    }
  }
  if (positional.size() < 2) throw EUsage("a search string and a directory are needed");
  if (positional.size() > 3) throw EUsage("too many arguments");
  options.param.GrepStr = platform::Utf8ToCp932(positional[0]);
  options.param.GrepDir = platform::Utf8ToCp932(positional[1]);
  options.param.FileMask = positional.size() > 2 ? platform::Utf8ToCp932(positional[2]) : "*.*";
  return true;
}

// Hits are written through one buffer, converted straight into it; the
// terminal gets LF line ends.
class TOutput {
 public:
  explicit TOutput(bool raw)
      : raw_(raw), buffer_(std::make_unique_for_overwrite<char[]>(kCapacity)), capacity_(kCapacity) {}
  ~TOutput() { Flush(); }

  // Program text, converted unless raw bytes were asked for.
  void Append(std::string_view cp932) {
    char* at = Room(raw_ ? cp932.size() : platform::Cp932ToUtf8Room(cp932.size()));
    char* end = raw_ ? std::copy(cp932.begin(), cp932.end(), at) : platform::Cp932ToUtf8(cp932, at);
    used_ = static_cast<size_t>(end - buffer_.get());
  }
  // Text painted in `color`, an escape sequence or nothing.
  void Paint(const char* color, std::string_view cp932) {
    if (*color == '\0') return Append(cp932);
    AppendAscii(color);
    Append(cp932);
    AppendAscii(kReset);
  }
  void EndLine() {
    *Room(1) = '\n';
    ++used_;
    if (used_ >= kFlushSize) Flush();
  }
  void Flush() {
    std::fwrite(buffer_.get(), 1, used_, stdout);
    std::fflush(stdout);
    used_ = 0;
  }
  std::string Text(std::string_view cp932) const {
    return raw_ ? std::string(cp932) : platform::Cp932ToUtf8(cp932);
  }

  static constexpr char kReset[] = "\033[m";

 private:
  // Written out at the first line end past this size: rows reach a reader
  // soon, and writes of a megabyte measured no cheaper.
  static constexpr size_t kFlushSize = size_t{1} << 16;
  static constexpr size_t kCapacity = kFlushSize + kFlushSize / 4;

  void AppendAscii(std::string_view text) {
    used_ = static_cast<size_t>(std::copy(text.begin(), text.end(), Room(text.size())) - buffer_.get());
  }
  // Where `size` more bytes go: after what is buffered, which is written
  // out first when it leaves too little room.
  char* Room(size_t size) {
    if (used_ + size > capacity_) {
      Flush();
      if (size > capacity_) {
        capacity_ = size;
        buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
      }
    }
    return buffer_.get() + used_;
  }

  bool raw_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
  size_t used_ = 0;
};

// grep's and ripgrep's default colours; all empty when nothing is coloured.
struct TColors {
  const char* fileName = "";
  const char* lineNum = "";
  const char* match = "";
  const char* separator = "";
  bool Any() const { return *fileName != '\0'; }
};

TColors ColorsFor(TColor when) {
  bool on = when == TColor::Always;
  if (when == TColor::Auto) {
    const char* term = std::getenv("TERM");
    on = isatty(STDOUT_FILENO) && term && std::string_view(term) != "dumb";
  }
  if (!on) return {};
  return {"\033[35m", "\033[32m", "\033[01;31m", "\033[36m"};
}

// The line with its first match painted; the match is given in bytes, 1-based.
void PaintLine(TOutput& output, const TColors& colors, std::string_view line, int matchPos, int matchLen) {
  if (!colors.Any()) return output.Append(line);
  const size_t begin = std::min<size_t>(matchPos > 0 ? matchPos - 1 : 0, line.size());
  const size_t length = std::min<size_t>(matchLen > 0 ? matchLen : 0, line.size() - begin);
  output.Append(line.substr(0, begin));
  output.Paint(colors.match, line.substr(begin, length));
  output.Append(line.substr(begin + length));
}

void PrintError(const std::string& message) {
  std::fprintf(stderr, "tansa2-grep: %s\n", message.c_str());
}

// The search's sink: each hit printed in the chosen shape, files that can't
// be read reported and passed over.
class TPrinter : public TGrepSink {
 public:
  TPrinter(const TOptions& options, TOutput& output) : options_(options), output_(output), colors_(ColorsFor(options.color)) {}

  bool Matched(const TGrepHit& hit) override {
    switch (options_.listing) {
      case TListing::Lines: PrintLine(hit); break;
      case TListing::FileNames:
        // A file's hits come together: its name is printed at the first.
        if (!named_) {
          output_.Paint(colors_.fileName, hit.FileName);
          output_.EndLine();
          named_ = true;
        }
        break;
      case TListing::Counts: break;
    }
    return true;
  }
  bool FileEnded(std::string_view fileName, int hitCount) override {
    named_ = false;
    if (options_.listing == TListing::Counts) {
      output_.Paint(colors_.fileName, fileName);
      output_.Paint(colors_.separator, ":");
      output_.Append(std::to_string(hitCount));
      output_.EndLine();
    }
    return true;
  }
  bool FileFailed(const TGrepFileError& error) override {
    output_.Flush();
    if (error.Stage == TGrepFileError::feList) PrintError(output_.Text(error.Message));
    else PrintError(output_.Text(error.FileName) + ": " + std::strerror(error.SystemError));
    failed_ = true;
    return true;
  }
  bool Failed() const { return failed_; }

 private:
  void PrintLine(const TGrepHit& hit) {
    if (options_.saveType == stCsv) {
      row_.FileName = hit.FileName;
      row_.LineNum = hit.LineNum;
      row_.Line.assign(hit.Line);
      row_.MatchPos = hit.MatchPos;
      row_.MatchLen = hit.MatchLen;
      const std::string line = FormatRow(row_, options_.saveType);
      output_.Append(std::string_view(line).substr(0, line.size() - 2));  // its CR LF
    } else {
      // The tag-jump row "path(line):text" put together in place, painted
      // when colours are on.
      if (options_.saveType == stTag) {
        output_.Paint(colors_.fileName, hit.FileName);
        output_.Paint(colors_.separator, "(");
        output_.Paint(colors_.lineNum, std::to_string(hit.LineNum));
        output_.Paint(colors_.separator, "):");
      }
      PaintLine(output_, colors_, hit.Line, hit.MatchPos, hit.MatchLen);
    }
    output_.EndLine();
  }

  const TOptions& options_;
  TOutput& output_;
  const TColors colors_;
  TResultRow row_;
  bool named_ = false;
  bool failed_ = false;
};

int Run(TOptions& options) {
  TOutput output(options.rawOutput);
  switch (CheckGrepInput(options.param)) {
    case TGrepField::GrepStr:
      PrintError("the search string is empty");
      return kExitError;
    case TGrepField::GrepDir:
      PrintError("no such directory: '" + output.Text(options.param.GrepDir) + "'");
      return kExitError;
    case TGrepField::FileMask:
      PrintError("the file mask is empty");
      return kExitError;
    case TGrepField::None:
      break;
  }

  TPrinter printer(options, output);
  TGrepRun run(printer);
  run.MaxFileSize = options.maxFileSize;
  run.NoFileExtList.Assign(options.noFileExt);
  run.Prepare(options.param);
  const uint32_t startTick = platform::GetTickCount();
  int status = kExitMatch;
  try {
    run.SearchMasks(options.param.FileMask);
  } catch (const std::exception& error) {
    output.Flush();
    PrintError(output.Text(error.what()));
    status = kExitError;
  }
  output.Flush();
  if (options.summary) {
    const std::string summary =
        GrepSummaryText(run.HitCount(), platform::GetTickCount() - startTick);
    std::fprintf(stderr, "%s\n", output.Text(summary).c_str());
  }
  if (status == kExitError || printer.Failed()) return kExitError;
  return run.HitCount() > 0 ? kExitMatch : kExitNoMatch;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  try {
    if (!ParseArguments(argc, argv, options)) return kExitMatch;
    return Run(options);
  } catch (const EUsage& error) {
    PrintError(error.what());
    std::fputs("Try 'tansa2-grep --help' for more information.\n", stderr);
    return kExitError;
  } catch (const std::exception& error) {
    PrintError(error.what());
    return kExitError;
  }
}
