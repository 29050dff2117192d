#include "session/GrepRun.h"

#include <cstdio>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "results/CommaText.h"

namespace tansa2 {
namespace {

bool IsBlank(unsigned char c) { return c <= 0x20; }

unsigned char AsciiLower(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Copies `text` character by character, putting a backslash before each
// single-byte character `needsEscape` picks out; double-byte characters are
// copied whole, so their trail bytes are never taken for ASCII.
template <class NeedsEscape>
std::string EscapeSingleBytes(std::string_view text, NeedsEscape needsEscape) {
  std::string out;
  out.reserve(text.size() * 2);
  int backslashRun = 0;  // single-byte backslashes right before this character
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = text[i];
    if (platform::IsDBCSLeadByte(c) && i + 1 < text.size()) {
      out.append(text.substr(i, 2));
      ++i;
      backslashRun = 0;
      continue;
    }
    if (needsEscape(c, backslashRun)) out.push_back('\\');
    out.push_back(static_cast<char>(c));
    backslashRun = c == '\\' ? backslashRun + 1 : 0;
  }
  return out;
}

// The enumerator ignores a directory of one byte, which names none on
// Windows; here "." and a one-letter name relative to the current directory
// do, and searching the enumerator's previous directory instead would list
// another tree's hits as theirs.
std::string EnumeratorBaseDir(const std::string& grepDir) {
  if (grepDir.size() != 1 || grepDir == "/") return grepDir;
  return grepDir == "." ? "./" : "./" + grepDir;
}

// What the enumerator's directory has before the user's ("./" before "t"):
// taken off each file's path again, the paths read as the user wrote the
// directory, whatever its length.
size_t AddedPrefix(const std::string& grepDir, const std::string& enumeratorDir) {
  const bool extended = enumeratorDir.size() > grepDir.size() &&
                        enumeratorDir.compare(enumeratorDir.size() - grepDir.size(), grepDir.size(), grepDir) == 0;
  return extended ? enumeratorDir.size() - grepDir.size() : 0;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

TGrepField CheckGrepInput(TGrepParam& param) {
  if (param.GrepStr.empty()) return TGrepField::GrepStr;
  param.GrepDir = TrimBlanks(param.GrepDir);
  if (param.GrepDir.empty() || !platform::DirectoryExists(param.GrepDir)) return TGrepField::GrepDir;
  param.FileMask = TrimBlanks(param.FileMask);
  if (param.FileMask.empty()) return TGrepField::FileMask;
  param.DirMask = TrimBlanks(param.DirMask);
  if (param.SubDir && param.DirMask.empty()) param.DirMask = "*.*";
  return TGrepField::None;
}

// A slash after an odd run of backslashes is already escaped; after an even
// run (none, or escaped backslashes) it still needs one.
std::string EscapeSlash(std::string_view text) {
  return EscapeSingleBytes(text, [](unsigned char c, int backslashRun) {
    return c == '/' && backslashRun % 2 == 0;
  });
}

std::string EscapeMetaChars(std::string_view text) {
  return EscapeSingleBytes(text, [](unsigned char c, int) {
    switch (c) {
      case '$': case '(': case ')': case '*': case '+': case '-': case '.':
      case '?': case '[': case '\\': case ']': case '^': case '|':
      // Braces too: left bare, "a{2}" would be a repeat and find "aa".
      case '{': case '}':
        return true;
      default:
        return false;
    }
  });
}

std::string GrepPattern(const TGrepParam& param) {
  std::string pattern = "m/";
  pattern += param.NoRegExp ? EscapeMetaChars(param.GrepStr) : EscapeSlash(param.GrepStr);
  pattern += "/k";
  if (!param.MatchCase) pattern += 'i';
  return pattern;
}

bool TNoFileExtList::CaseLess::operator()(const std::string& a, const std::string& b) const {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char ca = AsciiLower(a[i]);
    const unsigned char cb = AsciiLower(b[i]);
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

void TNoFileExtList::Assign(std::string_view setting) {
  extensions_.clear();
  for (const std::string& item : FromCommaText(setting)) {
    std::string extension = TrimBlanks(item);
    if (!extension.empty()) extensions_.insert(std::move(extension));
  }
}

bool TNoFileExtList::Contains(std::string_view extension) const {
  return extensions_.count(std::string(extension)) != 0;
}

std::string TNoFileExtList::CommaText() const {
  return ToCommaText({extensions_.begin(), extensions_.end()});
}

std::string FormatCount(int value) {
  const std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
  std::string out = value < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string GrepSummaryText(int hitCount, uint32_t elapsedMs) {
  static const std::string found = platform::Utf8ToCp932("個検索しました。");
  const uint32_t seconds = elapsedMs / 1000;
  char elapsed[64];
  std::snprintf(elapsed, sizeof elapsed, "(Elapsed time %u:%2.2u.%3.3u)", seconds / 60,
                seconds % 60, elapsedMs % 1000);
  return FormatCount(hitCount) + found + elapsed;
}

TGrepRun::TGrepRun(TGrepSink& sink) : sink_(&sink) {
  // Hidden files, system entries (FIFOs, sockets, devices) and directories
  // are never searched; read-only and archive bits don't matter.
  KyFindFile.Conditions = {fcHidden, fcSystem, fcDirectory};
  KyFindFile.OnFind = [this](TKyFindFile&, const TFindData& data, const std::string& currentDir,
                             bool&) { KyFindFileFind(data, currentDir); };
  // Files are searched on worker threads; each file's hits come together,
  // in the order the files were queued.
  KyGrep.OnMatch = [this](TKyGrep&, const TGrepHit& hit) {
    ++hitCount_;
    ++fileHits_;
    if (!BeginFile() || !sink_->Matched(hit)) Cancel();
  };
  KyGrep.OnFileDone = [this](const std::string& fileName) {
    const bool goOn = BeginFile() && sink_->FileEnded(fileName, fileHits_);
    fileBegun_ = false;
    fileHits_ = 0;
    if (!goOn) Cancel();
  };
  KyGrep.OnFileError = [this](const TGrepFileError& error) {
    fileBegun_ = false;
    fileHits_ = 0;
    if (!sink_->FileFailed(error)) Cancel();
  };
}

bool TGrepRun::BeginFile() {
  if (fileBegun_) return true;
  fileBegun_ = true;
  return sink_->FileBegun(KyGrep.FileName());
}

void TGrepRun::SetProcessMessages(std::function<void()> processMessages) {
  KyFindFile.ProcessMessages = processMessages;
  KyGrep.ProcessMessages = std::move(processMessages);
}

void TGrepRun::Prepare(const TGrepParam& param) {
  KyGrep.RegExp = GrepPattern(param);
  KyGrep.AutoCode = param.AutoCode;
  KyGrep.Code = kcAuto;
  const std::string baseDir = EnumeratorBaseDir(param.GrepDir);
  KyFindFile.SetBaseDir(baseDir);
  addedPrefix_ = AddedPrefix(param.GrepDir, baseDir);
  KyFindFile.SetSearchSubDir(param.SubDir);
  KyFindFile.DirMask = param.DirMask;
  hitCount_ = 0;
  fileHits_ = 0;
  fileBegun_ = false;
}

uint32_t TGrepRun::SearchMasks(std::string_view fileMaskText) {
  try {
    for (const std::string& mask : FromCommaText(fileMaskText)) {
      KyFindFile.FileMask = mask;
      uint32_t result = KyFindFile.Find();
      FinishQueue();
      // A cancel while the last files were being reported ends the run too.
      if (result == 0 && KyFindFile.Canceled) result = platform::ERROR_CANCELLED;
      if (result == platform::ERROR_CANCELLED) return result;
      if (result != 0) {
        ReportListingError(result);
        return result;
      }
    }
  } catch (...) {
    Abandon();
  }
  return 0;
}

void TGrepRun::Abandon() {
  Cancel();
  FinishQueue();
  throw;
}

void TGrepRun::QueueFile(const std::string& fileName, std::optional<uint64_t> size, uint64_t sizeLimit) {
  try {
    KyGrep.QueueFile(fileName, size, sizeLimit);
  } catch (...) {
    Abandon();
  }
}

uint32_t TGrepRun::FinishFiles() {
  try {
    FinishQueue();
  } catch (...) {
    Abandon();
  }
  return KyGrep.Canceled() ? platform::ERROR_CANCELLED : 0;
}

// The files still queued when a walk ends belong to the run: it stays busy
// (the flag every command's state reads) until they are reported.
void TGrepRun::FinishQueue() {
  struct TBusy {
    bool& busy;
    explicit TBusy(bool& flag) : busy(flag) { busy = true; }
    ~TBusy() { busy = false; }
  } busy(KyFindFile.Busy);
  KyGrep.FinishQueue();
}

void TGrepRun::Cancel() {
  KyFindFile.Canceled = true;
  KyGrep.Cancel();
}

void TGrepRun::ReportListingError(uint32_t code) {
  const std::string dir = KyFindFile.CurrentDir().substr(std::min(addedPrefix_, KyFindFile.CurrentDir().size()));
  const std::string message = "Cannot list directory \"" + dir + "\" (error " + std::to_string(code) + ")";
  sink_->FileFailed(TGrepFileError{dir, TGrepFileError::feList, static_cast<int>(code), message});
}

void TGrepRun::KyFindFileFind(const TFindData& data, const std::string& currentDir) {
  const std::string& name = data.cFileName;
  const size_t dot = name.rfind('.');
  const std::string_view extension =
      dot == std::string::npos ? std::string_view() : std::string_view(name).substr(dot + 1);
  if (NoFileExtList.Contains(extension)) return;
  if (static_cast<int64_t>(data.nFileSize) >= static_cast<int64_t>(MaxFileSize) * 1048576) return;
  // Read raw, an empty file has no line and one that can't be opened is
  // passed over, so an empty one needn't be opened at all.
  if (!KyGrep.AutoCode && data.nFileSize == 0) return;
  KyGrep.QueueFile(currentDir.substr(addedPrefix_) + "/" + name, data.nFileSize);
}

}  // namespace tansa2
