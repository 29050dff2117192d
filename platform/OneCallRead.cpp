#include "platform/OneCallRead.h"

#include <algorithm>
#include <cstring>

#ifdef TANSA2_HAVE_LIBURING
#include <fcntl.h>
#include <liburing.h>

#include <cerrno>

#include "platform/NameForm.h"
#endif

namespace tansa2::platform {

#ifdef TANSA2_HAVE_LIBURING
namespace {

// The four requests of a read, in the order they are made.
enum TStep { kOpen, kRead, kProbe, kClose, kSteps };

// A thread's ring, made when the thread first reads, with one slot for the
// file being read: the file is opened into the slot, never given a
// descriptor of its own, so that the reads and the close can name it before
// the open has run.
class TThreadRing {
 public:
  TThreadRing() {
    if (io_uring_queue_init(kSteps, &ring_, 0) != 0) return;
    if (io_uring_register_files_sparse(&ring_, 1) != 0) {
      io_uring_queue_exit(&ring_);
      return;
    }
    usable_ = true;
  }
  ~TThreadRing() {
    if (usable_) io_uring_queue_exit(&ring_);
  }
  TThreadRing(const TThreadRing&) = delete;
  TThreadRing& operator=(const TThreadRing&) = delete;

  bool Usable() const { return usable_; }

  // The results of the two reads, and the bytes of the second.
  struct TReads {
    int read;
    int more;
    const char* moreBytes;
  };

  // Opens `nativePath`, reads up to `room` bytes into `data`, then asks for
  // a few bytes more, which a file that ended within the room doesn't have,
  // and closes it. Nothing when the file couldn't be opened or the ring failed.
  std::optional<TReads> OpenReadClose(const char* nativePath, char* data, unsigned room) {
    io_uring_sqe* open = io_uring_get_sqe(&ring_);
    // Without O_NONBLOCK a FIFO would hold the open until a writer came.
    io_uring_prep_openat_direct(open, AT_FDCWD, nativePath, O_RDONLY | O_NONBLOCK, 0, 0);
    open->flags |= IOSQE_IO_LINK;  // nothing more when the open fails
    io_uring_sqe* read = io_uring_get_sqe(&ring_);
    io_uring_prep_read(read, 0, data, room, -1);
    io_uring_sqe* probe = io_uring_get_sqe(&ring_);
    io_uring_prep_read(probe, 0, probe_, sizeof probe_, -1);
    // A failed read still goes on to the close.
    read->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
    probe->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
    io_uring_sqe* close = io_uring_get_sqe(&ring_);
    io_uring_prep_close_direct(close, 0);
    // Each completion tells which request it ends; a slot keeps the last one's mark otherwise.
    io_uring_sqe_set_data64(open, kOpen);
    io_uring_sqe_set_data64(read, kRead);
    io_uring_sqe_set_data64(probe, kProbe);
    io_uring_sqe_set_data64(close, kClose);
    const int submitted = io_uring_submit(&ring_);
    int results[kSteps] = {};
    int done = 0;
    while (done < std::max(submitted, 0)) {
      io_uring_cqe* completion = nullptr;
      const int waited = io_uring_wait_cqe(&ring_, &completion);
      if (waited == -EINTR || waited == -EAGAIN) continue;
      if (waited != 0) break;
      const uint64_t step = io_uring_cqe_get_data64(completion);
      if (step < kSteps) results[step] = completion->res;
      io_uring_cqe_seen(&ring_, completion);
      ++done;
    }
    // A ring that lost track of its requests isn't used again: one still
    // under way could write into a later file's room.
    if (done != kSteps) {
      usable_ = false;
      return std::nullopt;
    }
    if (results[kOpen] < 0) return std::nullopt;
    return TReads{results[kRead], results[kProbe], probe_};
  }

 private:
  io_uring ring_{};
  bool usable_ = false;
  char probe_[16];
};

}  // namespace
#endif

TOneCallRead ReadInOneCall(const std::string& cp932Path, TReadBuffer& buffer, std::optional<uint64_t> listedSize,
                           uint64_t sizeLimit) {
#ifdef TANSA2_HAVE_LIBURING
  thread_local TThreadRing ring;
  if (!ring.Usable()) return {};
  char* data = buffer.Grow(listedSize ? *listedSize + 1 : 1, 0);
  // A file of the size limit's bytes fills a room of that size.
  const uint64_t room = std::min<uint64_t>({buffer.Capacity(), sizeLimit, UINT32_MAX >> 1});
  const std::optional<TThreadRing::TReads> reads =
      ring.OpenReadClose(NativePath(cp932Path).c_str(), data, static_cast<unsigned>(room));
  if (!reads || reads->read < 0) return {};
  const auto read = static_cast<size_t>(reads->read);
  if (read == sizeLimit) return {TOneCallRead::TOutcome::OverLimit, {}};
  if (reads->more == 0) return {TOneCallRead::TOutcome::Read, std::string_view(data, read)};
  // The file goes on: hand back all that was taken of it.
  const size_t more = reads->more > 0 ? static_cast<size_t>(reads->more) : 0;
  data = buffer.Grow(read + more, read);
  std::memcpy(data + read, reads->moreBytes, more);
  return {TOneCallRead::TOutcome::NotRead, std::string_view(data, read + more)};
#else
  (void)cp932Path, (void)buffer, (void)listedSize, (void)sizeLimit;
  return {};
#endif
}

}  // namespace tansa2::platform
