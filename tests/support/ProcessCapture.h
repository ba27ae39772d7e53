// Test support: runs a function in a child process and captures how it ended
// and what it wrote, so that paths that end the process can be checked byte
// for byte.
#ifndef DV_TESTS_SUPPORT_PROCESSCAPTURE_H_
#define DV_TESTS_SUPPORT_PROCESSCAPTURE_H_

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace dv {
namespace testing {

struct ChildOutcome {
  bool exited = false;  // ended by exit(): status is its exit status
  int status = -1;
  int signal = 0;   // the signal that ended it, when it did not exit
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs body in a forked child; a body that returns ends the child with status 0.
template <class Body>
ChildOutcome runInChild(Body body) {
  std::fflush(nullptr);
  std::cout.flush();
  std::cerr.flush();
  int outPipe[2];
  int errPipe[2];
  ChildOutcome outcome;
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return outcome;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    close(outPipe[0]);
    close(errPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    body();
    std::fflush(nullptr);
    std::cout.flush();
    _exit(0);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? outcome.out : outcome.err).append(buf, static_cast<std::size_t>(n));
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) {
    outcome.exited = true;
    outcome.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
  return outcome;
}

// The address as the framework's messages show it ("%#.8x" of the whole value).
inline std::string hexAddress(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%#.8llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return buf;
}

}  // namespace testing
}  // namespace dv

#endif  // DV_TESTS_SUPPORT_PROCESSCAPTURE_H_
