/* bench_cloop: the baseline of the dvsql benchmark. Runs one query with the plain sqlite3 API and
 * prints its result in exactly dvsql's record format ("label: value" lines, an empty line between
 * records, then "N rows"), through one 64 KiB buffer flushed with write(2). It is the least work a
 * program can do to produce that output, so dvsql's time is read against it.
 *
 * Usage: bench_cloop [--no-output] DBFILE QUERY
 *   --no-output  step the query and fetch every column's text, but print nothing: the engine's
 *                own share of the time.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char* const kProgram = "bench_cloop";
#include "outbuf.h"

static void put_hex(const unsigned char* p, size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  for (size_t i = 0; i < n; i++) {
    if (kBufSize - out_len < 2) flush_out();
    out_buf[out_len++] = digits[p[i] >> 4];
    out_buf[out_len++] = digits[p[i] & 15];
  }
}

int main(int argc, char** argv) {
  int no_output = 0;
  int arg = 1;
  if (arg < argc && strcmp(argv[arg], "--no-output") == 0) {
    no_output = 1;
    arg++;
  }
  if (argc - arg != 2) {
    fprintf(stderr, "usage: bench_cloop [--no-output] DBFILE QUERY\n");
    return 2;
  }
  const char* db_file = argv[arg];
  const char* query = argv[arg + 1];

  sqlite3* db = NULL;
  if (sqlite3_open_v2(db_file, &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK)
    die(db_file, db ? sqlite3_errmsg(db) : "cannot open");
  sqlite3_stmt* stmt = NULL;
  if (sqlite3_prepare_v2(db, query, -1, &stmt, NULL) != SQLITE_OK)
    die("prepare", sqlite3_errmsg(db));
  if (stmt == NULL) die("prepare", "the query is empty");

  /* Labels are looked up once: they do not change from one row to the next. */
  int ncols = sqlite3_column_count(stmt);
  char** labels = calloc((size_t)ncols + 1, sizeof *labels);
  size_t* label_lens = calloc((size_t)ncols + 1, sizeof *label_lens);
  if (labels == NULL || label_lens == NULL) die("out of memory", NULL);
  for (int i = 0; i < ncols; i++) {
    const char* name = sqlite3_column_name(stmt, i);
    if (name == NULL) die("out of memory", NULL);
    label_lens[i] = strlen(name) + 2;
    labels[i] = malloc(label_lens[i]);
    if (labels[i] == NULL) die("out of memory", NULL);
    memcpy(labels[i], name, label_lens[i] - 2);
    memcpy(labels[i] + label_lens[i] - 2, ": ", 2);
  }

  long long rows = 0;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (no_output) {
      /* The calls are opaque to the compiler, so discarding their results still does the work. */
      for (int i = 0; i < ncols; i++) {
        if (sqlite3_column_type(stmt, i) == SQLITE_BLOB)
          (void)sqlite3_column_blob(stmt, i);
        else
          (void)sqlite3_column_text(stmt, i);
        (void)sqlite3_column_bytes(stmt, i);
      }
      rows++;
      continue;
    }
    if (rows > 0) put_char('\n');
    for (int i = 0; i < ncols; i++) {
      put(labels[i], label_lens[i]);
      switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
          break;
        case SQLITE_BLOB: {
          const unsigned char* blob = sqlite3_column_blob(stmt, i);
          put_hex(blob, (size_t)sqlite3_column_bytes(stmt, i));
          break;
        }
        default: {
          const unsigned char* text = sqlite3_column_text(stmt, i);
          put(text, (size_t)sqlite3_column_bytes(stmt, i));
          break;
        }
      }
      put_char('\n');
    }
    rows++;
  }
  if (rc != SQLITE_DONE) die("step", sqlite3_errmsg(db));

  if (!no_output) {
    char tail[48];
    int n = snprintf(tail, sizeof tail, "%lld %s\n", rows, rows == 1 ? "row" : "rows");
    put(tail, (size_t)n);
    flush_out();
  }

  sqlite3_finalize(stmt);
  sqlite3_close(db);
  for (int i = 0; i < ncols; i++) free(labels[i]);
  free(labels);
  free(label_lens);
  return 0;
}
