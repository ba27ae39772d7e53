// transcript_runner: runs the real dvsql binary on one transcript case (tests/cases/*.t)
// and compares its standard output, standard error, exit status and, for cases that use
// the scripted driver, the driver's log byte for byte with what the case expects.
// tests/README.md describes the case format.
//
// Exit status: 0 the case passed, 1 it failed, 2 the case file or the command line is
// wrong or the runner itself hit a system error, 77 the case was skipped.
//
// A case runs on SQLite (an account directory in the case's temporary directory) or, with
// --backend postgresql, on a database of its own that the runner creates for it in the
// PostgreSQL cluster named by DVSQL_TEST_PG and drops afterwards.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/driver/LogText.h"

extern char** environ;

namespace {

constexpr int kExitPass = 0;
constexpr int kExitFail = 1;
constexpr int kExitError = 2;
constexpr int kExitSkip = 77;

constexpr int kDefaultTimeoutSeconds = 60;
constexpr long kMaxTimeoutSeconds = 24L * 60 * 60;
constexpr long kMaxAddressSpaceMiB = 1L << 20;  // 1 TiB
constexpr unsigned long kMaxRepeat = 10'000'000;
// Bounds what one section may expand to, so that a typo in a {repeat} count fails the
// case instead of exhausting memory.
constexpr std::size_t kMaxExpandedBytes = std::size_t(1) << 30;
// Actual contents shorter than this many lines are shown whole in a failure report.
constexpr std::size_t kShortContentLines = 60;
// Longer lines are cut when shown, so that one huge line cannot flood the report.
constexpr std::size_t kShownLineBytes = 300;
constexpr std::size_t kIoChunk = 64 * 1024;

constexpr char kHeaderPrefix[] = "=== ";
constexpr std::size_t kHeaderPrefixLength = sizeof kHeaderPrefix - 1;

// The case file is wrong; the message starts with "file:line: ".
class CaseError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The command line is wrong or a system call failed.
class RunnerError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A termination signal arrived. The runner kills the child, removes the temporary
// directory and then dies of the same signal.
struct Interrupted {
  int signal;
};

[[noreturn]] void throwErrno(const std::string& what) {
  throw RunnerError(what + ": " + std::strerror(errno));
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> splitBlanks(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// Parses a decimal number in [0, max]; false when text is not one.
bool parseDecimal(std::string_view text, unsigned long max, unsigned long* value) {
  if (text.empty()) return false;
  unsigned long result = 0;
  for (char c : text) {
    if (!isDigit(c)) return false;
    unsigned long digit = static_cast<unsigned long>(c - '0');
    if (digit > max || result > (max - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

// Renders bytes for a report: printable ASCII as is, a backslash doubled, a newline as
// the visible marker "\n" and every other byte as \xHH, so that trailing blanks, a
// missing final newline and control bytes can all be seen.
void appendEscaped(std::string* out, std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  for (char c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\') {
      out->append("\\\\");
    } else if (c == '\n') {
      out->append("\\n");
    } else if (u >= 0x20 && u < 0x7f) {
      out->push_back(c);
    } else {
      out->append("\\x");
      out->push_back(kHex[u >> 4]);
      out->push_back(kHex[u & 0xf]);
    }
  }
}

std::string escaped(std::string_view bytes) {
  std::string out;
  appendEscaped(&out, bytes);
  return out;
}

// ---------------------------------------------------------------------------------------
// File descriptors and files

// Owns one file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives up ownership, for a caller that must check the result of close.
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Makes a close-on-exec pipe: the child gets its ends through dup2, which clears the flag
// on the copy only, so no other pipe end leaks into it.
void makePipe(UniqueFd* readEnd, UniqueFd* writeEnd) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throwErrno("pipe");
  readEnd->reset(fds[0]);
  writeEnd->reset(fds[1]);
}

void setNonBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) throwErrno("fcntl");
}

// Reads a whole file. Returns false when it does not exist.
bool readFile(const std::string& path, std::string* content) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT) return false;
    throwErrno("cannot open " + path);
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) throwErrno("cannot stat " + path);
  content->clear();
  if (S_ISREG(st.st_mode) && st.st_size > 0) content->reserve(static_cast<std::size_t>(st.st_size));
  std::vector<char> buffer(kIoChunk);
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno("cannot read " + path);
    }
    if (n == 0) return true;
    content->append(buffer.data(), static_cast<std::size_t>(n));
  }
}

void writeAll(int fd, std::string_view data, const std::string& what) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), std::min(data.size(), kIoChunk));
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno("cannot write " + what);
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
}

void writeFile(const std::string& path, std::string_view content) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.valid()) throwErrno("cannot create " + path);
  writeAll(fd.get(), content, path);
  if (::close(fd.release()) != 0) throwErrno("cannot write " + path);
}

std::string currentDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
    if (errno != ERANGE) throwErrno("getcwd");
    buffer.resize(buffer.size() * 2);
  }
}

// Makes path absolute, as the child runs in another directory. Drops "." components and
// repeated slashes, which only make the path longer in reports; ".." stays, as removing
// it could change the meaning of a path through a symbolic link.
std::string absolutePath(const std::string& path) {
  std::string full = !path.empty() && path[0] == '/' ? path : currentDirectory() + "/" + path;
  std::string clean;
  std::size_t i = 0;
  while (i < full.size()) {
    std::size_t slash = full.find('/', i);
    if (slash == std::string::npos) slash = full.size();
    std::string_view component(full.data() + i, slash - i);
    if (!component.empty() && component != ".") {
      clean += '/';
      clean += component;
    }
    i = slash + 1;
  }
  return clean.empty() ? "/" : clean;
}

// Makes sure descriptors 0, 1 and 2 are open, so that no pipe the runner makes can land
// on them (dup2 onto the same number would keep its close-on-exec flag).
void ensureStandardFds() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened < 0) throwErrno("cannot open /dev/null");
    if (opened != fd) {
      if (::dup2(opened, fd) < 0) throwErrno("dup2");
      ::close(opened);
    }
  }
}

// Marks every descriptor above 2 that the runner inherited close-on-exec, so that dvsql
// sees exactly its three pipes.
void closeInheritedFdsOnExec() {
  auto mark = [](int fd) {
    int flags = ::fcntl(fd, F_GETFD);
    if (flags >= 0 && !(flags & FD_CLOEXEC)) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
  };
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) dir = ::opendir("/dev/fd");
  if (dir != nullptr) {
    int own = ::dirfd(dir);
    while (struct dirent* entry = ::readdir(dir)) {
      unsigned long fd;
      if (parseDecimal(entry->d_name, INT_MAX, &fd) && fd > 2 && static_cast<int>(fd) != own) {
        mark(static_cast<int>(fd));
      }
    }
    ::closedir(dir);
    return;
  }
  long max = ::sysconf(_SC_OPEN_MAX);
  if (max < 0 || max > 65536) max = 65536;
  for (int fd = 3; fd < max; ++fd) mark(fd);
}

// Removes `name` below directory `parent` and everything in it, without following
// symbolic links. Directories are made accessible first: a case may leave behind one it
// made unreadable to test error handling. Returns false and sets errno when it fails.
bool removeTree(int parent, const char* name) {
  struct stat st;
  if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
  ::fchmodat(parent, name, S_IRWXU, 0);
  int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    return false;
  }
  bool ok = true;
  int savedErrno = 0;
  for (;;) {
    errno = 0;
    struct dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0 && ok) {
        ok = false;
        savedErrno = errno;
      }
      break;
    }
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (!removeTree(fd, entry->d_name) && ok) {
      ok = false;
      savedErrno = errno;
    }
  }
  ::closedir(dir);
  if (!ok) {
    errno = savedErrno;
    return false;
  }
  return ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

// The case's temporary directory: made with mkdtemp, removed with all its content when
// the case ends unless the developer asked to keep it.
class TempDir {
 public:
  TempDir(const std::string& caseName, bool keep) : keep_(keep) {
    const char* base = std::getenv("TMPDIR");
    std::string dir = base != nullptr && *base != '\0' ? base : "/tmp";
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    std::string pattern = absolutePath(dir) + "/dvsql-" + caseName + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) throwErrno("cannot make a directory like " + pattern);
    path_ = buffer.data();
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    if (keep_) {
      std::printf("kept: %s\n", path_.c_str());
      return;
    }
    if (!removeTree(AT_FDCWD, path_.c_str())) {
      std::fprintf(stderr, "transcript_runner: warning: cannot remove %s: %s\n", path_.c_str(),
                   std::strerror(errno));
    }
  }

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool keep_;
};

// ---------------------------------------------------------------------------------------
// Signals

int gSignalPipe[2] = {-1, -1};
volatile sig_atomic_t gTerminateSignal = 0;

