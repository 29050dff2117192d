#include "engine/KyGrep.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "engine/FileSearch.h"
#include "platform/FileIO.h"

namespace tansa2 {
namespace {

// Files queued per worker: enough that the workers never run dry while one
// of them is on a large file and the owner waits for it. Only the files
// being searched hold their text; the others hold a name, or their hits.
constexpr size_t kFilesPerWorker = 2048;
// Found lines of done files that wait for the owner, in bytes: beyond this
// the workers start no file until the owner has reported some, so that a
// search with hits on most lines can't pile up the text of thousands of
// files while the owner reports the first ones. Files are started in queue
// order, so the one the owner waits for is never among those held back.
// An owner that searches too holds few: what it holds is most of its memory.
// A window keeps every line it is given anyway, and its thread can't search:
// with few held, a large file at the front kept one worker searching and the
// other held back, a core idle, for a tenth of a search with hits on most
// lines. Not many more: what is held when the workers are done, the window's
// thread still has to add alone.
constexpr size_t kMostHeldBytes = size_t{4} << 20;
constexpr size_t kMostHeldBytesForWindow = size_t{8} << 20;
// Each worker, and an owner that searches too, holds a file and its
// conversion, so their number bounds memory.
constexpr unsigned kMaxWorkers = 8;
// Files queued before a sleeping worker is woken.
constexpr size_t kWakeBatch = 4;
// Files done at the front of the queue before the waiting owner is woken:
// woken for each small file, it would take a core from the workers as often.
constexpr size_t kDeliveryBatch = 32;
// How long the owner waits for a worker before it lets messages through.
constexpr auto kPumpInterval = std::chrono::milliseconds(10);

// Hands a file's open or read error to `onFileError`; anything else
// (a pattern the library refuses) is thrown.
void ReportFileError(const std::string& fileName, const std::exception_ptr& error,
                     const std::function<void(const TGrepFileError&)>& onFileError) {
  if (!onFileError) std::rethrow_exception(error);
  auto report = [&](TGrepFileError::TStage stage, const platform::EFileError& failure) {
    onFileError(TGrepFileError{fileName, stage, failure.SystemError(), failure.what()});
  };
  try {
    std::rethrow_exception(error);
  } catch (const platform::EFOpenError& failure) {
    report(TGrepFileError::feOpen, failure);
  } catch (const platform::EInOutError& failure) {
    report(TGrepFileError::feRead, failure);
  }
}

}  // namespace

TKyGrep::TKyGrep() = default;

TKyGrep::~TKyGrep() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    canceled_ = true;
  }
  workReady_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

bool TKyGrep::Report(std::string_view line, int lineNum, int pos, int len) {
  OnMatch(*this, TGrepHit{fileName_, lineNum, line, pos, len});
  if (ProcessMessages) ProcessMessages();
  return !canceled_;
}

int TKyGrep::GrepFile(const std::string& FileName) {
  if (!OnMatch) return 0;
  fileName_ = FileName;
  canceled_ = false;
  matcher_.SetPattern(RegExp);
  try {
    return SearchFile({fileName_, std::nullopt}, AutoCode, Code, matcher_,
                      [this](std::string_view line, int lineNum, int pos, int len) {
                        return Report(line, lineNum, pos, len);
                      },
                      canceled_)
        .value_or(0);
  } catch (const platform::EFOpenError&) {
    if (AutoCode) throw;
    return 0;
  }
}

void TKyGrep::QueueFile(const std::string& FileName, std::optional<uint64_t> listedSize, uint64_t sizeLimit) {
  if (!OnMatch) return;
  if (workers_.empty()) {
    // An owner that searches too takes a worker's place.
    const unsigned searchers = std::clamp(std::thread::hardware_concurrency(), 2u, kMaxWorkers);
    const unsigned count = ProcessMessages ? searchers : searchers - 1;
    mostHeldBytes_ = ProcessMessages ? kMostHeldBytesForWindow : kMostHeldBytes;
    for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { Work(); });
  }
  bool wakeWorker;
  size_t queued;
  {
    std::lock_guard lock(mutex_);
    // A run begins with its first file; a queue that runs empty half way
    // through the walk doesn't begin another, nor forget the run's cancel.
    if (!runOpen_) canceled_ = false;
    runOpen_ = true;
    auto job = std::make_shared<TJob>();
    job->file = {FileName, listedSize, sizeLimit};
    job->pattern = RegExp;
    job->autoCode = AutoCode;
    job->code = Code;
    queue_.push_back(std::move(job));
    // Sleeping workers are woken for a few files at once, not for each.
    wakeWorker = idleWorkers_ > 0 && ++unstarted_ >= kWakeBatch;
    if (wakeWorker) unstarted_ = 0;
    queued = queue_.size();
  }
  if (wakeWorker) workReady_.notify_one();
  // Report what is done; once the queue is full, wait until it is half
  // empty, so the owner doesn't wake for every single file.
  const size_t full = workers_.size() * kFilesPerWorker;
  Deliver(queued >= full ? full / 2 : std::numeric_limits<size_t>::max());
}

bool TKyGrep::FrontBatchDone() const {
  size_t done = 0;
  for (const auto& job : queue_) {
    if (!job->done) return false;
    if (++done == kDeliveryBatch) return true;
  }
  return done > 0;
}

