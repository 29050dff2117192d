#include "cli/Options.h"

#include <cstdio>
#include <functional>
#include <string_view>

#include "cli/Help.h"
#include "engine/KyConvert.h"

namespace tansa2::cli {
namespace {

int ParseCount(const std::string& name, const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    throw EUsage("invalid number for " + name + ": '" + text + "'");
  return std::stoi(text);
}

TWhen ParseWhen(const std::string& text) {
  if (text == "auto") return TWhen::Auto;
  if (text == "always") return TWhen::Always;
  if (text == "never") return TWhen::Never;
  throw EUsage("unknown --color '" + text + "' (auto, always or never)");
}

int ParseEncoding(const std::string& text) {
  static const std::pair<const char*, int> kCodes[] = {
      {"sjis", kcSjis},         {"shift_jis", kcSjis},    {"cp932", kcSjis},
      {"euc-jp", kcEuc},        {"eucjp", kcEuc},         {"jis", kcJis},
      {"iso-2022-jp", kcJis},   {"utf-8", kcUtf8},        {"utf8", kcUtf8},
      {"utf-16le", kcUtf16LE},  {"utf-16be", kcUtf16BE},
  };
  for (const auto& [name, code] : kCodes)
    if (text == name) return code;
  throw EUsage("unknown encoding '" + text + "' (sjis, euc-jp, jis, utf-8, utf-16le or utf-16be)");
}

struct TFlag {
  const char* shortNames;  // letters, may be empty
  const char* longName;    // without "--", may be empty
  bool takesValue;
  std::function<void(TOptions&, const std::string& value)> apply;
};

const std::vector<TFlag>& Flags() {
  static const std::vector<TFlag> flags = {
      {"e", "regexp", true, [](TOptions& o, const std::string& v) { o.patterns.push_back(v); }},
      {"F", "fixed-strings", false, [](TOptions& o, const std::string&) { o.fixedStrings = true; }},
      {"w", "word-regexp", false, [](TOptions& o, const std::string&) { o.wordRegexp = true; }},
      {"v", "invert-match", false, [](TOptions& o, const std::string&) { o.invert = true; }},
      {"i", "ignore-case", false, [](TOptions& o, const std::string&) { o.letterCase = TCase::Ignore; }},
      {"S", "smart-case", false, [](TOptions& o, const std::string&) { o.letterCase = TCase::Smart; }},
      {"s", "case-sensitive", false, [](TOptions& o, const std::string&) { o.letterCase = TCase::Match; }},
      {"", "raw", false, [](TOptions& o, const std::string&) { o.raw = true; }},
      {"E", "encoding", true, [](TOptions& o, const std::string& v) { o.encoding = ParseEncoding(v); }},
      {"", "output-encoding", true,
       [](TOptions& o, const std::string& v) {
         if (v != "sjis" && v != "utf-8" && v != "utf8")
           throw EUsage("unknown --output-encoding '" + v + "' (utf-8 or sjis)");
         o.sjisOutput = v == "sjis";
       }},
      {"n", "line-number", false, [](TOptions& o, const std::string&) { o.lineNumbers = true; }},
      {"N", "no-line-number", false, [](TOptions& o, const std::string&) { o.lineNumbers = false; }},
      {"H", "with-filename", false, [](TOptions& o, const std::string&) { o.withFileName = true; }},
      {"I", "no-filename", false, [](TOptions& o, const std::string&) { o.withFileName = false; }},
      {"", "heading", false, [](TOptions& o, const std::string&) { o.heading = true; }},
      {"", "no-heading", false, [](TOptions& o, const std::string&) { o.heading = false; }},
      {"o", "only-matching", false, [](TOptions& o, const std::string&) { o.onlyMatching = true; }},
      {"A", "after-context", true, [](TOptions& o, const std::string& v) { o.after = ParseCount("-A", v); }},
      {"B", "before-context", true, [](TOptions& o, const std::string& v) { o.before = ParseCount("-B", v); }},
      {"C", "context", true,
       [](TOptions& o, const std::string& v) { o.before = o.after = ParseCount("-C", v); }},
      {"c", "count", false, [](TOptions& o, const std::string&) { o.listing = TListing::Counts; }},
      {"l", "files-with-matches", false,
       [](TOptions& o, const std::string&) { o.listing = TListing::FilesWithMatches; }},
      {"", "files-without-match", false,
       [](TOptions& o, const std::string&) { o.listing = TListing::FilesWithoutMatch; }},
      {"q", "quiet", false, [](TOptions& o, const std::string&) { o.listing = TListing::Quiet; }},
      {"", "vimgrep", false, [](TOptions& o, const std::string&) { o.shape = TShape::Vimgrep; }},
      {"", "json", false, [](TOptions& o, const std::string&) { o.shape = TShape::Json; }},
      {"", "format", true,
       [](TOptions& o, const std::string& v) {
         if (v == "tag") o.shape = TShape::Tag;
         else if (v == "csv") o.shape = TShape::Csv;
         else if (v == "line") o.shape = TShape::Line;
         else throw EUsage("unknown --format '" + v + "' (tag, csv or line)");
       }},
      {"g", "glob", true, [](TOptions& o, const std::string& v) { o.globs.push_back(v); }},
      {"", "dir-mask", true, [](TOptions& o, const std::string& v) { o.dirMask = v; }},
      {"", "max-filesize", true, [](TOptions& o, const std::string& v) { o.maxFileSize = ParseSize(v); }},
      {"", "exclude-ext", true, [](TOptions& o, const std::string& v) { o.excludeExt = v; }},
      {"", "hidden", false, [](TOptions& o, const std::string&) { o.hidden = true; }},
      {"L", "follow", false, [](TOptions& o, const std::string&) { o.followLinks = true; }},
      {"", "max-depth", true, [](TOptions& o, const std::string& v) { o.maxDepth = ParseCount("--max-depth", v); }},
      {"", "color", true, [](TOptions& o, const std::string& v) { o.color = ParseWhen(v); }},
      {"", "colour", true, [](TOptions& o, const std::string& v) { o.color = ParseWhen(v); }},
      {"", "summary", false, [](TOptions& o, const std::string&) { o.summary = true; }},
  };
  return flags;
}

const TFlag* FindLong(std::string_view name) {
  for (const TFlag& flag : Flags())
    if (name == flag.longName) return &flag;
  return nullptr;
}

const TFlag* FindShort(char letter) {
  for (const TFlag& flag : Flags())
    if (std::string_view(flag.shortNames).find(letter) != std::string_view::npos) return &flag;
  return nullptr;
}

}  // namespace

uint64_t ParseSize(const std::string& text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  const std::string suffix = text.substr(digits);
  int shift = -1;
  if (suffix.empty()) shift = 0;
  else if (suffix == "K" || suffix == "k") shift = 10;
  else if (suffix == "M" || suffix == "m") shift = 20;
  else if (suffix == "G" || suffix == "g") shift = 30;
  if (digits == 0 || digits > 12 || shift < 0) throw EUsage("invalid size '" + text + "' (such as 500K, 10M, 1G)");
  return std::stoull(text.substr(0, digits)) << shift;
}

std::optional<TOptions> ParseArguments(const std::vector<std::string>& args) {
  TOptions options;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    // The value of an option: after "=", the rest of a cluster, or the next argument.
    auto valueAfter = [&](const std::string& name, std::string inPlace, bool hasInPlace) {
      if (hasInPlace) return inPlace;
      if (i + 1 >= args.size()) throw EUsage("option " + name + " needs a value");
      return args[++i];
    };
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kShortHelp, stdout);
      return std::nullopt;
    } else if (arg == "--version" || arg == "-V") {
      std::printf("tansa2-grep %s\n", TANSA2_VERSION);
      return std::nullopt;
    } else if (arg[1] == '-') {
      const size_t eq = arg.find('=');
      const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      const TFlag* flag = FindLong(name);
      if (!flag) throw EUsage("unknown option --" + name);
      if (!flag->takesValue && eq != std::string::npos) throw EUsage("option --" + name + " takes no value");
      const std::string value =
          flag->takesValue ? valueAfter("--" + name, eq == std::string::npos ? "" : arg.substr(eq + 1),
                                        eq != std::string::npos)
                           : "";
      flag->apply(options, value);
    } else {
      for (size_t k = 1; k < arg.size(); ++k) {
        const TFlag* flag = FindShort(arg[k]);
        if (!flag) throw EUsage(std::string("unknown option -") + arg[k]);
        if (!flag->takesValue) {
          flag->apply(options, "");
          continue;
        }
        flag->apply(options, valueAfter(std::string("-") + arg[k], arg.substr(k + 1), k + 1 < arg.size()));
        break;
      }
    }
  }
  if (options.patterns.empty()) {
    if (positional.empty()) throw EUsage("a pattern is needed");
    options.patterns.push_back(positional.front());
    positional.erase(positional.begin());
  }
  options.paths = std::move(positional);
  return options;
}

}  // namespace tansa2::cli