// Wakes the poll loop through a self-pipe: on SIGCHLD to reap the child, on a
// termination signal to kill it and clean up.
void onSignal(int signal) {
  int savedErrno = errno;
  if (signal != SIGCHLD) gTerminateSignal = signal;
  char byte = 0;
  // A full pipe already holds a pending wakeup, so a failed write loses nothing.
  ssize_t ignored = ::write(gSignalPipe[1], &byte, 1);
  (void)ignored;
  errno = savedErrno;
}

void installSignalHandlers() {
  if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) throwErrno("pipe");
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
  if (::sigaction(SIGCHLD, &action, nullptr) != 0) throwErrno("sigaction");
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the runner was started with ignored (nohup, a background job) stays ignored.
    struct sigaction old;
    if (::sigaction(signal, nullptr, &old) != 0) throwErrno("sigaction");
    if (old.sa_handler == SIG_IGN) continue;
    if (::sigaction(signal, &action, nullptr) != 0) throwErrno("sigaction");
  }
  // A child that exits without reading its input makes writes fail with EPIPE instead.
  if (::signal(SIGPIPE, SIG_IGN) == SIG_ERR) throwErrno("signal");
}

void checkInterrupted() {
  if (gTerminateSignal != 0) throw Interrupted{gTerminateSignal};
}

void drainSignalPipe() {
  char buffer[64];
  while (::read(gSignalPipe[0], buffer, sizeof buffer) > 0) {
  }
}

// ---------------------------------------------------------------------------------------
// Running a child

struct ChildSpec {
  std::vector<std::string> argv;  // argv[0] is the absolute path of the program
  std::vector<std::string> env;   // NAME=VALUE entries
  std::string_view input;
  std::string directory;
  unsigned long addressSpaceMiB = 0;  // 0: no limit
  long timeoutSeconds = kDefaultTimeoutSeconds;
};

struct ChildResult {
  std::string out;
  std::string err;
  int waitStatus = 0;
  bool timedOut = false;
};

// What the child reports through its close-on-exec pipe when it cannot start the program.
struct StartFailure {
  int step;
  int error;
};

enum StartStep { kStepChdir, kStepLimit, kStepRedirect, kStepExec };

const char* describeStep(int step) {
  switch (step) {
    case kStepChdir:
      return "change to the case directory for";
    case kStepLimit:
      return "set the address-space limit for";
    case kStepRedirect:
      return "redirect the standard streams of";
    default:
      return "execute";
  }
}

[[noreturn]] void failStart(int reportFd, int step) {
  StartFailure failure{step, errno};
  ssize_t ignored = ::write(reportFd, &failure, sizeof failure);
  (void)ignored;
  ::_exit(127);
}

// Runs in the forked child until execve; only async-signal-safe calls.
[[noreturn]] void startChild(char* const* argv, char* const* envp, const char* directory,
                             const struct rlimit* limit, int in, int out, int err, int report) {
  ::setpgid(0, 0);  // its own group, so that a timeout can kill whatever it started
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // An ignored signal stays ignored across execve; dvsql must get the default.
  ::signal(SIGPIPE, SIG_DFL);
  if (::chdir(directory) != 0) failStart(report, kStepChdir);
  if (limit != nullptr && ::setrlimit(RLIMIT_AS, limit) != 0) failStart(report, kStepLimit);
  if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
    failStart(report, kStepRedirect);
  }
  ::execve(argv[0], argv, envp);
  failStart(report, kStepExec);
}

// Kills and reaps a started child on every path out of runChild, exceptions included.
class ChildGuard {
 public:
  explicit ChildGuard(pid_t pid) : pid_(pid) {}
  ChildGuard(const ChildGuard&) = delete;
  ChildGuard& operator=(const ChildGuard&) = delete;
  ~ChildGuard() {
    if (reaped_) return;
    killGroup();
    int status;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }

  void killGroup() {
    ::kill(-pid_, SIGKILL);
    if (!reaped_) ::kill(pid_, SIGKILL);
  }

  // Reaps the child if it has exited. Returns true once it has been reaped.
  bool poll(int* status) {
    if (reaped_) return true;
    pid_t result = ::waitpid(pid_, status, WNOHANG);
    if (result < 0 && errno != EINTR) throwErrno("waitpid");
    reaped_ = result == pid_;
    return reaped_;
  }

  void wait(int* status) {
    while (!reaped_) {
      pid_t result = ::waitpid(pid_, status, 0);
      if (result < 0 && errno != EINTR) throwErrno("waitpid");
      reaped_ = result == pid_;
    }
  }

 private:
  pid_t pid_;
  bool reaped_ = false;
};

int64_t monotonicMillis() {
  struct timespec now;
  if (::clock_gettime(CLOCK_MONOTONIC, &now) != 0) throwErrno("clock_gettime");
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Reads what is available on fd into *out. Returns false at end of file.
bool readAvailable(int fd, std::string* out, std::vector<char>* buffer) {
  ssize_t n = ::read(fd, buffer->data(), buffer->size());
  if (n > 0) {
    out->append(buffer->data(), static_cast<std::size_t>(n));
    return true;
  }
  if (n == 0) return false;
  if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) return true;
  throwErrno("cannot read the output of the child");
}

// Runs the program, feeding it job.input while collecting both outputs concurrently, so
// that neither side blocks the other whatever order the child reads and writes in.
ChildResult runChild(const ChildSpec& job) {
  std::vector<char*> argv;
  for (const std::string& arg : job.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : job.env) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);

  struct rlimit limit;
  bool haveLimit = job.addressSpaceMiB != 0;
  if (haveLimit) {
    if (::getrlimit(RLIMIT_AS, &limit) != 0) throwErrno("getrlimit");
    rlim_t wanted = static_cast<rlim_t>(job.addressSpaceMiB) * 1024 * 1024;
    if (limit.rlim_max != RLIM_INFINITY && wanted > limit.rlim_max) {
      throw RunnerError("address-space limit " + std::to_string(job.addressSpaceMiB) +
                        "M is above the hard limit of the runner");
    }
    limit.rlim_cur = wanted;
    limit.rlim_max = wanted;
  }

  UniqueFd inRead, inWrite, outRead, outWrite, errRead, errWrite, reportRead, reportWrite;
  makePipe(&inRead, &inWrite);
  makePipe(&outRead, &outWrite);
  makePipe(&errRead, &errWrite);
  makePipe(&reportRead, &reportWrite);

  drainSignalPipe();
  pid_t pid = ::fork();
  if (pid < 0) throwErrno("fork");
  if (pid == 0) {
    startChild(argv.data(), envp.data(), job.directory.c_str(), haveLimit ? &limit : nullptr,
               inRead.get(), outWrite.get(), errWrite.get(), reportWrite.get());
  }
  ChildGuard child(pid);
  // Also set here, so that the group exists before any kill, whichever process runs first;
  // fails harmlessly once the child has called execve.
  ::setpgid(pid, pid);
  inRead.reset();
  outWrite.reset();
  errWrite.reset();
  reportWrite.reset();

  StartFailure failure;
  std::size_t got = 0;
  while (got < sizeof failure) {
    ssize_t n =
        ::read(reportRead.get(), reinterpret_cast<char*>(&failure) + got, sizeof failure - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throwErrno("cannot read from the child");
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  reportRead.reset();
  if (got == sizeof failure) {
    throw RunnerError(std::string("cannot ") + describeStep(failure.step) + " " + job.argv[0] +
                      ": " + std::strerror(failure.error));
  }

  ChildResult result;
  std::string_view pending = job.input;
  if (pending.empty()) {
    inWrite.reset();
  } else {
    setNonBlocking(inWrite.get());
  }
  setNonBlocking(outRead.get());
  setNonBlocking(errRead.get());
  std::vector<char> buffer(kIoChunk);
  const int64_t deadline = monotonicMillis() + job.timeoutSeconds * 1000;
  bool reaped = child.poll(&result.waitStatus);

  while (outRead.valid() || errRead.valid() || !reaped) {
    checkInterrupted();
    int64_t remaining = deadline - monotonicMillis();
    if (remaining <= 0) {
      result.timedOut = true;
      child.killGroup();
      break;
    }
    struct pollfd fds[4];
    nfds_t count = 0;
    int inSlot = -1, outSlot = -1, errSlot = -1;
    fds[count] = {gSignalPipe[0], POLLIN, 0};
    ++count;
    if (inWrite.valid()) {
      inSlot = static_cast<int>(count);
      fds[count++] = {inWrite.get(), POLLOUT, 0};
    }
    if (outRead.valid()) {
      outSlot = static_cast<int>(count);
      fds[count++] = {outRead.get(), POLLIN, 0};
    }
    if (errRead.valid()) {
      errSlot = static_cast<int>(count);
      fds[count++] = {errRead.get(), POLLIN, 0};
    }
    int ready = ::poll(fds, count, static_cast<int>(std::min<int64_t>(remaining, INT_MAX)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      throwErrno("poll");
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents & POLLNVAL) throw RunnerError("poll: invalid descriptor");
    }
    if (fds[0].revents & POLLIN) drainSignalPipe();
    if (inSlot >= 0 && fds[inSlot].revents != 0) {
      ssize_t n = ::write(inWrite.get(), pending.data(), std::min(pending.size(), kIoChunk));
      if (n > 0) {
        pending.remove_prefix(static_cast<std::size_t>(n));
        if (pending.empty()) inWrite.reset();
      } else if (n < 0 && errno == EPIPE) {
        // The child does not want the rest of its input; that is its business.
        inWrite.reset();
      } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
        throwErrno("cannot write the input of the child");
      }
    }
    if (outSlot >= 0 && fds[outSlot].revents != 0 &&
        !readAvailable(outRead.get(), &result.out, &buffer)) {
      outRead.reset();
    }
    if (errSlot >= 0 && fds[errSlot].revents != 0 &&
        !readAvailable(errRead.get(), &result.err, &buffer)) {
      errRead.reset();
    }
    if (!reaped) reaped = child.poll(&result.waitStatus);
  }
  child.wait(&result.waitStatus);
  return result;
}