void TKyGrep::FinishQueue() {
  runOpen_ = false;
  Deliver(1);
}

void TKyGrep::Work() {
  TLineMatcher matcher;
  std::unique_lock lock(mutex_);
  for (;;) {
    std::shared_ptr<TJob> job;
    ++idleWorkers_;
    workReady_.wait(lock, [&] {
      if (stopping_) return true;
      // A canceled run's files are dropped, not searched.
      if (canceled_) return false;
      job = NextUnstarted();
      return job != nullptr;
    });
    --idleWorkers_;
    if (stopping_) return;
    Search(*job, matcher, lock);
    // Woken under the lock, the owner would at once wait for it again.
    if (ownerWait_ == TOwnerWait::Started || (ownerWait_ == TOwnerWait::Front && FrontBatchDone())) {
      lock.unlock();
      jobDone_.notify_all();
      lock.lock();
    }
  }
}

std::shared_ptr<TKyGrep::TJob> TKyGrep::NextUnstarted() {
  for (const auto& queued : queue_)
    if (!queued->started) {
      if (heldBytes_ <= mostHeldBytes_) return queued;
      throttled_ = true;
      return nullptr;
    }
  return nullptr;
}

void TKyGrep::Search(TJob& job, TLineMatcher& matcher, std::unique_lock<std::mutex>& lock) {
  job.started = true;
  lock.unlock();
  try {
    matcher.SetPattern(job.pattern);
    job.passedOver = !SearchFile(job.file, job.autoCode, job.code, matcher,
                                 [&](std::string_view line, int lineNum, int pos, int len) {
                                   job.lines.push_back({lineNum, pos, len, job.text.size(), line.size()});
                                   job.text.append(line);
                                   return true;
                                 },
                                 canceled_);
  } catch (...) {
    job.error = std::current_exception();
  }
  lock.lock();
  job.done = true;
  heldBytes_ += job.HeldBytes();
}

void TKyGrep::Deliver(size_t untilBelow) {
  // Nothing to report now, and nothing to wait for.
  const auto nothingDue = [&] { return queue_.empty() || (!queue_.front()->done && queue_.size() < untilBelow); };
  try {
    for (;;) {
      std::shared_ptr<TJob> job;
      // Only the owner adds files to the queue and takes them off, so it
      // may look at the front without the lock: with a worker holding the
      // lock and waiting for a core, taking it for nothing stalled the walk.
      if (!canceled_ && nothingDue()) return;
      {
        std::unique_lock lock(mutex_);
        if (canceled_) break;
        if (nothingDue()) return;
        if (!queue_.front()->done && !ProcessMessages) {
          if (const std::shared_ptr<TJob> own = NextUnstarted()) {
            Search(*own, matcher_, lock);
            continue;
          }
        }
        if (!queue_.front()->done) {
          // The owner needs the front file now: nobody may still sleep over it.
          if (idleWorkers_ > 0 && !queue_.front()->started) {
            unstarted_ = 0;
            workReady_.notify_all();
          }
          ownerWait_ = TOwnerWait::Front;
          // Waiting out the interval, it delivers what is done by then.
          jobDone_.wait_for(lock, kPumpInterval, [&] { return FrontBatchDone(); });
          ownerWait_ = TOwnerWait::Nothing;
          if (!queue_.front()->done) {
            lock.unlock();
            if (ProcessMessages) ProcessMessages();
            continue;
          }
        }
        job = std::move(queue_.front());
        queue_.pop_front();
        heldBytes_ -= job->HeldBytes();
        if (throttled_ && heldBytes_ <= mostHeldBytes_ / 2) {
          throttled_ = false;
          workReady_.notify_all();
        }
      }
      if (job->passedOver) continue;
      fileName_ = job->file.name;
      if (job->error) {
        ReportFileError(fileName_, job->error, OnFileError);
        continue;
      }
      const std::string_view text = job->text;
      for (const TFoundLine& found : job->lines)
        if (!Report(text.substr(found.offset, found.length), found.lineNum, found.matchPos, found.matchLen))
          break;
      if (canceled_) break;
      if (OnFileDone) OnFileDone(fileName_);
      // Files may come in faster than the owner's window is served
      // otherwise: it gets its turn between files, as between hits.
      if (ProcessMessages) ProcessMessages();
    }
  } catch (...) {
    DropQueue();
    runOpen_ = false;
    throw;
  }
  DropQueue();
}

// Drops every queued file, waiting for the workers on them to stop.
void TKyGrep::DropQueue() {
  std::unique_lock lock(mutex_);
  // Counted before the flag is read: Cancel sets the flag before it counts.
  const unsigned requests = cancelRequests_;
  const bool wasCanceled = canceled_;
  canceled_ = true;
  ownerWait_ = TOwnerWait::Started;
  jobDone_.wait(lock, [&] {
    for (const auto& job : queue_)
      if (job->started && !job->done) return false;
    return true;
  });
  ownerWait_ = TOwnerWait::Nothing;
  queue_.clear();
  heldBytes_ = 0;
  throttled_ = false;
  unstarted_ = 0;
  canceled_ = wasCanceled || cancelRequests_ != requests;
}

}  // namespace tansa2
