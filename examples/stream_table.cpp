// Example: a table sent to another process in the tagged value stream
// (stream/TableStream.h). The program makes a connected pair of sockets and
// forks; the child writes one message holding the table to its end and exits,
// the parent reads the message from the other end, checks that it is the
// table the child was given (title, names, every cell's class and value, the
// nested table, the empty cell, the row status), prints it, and waits for the
// child, whose exit status must be 0.
//
// Usage: stream_table   Exit status 0, or 1 when a step fails.
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dv/dv.h"

namespace {

// Stores a new value in a cell and drops the reference it came with.
bool put(dv::Table& table, int32_t row, int32_t col, dv::Datum* value) {
  bool ok = value->severity() == 0 && table.setCell(row, col, value)->severity() == 0;
  value->release();
  return ok;
}

// Readings of three weather stations; the last has no temperature (an empty
// cell) and a row status, and the first carries a nested table of the
// instruments that took it.
dv::Table* makeReadings() {
  dv::Table* t = new dv::Table(3, 4);
  bool ok = t->setTitle("Readings")->severity() == 0;
  const char* const names[] = {"station", "taken", "celsius", "instruments"};
  for (int32_t c = 0; ok && c < 4; ++c) ok = t->addColumnName(c, names[c])->severity() == 0;
  const char* const stations[] = {"Lund", "Visby", "Kiruna"};
  const char* const taken[] = {"2024-01-15 18:00:00", "2024-01-15 18:00:00", "2024-01-15 18:30:00"};
  for (int32_t r = 0; ok && r < 3; ++r) {
    ok = t->setCell(r, 0, stations[r])->severity() == 0 &&
         put(*t, r, 1, new dv::DateTime(taken[r], "standard", dv::kUnitYear, dv::kUnitSecond));
  }
  ok = ok && put(*t, 0, 2, new dv::Decimal("-3.5", "plain")) &&
       put(*t, 1, 2, new dv::Decimal("0.25", "plain"));
  dv::Table* instruments = new dv::Table(2, 1);
  ok = ok && instruments->addColumnName(0, "serial")->severity() == 0 &&
       instruments->setCell(0, 0, "T-100")->severity() == 0 &&
       instruments->setCell(1, 0, "H-7")->severity() == 0 &&
       t->setCell(0, 3, instruments)->severity() == 0;
  instruments->release();
  const dv::Status* offline =
      dv::makeErrorStatus(0x30010001u, true, "STATION", "sensor offline", 0, false);
  ok = ok && t->setRowStatus(2, offline)->severity() == 0;
  offline->release();
  if (!ok) {
    t->release();
    return nullptr;
  }
  return t;
}

std::string textOf(const dv::Datum& value) {
  char buf[128];
  return value.asString(buf, sizeof buf, "plain");
}

// Whether two tables hold the same: shape, title, names, row statuses, and
// in every cell a value of the same class that compares equal.
bool sameTable(const dv::AbsTable& a, const dv::AbsTable& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
  if (textOf(*a.title()) != textOf(*b.title())) return false;
  for (int32_t r = 0; r < a.rows(); ++r) {
    if (!a.rowStatus(r)->isEqual(*b.rowStatus(r))) return false;
    if (std::strcmp(a.rowStatus(r)->messageText(), b.rowStatus(r)->messageText()) != 0)
      return false;
  }
  for (int32_t c = 0; c < a.cols(); ++c) {
    const char* x = a.columnName(c);
    const char* y = b.columnName(c);
    if ((x == nullptr) != (y == nullptr) || (x != nullptr && std::strcmp(x, y) != 0)) return false;
  }
  for (int32_t r = 0; r < a.rows(); ++r) {
    for (int32_t c = 0; c < a.cols(); ++c) {
      const dv::Datum* x = a.cell(r, c);
      const dv::Datum* y = b.cell(r, c);
      if (x->isA() != y->isA()) return false;
      if (x->isKindOf(dv::AbsTable::desc())) {
        if (!sameTable(*static_cast<const dv::AbsTable*>(x), *static_cast<const dv::AbsTable*>(y)))
          return false;
      } else if (x->compare(*y) != 0) {
        return false;
      }
    }
  }
  return true;
}

void printTable(const dv::AbsTable& t, int indent) {
  for (int32_t r = 0; r < t.rows(); ++r) {
    std::printf("%*srow %d", indent, "", r);
    if (t.rowStatus(r)->severity() != 0) std::printf(" [%s]", t.rowStatus(r)->messageText());
    std::printf("\n");
    for (int32_t c = 0; c < t.cols(); ++c) {
      const dv::Datum* cell = t.cell(r, c);
      if (cell->isKindOf(dv::AbsTable::desc())) {
        std::printf("%*s  %s:\n", indent, "", t.columnName(c));
        printTable(*static_cast<const dv::AbsTable*>(cell), indent + 4);
      } else {
        std::printf("%*s  %s: %s (%s)\n", indent, "", t.columnName(c), textOf(*cell).c_str(),
                    cell->isNull() ? "NULL" : cell->className());
      }
    }
  }
}

// The child: writes the table to fd as one message. Answers the exit status.
int sendReadings(int fd) {
  // A reader that went away makes the write fail with a status instead of
  // ending the process.
  std::signal(SIGPIPE, SIG_IGN);
  dv::Table* readings = makeReadings();
  if (readings == nullptr) {
    std::fprintf(stderr, "stream_table: the child cannot make the table\n");
    return 1;
  }
  int status = 0;
  {
    dv::TableStream out(fd, -1);
    if (!out.writeMessage(*readings)) {
      std::fprintf(stderr, "stream_table: the child cannot send: %s\n",
                   out.status()->messageText());
      status = 1;
    }
  }
  readings->release();
  close(fd);
  return status;
}

// The parent: reads one message from fd and checks it against the table the
// child sent.
bool receiveReadings(int fd) {
  dv::Object* received = nullptr;
  {
    dv::TableStream in(fd, -1);
    if (!in.readMessage(received)) {
      std::fprintf(stderr, "stream_table: nothing read: %s\n", in.status()->messageText());
      return false;
    }
  }
  const dv::Table* table =
      received->isKindOf(dv::Table::desc()) ? static_cast<const dv::Table*>(received) : nullptr;
  dv::Table* expected = makeReadings();
  bool ok = table != nullptr && expected != nullptr && sameTable(*expected, *table);
  if (table == nullptr) {
    std::fprintf(stderr, "stream_table: received a %s, not a table\n", received->className());
  } else {
    std::printf("received %s: %d x %d, %s the table sent\n", textOf(*table->title()).c_str(),
                table->rows(), table->cols(), ok ? "the same as" : "NOT the same as");
    printTable(*table, 0);
  }
  if (expected != nullptr) expected->release();
  received->release();
  return ok;
}

}  // namespace

int main() {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
    std::fprintf(stderr, "stream_table: socketpair: %s\n", std::strerror(errno));
    return 1;
  }
  // Nothing buffered may be written twice, by both processes.
  std::fflush(stdout);
  pid_t child = fork();
  if (child < 0) {
    std::fprintf(stderr, "stream_table: fork: %s\n", std::strerror(errno));
    return 1;
  }
  if (child == 0) {
    close(fds[0]);
    std::exit(sendReadings(fds[1]));
  }
  close(fds[1]);
  bool ok = receiveReadings(fds[0]);
  close(fds[0]);

  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      std::fprintf(stderr, "stream_table: waitpid: %s\n", std::strerror(errno));
      return 1;
    }
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "stream_table: the child failed (wait status %d)\n", status);
    return 1;
  }
  std::printf("the child exited with status 0\n");
  return ok ? 0 : 1;
}