// ---------------------------------------------------------------------------------------
// The case file

struct SectionKind {
  const char* name;
  bool allowsNoeol;  // sections whose content is taken byte for byte
};

constexpr SectionKind kSectionKinds[] = {
    {"args", false},   {"stdin", true},   {"stdout", true},    {"stderr", true},
    {"status", false}, {"env", false},    {"setup", true},     {"driver", true},
    {"log", true},     {"limits", false}, {"backends", false},
};

struct Section {
  bool present = false;
  int headerLine = 0;
  bool noeol = false;
  std::string raw;  // content with header escapes removed; substitutions not yet applied
};

struct CaseFile {
  std::string path;
  std::map<std::string, Section, std::less<>> sections;

  const Section& section(std::string_view name) const { return sections.find(name)->second; }
  bool has(std::string_view name) const { return section(name).present; }
};

[[noreturn]] void caseError(const std::string& path, int line, const std::string& message) {
  throw CaseError(path + ":" + std::to_string(line) + ": " + message);
}

// Removes the escaping backslash of a content line that must start with "=== ": one
// backslash is removed from a line made of backslashes followed by "=== ", so that a
// line starting with "\=== " can be written too.
bool isEscapedHeader(std::string_view line) {
  std::size_t backslashes = 0;
  while (backslashes < line.size() && line[backslashes] == '\\') ++backslashes;
  return backslashes > 0 && startsWith(line.substr(backslashes), kHeaderPrefix);
}

CaseFile parseCaseFile(const std::string& path, const std::string& data) {
  CaseFile file;
  file.path = path;
  for (const SectionKind& kind : kSectionKinds) file.sections[kind.name];

  Section* current = nullptr;
  int lineNumber = 0;
  std::size_t position = 0;
  while (position < data.size()) {
    std::size_t newline = data.find('\n', position);
    std::size_t end = newline == std::string::npos ? data.size() : newline + 1;
    std::string_view line(data.data() + position, end - position);
    position = end;
    ++lineNumber;

    if (!startsWith(line, kHeaderPrefix)) {
      if (current == nullptr) continue;  // a comment before the first section
      if (isEscapedHeader(line)) line.remove_prefix(1);
      current->raw.append(line);
      continue;
    }

    std::string_view header = line.substr(kHeaderPrefixLength);
    if (!header.empty() && header.back() == '\n') header.remove_suffix(1);
    std::vector<std::string_view> words = splitBlanks(header);
    if (words.empty()) caseError(path, lineNumber, "section header without a name");
    const SectionKind* kind = nullptr;
    for (const SectionKind& candidate : kSectionKinds) {
      if (words[0] == candidate.name) kind = &candidate;
    }
    if (kind == nullptr) {
      caseError(path, lineNumber, "unknown section '" + escaped(words[0]) + "'");
    }
    Section& section = file.sections[kind->name];
    if (section.present) {
      caseError(path, lineNumber,
                std::string("section '") + kind->name + "' given twice (first at line " +
                    std::to_string(section.headerLine) + ")");
    }
    section.present = true;
    section.headerLine = lineNumber;
    for (std::size_t i = 1; i < words.size(); ++i) {
      if (words[i] == "noeol" && kind->allowsNoeol) {
        if (section.noeol) caseError(path, lineNumber, "flag 'noeol' given twice");
        section.noeol = true;
      } else {
        caseError(path, lineNumber,
                  "unknown flag '" + escaped(words[i]) + "' for section '" + kind->name + "'");
      }
    }
    current = &section;
  }

  for (auto& [name, section] : file.sections) {
    if (section.noeol && !section.raw.empty() && section.raw.back() == '\n') section.raw.pop_back();
  }
  if (!file.has("args")) caseError(path, 1, "the case has no 'args' section");
  if (file.has("log") && !file.has("driver")) {
    caseError(path, file.section("log").headerLine, "a 'log' section needs a 'driver' section");
  }
  return file;
}

// ---------------------------------------------------------------------------------------
// Substitutions

struct Vars {
  std::string account;
  std::string tmp;
  std::string dvsql;
  std::string driver;    // the scripted driver library
  std::string backend;   // the backend's name in dvsql's messages
  std::string database;  // PostgreSQL: the case's database; else empty
  std::string pghost;    // PostgreSQL: the host (socket directory) of the cluster; else empty
};

// One piece of a section after substitution.
struct Piece {
  enum Kind {
    kSource,  // text as written in the case file
    kValue,   // the value of a substitution, taken literally
    kInt,     // {int} in an expected section: one or more digits, optionally after '-'
  };
  Kind kind;
  std::string text;
  std::size_t offset;  // where the piece starts in the raw section text
};

// Where a raw text starts in the case file, for error messages.
struct Site {
  const std::string* path;
  int firstLine;
  std::string_view raw;

