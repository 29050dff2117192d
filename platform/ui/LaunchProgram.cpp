#include "platform/ui/LaunchProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QMessageBox>
#include <cerrno>
#include <vector>

#include "platform/NameForm.h"
#include "platform/ProcessArguments.h"
#include "platform/SystemError.h"
#include "platform/ui/QtText.h"

namespace tansa2::platform {
namespace {

class TPipe {
 public:
  TPipe() {
    if (pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~TPipe() {
    CloseWriteEnd();
    if (fds_[0] >= 0) close(fds_[0]);
  }
  TPipe(const TPipe&) = delete;
  TPipe& operator=(const TPipe&) = delete;
  bool Open() const { return fds_[0] >= 0; }
  int ReadEnd() const { return fds_[0]; }
  int WriteEnd() const { return fds_[1]; }
  void CloseWriteEnd() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }

 private:
  int fds_[2];
};

// Starts `argv` (argv[0] a path, or a name looked up in PATH) in a grandchild
// of its own session that nobody waits for, so that it never lingers as a
// zombie and outlives this process. The arguments are handed over as the
// very bytes given: a file name that isn't UTF-8 reaches the program as the
// file system has it. Returns 0, or the error number of the failed start.
int StartDetached(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  TPipe status;  // closes on exec; carries the error number when exec fails
  if (!status.Open()) return errno;
  const pid_t child = fork();
  if (child < 0) return errno;
  if (child == 0) {
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execvp(argv[0], argv.data());
      const int error = errno;
      [[maybe_unused]] const ssize_t written = write(status.WriteEnd(), &error, sizeof error);
      _exit(127);
    }
    if (grandchild < 0) {
      const int error = errno;
      [[maybe_unused]] const ssize_t written = write(status.WriteEnd(), &error, sizeof error);
    }
    _exit(0);
  }
  status.CloseWriteEnd();
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  while ((got = read(status.ReadEnd(), &error, sizeof error)) < 0 && errno == EINTR) {
  }
  return got == sizeof error ? error : 0;
}

}  // namespace

bool LaunchProgram(const std::string& program, std::string_view parameters, QWidget* parent) {
  std::vector<std::string> arguments{NativePath(program)};
  for (std::string& argument : SplitArguments(parameters)) arguments.push_back(std::move(argument));
  const int error = StartDetached(arguments);
  if (error == 0) return true;
  const QString title = parent ? parent->window()->windowTitle() : QString();
  QMessageBox::warning(parent, title,
                       NameToQString(program) + QStringLiteral(" を起動できませんでした。\n") +
                           ToQString(SystemErrorText(error)));
  return false;
}

}  // namespace tansa2::platform
