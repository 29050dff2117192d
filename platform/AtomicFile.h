#pragma once
// Files that are replaced whole: the settings file, saved results and the
// result history. A crash or a full disk during a write never leaves a half
// file under the real name: the bytes go to a temporary file in the same
// folder, are flushed, and the temporary file is renamed over the real one.
// The temporary file has no name while it is written (O_TMPFILE), so a
// process killed in the middle leaves nothing behind; it is linked to a
// temporary name only for the instant before the rename. Where the file
// system has no unnamed files it is named from the start. Either name is
// one of platform/TemporaryFileNames.h, and each writer first removes those
// that killed processes left in its folder.
#include <string>
#include <string_view>

namespace tansa2::platform {

// Writes a file in pieces, so that a large one is never held whole in
// memory: the pieces gather in a buffer that goes to the temporary file each
// time it fills, and Commit puts the file in place. Every failure throws
// EInOutError (platform/FileIO.h) naming the file and the system's reason;
// after a failure, or when the writer goes without a Commit, the old file is
// untouched and no temporary file is left behind.
class TAtomicFileWriter {
 public:
  // Makes the temporary file in the folder of the CP932 path `cp932Path`.
  explicit TAtomicFileWriter(const std::string& cp932Path);
  ~TAtomicFileWriter();
  TAtomicFileWriter(const TAtomicFileWriter&) = delete;
  TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

  void Write(std::string_view bytes);
  // Writes what is buffered, flushes the file to the disk and renames it
  // over the real one.
  void Commit();

 private:
  void WriteOut(std::string_view bytes);
  [[noreturn]] void Fail(int error);

  std::string cp932Path_;
  std::string target_;
  std::string temporary_;  // empty while the file has no name
  int fd_ = -1;  // -1 once committed or failed
  std::string buffer_;
};

// Replaces the file at the CP932 path `cp932Path` with `bytes`, as
// TAtomicFileWriter does.
void WriteFileAtomically(const std::string& cp932Path, std::string_view bytes);

}  // namespace tansa2::platform
