// tansa2-grep: one search of the window's kind, from the command line.
#include <cstdio>
#include <cstdlib>
#include <exception>
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
    "      --summary          print the hit count and elapsed time to standard error\n"
    "      --help             show this help\n"
    "      --version          show the version\n"
    "\n"
    "Exit status: 0 when a line matched, 1 when none did, 2 on an error.\n";

struct TOptions {
  TGrepParam param;
  int maxFileSize = 10;
  std::string noFileExt;
  int saveType = stTag;
  bool rawOutput = false;
  bool summary = false;
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

// Hits are written through one buffer; the terminal gets LF line ends.
class TOutput {
 public:
  explicit TOutput(bool raw) : raw_(raw) {}
  ~TOutput() { Flush(); }

  void Line(std::string_view cp932Line) {
    if (cp932Line.size() >= 2 && cp932Line.substr(cp932Line.size() - 2) == "\r\n")
      cp932Line.remove_suffix(2);
    if (raw_) buffer_.append(cp932Line);
    else buffer_ += platform::Cp932ToUtf8(cp932Line);
    buffer_ += '\n';
    if (buffer_.size() >= 1 << 16) Flush();
  }
  void Flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    std::fflush(stdout);
    buffer_.clear();
  }
  std::string Text(std::string_view cp932) const {
    return raw_ ? std::string(cp932) : platform::Cp932ToUtf8(cp932);
  }

 private:
  bool raw_;
  std::string buffer_;
};

void PrintError(const std::string& message) {
  std::fprintf(stderr, "tansa2-grep: %s\n", message.c_str());
}

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

  TGrepRun run;
  run.MaxFileSize = options.maxFileSize;
  run.NoFileExtList.Assign(options.noFileExt);
  TResultRow row;
  run.OnHit = [&](const TGrepHit& hit) {
    row.FileName = hit.FileName;
    row.LineNum = hit.LineNum;
    row.Line.assign(hit.Line);
    row.MatchPos = hit.MatchPos;
    row.MatchLen = hit.MatchLen;
    output.Line(FormatRow(row, options.saveType));
  };
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
  if (status == kExitError) return status;
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
