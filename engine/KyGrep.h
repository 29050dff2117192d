#pragma once
// Searches files: reads their lines raw, or detects each file's code and
// converts it to Shift-JIS, and reports every line the pattern matches.
//
// GrepFile searches one file on the calling thread. QueueFile hands files to
// worker threads instead; their matches are still reported on the owner's
// thread, file by file in the order they were queued, from QueueFile and
// FinishQueue.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/FileSearch.h"
#include "engine/GrepSink.h"
#include "engine/KyConvert.h"
#include "engine/LineMatcher.h"

namespace tansa2 {

class TKyGrep;
using TOnMatchEvent = std::function<void(TKyGrep& Sender, const TGrepHit& Hit)>;

class TKyGrep {
 public:
  TKyGrep();
  ~TKyGrep();
  TKyGrep(const TKyGrep&) = delete;
  TKyGrep& operator=(const TKyGrep&) = delete;

  std::string RegExp;  // m/.../k or m/.../ki
  bool AutoCode = true;
  // The code every file is read in when AutoCode is on; kcAuto detects
  // each file's.
  int Code = kcAuto;
  TOnMatchEvent OnMatch;
  // Lets the owner's window handle pending messages: after each match, after
  // each queued file, and now and then while waiting for a worker. An owner
  // without messages to handle has nothing else to do on its thread while it
  // waits: it searches queued files itself, and one worker fewer is started,
  // so that no more threads are busy than there are cores.
  std::function<void()> ProcessMessages;
  // After the matches of a queued file have been reported.
  std::function<void(const std::string& FileName)> OnFileDone;
  // A queued file that could not be opened or read, in raw mode too. The
  // run goes on with the next file unless this throws; without a handler
  // the error is thrown as described at QueueFile.
  std::function<void(const TGrepFileError& Error)> OnFileError;

  // The file whose matches are being reported, or the last one.
  const std::string& FileName() const { return fileName_; }

  // Number of matching lines; 0 when none or the file was skipped.
  // Throws platform::EFOpenError (converted mode), platform::EInOutError
  // and EBRegExpError.
  int GrepFile(const std::string& FileName);
  // Stops the running search after the line it is on; queued files are
  // dropped. Any thread may call it.
  void Cancel() {
    canceled_ = true;
    ++cancelRequests_;
  }
  // Whether the running or last run was cancelled.
  bool Canceled() const { return canceled_; }

  // Hands a file to the workers, with its size in the listing it was found
  // in when there is one. A file found `sizeLimit` bytes or larger when it
  // is opened is passed over as if it had never been queued. May report
  // earlier files' matches, and throws what searching an earlier file
  // threw, in queue order.
  void QueueFile(const std::string& FileName, std::optional<uint64_t> listedSize = {},
                 uint64_t sizeLimit = UINT64_MAX);
  // Reports everything still queued; the queue is empty afterwards, also
  // when it throws.
  void FinishQueue();

 private:
  // A matching line of a queued file, kept in its job's `text`.
  struct TFoundLine {
    int lineNum;
    int matchPos;
    int matchLen;
    size_t offset;
    size_t length;
  };
  struct TJob {
    TFileToSearch file;
    std::string pattern;
    bool autoCode;
    int code;
    bool started = false;
    // Set under the lock; the owner also reads it without, at the queue's front.
    std::atomic<bool> done = false;
    bool passedOver = false;  // over its size limit
    std::vector<TFoundLine> lines;
    std::string text;  // the found lines one after another: one buffer, not one a line
    std::exception_ptr error;
    // Bytes the found lines take; they don't change once the job is done.
    size_t HeldBytes() const { return text.capacity() + lines.capacity() * sizeof(TFoundLine); }
  };

  bool Report(std::string_view line, int lineNum, int pos, int len);
  void Work();
  // The first queued file no one has started, unless the found lines that
  // wait for the owner take too much room. Called with mutex_ held.
  std::shared_ptr<TJob> NextUnstarted();
  // Searches the job's file outside `lock`, which holds mutex_ before and
  // after, keeping its matching lines or its error in it.
  void Search(TJob& job, TLineMatcher& matcher, std::unique_lock<std::mutex>& lock);
  // Reports finished files from the front of the queue; with `untilBelow`,
  // waits until fewer than that many files are left.
  void Deliver(size_t untilBelow);
  void DropQueue();
  // Whether the front files are done, enough of them to wake the owner
  // for: a batch, or all that are queued. Called with mutex_ held.
  bool FrontBatchDone() const;

  std::string fileName_;
  std::atomic<bool> canceled_ = false;
  // Counts Cancel's calls, so that dropping the queue, which borrows
  // canceled_ to stop the workers, can tell whether a cancel came meanwhile.
  std::atomic<unsigned> cancelRequests_ = 0;
  bool runOpen_ = false;  // from a run's first queued file until it is finished or fails
  TLineMatcher matcher_;

  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable jobDone_;
  std::deque<std::shared_ptr<TJob>> queue_;
  bool stopping_ = false;
  // What the owner waits on jobDone_ for: the front files (see
  // FrontBatchDone), or every file a worker has started. Workers wake it only
  // for that.
  enum class TOwnerWait { Nothing, Front, Started };
  TOwnerWait ownerWait_ = TOwnerWait::Nothing;
  int idleWorkers_ = 0;        // workers waiting for workReady_
  size_t unstarted_ = 0;       // files queued since sleeping workers were last woken
  size_t heldBytes_ = 0;       // of the found lines of done files not yet reported
  size_t mostHeldBytes_ = 0;   // beyond which no file is started; set with the workers
  bool throttled_ = false;     // a worker waits for the owner to report some of them
  std::vector<std::thread> workers_;
};

}  // namespace tansa2
