/* The output path shared by the benchmark baselines: one 64 KiB buffer flushed with write(2), and
 * the one-line failure report. A program that includes it defines kProgram, the name its reports
 * begin with, before the include. */
#ifndef DV_BENCH_OUTBUF_H_
#define DV_BENCH_OUTBUF_H_

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kBufSize = 64 * 1024 };

static char out_buf[kBufSize];
static size_t out_len;

static void die(const char* what, const char* detail) {
  fprintf(stderr, "%s: %s%s%s\n", kProgram, what, detail ? ": " : "", detail ? detail : "");
  exit(1);
}

static void write_all(const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = write(STDOUT_FILENO, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      die("write to standard output failed", strerror(errno));
    }
    p += w;
    n -= (size_t)w;
  }
}

static void flush_out(void) {
  write_all(out_buf, out_len);
  out_len = 0;
}

static void put(const void* p, size_t n) {
  if (n > kBufSize - out_len) {
    flush_out();
    /* A value larger than the whole buffer goes straight out rather than in pieces. */
    if (n >= kBufSize) {
      write_all(p, n);
      return;
    }
  }
  memcpy(out_buf + out_len, p, n);
  out_len += n;
}

static void put_char(char c) {
  if (out_len == kBufSize) flush_out();
  out_buf[out_len++] = c;
}

#endif /* DV_BENCH_OUTBUF_H_ */