  // The line of the case file that holds raw[offset].
  int lineAt(std::size_t offset) const {
    return firstLine + static_cast<int>(std::count(
                           raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
  }

  [[noreturn]] void fail(std::size_t offset, const std::string& message) const {
    caseError(*path, lineAt(offset), message);
  }
};

// ---------------------------------------------------------------------------------------
// The normal session of the scripted driver: {setup} and {teardown}

// One call that dvsql makes to set up or tear down a session: the script line that answers
// it and the line the driver logs for it.
struct DefaultCall {
  std::string script;  // its first word is the function
  std::string log;
};

std::string_view functionOf(const DefaultCall& call) {
  return std::string_view(call.script).substr(0, call.script.find(' '));
}

// The calls of a normal session for one dvsql command line, or why it starts none.
struct DefaultSession {
  std::string problem;  // empty when the command line starts a session
  std::vector<DefaultCall> setup;
  std::vector<DefaultCall> teardown;
};

// SQLConnect's account length argument is 16 bits wide.
constexpr std::size_t kMaxAccountLength = 32767;

// The session dvsql starts with these arguments (argv without argv[0]), read as dvsql reads
// them: the argument that does not start with '-' is the account; in the others each letter
// is an option, 'e' maps empty strings to NULL and 'm' takes the rest of the argument as the
// mode. The script gives the environment, connection and statement the handles 1, 2 and 3,
// so that the log shows which handle each call gets, and every call succeeds. In the log,
// 1002 and 1003 are the options DCI_1NF_MODE_ON and DCI_EMPTY_NULL, 127 the size of the data
// source's buffer, 30 the item DCI_MAX_COLUMN_NAME_LEN with its 2-byte value, and the 2 of
// SQLFreeStmt is SQL_DROP.
DefaultSession defaultSession(const std::vector<std::string>& args) {
  DefaultSession session;
  const std::string* account = nullptr;
  bool emptyToNull = false;
  bool firstNormalForm = true;
  auto refuse = [&](const std::string& why) {
    session.problem = "{setup} and {teardown} need dvsql arguments that start a session: " + why;
    return session;
  };
  for (const std::string& arg : args) {
    if (arg == "-help") return refuse("-help is given");
    if (arg.empty() || arg[0] != '-') {
      if (account != nullptr) return refuse("two accounts are given");
      account = &arg;
      continue;
    }
    for (std::size_t k = 1; k < arg.size(); ++k) {
      if (arg[k] == 'e') emptyToNull = true;
      if (arg[k] != 'm') continue;
      std::string_view mode = std::string_view(arg).substr(k + 1);
      if (mode != "1" && mode != "2") return refuse("the mode of " + arg + " is not 1 or 2");
      firstNormalForm = mode == "1";
      break;
    }
  }
  if (account == nullptr) return refuse("no account is given");
  if (account->size() > kMaxAccountLength) {
    return refuse("the account is longer than " + std::to_string(kMaxAccountLength) +
                  " bytes; write the calls out");
  }

  auto optionCall = [](const char* option) {
    return DefaultCall{"SQLSetConnectOption 0",
                       std::string("SQLSetConnectOption(2, ") + option + ", 1, \"\") -> 0"};
  };
  session.setup = {{"SQLAllocEnv 0 1", "SQLAllocEnv(&env) -> 0"},
                   {"SQLAllocConnect 0 2", "SQLAllocConnect(1, &dbc) -> 0"}};
  if (firstNormalForm) session.setup.push_back(optionCall("1002"));
  if (emptyToNull) session.setup.push_back(optionCall("1003"));
  session.setup.push_back({"SQLConnect 0", "SQLConnect(2, \"localdv\", 127, " +
                                               script_log::quoted(*account) + ", " +
                                               std::to_string(account->size()) + ") -> 0"});
  session.setup.push_back({"SQLGetInfo 0 30", "SQLGetInfo(2, 30, &value, 2, NULL) -> 0"});
  session.setup.push_back({"SQLAllocStmt 0 3", "SQLAllocStmt(2, &stmt) -> 0"});
  session.teardown = {{"SQLFreeStmt 0", "SQLFreeStmt(3, 2) -> 0"},
                      {"SQLDisconnect 0", "SQLDisconnect(2) -> 0"},
                      {"SQLFreeConnect 0", "SQLFreeConnect(2) -> 0"},
                      {"SQLFreeEnv 0", "SQLFreeEnv(1) -> 0"}};
  return session;
}

// Lets a section use the markers: the session they stand for, and whether the section is
// the expected log (else it is the driver script).
struct Markers {
  const DefaultSession* session;
  bool log;

  const std::string& lineOf(const DefaultCall& call) const { return log ? call.log : call.script; }
};

bool isMarker(std::string_view text) {
  return startsWith(text, "{setup") || startsWith(text, "{teardown");
}

// What a marker line stands for: lines joined with newlines, with the case's own line
// (substitutions not yet applied) where an entry is null.
struct MarkerExpansion {
  std::vector<const std::string*> lines;
  std::string_view replacement;
  std::size_t replacementOffset = 0;  // where the replacement starts in the marker line
};

// Parses a marker line (without its newline): {setup} or {teardown}, alone, with
// "before CALL" (the calls before the first CALL) or with "with LINE" (LINE in place of the
// line of the one call it names).
MarkerExpansion parseMarker(std::string_view line, const Markers& markers, const Site& site) {
  if (line.back() != '}') {
    site.fail(0,
              "marker '" + escaped(line) + "' does not end in '}' (a marker is a line of its own)");
  }
  std::string_view body = line.substr(1, line.size() - 2);
  std::size_t nameEnd = std::min(body.find_first_of(" \t"), body.size());
  std::string_view name = body.substr(0, nameEnd);
  const DefaultSession& session = *markers.session;
  const std::vector<DefaultCall>* calls = name == "setup"      ? &session.setup
                                          : name == "teardown" ? &session.teardown
                                                               : nullptr;
  if (calls == nullptr) {
    site.fail(0, "unknown marker '{" + escaped(name) + "}' (expected {setup} or {teardown})");
  }
  if (!session.problem.empty()) site.fail(0, session.problem);
  MarkerExpansion expansion;
  for (const DefaultCall& call : *calls) expansion.lines.push_back(&markers.lineOf(call));

  std::string_view rest = trimBlanks(body.substr(nameEnd));
  if (rest.empty()) return expansion;
  std::size_t modifierEnd = std::min(rest.find_first_of(" \t"), rest.size());
  std::string_view modifier = rest.substr(0, modifierEnd);
  std::string_view argument = trimBlanks(rest.substr(modifierEnd));
  const std::string marker = "{" + std::string(name) + "}";
  // The calls of the block that argument names, by their function.
  auto callsOf = [&](std::string_view function) {
    std::vector<std::size_t> found;
    for (std::size_t k = 0; k < calls->size(); ++k) {
      if (functionOf((*calls)[k]) == function) found.push_back(k);
    }
    if (found.empty()) {
      std::string made;
      for (const DefaultCall& call : *calls) {
        made += (made.empty() ? "" : ", ") + std::string(functionOf(call));
      }
      site.fail(0, "'" + escaped(function) + "' is not a call of " + marker +
                       " with these arguments (" + made + ")");
    }
    return found;
  };
  if (modifier == "before") {
    if (argument.empty() || argument.find_first_of(" \t") != std::string_view::npos) {
      site.fail(0, "'before' takes one function name: {" + std::string(name) + " before CALL}");
    }
    expansion.lines.resize(callsOf(argument).front());
  } else if (modifier == "with") {
    if (argument.empty()) {
      site.fail(0, "'with' takes the line of a call: {" + std::string(name) + " with LINE}");
    }
    std::vector<std::size_t> found = callsOf(argument.substr(0, argument.find_first_of(" \t(")));
    if (found.size() > 1) {
      site.fail(0, marker + " makes more than one " + std::string(functionOf((*calls)[found[0]])) +
                       " call; write them out with 'before'");
    }
    expansion.lines[found[0]] = nullptr;
    expansion.replacement = argument;
    expansion.replacementOffset = static_cast<std::size_t>(argument.data() - line.data());
  } else {
    site.fail(0, "unknown marker modifier '" + escaped(modifier) +
                     "' (expected 'before CALL' or 'with LINE')");
  }
  return expansion;
}

// Applies the substitutions to raw. `expected` makes {int} a wildcard instead of text;
// `markers`, when given, expands marker lines.
std::vector<Piece> substitute(std::string_view raw, bool expected, const Vars& vars,
                              const Site& site, const Markers* markers = nullptr) {
  std::vector<Piece> pieces;
  std::size_t total = 0;
  auto add = [&](Piece::Kind kind, std::string text, std::size_t offset) {
    total += text.size();
    if (total > kMaxExpandedBytes) site.fail(offset, "the section expands to more than 1 GiB");
    pieces.push_back(Piece{kind, std::move(text), offset});
  };
  const std::pair<std::string_view, const std::string*> named[] = {
      {"{account}", &vars.account}, {"{tmp}", &vars.tmp},         {"{dvsql}", &vars.dvsql},
      {"{driver}", &vars.driver},   {"{backend}", &vars.backend}, {"{database}", &vars.database},
      {"{pghost}", &vars.pghost}};

  std::size_t textStart = 0;
  std::size_t i = 0;
  auto flushSource = [&]() {
    if (i > textStart)
      add(Piece::kSource, std::string(raw.substr(textStart, i - textStart)), textStart);
  };
  while ((i = raw.find('{', i)) != std::string_view::npos) {
    std::string_view rest = raw.substr(i);
    std::size_t consumed = 0;
    if (startsWith(rest, "{{")) {
      flushSource();
      add(Piece::kValue, "{", i);
      consumed = 2;
    } else if (expected && startsWith(rest, "{int}")) {
      flushSource();
      add(Piece::kInt, "", i);
      consumed = 5;
    } else if (markers != nullptr && (i == 0 || raw[i - 1] == '\n') && isMarker(rest)) {
      std::size_t end = std::min(rest.find('\n'), rest.size());
      std::string_view line = rest.substr(0, end);
      Site lineSite{site.path, site.lineAt(i), line};
      MarkerExpansion expansion = parseMarker(line, *markers, lineSite);
      flushSource();
      for (std::size_t k = 0; k < expansion.lines.size(); ++k) {
        if (k > 0) add(Piece::kValue, "\n", i);
        if (expansion.lines[k] != nullptr) {
          add(Piece::kValue, *expansion.lines[k], i);
          continue;
        }
        Site replacementSite{site.path, lineSite.firstLine, expansion.replacement};
        for (Piece& piece : substitute(expansion.replacement, expected, vars, replacementSite)) {
          add(piece.kind, std::move(piece.text), i + expansion.replacementOffset + piece.offset);
        }
      }
      // A marker that stands for no call takes its newline along: it leaves no empty line.
      consumed = expansion.lines.empty() && end < rest.size() ? end + 1 : end;
    } else if (startsWith(rest, "{repeat:")) {
      constexpr std::size_t kPrefix = 8;
      std::size_t colon = rest.find(':', kPrefix);
      unsigned long count;
      if (colon == std::string_view::npos ||
          !parseDecimal(rest.substr(kPrefix, colon - kPrefix), kMaxRepeat, &count)) {
        site.fail(i, "{repeat:N:TEXT} needs a decimal count N of at most 10000000");
      }
      std::size_t close = rest.find('}', colon + 1);
      if (close == std::string_view::npos) site.fail(i, "{repeat:N:TEXT} is missing its '}'");
      std::string_view text = rest.substr(colon + 1, close - colon - 1);
      if (text.empty()) site.fail(i, "{repeat:N:TEXT} needs a non-empty TEXT");
      if (count > (kMaxExpandedBytes - total) / text.size()) {
        site.fail(i, "the section expands to more than 1 GiB");
      }
      flushSource();
      std::string value;
      value.reserve(count * text.size());
      for (unsigned long k = 0; k < count; ++k) value.append(text);
      add(Piece::kValue, std::move(value), i);
      consumed = close + 1;
    } else {
      for (const auto& [token, value] : named) {
        if (startsWith(rest, token)) {
          flushSource();
          add(Piece::kValue, *value, i);
          consumed = token.size();
          break;
        }
      }
    }
    if (consumed == 0) {
      ++i;  // any other brace is literal
      continue;
    }
    i += consumed;
    textStart = i;
  }
  i = raw.size();
  flushSource();
  return pieces;
}

std::string joinPieces(const std::vector<Piece>& pieces) {
  std::size_t size = 0;
  for (const Piece& piece : pieces) size += piece.text.size();
  std::string text;
  text.reserve(size);
  for (const Piece& piece : pieces) text.append(piece.kind == Piece::kInt ? "{int}" : piece.text);
  return text;
}

Site siteOf(const CaseFile& file, const Section& section) {
  return Site{&file.path, section.headerLine + 1, section.raw};
}

std::string expandContent(const CaseFile& file, std::string_view name, const Vars& vars,
                          const Markers* markers = nullptr) {
  const Section& section = file.section(name);
  return joinPieces(substitute(section.raw, false, vars, siteOf(file, section), markers));
}

// Splits the args section on blanks and newlines. Single or double quotes group a literal
// argument (no escapes inside, as the shell's single quotes); adjacent parts join into one
// argument. Substituted values are literal parts of the argument they appear in.
std::vector<std::string> parseArgs(const CaseFile& file, const Vars& vars) {
  const Section& section = file.section("args");
  Site site = siteOf(file, section);
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  std::size_t quoteOffset = 0;
  for (const Piece& piece : substitute(section.raw, false, vars, site)) {
    if (piece.kind != Piece::kSource) {
      word += piece.text;
      inWord = true;
      continue;
    }
    for (std::size_t k = 0; k < piece.text.size(); ++k) {
      char c = piece.text[k];
      if (quote != 0) {
        if (c == quote) {
          quote = 0;
        } else {
          word += c;
        }
      } else if (c == '\'' || c == '"') {
        quote = c;
        quoteOffset = piece.offset + k;
        inWord = true;
      } else if (isBlank(c) || c == '\n') {
        if (inWord) words.push_back(std::move(word));
        word.clear();
        inWord = false;
      } else {
        word += c;
        inWord = true;
      }
    }
  }
  if (quote != 0) site.fail(quoteOffset, std::string("unterminated ") + quote + " quote");
  if (inWord) words.push_back(std::move(word));
  return words;
}

// Calls handle(line, site) for each line of a line-based section, after substitution,
// with a site that points at that line.
template <typename Handle>
void forEachLine(const CaseFile& file, std::string_view name, const Vars& vars, Handle handle) {
  const Section& section = file.section(name);
  std::string_view raw = section.raw;
  int lineNumber = section.headerLine + 1;
  while (!raw.empty()) {
    std::size_t newline = raw.find('\n');
    std::string_view line = raw.substr(0, newline);
    raw.remove_prefix(newline == std::string_view::npos ? raw.size() : newline + 1);
    Site site{&file.path, lineNumber, line};
    handle(joinPieces(substitute(line, false, vars, site)), site);
    ++lineNumber;
  }
}

bool isValidEnvName(std::string_view name) {
  if (name.empty() || isDigit(name[0])) return false;
  for (char c : name) {
    if (!(isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')) return false;
  }
  return true;
}

// An environment change from the env section.
struct EnvChange {
  std::string name;
  bool remove;
  std::string value;
};

std::vector<EnvChange> parseEnv(const CaseFile& file, const Vars& vars) {
  std::vector<EnvChange> changes;
  forEachLine(file, "env", vars, [&](const std::string& line, const Site& site) {
    if (trimBlanks(line).empty()) return;
    EnvChange change;
    if (line[0] == '-') {
      change.name = line.substr(1);
      change.remove = true;
    } else {
      std::size_t equals = line.find('=');
      if (equals == std::string::npos) site.fail(0, "expected NAME=VALUE or -NAME");
      change.name = line.substr(0, equals);
      change.remove = false;
      change.value = line.substr(equals + 1);
    }
    if (!isValidEnvName(change.name)) {
      site.fail(0, "invalid environment variable name '" + escaped(change.name) + "'");
    }
    changes.push_back(std::move(change));
  });
  return changes;
}

int parseStatus(const CaseFile& file, const Vars& vars) {
  if (!file.has("status")) return 0;
  int status = -1;
  forEachLine(file, "status", vars, [&](const std::string& line, const Site& site) {
    std::string_view text = trimBlanks(line);
    if (text.empty()) return;
    unsigned long value;
    if (status >= 0 || !parseDecimal(text, 255, &value)) {
      site.fail(0, "the status section holds one exit status, 0 to 255");
    }
    status = static_cast<int>(value);
  });
  if (status < 0) {
    caseError(file.path, file.section("status").headerLine, "the status section is empty");
  }
  return status;
}

struct Limits {
  unsigned long addressSpaceMiB = 0;
  long timeoutSeconds = kDefaultTimeoutSeconds;
};

Limits parseLimits(const CaseFile& file, const Vars& vars) {
  Limits limits;
  bool haveAs = false, haveTimeout = false;
  forEachLine(file, "limits", vars, [&](const std::string& line, const Site& site) {
    std::vector<std::string_view> words = splitBlanks(line);
    if (words.empty()) return;
    unsigned long value;
    if (words[0] == "as") {
      std::string_view size = words.size() == 2 ? words[1] : std::string_view();
      if (haveAs || size.size() < 2 || size.back() != 'M' ||
          !parseDecimal(size.substr(0, size.size() - 1), kMaxAddressSpaceMiB, &value) ||
          value == 0) {
        site.fail(0, "expected one 'as <N>M' line, N from 1 to 1048576");
      }
      limits.addressSpaceMiB = value;
      haveAs = true;
    } else if (words[0] == "timeout") {
      if (haveTimeout || words.size() != 2 || !parseDecimal(words[1], kMaxTimeoutSeconds, &value) ||
          value == 0) {
        site.fail(0, "expected one 'timeout <seconds>' line, 1 to 86400 seconds");
      }
      limits.timeoutSeconds = static_cast<long>(value);
      haveTimeout = true;
    } else {
      site.fail(0, "unknown limit '" + escaped(words[0]) + "'");
    }
  });
  return limits;
}

enum class Backend { kSqlite, kPostgres };

constexpr std::pair<std::string_view, Backend> kBackendNames[] = {
    {"sqlite", Backend::kSqlite}, {"postgresql", Backend::kPostgres}};

const char* backendKeyword(Backend backend) {
  return backend == Backend::kSqlite ? "sqlite" : "postgresql";
}

// The source name the backend puts in dvsql's diagnostics: "[dvsql][SQLite] ...".
const char* backendSource(Backend backend) {
  return backend == Backend::kSqlite ? "SQLite" : "PostgreSQL";
}

bool parseBackendName(std::string_view word, Backend* backend) {
  for (const auto& [name, value] : kBackendNames) {
    if (word == name) {
      *backend = value;
      return true;
    }
  }
  return false;
}

// The backends section: one line naming each backend the case runs on. A case without
// it is an SQLite case.
std::vector<Backend> parseBackends(const CaseFile& file, const Vars& vars) {
  if (!file.has("backends")) return {Backend::kSqlite};
  std::vector<Backend> backends;
  bool haveLine = false;
  forEachLine(file, "backends", vars, [&](const std::string& line, const Site& site) {
    std::vector<std::string_view> words = splitBlanks(line);
    if (words.empty()) return;
    if (haveLine) site.fail(0, "the backends section holds one line");
    haveLine = true;
    for (std::string_view word : words) {
      Backend backend;
      if (!parseBackendName(word, &backend)) {
        site.fail(0, "unknown backend '" + escaped(word) + "' (sqlite or postgresql)");
      }
      if (std::find(backends.begin(), backends.end(), backend) != backends.end()) {
        site.fail(0, "backend '" + escaped(word) + "' given twice");
      }
      backends.push_back(backend);
    }
  });
  if (backends.empty()) {
    caseError(file.path, file.section("backends").headerLine, "the backends section is empty");
  }
  return backends;
}

// ---------------------------------------------------------------------------------------
// Comparing and reporting

// Where actual and expected first part. Positions index the actual text and the expected
// text rendered with "{int}" for each wildcard.
struct Difference {
  bool found = false;
  std::size_t actual = 0;
  std::size_t expected = 0;
};

// Matches the actual text against the expected pieces, left to right. A wildcard takes
// the longest run of digits, so "{int}" directly followed by a digit never matches.
Difference compare(const std::vector<Piece>& expected, std::string_view actual) {
  std::size_t a = 0, e = 0;
  for (const Piece& piece : expected) {
    if (piece.kind == Piece::kInt) {
      std::size_t p = a;
      if (p < actual.size() && actual[p] == '-') ++p;
      std::size_t digitsStart = p;
      while (p < actual.size() && isDigit(actual[p])) ++p;
      if (p == digitsStart) return Difference{true, a, e};
      a = p;
      e += 5;
      continue;
    }
    std::string_view text = piece.text;
    std::size_t n = std::min(text.size(), actual.size() - a);
    auto mismatch = std::mismatch(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n),
                                  actual.begin() + static_cast<std::ptrdiff_t>(a));
    std::size_t same = static_cast<std::size_t>(mismatch.first - text.begin());
    if (same < text.size()) return Difference{true, a + same, e + same};
    a += text.size();
    e += text.size();
  }
  if (a != actual.size()) return Difference{true, a, e};
  return Difference{};
}

struct LineSpan {
  std::size_t start;
  std::size_t end;  // past the newline, if any
};

// The line holding position; empty at the end of a text that ends with a newline.
LineSpan lineAround(std::string_view text, std::size_t position) {
  std::size_t start = position == 0 ? 0 : text.rfind('\n', position - 1);
  start = start == std::string_view::npos || position == 0 ? 0 : start + 1;
  if (position == text.size() && start == position) return LineSpan{start, start};
  std::size_t newline = text.find('\n', position);
  return LineSpan{start, newline == std::string_view::npos ? text.size() : newline + 1};
}

std::size_t countLines(std::string_view text) {
  std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  return lines + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// Shows a line escaped; a long one as a window around column (from 0).
std::string showLine(std::string_view line, std::size_t column) {
  if (line.empty()) return "(end of output)";
  if (line.size() <= kShownLineBytes) return escaped(line);
  std::size_t from = column > kShownLineBytes / 2 ? column - kShownLineBytes / 2 : 0;
  std::size_t to = std::min(line.size(), from + kShownLineBytes);
  std::string shown;
  if (from > 0) shown += "[" + std::to_string(from) + " bytes]...";
  appendEscaped(&shown, line.substr(from, to - from));
  if (to < line.size()) shown += "...[" + std::to_string(line.size() - to) + " bytes]";
  return shown;
}

// Shows a whole content when it is short, else only its size.
void reportContent(std::string* report, const std::string& label, std::string_view text) {
  if (text.empty()) {
    *report += label + ": (empty)\n";
    return;
  }
  std::size_t lines = countLines(text);
  if (lines >= kShortContentLines) {
    *report += label + ": " + std::to_string(lines) + " lines, " + std::to_string(text.size()) +
               " bytes (not shown)\n";
    return;
  }
  *report += label + " (" + std::to_string(lines) + (lines == 1 ? " line" : " lines") + "):\n";
  std::size_t number = 0;
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%6zu  ", ++number);
    *report += prefix;
    *report += showLine(text.substr(0, end), 0);
    *report += '\n';
    text.remove_prefix(end);
  }
}

// Compares one output part. Returns true when it matches; else describes the first
// differing line in *report.
bool comparePart(std::string* report, const std::string& name, const std::vector<Piece>& expected,
                 std::string_view actual) {
  Difference difference = compare(expected, actual);
  if (!difference.found) return true;
  std::string rendered = joinPieces(expected);
  LineSpan actualLine = lineAround(actual, difference.actual);
  LineSpan expectedLine = lineAround(rendered, difference.expected);
  std::size_t lineNumber =
      1 +
      static_cast<std::size_t>(std::count(
          actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(actualLine.start), '\n'));
  *report += name + " differs at line " + std::to_string(lineNumber) + ", column " +
             std::to_string(difference.actual - actualLine.start + 1) + ":\n";
  *report += "  expected: " +
             showLine(std::string_view(rendered).substr(expectedLine.start,
                                                        expectedLine.end - expectedLine.start),
                      difference.expected - expectedLine.start) +
             "\n";
  *report += "  actual:   " +
             showLine(actual.substr(actualLine.start, actualLine.end - actualLine.start),
                      difference.actual - actualLine.start) +
             "\n";
  reportContent(report, "actual " + name, actual);
  return false;
}

std::string describeWaitStatus(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "wait status " + std::to_string(status);
}

// Writes text in case-section syntax: header lines escaped, braces that would start a
// substitution doubled, and the case's own paths (and PostgreSQL account) written as their
// substitutions.
std::string toCaseSyntax(std::string_view text, const Vars& vars) {
  std::vector<std::pair<std::string_view, std::string_view>> paths = {
      {vars.account, "{account}"}, {vars.tmp, "{tmp}"},           {vars.dvsql, "{dvsql}"},
      {vars.driver, "{driver}"},   {vars.database, "{database}"}, {vars.pghost, "{pghost}"}};
  std::stable_sort(paths.begin(), paths.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  static constexpr std::string_view kTokens[] = {
      "{{",         "{account}", "{tmp}", "{dvsql}",  "{driver}", "{backend}",
      "{database}", "{pghost}",  "{int}", "{repeat:", "{setup",   "{teardown"};
  // Only these bytes can start something to rewrite; all others are copied at once.
  bool starts[256] = {};
  starts[static_cast<unsigned char>('{')] = true;
  for (const auto& path : paths) {
    if (!path.first.empty()) starts[static_cast<unsigned char>(path.first[0])] = true;
  }
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  bool lineStart = true;
  std::size_t i = 0;
  while (i < text.size()) {
    char next = text[i];
    if (!lineStart && !starts[static_cast<unsigned char>(next)]) {
      out += next;
      ++i;
      lineStart = next == '\n';
      continue;
    }
    std::string_view rest = text.substr(i);
    if (lineStart && (startsWith(rest, kHeaderPrefix) || isEscapedHeader(rest))) out += '\\';
    lineStart = false;
    bool replaced = false;
    for (const auto& [path, token] : paths) {
      if (!path.empty() && startsWith(rest, path)) {
        out += token;
        i += path.size();
        replaced = true;
        break;
      }
    }
    if (replaced) continue;
    char c = text[i++];
    if (c == '{') {
      for (std::string_view token : kTokens) {
        if (startsWith(rest, token)) {
          out += '{';
          break;
        }
      }
    }
    out += c;
    lineStart = c == '\n';
  }
  return out;
}

bool endsWithoutNewline(std::string_view text) {
  return !text.empty() && text.back() != '\n';
}

// Appends a section header and text as given; `noeol` when the text has no final newline.
void appendSectionText(std::string* out, const char* name, std::string_view text, bool noeol) {
  *out += std::string(kHeaderPrefix) + name + (noeol ? " noeol\n" : "\n");
  *out += text;
  if (noeol) *out += '\n';
}

void appendSection(std::string* out, const char* name, std::string_view content, const Vars& vars) {
  appendSectionText(out, name, toCaseSyntax(content, vars), endsWithoutNewline(content));
}

std::string joinedLines(const std::vector<DefaultCall>& calls, const Markers& markers) {
  std::string text;
  for (const DefaultCall& call : calls) text += markers.lineOf(call) + "\n";
  return text;
}

// Writes a driver log in case syntax, with the set-up and tear-down of a normal session as
// {setup} and {teardown}.
std::string logInCaseSyntax(std::string_view log, const DefaultSession& session, const Vars& vars) {
  std::string head, tail;
  if (session.problem.empty()) {
    const Markers markers{&session, true};
    std::string setup = joinedLines(session.setup, markers);
    std::string teardown = joinedLines(session.teardown, markers);
    if (startsWith(log, setup)) {
      head = "{setup}\n";
      log.remove_prefix(setup.size());
    }
    if (log.size() >= teardown.size() && log.substr(log.size() - teardown.size()) == teardown) {
      tail = "{teardown}\n";
      log.remove_suffix(teardown.size());
    }
  }
  return head + toCaseSyntax(log, vars) + tail;
}

// ---------------------------------------------------------------------------------------
// The run

struct Options {
  std::string dvsql;
  std::string scriptDriver;
  std::string casePath;
  Backend backend = Backend::kSqlite;
  bool sanitized = false;
  bool keep = false;
  bool print = false;
  bool expand = false;
};

constexpr char kUsage[] =
    "usage: transcript_runner --dvsql PATH [--script-driver PATH] [--backend sqlite|postgresql] "
    "[--sanitized] [--keep] [--print] [--expand] CASE-FILE";

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    auto value = [&](std::string_view name, std::string* target) {
      if (arg == name) {
        if (i + 1 >= argc) throw RunnerError(std::string(name) + " needs a value\n" + kUsage);
        *target = argv[++i];
        return true;
      }
      if (startsWith(arg, std::string(name) + "=")) {
        *target = std::string(arg.substr(name.size() + 1));
        return true;
      }
      return false;
    };
    if (value("--dvsql", &options.dvsql) || value("--script-driver", &options.scriptDriver))
      continue;
    std::string backend;
    if (value("--backend", &backend)) {
      if (!parseBackendName(backend, &options.backend)) {
        throw RunnerError("unknown backend '" + backend + "' (sqlite or postgresql)\n" + kUsage);
      }
      continue;
    }
    if (arg == "--sanitized") {
      options.sanitized = true;
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--print") {
      options.print = true;
    } else if (arg == "--expand") {
      options.expand = true;
    } else if (startsWith(arg, "-") && arg != "-") {
      throw RunnerError("unknown option " + std::string(arg) + "\n" + kUsage);
    } else if (options.casePath.empty()) {
      options.casePath = std::string(arg);
    } else {
      throw RunnerError(std::string("more than one case file given\n") + kUsage);
    }
  }
  if (options.dvsql.empty() || options.casePath.empty()) throw RunnerError(kUsage);
  options.dvsql = absolutePath(options.dvsql);
  if (!options.scriptDriver.empty()) options.scriptDriver = absolutePath(options.scriptDriver);
  return options;
}

// The case name as part of a directory name: the file name without ".t", odd bytes dropped.
std::string caseName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.size() > 2 && name.compare(name.size() - 2, 2, ".t") == 0) name.resize(name.size() - 2);
  std::string safe;
  for (char c : name) {
    bool ok = isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
              c == '-' || c == '.';
    if (ok && safe.size() < 40) safe += c;
  }
  return safe.empty() ? "case" : safe;
}

