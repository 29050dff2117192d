// tansa2-grep: the window's search from the command line, with grep's and
// ripgrep's habits.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/InputWalk.h"
#include "cli/JsonPrinter.h"
#include "cli/LinePrinter.h"
#include "cli/Options.h"
#include "cli/SearchSink.h"
#include "engine/KyConvert.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "session/GrepRun.h"

namespace {

using namespace tansa2;
using namespace tansa2::cli;

constexpr int kExitMatch = 0;
constexpr int kExitNoMatch = 1;
constexpr int kExitError = 2;

std::string Utf8Of(char32_t c) {
  std::string out;
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (int k = length - 1; k > 0; --k) out.insert(out.begin(), static_cast<char>(0x80 | ((c >> (6 * (length - 1 - k))) & 0x3F)));
  out.insert(out.begin(), static_cast<char>(kLead[length] | (c >> (6 * (length - 1)))));
  return out;
}

// The search string in the window's syntax: the patterns as one regular
// expression, each kept whole.
TGrepParam SearchParam(const TOptions& options) {
  TGrepParam param;
  bool upper = false;
  for (const std::string& utf8 : options.patterns) {
    if (const std::optional<char32_t> lacked = platform::FirstCharacterCp932Lacks(utf8)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*lacked));
      throw EUsage("the pattern holds '" + Utf8Of(*lacked) + "' (" + code + "), a character Shift-JIS can't hold");
    }
    std::string pattern = platform::Utf8ToCp932(utf8);
    for (const char c : utf8) upper = upper || (c >= 'A' && c <= 'Z');
    if (options.fixedStrings) pattern = EscapeMetaChars(pattern);
    if (options.wordRegexp) pattern = "\\b(?:" + pattern + ")\\b";
    if (options.patterns.size() > 1) pattern = "(?:" + pattern + ")";
    param.GrepStr += (param.GrepStr.empty() ? "" : "|") + pattern;
  }
  param.MatchCase = options.letterCase == TCase::Match || (options.letterCase == TCase::Smart && upper);
  param.AutoCode = !options.raw;
  return param;
}

// Standard input copied whole into a file of memory, so that the search
// reads it as any other file; its name, or "" when it can't be.
std::string StdinFile() {
  const int fd = memfd_create("stdin", 0);
  if (fd < 0) return "";
  char buffer[1 << 16];
  for (ssize_t n; (n = read(STDIN_FILENO, buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t written = write(fd, buffer + done, static_cast<size_t>(n - done));
      if (written <= 0) return "";
      done += written;
    }
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

// ripgrep's rule: no path and standard input a pipe or a file.
bool StdinIsInput() {
  struct stat st {};
  return fstat(STDIN_FILENO, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode) || S_ISSOCK(st.st_mode));
}

bool IsSingleFile(const std::vector<std::string>& paths) {
  struct stat st {};
  return paths.size() == 1 && stat(paths.front().c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int Run(const TOptions& options) {
  const TGrepParam param = SearchParam(options);
  const bool terminal = isatty(STDOUT_FILENO);
  const bool fromStdin = options.paths.empty() && StdinIsInput();
  const std::string stdinPath = fromStdin ? StdinFile() : "";
  if (fromStdin && stdinPath.empty()) throw EUsage("standard input can't be read");

  TSinkSettings settings;
  settings.listing = options.listing;
  settings.invert = options.invert;
  settings.before = options.before;
  settings.after = options.after;
  settings.allLines = options.invert || options.before > 0 || options.after > 0 || options.shape == TShape::Json;
  settings.raw = options.raw;
  settings.code = options.encoding.value_or(kcAuto);
  settings.withFileName = options.withFileName.value_or(!fromStdin && !IsSingleFile(options.paths));
  settings.stdinPath = stdinPath;
  const TColors colors = options.shape == TShape::Json ? TColors{} : ColorsFor(options.color);
  settings.allMatches = options.onlyMatching || options.shape == TShape::Vimgrep ||
                        options.shape == TShape::Json || *colors.match != '\0';

  TOutput output(options.sjisOutput && options.shape != TShape::Json);
  TLineLayout layout;
  layout.shape = options.shape;
  layout.withFileName = settings.withFileName;
  layout.lineNumbers = options.lineNumbers.value_or(terminal);
  layout.heading = options.heading.value_or(terminal);
  layout.onlyMatching = options.onlyMatching;
  layout.context = options.before > 0 || options.after > 0;
  TLinePrinter linePrinter(output, layout, colors);
  TJsonPrinter jsonPrinter(output);
  TPrinter& printer = options.shape == TShape::Json ? static_cast<TPrinter&>(jsonPrinter) : linePrinter;

  TSearchSink sink(settings, output, &printer, &linePrinter, colors, GrepPattern(param));
  TGrepRun run(sink);
  run.Prepare(param);
  if (options.encoding) run.SetCode(*options.encoding);
  int status = kExitMatch;
  try {
    if (fromStdin) {
      run.QueueFile(stdinPath, std::nullopt);
    } else {
      TInputWalk walk(
          options,
          [&](const std::string& path, std::optional<uint64_t> size) {
            run.QueueFile(EnginePath(path), size, options.maxFileSize);
          },
          [&](const std::string& path, int error) { sink.PathFailed(path, error); });
      walk.Walk(options.paths.empty() ? std::vector<std::string>{""} : options.paths);
    }
    run.FinishFiles();
  } catch (const std::exception& error) {
    output.Flush();
    std::fprintf(stderr, "tansa2-grep: %s\n", output.Converted(error.what()).c_str());
    status = kExitError;
  }
  if (options.shape == TShape::Json && options.listing == TListing::Lines) jsonPrinter.Finish(sink.Totals());
  output.Flush();
  if (options.summary) {
    const TRunTotals totals = sink.Totals();
    const std::string summary = GrepSummaryText(totals.matchedLines, static_cast<uint32_t>(totals.elapsedNanos / 1000000));
    std::fprintf(stderr, "%s\n", platform::Cp932ToUtf8(summary).c_str());
  }
  if (status == kExitError || sink.AnyError()) return kExitError;
  return sink.AnySelected() ? kExitMatch : kExitNoMatch;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::optional<TOptions> options = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) return kExitMatch;
    return Run(*options);
  } catch (const EUsage& error) {
    std::fprintf(stderr, "tansa2-grep: %s\n", error.what());
    std::fputs("Try 'tansa2-grep --help' for more information.\n", stderr);
    return kExitError;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tansa2-grep: %s\n", error.what());
    return kExitError;
  }
}
