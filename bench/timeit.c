/* bench_timeit: runs one command for the dvsql benchmark and prints "SECONDS PEAK_RSS_KIB" for it:
 * the wall-clock time from fork to reaping (monotonic clock) and the child's own peak resident set
 * as wait4 reports it. A benchmark must not time a failure, so a child that exits non-zero or is
 * killed makes this program fail, with the tail of the child's stderr.
 *
 * Usage: bench_timeit [-i INFILE] [-o OUTFILE] [--] COMMAND [ARG...]
 *   -i INFILE   the child's standard input (default /dev/null)
 *   -o OUTFILE  the child's standard output, created or truncated (default /dev/null)
 * The child's stderr goes to an unnamed temporary file that is shown only if the child fails.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static void die(const char* what, const char* detail) {
  fprintf(stderr, "bench_timeit: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
  exit(1);
}

static int open_or_die(const char* path, int flags) {
  int fd = open(path, flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    fprintf(stderr, "bench_timeit: %s: %s\n", path, strerror(errno));
    exit(1);
  }
  return fd;
}

/* Copies the last few KiB of the child's stderr to ours, so a failure explains itself. */
static void show_stderr_tail(int fd) {
  enum { kTail = 4096 };
  off_t size = lseek(fd, 0, SEEK_END);
  if (size <= 0) return;
  off_t from = size > kTail ? size - kTail : 0;
  char buf[kTail];
  ssize_t n = pread(fd, buf, sizeof buf, from);
  if (n <= 0) return;
  fprintf(stderr, "bench_timeit: --- child's stderr%s ---\n", from > 0 ? " (tail)" : "");
  fwrite(buf, 1, (size_t)n, stderr);
  if (buf[n - 1] != '\n') fputc('\n', stderr);
  fprintf(stderr, "bench_timeit: ---\n");
}

int main(int argc, char** argv) {
  const char* in_path = "/dev/null";
  const char* out_path = "/dev/null";
  int opt;
  /* "+" stops at the first operand, so the command's own options are left alone. */
  while ((opt = getopt(argc, argv, "+i:o:")) != -1) {
    switch (opt) {
      case 'i':
        in_path = optarg;
        break;
      case 'o':
        out_path = optarg;
        break;
      default:
        fprintf(stderr, "usage: bench_timeit [-i INFILE] [-o OUTFILE] [--] COMMAND [ARG...]\n");
        return 2;
    }
  }
  if (optind >= argc) {
    fprintf(stderr, "usage: bench_timeit [-i INFILE] [-o OUTFILE] [--] COMMAND [ARG...]\n");
    return 2;
  }
  char** child_argv = argv + optind;

  /* Everything that can fail is opened before the clock starts. */
  int in_fd = open_or_die(in_path, O_RDONLY);
  int out_fd = open_or_die(out_path, O_WRONLY | O_CREAT | O_TRUNC);
  FILE* err_file = tmpfile();
  if (err_file == NULL) die("cannot create a temporary file", strerror(errno));
  int err_fd = fileno(err_file);
  fflush(stdout);
  fflush(stderr);

  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = fork();
  if (pid < 0) die("fork", strerror(errno));
  if (pid == 0) {
    if (dup2(in_fd, STDIN_FILENO) < 0 || dup2(out_fd, STDOUT_FILENO) < 0 ||
        dup2(err_fd, STDERR_FILENO) < 0)
      _exit(126);
    execvp(child_argv[0], child_argv);
    fprintf(stderr, "cannot run %s: %s\n", child_argv[0], strerror(errno));
    _exit(127);
  }

  int status;
  struct rusage usage;
  pid_t waited;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  clock_gettime(CLOCK_MONOTONIC, &end);
  if (waited < 0) die("wait4", strerror(errno));

  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    if (WIFSIGNALED(status))
      fprintf(stderr, "bench_timeit: FAILED: %s was killed by signal %d (%s)\n", child_argv[0],
              WTERMSIG(status), strsignal(WTERMSIG(status)));
    else
      fprintf(stderr, "bench_timeit: FAILED: %s exited with status %d\n", child_argv[0],
              WEXITSTATUS(status));
    show_stderr_tail(err_fd);
    return 1;
  }

  double seconds =
      (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9;
  /* On Linux ru_maxrss is already in KiB. */
  printf("%.6f %ld\n", seconds, usage.ru_maxrss);
  return 0;
}
