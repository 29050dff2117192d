#pragma once
// The window-free part of a search run: checking and normalising the search
// fields, building the pattern, the extension and size filters, one walk per
// file mask, and the texts shown at the end. The window and tansa2-grep both
// drive a search through TGrepRun.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "engine/GrepSink.h"
#include "engine/KyFindFile.h"
#include "engine/KyGrep.h"

namespace tansa2 {

// The search panel's content, in the order the history stores it.
struct TGrepParam {
  std::string GrepStr;
  std::string GrepDir;
  std::string FileMask;  // several masks as comma text
  bool SubDir = false;
  std::string DirMask;
  bool MatchCase = false;
  bool NoRegExp = false;
  bool AutoCode = false;
};

enum class TGrepField { None, GrepStr, GrepDir, FileMask };

// Trims the directory, file-mask and directory-mask texts in place and gives
// an empty directory mask "*.*" when sub-directories are searched. Returns
// the field whose text can't be searched, or None.
TGrepField CheckGrepInput(TGrepParam& param);

// Blanks and control characters (bytes up to 0x20) off both ends.
std::string TrimBlanks(std::string_view text);

// Regular-expression mode: a single-byte "/" not already after a backslash
// character gets one.
std::string EscapeSlash(std::string_view text);
// Plain-text mode: a backslash before each single-byte $ ( ) * + - . ? [ \ ] ^ | { }.
std::string EscapeMetaChars(std::string_view text);
// "m/" + escaped search string + "/k", and "i" unless case matters.
std::string GrepPattern(const TGrepParam& param);

// Extensions never searched, compared without case.
class TNoFileExtList {
 public:
  // `setting` is comma text, such as "exe,dll".
  void Assign(std::string_view setting);
  bool Contains(std::string_view extension) const;
  // The list as comma text: sorted without case, each extension once, as
  // first given.
  std::string CommaText() const;

 private:
  struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::set<std::string, CaseLess> extensions_;
};

// 1234567 -> "1,234,567".
std::string FormatCount(int value);
// "1,234個検索しました。(Elapsed time 1:05.040)", CP932.
std::string GrepSummaryText(int hitCount, uint32_t elapsedMs);

// A search through one sink: the window and tansa2-grep each are one.
class TGrepRun {
 public:
  // `sink` takes the results of every search; it must outlive the run.
  explicit TGrepRun(TGrepSink& sink);
  virtual ~TGrepRun() = default;

  TNoFileExtList NoFileExtList;
  int MaxFileSize = 10;  // megabytes; a file this size or larger is skipped

  // The owner's message pump, called between directory entries and after hits.
  void SetProcessMessages(std::function<void()> processMessages);

  // Sets up the grep component and the enumerator from checked parameters.
  void Prepare(const TGrepParam& param);
  // One walk per mask of the comma text; stops at the first walk that does
  // not end normally and returns its code (0, 1223 or a listing error, which
  // the sink is told of). Errors of the grep component other than files
  // that can't be read propagate.
  uint32_t SearchMasks(std::string_view fileMaskText);
  // Or files the caller lists itself, searched as Prepare set up: each
  // queued in turn, then the queue finished. Returns 0, or 1223 when the
  // run was cancelled. Errors propagate as from SearchMasks. A file listed
  // without its size is passed over when it is `sizeLimit` bytes or more.
  void QueueFile(const std::string& fileName, std::optional<uint64_t> size, uint64_t sizeLimit = UINT64_MAX);
  uint32_t FinishFiles();
  // The code every file is read in when codes are detected; kcAuto, as
  // Prepare sets it, detects each file's.
  void SetCode(int code) { KyGrep.Code = code; }
  void Cancel();
  // Set while a search runs; the window sets it around its own steps too.
  void SetBusy(bool busy) { KyFindFile.Busy = busy; }

  int HitCount() const { return hitCount_; }
  bool Busy() const { return KyFindFile.Busy; }

 protected:
  // Each file the walk lists: the extension and size filters, then the
  // grep component's queue.
  virtual void KyFindFileFind(const TFindData& data, const std::string& currentDir);

 private:
  void FinishQueue();
  // Ends the run cleanly when searching threw, and throws on.
  [[noreturn]] void Abandon();
  // Tells the sink a file begins, unless it was told already.
  bool BeginFile();
  void ReportListingError(uint32_t code);

  TKyFindFile KyFindFile;
  TKyGrep KyGrep;
  TGrepSink* sink_;
  int hitCount_ = 0;
  int fileHits_ = 0;       // of the file being reported
  bool fileBegun_ = false;  // whether the sink heard of that file yet
  size_t addedPrefix_ = 0;  // bytes before the user's directory in the enumerator's paths
};

}  // namespace tansa2