constexpr const char* kDriverVariables[] = {"DVSQL_DCI", "DVSQL_DCI_SCRIPT", "DVSQL_DCI_LOG"};

// The environment of dvsql: the runner's own without DVSQL_* variables and without libpq's
// PG* variables (PGHOST, PGDATESTYLE, PGTZ, ...), so that a developer's settings cannot
// change the outcome of a case.
std::vector<std::string> baseEnvironment() {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!startsWith(*entry, "DVSQL_") && !startsWith(*entry, "PG")) env.emplace_back(*entry);
  }
  return env;
}

void unsetVariable(std::vector<std::string>* env, std::string_view name) {
  env->erase(std::remove_if(env->begin(), env->end(),
                            [&](const std::string& entry) {
                              return entry.size() > name.size() && entry[name.size()] == '=' &&
                                     startsWith(entry, name);
                            }),
             env->end());
}

void setVariable(std::vector<std::string>* env, std::string_view name, std::string_view value) {
  unsetVariable(env, name);
  env->push_back(std::string(name) + "=" + std::string(value));
}

void writeOut(std::string_view text) {
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
    throwErrno("cannot write the report");
  }
}

bool succeeded(const ChildResult& result) {
  return !result.timedOut && WIFEXITED(result.waitStatus) && WEXITSTATUS(result.waitStatus) == 0 &&
         result.err.empty();
}

