/* bench_pgloop: the PostgreSQL baseline of the dvsql benchmark. Runs one query with plain libpq and
 * prints its result in exactly dvsql's record format ("label: value" lines, an empty line between
 * records, then "N rows"), through one 64 KiB buffer flushed with write(2). Values are printed as
 * dvsql prints them: PostgreSQL's text format, bytea as upper-case hexadecimal without the "\x"
 * prefix, NULL as an empty value. It is the least work a libpq program can do to produce that
 * output, so dvsql's time is read against it.
 *
 * Usage: bench_pgloop [--exec] CONNINFO QUERY
 *   (default)  single-row mode (PQsetSingleRowMode): one row in memory at a time, as dvsql reads
 *   --exec     PQexec: the whole result is held in memory first (for reference)
 */
#define _GNU_SOURCE
#include <errno.h>
#include <libpq-fe.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char* const kProgram = "bench_pgloop";
#include "outbuf.h"

enum { kByteaOid = 17 };

/* Copies the server's lower-case hex digits (after the "\x" prefix) in upper case. */
static void put_upper(const char* p, size_t n) {
  for (size_t i = 0; i < n; i++) {
    if (out_len == kBufSize) flush_out();
    char c = p[i];
    out_buf[out_len++] = (c >= 'a' && c <= 'f') ? (char)(c - 'a' + 'A') : c;
  }
}

/* Labels are made once ("name: "): they do not change from one row to the next. */
struct Labels {
  int ncols;
  char** text;
  size_t* len;
  int* bytea;
};

static struct Labels make_labels(const PGresult* res) {
  struct Labels l;
  l.ncols = PQnfields(res);
  l.text = calloc((size_t)l.ncols + 1, sizeof *l.text);
  l.len = calloc((size_t)l.ncols + 1, sizeof *l.len);
  l.bytea = calloc((size_t)l.ncols + 1, sizeof *l.bytea);
  if (l.text == NULL || l.len == NULL || l.bytea == NULL) die("out of memory", NULL);
  for (int i = 0; i < l.ncols; i++) {
    const char* name = PQfname(res, i);
    size_t n = strlen(name);
    l.len[i] = n + 2;
    l.text[i] = malloc(n + 2);
    if (l.text[i] == NULL) die("out of memory", NULL);
    memcpy(l.text[i], name, n);
    memcpy(l.text[i] + n, ": ", 2);
    l.bytea[i] = PQftype(res, i) == kByteaOid;
  }
  return l;
}

static void free_labels(struct Labels* l) {
  for (int i = 0; i < l->ncols; i++) free(l->text[i]);
  free(l->text);
  free(l->len);
  free(l->bytea);
}

static void put_row(const struct Labels* l, const PGresult* res, int row) {
  for (int i = 0; i < l->ncols; i++) {
    put(l->text[i], l->len[i]);
    if (!PQgetisnull(res, row, i)) {
      const char* value = PQgetvalue(res, row, i);
      size_t n = (size_t)PQgetlength(res, row, i);
      if (l->bytea[i] && n >= 2 && value[0] == '\\' && value[1] == 'x')
        put_upper(value + 2, n - 2);
      else
        put(value, n);
    }
    put_char('\n');
  }
}

/* dvsql shows a result without rows as its labels with empty values. */
static void put_empty_labels(const struct Labels* l) {
  for (int i = 0; i < l->ncols; i++) {
    put(l->text[i], l->len[i]);
    put_char('\n');
  }
}

static void put_count(long long rows) {
  char tail[48];
  int n = snprintf(tail, sizeof tail, "%lld %s\n", rows, rows == 1 ? "row" : "rows");
  put(tail, (size_t)n);
  flush_out();
}

/* The whole result in memory, then printed. */
static long long run_exec(PGconn* conn, const char* query) {
  PGresult* res = PQexec(conn, query);
  if (PQresultStatus(res) != PGRES_TUPLES_OK) die("query", PQerrorMessage(conn));
  struct Labels labels = make_labels(res);
  int rows = PQntuples(res);
  if (rows == 0) put_empty_labels(&labels);
  for (int r = 0; r < rows; r++) {
    if (r > 0) put_char('\n');
    put_row(&labels, res, r);
  }
  free_labels(&labels);
  PQclear(res);
  return rows;
}

/* One row at a time, as it arrives. */
static long long run_single_row(PGconn* conn, const char* query) {
  if (!PQsendQuery(conn, query)) die("query", PQerrorMessage(conn));
  if (!PQsetSingleRowMode(conn)) die("single-row mode", PQerrorMessage(conn));
  long long rows = 0;
  struct Labels labels = {0, NULL, NULL, NULL};
  int have_labels = 0;
  PGresult* res;
  while ((res = PQgetResult(conn)) != NULL) {
    switch (PQresultStatus(res)) {
      case PGRES_SINGLE_TUPLE:
        if (!have_labels) {
          labels = make_labels(res);
          have_labels = 1;
        }
        if (rows > 0) put_char('\n');
        put_row(&labels, res, 0);
        rows++;
        break;
      case PGRES_TUPLES_OK: /* the end of the rows, or a result without any */
        if (rows == 0) {
          struct Labels empty = make_labels(res);
          put_empty_labels(&empty);
          free_labels(&empty);
        }
        break;
      default:
        die("query", PQerrorMessage(conn));
    }
    PQclear(res);
  }
  if (have_labels) free_labels(&labels);
  return rows;
}

int main(int argc, char** argv) {
  int exec_mode = 0;
  int arg = 1;
  if (arg < argc && strcmp(argv[arg], "--exec") == 0) {
    exec_mode = 1;
    arg++;
  }
  if (argc - arg != 2) {
    fprintf(stderr, "usage: bench_pgloop [--exec] CONNINFO QUERY\n");
    return 2;
  }
  const char* conninfo = argv[arg];
  const char* query = argv[arg + 1];

  PGconn* conn = PQconnectdb(conninfo);
  if (conn == NULL) die("out of memory", NULL);
  if (PQstatus(conn) != CONNECTION_OK) die("connect", PQerrorMessage(conn));
  /* The same session settings as dvsql's, which make bytea hexadecimal and text UTF-8. */
  PGresult* set = PQexec(conn, "SET bytea_output = 'hex'; SET client_encoding = 'UTF8'");
  if (PQresultStatus(set) != PGRES_COMMAND_OK) die("set", PQerrorMessage(conn));
  PQclear(set);

  long long rows = exec_mode ? run_exec(conn, query) : run_single_row(conn, query);
  put_count(rows);
  PQfinish(conn);
  return 0;
}