// Describes a helper run of dvsql (setup, creating or dropping the database) that failed.
void reportHelperFailure(std::string* report, const std::string& what, const std::string& label,
                         const ChildResult& result, long timeoutSeconds) {
  *report += what + " failed: ";
  if (result.timedOut) {
    *report += "timed out after " + std::to_string(timeoutSeconds) + " s\n";
  } else if (result.err.empty()) {
    *report += describeWaitStatus(result.waitStatus) + "\n";
  } else {
    *report += describeWaitStatus(result.waitStatus) + ", and it reported errors\n";
  }
  reportContent(report, label + " stdout", result.out);
  reportContent(report, label + " stderr", result.err);
}

// Runs `dvsql -s -c account` on sql.
ChildResult runDvsqlScript(const Options& options, const std::string& account, std::string_view sql,
                           std::vector<std::string> env, const std::string& directory,
                           long timeoutSeconds) {
  ChildSpec job;
  job.argv = {options.dvsql, "-s", "-c", account};
  job.env = std::move(env);
  job.input = sql;
  job.directory = directory;
  job.timeoutSeconds = timeoutSeconds;
  return runChild(job);
}

constexpr char kPgVariable[] = "DVSQL_TEST_PG";
// The database that the runner connects to for creating and dropping a case's database.
constexpr char kPgMaintenanceDatabase[] = "postgres";

// The case's own PostgreSQL database: dv_<case name>_<pid>, within the 63 bytes of a name
// and without characters that would need quoting.
std::string pgDatabaseName(const std::string& caseName) {
  std::string name = "dv_";
  for (char c : caseName) {
    if (name.size() >= 40) break;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    name += (isDigit(c) || (c >= 'a' && c <= 'z')) ? c : '_';
  }
  return name + "_" + std::to_string(::getpid());
}

// The case's account and database on the backend the runner was asked for.
struct Target {
  Backend backend = Backend::kSqlite;
  std::string account;
  std::string conninfo;  // PostgreSQL: DVSQL_TEST_PG, empty when it is not set
  std::string database;  // PostgreSQL: the case's database
  std::string host;      // PostgreSQL: the conninfo's host value
};

// The value of `keyword` in simple conninfo text (keyword=value words, no quoting).
std::string conninfoValue(std::string_view conninfo, std::string_view keyword) {
  std::string value;
  for (std::string_view word : splitBlanks(conninfo)) {
    if (word.size() > keyword.size() && word[keyword.size()] == '=' && startsWith(word, keyword)) {
      value = std::string(word.substr(keyword.size() + 1));
    }
  }
  return value;
}

Target makeTarget(const Options& options, const std::string& caseName, const TempDir& tempDir) {
  Target target;
  target.backend = options.backend;
  if (options.backend == Backend::kSqlite) {
    target.account = tempDir.path() + "/account";
    return target;
  }
  const char* conninfo = std::getenv(kPgVariable);
  if (conninfo == nullptr || *conninfo == '\0') return target;
  target.conninfo = conninfo;
  // The runner appends dbname=..., which works only on keyword=value text.
  if (startsWith(target.conninfo, "postgresql://") || startsWith(target.conninfo, "postgres://")) {
    throw RunnerError(std::string(kPgVariable) +
                      " must be key=value conninfo text (host=... port=... user=...), not a URI");
  }
  target.database = pgDatabaseName(caseName);
  target.host = conninfoValue(target.conninfo, "host");
  target.account = target.conninfo + " dbname=" + target.database;
  return target;
}

// Runs the case in its temporary directory; returns the runner's exit status.
int runCase(const Options& options, const CaseFile& file, const TempDir& tempDir,
            const Target& target) {
  Vars vars{target.account,
            tempDir.path(),
            options.dvsql,
            options.scriptDriver,
            backendSource(target.backend),
            target.database,
            target.host};

  // Parse and expand everything first: a fault in the case shows before anything runs.
  std::vector<std::string> args = parseArgs(file, vars);
  DefaultSession session = defaultSession(args);
  const Markers scriptMarkers{&session, false};
  const Markers logMarkers{&session, true};
  std::vector<EnvChange> envChanges = parseEnv(file, vars);
  int expectedStatus = parseStatus(file, vars);
  Limits limits = parseLimits(file, vars);
  std::string input = expandContent(file, "stdin", vars);
  std::string setup = expandContent(file, "setup", vars);
  std::string driver = expandContent(file, "driver", vars, &scriptMarkers);
  auto expectedPieces = [&](std::string_view name, const Markers* markers = nullptr) {
    const Section& section = file.section(name);
    return substitute(section.raw, true, vars, siteOf(file, section), markers);
  };
  std::vector<Piece> expectedOut = expectedPieces("stdout");
  std::vector<Piece> expectedErr = expectedPieces("stderr");
  std::vector<Piece> expectedLog = expectedPieces("log", &logMarkers);
  std::vector<Backend> backends = parseBackends(file, vars);
  bool useDriver = file.has("driver");

  if (options.expand) {
    std::string expanded;
    if (useDriver) appendSectionText(&expanded, "driver", driver, endsWithoutNewline(driver));
    if (file.has("log")) {
      std::string log = joinPieces(expectedLog);
      appendSectionText(&expanded, "log", log, endsWithoutNewline(log));
    }
    writeOut(expanded);
    return kExitPass;
  }

  if (std::find(backends.begin(), backends.end(), target.backend) == backends.end()) {
    writeOut(std::string("skipped: not a ") + backendKeyword(target.backend) + " case\n");
    return kExitSkip;
  }
  if (target.backend == Backend::kPostgres && target.conninfo.empty()) {
    writeOut(std::string("skipped: ") + kPgVariable + " is not set\n");
    return kExitSkip;
  }
  if (useDriver && options.scriptDriver.empty()) {
    throw RunnerError("the case has a 'driver' section but no --script-driver was given");
  }
  if (options.sanitized && limits.addressSpaceMiB != 0) {
    writeOut("skipped: address-space limit under sanitizers\n");
    return kExitSkip;
  }

  // An SQLite account is a directory; a PostgreSQL database was made by the caller.
  if (target.backend == Backend::kSqlite && ::mkdir(vars.account.c_str(), 0700) != 0) {
    throwErrno("cannot make " + vars.account);
  }
  std::string scriptPath = tempDir.path() + "/driver.script";
  std::string logPath = tempDir.path() + "/driver.log";
  if (useDriver) writeFile(scriptPath, driver);

  auto applyEnvChanges = [&](std::vector<std::string>* env) {
    for (const EnvChange& change : envChanges) {
      if (change.remove) {
        unsetVariable(env, change.name);
      } else {
        setVariable(env, change.name, change.value);
      }
    }
  };

  // Setup and main run; on PostgreSQL between creating and dropping the case's database.
  auto runSetupAndMain = [&]() -> int {
    std::string report;
    if (file.has("setup")) {
      std::vector<std::string> env = baseEnvironment();
      applyEnvChanges(&env);
      for (const char* name : kDriverVariables) unsetVariable(&env, name);
      ChildResult result = runDvsqlScript(options, vars.account, setup, std::move(env),
                                          tempDir.path(), limits.timeoutSeconds);
      // Row counts on standard output are expected; any diagnostics mean a broken setup.
      if (!succeeded(result)) {
        reportHelperFailure(&report, "setup (dvsql -s -c {account})", "setup", result,
                            limits.timeoutSeconds);
        writeOut(report);
        return kExitFail;
      }
    }

    // The env section comes after the driver variables, so a case may change or remove them.
    ChildSpec job;
    job.argv = args;
    job.argv.insert(job.argv.begin(), options.dvsql);
    std::vector<std::string> mainEnv = baseEnvironment();
    if (useDriver) {
      setVariable(&mainEnv, "DVSQL_DCI", options.scriptDriver);
      setVariable(&mainEnv, "DVSQL_DCI_SCRIPT", scriptPath);
      setVariable(&mainEnv, "DVSQL_DCI_LOG", logPath);
    }
    applyEnvChanges(&mainEnv);
    job.env = std::move(mainEnv);
    job.input = input;
    job.directory = tempDir.path();
    job.addressSpaceMiB = limits.addressSpaceMiB;
    job.timeoutSeconds = limits.timeoutSeconds;
    ChildResult result = runChild(job);

    std::string log;
    bool haveLog = useDriver && readFile(logPath, &log);
    if (options.keep) {
      writeFile(tempDir.path() + "/actual.stdout", result.out);
      writeFile(tempDir.path() + "/actual.stderr", result.err);
    }

    bool passed = true;
    if (result.timedOut) {
      report += "dvsql timed out after " + std::to_string(limits.timeoutSeconds) + " s\n";
      reportContent(&report, "stdout so far", result.out);
      reportContent(&report, "stderr so far", result.err);
      passed = false;
    } else {
      passed &= comparePart(&report, "stdout", expectedOut, result.out);
      passed &= comparePart(&report, "stderr", expectedErr, result.err);
      bool statusOk =
          WIFEXITED(result.waitStatus) && WEXITSTATUS(result.waitStatus) == expectedStatus;
      if (!statusOk) {
        report += "status differs: expected exit status " + std::to_string(expectedStatus) +
                  ", actual " + describeWaitStatus(result.waitStatus) + "\n";
        passed = false;
      }
      if (file.has("log")) {
        // A driver that was never loaded made no calls: its missing log is an empty one.
        bool logOk = comparePart(&report, "log", expectedLog, log);
        if (!logOk && !haveLog) report += "(the driver wrote no log file: it was never loaded)\n";
        passed &= logOk;
      }
    }

    if (options.print) {
      report += "actual output in case syntax:\n";
      if (!result.out.empty()) appendSection(&report, "stdout", result.out, vars);
      if (!result.err.empty()) appendSection(&report, "stderr", result.err, vars);
      if (result.timedOut) {
        report += "=== status\ntimed out\n";
      } else if (!WIFEXITED(result.waitStatus)) {
        report += "=== status\n" + describeWaitStatus(result.waitStatus) + "\n";
      } else if (WEXITSTATUS(result.waitStatus) != 0) {
        report += "=== status\n" + std::to_string(WEXITSTATUS(result.waitStatus)) + "\n";
      }
      if (haveLog) {
        appendSectionText(&report, "log", logInCaseSyntax(log, session, vars),
                          endsWithoutNewline(log));
      }
    }
    writeOut(report);
    return passed ? kExitPass : kExitFail;
  };

  if (target.backend == Backend::kSqlite) return runSetupAndMain();

  // Creating and dropping the database is the runner's business: it gets the plain
  // environment, and at least the default timeout whatever the case asks for.
  const std::string maintenance = target.conninfo + " dbname=" + kPgMaintenanceDatabase;
  const long helperTimeout = std::max<long>(limits.timeoutSeconds, kDefaultTimeoutSeconds);
  auto runMaintenance = [&](const std::string& sql) {
    return runDvsqlScript(options, maintenance, sql, baseEnvironment(), tempDir.path(),
                          helperTimeout);
  };
  std::string report;
  ChildResult created = runMaintenance("create database " + target.database + "\n");
  if (!succeeded(created)) {
    reportHelperFailure(
        &report, "creating database " + target.database + " (dvsql -s -c '" + maintenance + "')",
        "create", created, helperTimeout);
    writeOut(report);
    return kExitFail;
  }
  const std::string drop = "drop database " + target.database + " with (force)\n";
  int status;
  try {
    status = runSetupAndMain();
  } catch (const Interrupted&) {
    throw;  // the runner must die now; the cluster is a throwaway one
  } catch (...) {
    if (!options.keep) runMaintenance(drop);
    throw;
  }
  if (options.keep) {
    writeOut("kept: database " + target.database + " (account '" + target.account + "')\n");
    return status;
  }
  ChildResult dropped = runMaintenance(drop);
  if (!succeeded(dropped)) {
    reportHelperFailure(&report, "dropping database " + target.database, "drop", dropped,
                        helperTimeout);
    writeOut(report);
    return kExitFail;
  }
  return status;
}

int runMain(int argc, char** argv) {
  ensureStandardFds();
  closeInheritedFdsOnExec();
  Options options = parseOptions(argc, argv);
  installSignalHandlers();
  std::string data;
  if (!readFile(options.casePath, &data)) {
    errno = ENOENT;
    throwErrno("cannot open " + options.casePath);
  }
  CaseFile file = parseCaseFile(options.casePath, data);
  data.clear();
  data.shrink_to_fit();
  checkInterrupted();
  std::string name = caseName(options.casePath);
  TempDir tempDir(name, options.keep);
  return runCase(options, file, tempDir, makeTarget(options, name, tempDir));
}

}  // namespace

int main(int argc, char** argv) {
  int status;
  try {
    status = runMain(argc, argv);
  } catch (const CaseError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    status = kExitError;
  } catch (const RunnerError& error) {
    std::fprintf(stderr, "transcript_runner: %s\n", error.what());
    status = kExitError;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "transcript_runner: out of memory\n");
    status = kExitError;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "transcript_runner: %s\n", error.what());
    status = kExitError;
  } catch (const Interrupted& interrupted) {
    // The child is dead and the directory removed; now die the way the signal meant.
    std::fflush(stdout);
    ::signal(interrupted.signal, SIG_DFL);
    ::raise(interrupted.signal);
    status = 128 + interrupted.signal;
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "transcript_runner: cannot write the report: %s\n", std::strerror(errno));
    return kExitError;
  }
  return status;
}
