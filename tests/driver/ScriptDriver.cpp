// A DCI driver for transcript tests: replays the return codes, diagnostics records and values
// of a script file (DVSQL_DCI_SCRIPT) and logs every call with its arguments (DVSQL_DCI_LOG), so
// a test can check exactly which calls the interpreter makes and how it reacts to each result.
//
// Script lines (blank lines and lines starting with '#' are ignored):
//   <Function> <rc> [response] [sleep=<ms>]   one expected call, consumed in order
//   diag <STATE> <native> <message>           a record queued when the entry above is consumed
//   sqlerror-stuck <rc>                       from the entry above on, SQLError always returns rc
//   omit <ordinal>                            the export table has no entry for that ordinal
//   abi <n>                                   the export table reports ABI version n
//   cancel <rc>                               what SQLCancel returns (default 0)
// SQLCancel is not scripted per call: it may come at any time, from a signal handler. It logs
// itself and cuts short the sleep of the call that is running, which then returns as scripted.
// Tokens are bare words, numbers, `null` or double-quoted strings with \" \\ \n \t \r \0 \xHH.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "dci/dci.h"
#include "tests/driver/LogText.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Functions and what a script entry can answer for each.

enum class Fn {
  AllocEnv,
  AllocConnect,
  SetConnectOption,
  Connect,
  GetInfo,
  AllocStmt,
  ExecDirect,
  NumResultCols,
  RowCount,
  ColAttributes,
  Fetch,
  GetData,
  FreeStmt,
  Disconnect,
  FreeConnect,
  FreeEnv,
  Tables,
  Error,   // never scripted per call; listed for its name in the log
  Cancel,  // never scripted per call (see `cancel`)
};

enum class Response {
  None,
  Handle,  // int32 output handle, default 1
  Info,    // int16 SQLGetInfo value, default 30
  Int16,   // int16 count, default 0
  Int32,   // int32 count, default 0
  Label,   // text, default ""
  Value,   // text or null, default ""
};

struct FnInfo {
  Fn fn;
  const char* name;
  Response response;
};

constexpr FnInfo kFunctions[] = {
    {Fn::AllocEnv, "SQLAllocEnv", Response::Handle},
    {Fn::AllocConnect, "SQLAllocConnect", Response::Handle},
    {Fn::SetConnectOption, "SQLSetConnectOption", Response::None},
    {Fn::Connect, "SQLConnect", Response::None},
    {Fn::GetInfo, "SQLGetInfo", Response::Info},
    {Fn::AllocStmt, "SQLAllocStmt", Response::Handle},
    {Fn::ExecDirect, "SQLExecDirect", Response::None},
    {Fn::NumResultCols, "SQLNumResultCols", Response::Int16},
    {Fn::RowCount, "SQLRowCount", Response::Int32},
    {Fn::ColAttributes, "SQLColAttributes", Response::Label},
    {Fn::Fetch, "SQLFetch", Response::None},
    {Fn::GetData, "SQLGetData", Response::Value},
    {Fn::FreeStmt, "SQLFreeStmt", Response::None},
    {Fn::Disconnect, "SQLDisconnect", Response::None},
    {Fn::FreeConnect, "SQLFreeConnect", Response::None},
    {Fn::FreeEnv, "SQLFreeEnv", Response::None},
    {Fn::Tables, "SQLTables", Response::None},
    {Fn::Error, "SQLError", Response::None},
    {Fn::Cancel, "SQLCancel", Response::None},
};

const FnInfo& infoOf(Fn fn) {
  for (const FnInfo& info : kFunctions) {
    if (info.fn == fn) return info;
  }
  return kFunctions[0];  // unreachable: every Fn is listed
}

// ---------------------------------------------------------------------------------------------
// The parsed script.

struct DiagRecord {
  std::string state;
  int32_t native = 0;
  std::string message;
};

// What becomes true once an entry is consumed (or at load, for lines above the first entry).
struct Effects {
  std::vector<DiagRecord> diags;
  bool setsStuck = false;
  int16_t stuckRc = 0;
};

struct Entry {
  Fn fn = Fn::Fetch;
  int16_t rc = 0;
  int64_t number = 0;  // handle, SQLGetInfo value or count
  std::string text;    // label or value
  bool isNull = false;
  uint32_t sleepMs = 0;
  Effects effects;
};

struct Script {
  Effects atStart;
  std::vector<Entry> entries;
  bool omitted[DCI_ORD_COUNT] = {};
  bool hasAbi = false;
  uint32_t abi = DCI_ABI_VERSION;
  int16_t cancelRc = SQL_SUCCESS;
};

// ---------------------------------------------------------------------------------------------
// Text helpers shared by the log and the parser's messages.

using script_log::appendEscaped;
using script_log::quoted;

void writeAll(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

void complain(const std::string& line) {
  writeAll(STDERR_FILENO, "dci_script: " + line + "\n");
}

// ---------------------------------------------------------------------------------------------
// Script parsing.

struct Token {
  std::string text;
  bool quoted = false;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (true) {
    while (i < n && isBlank(line[i])) ++i;
    if (i >= n) return true;
    Token token;
    if (line[i] == '"') {
      token.quoted = true;
      ++i;
      bool closed = false;
      while (i < n) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          token.text += c;
          continue;
        }
        if (i >= n) break;
        char e = line[i++];
        switch (e) {
          case '"':
            token.text += '"';
            break;
          case '\\':
            token.text += '\\';
            break;
          case 'n':
            token.text += '\n';
            break;
          case 't':
            token.text += '\t';
            break;
          case 'r':
            token.text += '\r';
            break;
          case '0':
            token.text += '\0';
            break;
          case 'x': {
            int hi = i < n ? hexDigit(line[i]) : -1;
            int lo = i + 1 < n ? hexDigit(line[i + 1]) : -1;
            if (hi < 0 || lo < 0) {
              error = "\\x needs two hex digits";
              return false;
            }
            token.text += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
          }
          default: {
            error = "unknown escape \\";
            appendEscaped(error, &e, 1);
            error += " in string";
            return false;
          }
        }
      }
      if (!closed) {
        error = "unterminated string";
        return false;
      }
      if (i < n && !isBlank(line[i])) {
        error = "text right after a closing quote";
        return false;
      }
    } else {
      while (i < n && !isBlank(line[i])) {
        if (line[i] == '"') {
          error = "quote inside a bare word";
          return false;
        }
        token.text += line[i++];
      }
    }
    tokens.push_back(std::move(token));
  }
}

// A bare decimal integer with optional sign, within [lo, hi].
bool parseInteger(const Token& token, int64_t lo, int64_t hi, int64_t& value) {
  if (token.quoted) return false;
  const std::string& s = token.text;
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i >= s.size()) return false;
  int64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    magnitude = magnitude * 10 + (s[i] - '0');
    if (magnitude > (int64_t{1} << 40)) return false;  // far beyond any range asked for
  }
  value = negative ? -magnitude : magnitude;
  return value >= lo && value <= hi;
}

std::string shown(const Token& token) {
  return token.quoted ? quoted(token.text) : "'" + token.text + "'";
}

class Parser {
 public:
  explicit Parser(Script& script) : script_(script) {}

  // Parses one line; on failure sets error and leaves the script as it was before the line.
  bool line(const std::string& text, std::string& error) {
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    if (first == text.size() || text[first] == '#') return true;
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error)) return false;
    const Token& head = tokens[0];
    if (!head.quoted) {
      if (head.text == "diag") return diag(tokens, error);
      if (head.text == "sqlerror-stuck") return stuck(tokens, error);
      if (head.text == "omit") return omit(tokens, error);
      if (head.text == "abi") return abi(tokens, error);
      if (head.text == "cancel") return cancel(tokens, error);
      for (const FnInfo& info : kFunctions) {
        if (head.text != info.name) continue;
        if (info.fn == Fn::Error) {
          error = "SQLError is not scripted per call; its records come from diag lines";
          return false;
        }
        if (info.fn == Fn::Cancel) {
          error = "SQLCancel is not scripted per call; `cancel <rc>` sets what it returns";
          return false;
        }
        return entry(info, tokens, error);
      }
    }
    error = "unknown function or directive " + shown(head);
    return false;
  }

 private:
  Effects& currentEffects() {
    return script_.entries.empty() ? script_.atStart : script_.entries.back().effects;
  }

  bool entry(const FnInfo& info, std::vector<Token>& tokens, std::string& error) {
    const std::string name = info.name;
    Entry e;
    e.fn = info.fn;
    if (tokens.size() < 2) {
      error = name + ": return code missing";
      return false;
    }
    int64_t value = 0;
    if (!parseInteger(tokens[1], INT16_MIN, INT16_MAX, value)) {
      error = name + ": bad return code " + shown(tokens[1]) + " (need a 16-bit decimal integer)";
      return false;
    }
    e.rc = static_cast<int16_t>(value);

    // Any bare sleep= word is the keyword, so a value spelled like it must be quoted.
    std::size_t end = tokens.size();
    for (std::size_t i = 2; i < tokens.size(); ++i) {
      const Token& t = tokens[i];
      if (t.quoted || t.text.compare(0, 6, "sleep=") != 0) continue;
      if (i + 1 != tokens.size()) {
        error = name + ": sleep= must come last";
        return false;
      }
      Token ms{t.text.substr(6), false};
      if (!parseInteger(ms, 0, INT32_MAX, value)) {
        error = name + ": bad sleep time " + shown(t) + " (need milliseconds)";
        return false;
      }
      e.sleepMs = static_cast<uint32_t>(value);
      end = i;
    }

    std::size_t responses = end - 2;
    std::size_t allowed = info.response == Response::None ? 0 : 1;
    if (responses > allowed) {
      error = allowed == 0 ? name + " takes no response, got " + shown(tokens[2])
                           : name + ": unexpected " + shown(tokens[3]) + " after the response";
      return false;
    }
    switch (info.response) {
      case Response::None:
        break;
      case Response::Handle:
        e.number = 1;
        break;
      case Response::Info:
        e.number = 30;
        break;
      default:
        e.number = 0;
        break;
    }
    if (responses == 1) {
      const Token& r = tokens[2];
      switch (info.response) {
        case Response::None:
          break;
        case Response::Handle:
        case Response::Int32:
          if (!parseInteger(r, INT32_MIN, INT32_MAX, e.number)) {
            error = name + ": bad number " + shown(r) + " (need a 32-bit decimal integer)";
            return false;
          }
          break;
        case Response::Info:
        case Response::Int16:
          if (!parseInteger(r, INT16_MIN, INT16_MAX, e.number)) {
            error = name + ": bad number " + shown(r) + " (need a 16-bit decimal integer)";
            return false;
          }
          break;
        case Response::Label:
          if (!r.quoted && r.text == "null") {
            error = name + ": a label cannot be null";
            return false;
          }
          e.text = r.text;
          break;
        case Response::Value:
          e.isNull = !r.quoted && r.text == "null";
          if (!e.isNull) e.text = r.text;
          break;
      }
    }
    script_.entries.push_back(std::move(e));
    return true;
  }

  bool diag(const std::vector<Token>& tokens, std::string& error) {
    if (tokens.size() != 4) {
      error = "diag needs STATE native message";
      return false;
    }
    DiagRecord record;
    if (tokens[1].text.size() > 5) {
      error = "diag: state " + shown(tokens[1]) + " is longer than 5 characters";
      return false;
    }
    record.state = tokens[1].text;
    int64_t native = 0;
    if (!parseInteger(tokens[2], INT32_MIN, INT32_MAX, native)) {
      error = "diag: bad native code " + shown(tokens[2]) + " (need a 32-bit decimal integer)";
      return false;
    }
    record.native = static_cast<int32_t>(native);
    if (!tokens[3].quoted && tokens[3].text == "null") {
      error = "diag: a message cannot be null";
      return false;
    }
    record.message = tokens[3].text;
    currentEffects().diags.push_back(std::move(record));
    return true;
  }

  bool stuck(const std::vector<Token>& tokens, std::string& error) {
    int64_t rc = 0;
    if (tokens.size() != 2 || !parseInteger(tokens[1], INT16_MIN, INT16_MAX, rc)) {
      error = "sqlerror-stuck needs one 16-bit decimal return code";
      return false;
    }
    Effects& effects = currentEffects();
    effects.setsStuck = true;
    effects.stuckRc = static_cast<int16_t>(rc);
    return true;
  }

  bool omit(const std::vector<Token>& tokens, std::string& error) {
    int64_t ordinal = 0;
    if (tokens.size() != 2 || !parseInteger(tokens[1], 1, DCI_ORD_COUNT - 1, ordinal)) {
      error = "omit needs one ordinal from 1 to " + std::to_string(DCI_ORD_COUNT - 1);
      return false;
    }
    script_.omitted[ordinal] = true;
    return true;
  }

  bool abi(const std::vector<Token>& tokens, std::string& error) {
    int64_t version = 0;
    if (tokens.size() != 2 || !parseInteger(tokens[1], 0, UINT32_MAX, version)) {
      error = "abi needs one unsigned 32-bit version number";
      return false;
    }
    script_.hasAbi = true;
    script_.abi = static_cast<uint32_t>(version);
    return true;
  }

  bool cancel(const std::vector<Token>& tokens, std::string& error) {
    int64_t rc = 0;
    if (tokens.size() != 2 || !parseInteger(tokens[1], INT16_MIN, INT16_MAX, rc)) {
      error = "cancel needs one 16-bit decimal return code";
      return false;
    }
    script_.cancelRc = static_cast<int16_t>(rc);
    return true;
  }

  Script& script_;
};

bool readFile(const char* path, std::string& contents, int& error) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return false;
  }
  char buffer[8192];
  while (true) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

// Keeps everything above the first bad line, so a typo shows up as a mismatch at that point.
void loadScript(Script& script) {
  const char* path = std::getenv("DVSQL_DCI_SCRIPT");
  if (path == nullptr || *path == '\0') {
    complain("cannot read script (DVSQL_DCI_SCRIPT unset): " + std::string(std::strerror(ENOENT)));
    return;
  }
  std::string contents;
  int error = 0;
  if (!readFile(path, contents, error)) {
    complain("cannot read script " + std::string(path) + ": " + std::strerror(error));
    return;
  }
  Parser parser(script);
  std::size_t start = 0;
  for (int lineNo = 1; start < contents.size(); ++lineNo) {
    std::size_t stop = contents.find('\n', start);
    if (stop == std::string::npos) stop = contents.size();
    std::string what;
    if (!parser.line(contents.substr(start, stop - start), what)) {
      complain(std::string(path) + ":" + std::to_string(lineNo) + ": " + what);
      return;
    }
    start = stop + 1;
  }
}

// ---------------------------------------------------------------------------------------------
// Replay state, created by the first dciExportTable() call. It is a heap object freed by the
// library's ELF destructor rather than a static with a C++ destructor: at exit that runs after
// the host program's static destructors, which may still call into the driver.

struct State {
  Script script;
  std::size_t next = 0;
  std::deque<DiagRecord> queue;
  bool stuck = false;
  int16_t stuckRc = 0;
  int logFd = -1;
};

std::mutex g_mutex;
State* g_state = nullptr;
// Set by SQLCancel, cleared when a call starts: a cancel stops only the call that runs when it
// comes. Lock-free, since SQLCancel takes no lock.
std::atomic<bool> g_cancelled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set in signal handlers");
DciProc g_procs[DCI_ORD_COUNT] = {};
DciExportTable g_table = {};

void apply(State& state, const Effects& effects) {
  state.queue.insert(state.queue.end(), effects.diags.begin(), effects.diags.end());
  if (effects.setsStuck) {
    state.stuck = true;
    state.stuckRc = effects.stuckRc;
  }
}

__attribute__((destructor)) void freeState() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_state == nullptr) return;
  if (g_state->logFd >= 0) ::close(g_state->logFd);
  delete g_state;
  g_state = nullptr;
}

// Copies text into a caller's buffer of max bytes: at most max-1 bytes and a NUL, nothing when
// the buffer is absent or has no room.
void copyCut(const std::string& text, void* buffer, int64_t max) {
  if (buffer == nullptr || max <= 0) return;
  std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(max - 1));
  char* out = static_cast<char*>(buffer);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

int16_t length16(std::size_t n) {
  return static_cast<int16_t>(std::min<std::size_t>(n, INT16_MAX));
}

int32_t length32(std::size_t n) {
  return static_cast<int32_t>(std::min<std::size_t>(n, INT32_MAX));
}

// Log argument rendering.
std::string pointer(const void* p, const char* name) {
  return p != nullptr ? name : "NULL";
}

std::string text(const char* p, std::size_t n) {
  return p != nullptr ? quoted(p, n) : "NULL";
}

std::string textToNul(const char* p) {
  return p != nullptr ? quoted(p, std::strlen(p)) : "NULL";
}

// A text argument with an explicit length: exactly that many bytes, up to the NUL for SQL_NTS;
// with any other negative length the bytes are not touched and only the name is shown.
std::string textWithLength(const char* p, int64_t length, const char* name) {
  if (p == nullptr) return "NULL";
  if (length >= 0) return quoted(p, static_cast<std::size_t>(length));
  if (length == SQL_NTS) return quoted(p, std::strlen(p));
  return name;
}

template <typename... Args>
std::string joined(const Args&... args) {
  std::string out;
  for (const std::string& arg : {std::string(args)...}) {
    if (!out.empty()) out += ", ";
    out += arg;
  }
  return out;
}

std::string num(int64_t value) {
  return std::to_string(value);
}

// Sleeps ms milliseconds, in short steps so that an SQLCancel ends the sleep soon. A signal
// alone does not cut the call short, as with a real driver that is blocked in its server.
void sleepFor(uint32_t ms) {
  constexpr uint32_t kStepMs = 10;
  while (ms > 0 && !g_cancelled.load()) {
    uint32_t step = std::min(ms, kStepMs);
    struct timespec left = {0, static_cast<long>(step) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
      if (g_cancelled.load()) return;
    }
    ms -= step;
  }
}

// One scripted call: takes the next entry under the lock when it is for this function, lets the
// caller fill in outputs, then logs and returns the scripted return code.
class Call {
 public:
  explicit Call(Fn fn) : lock_(g_mutex), fn_(fn) {
    g_cancelled.store(false);
    State* state = g_state;
    if (state == nullptr) return;
    const std::vector<Entry>& entries = state->script.entries;
    if (state->next < entries.size() && entries[state->next].fn == fn) {
      entry_ = &entries[state->next++];
      apply(*state, entry_->effects);
      return;
    }
    mismatch_ = "!! unexpected " + std::string(infoOf(fn).name) + ": ";
    if (state->next < entries.size()) {
      mismatch_ += "script expects " + std::string(infoOf(entries[state->next].fn).name);
    } else {
      mismatch_ += "script ended";
    }
    state->queue.push_back(DiagRecord{"S1000", 0, "script mismatch"});
  }

  // The consumed entry, or null when the call did not match the script.
  const Entry* entry() const { return entry_; }

  DciReturn finish(const std::string& args) {
    DciReturn rc = entry_ != nullptr ? entry_->rc : SQL_ERROR;
    uint32_t sleepMs = entry_ != nullptr ? entry_->sleepMs : 0;
    if (g_state != nullptr && g_state->logFd >= 0) {
      std::string line = std::string(infoOf(fn_).name) + "(" + args + ") -> " + num(rc) + "\n";
      if (!mismatch_.empty()) line += mismatch_ + "\n";
      writeAll(g_state->logFd, line);
    }
    // Another thread may call in while this one sleeps; the entry is not used past this point.
    lock_.unlock();
    if (sleepMs > 0) sleepFor(sleepMs);
    return rc;
  }

 private:
  std::unique_lock<std::mutex> lock_;
  Fn fn_;
  const Entry* entry_ = nullptr;
  std::string mismatch_;
};

void writeHandle(const Call& call, DciHandle* out) {
  if (out == nullptr) return;
  *out = call.entry() != nullptr ? static_cast<DciHandle>(call.entry()->number) : DCI_NULL_HANDLE;
}

// ---------------------------------------------------------------------------------------------
// The 17 functions and the two optional ones.

DciReturn sqlAllocEnv(DciHandle* phenv) {
  Call call(Fn::AllocEnv);
  writeHandle(call, phenv);
  return call.finish(pointer(phenv, "&env"));
}

DciReturn sqlAllocConnect(DciHandle henv, DciHandle* phdbc) {
  Call call(Fn::AllocConnect);
  writeHandle(call, phdbc);
  return call.finish(joined(num(henv), pointer(phdbc, "&dbc")));
}

DciReturn sqlAllocStmt(DciHandle hdbc, DciHandle* phstmt) {
  Call call(Fn::AllocStmt);
  writeHandle(call, phstmt);
  return call.finish(joined(num(hdbc), pointer(phstmt, "&stmt")));
}

DciReturn sqlSetConnectOption(DciHandle hdbc, uint16_t fOption, uint32_t vParam,
                              const char* szParam) {
  Call call(Fn::SetConnectOption);
  return call.finish(joined(num(hdbc), num(fOption), num(vParam), textToNul(szParam)));
}

DciReturn sqlConnect(DciHandle hdbc, const char* szDSN, int16_t cbDSN, const char* szAccount,
                     int16_t cbAccount) {
  Call call(Fn::Connect);
  std::string dsn;
  if (szDSN != nullptr && cbDSN >= 0) {
    dsn = text(szDSN, strnlen(szDSN, static_cast<std::size_t>(cbDSN)));
  } else {
    dsn = textWithLength(szDSN, cbDSN, "&dsn");
  }
  return call.finish(joined(num(hdbc), dsn, num(cbDSN),
                            textWithLength(szAccount, cbAccount, "&account"), num(cbAccount)));
}

DciReturn sqlGetInfo(DciHandle hdbc, uint16_t fInfoType, void* rgbInfoValue, int16_t cbInfoValueMax,
                     int16_t* pcbInfoValue) {
  Call call(Fn::GetInfo);
  if (const Entry* e = call.entry()) {
    if (rgbInfoValue != nullptr && cbInfoValueMax >= 2) {
      int16_t value = static_cast<int16_t>(e->number);
      std::memcpy(rgbInfoValue, &value, sizeof value);
    }
    if (pcbInfoValue != nullptr) *pcbInfoValue = 2;
  }
  return call.finish(joined(num(hdbc), num(fInfoType), pointer(rgbInfoValue, "&value"),
                            num(cbInfoValueMax), pointer(pcbInfoValue, "&len")));
}

DciReturn sqlExecDirect(DciHandle hstmt, const char* szSqlStr, int32_t cbSqlStr) {
  Call call(Fn::ExecDirect);
  return call.finish(joined(num(hstmt), textWithLength(szSqlStr, cbSqlStr, "&sql"), num(cbSqlStr)));
}

DciReturn sqlNumResultCols(DciHandle hstmt, int16_t* pccol) {
  Call call(Fn::NumResultCols);
  if (call.entry() != nullptr && pccol != nullptr) {
    *pccol = static_cast<int16_t>(call.entry()->number);
  }
  return call.finish(joined(num(hstmt), pointer(pccol, "&count")));
}

DciReturn sqlRowCount(DciHandle hstmt, int32_t* pcrow) {
  Call call(Fn::RowCount);
  if (call.entry() != nullptr && pcrow != nullptr) {
    *pcrow = static_cast<int32_t>(call.entry()->number);
  }
  return call.finish(joined(num(hstmt), pointer(pcrow, "&count")));
}

DciReturn sqlColAttributes(DciHandle hstmt, uint16_t icol, uint16_t fDescType, void* rgbDesc,
                           int16_t cbDescMax, int16_t* pcbDesc, int32_t* pfDesc) {
  Call call(Fn::ColAttributes);
  if (const Entry* e = call.entry()) {
    copyCut(e->text, rgbDesc, cbDescMax);
    if (pcbDesc != nullptr) *pcbDesc = length16(e->text.size());
    if (pfDesc != nullptr) *pfDesc = 0;
  }
  return call.finish(joined(num(hstmt), num(icol), num(fDescType), pointer(rgbDesc, "&label"),
                            num(cbDescMax), pointer(pcbDesc, "&len"), pointer(pfDesc, "&num")));
}

DciReturn sqlFetch(DciHandle hstmt) {
  Call call(Fn::Fetch);
  return call.finish(num(hstmt));
}

DciReturn sqlGetData(DciHandle hstmt, uint16_t icol, int16_t fCType, void* rgbValue,
                     int32_t cbValueMax, int32_t* pcbValue) {
  Call call(Fn::GetData);
  if (const Entry* e = call.entry()) {
    copyCut(e->text, rgbValue, cbValueMax);
    if (pcbValue != nullptr) *pcbValue = e->isNull ? SQL_NULL_DATA : length32(e->text.size());
  }
  return call.finish(joined(num(hstmt), num(icol), num(fCType), pointer(rgbValue, "&value"),
                            num(cbValueMax), pointer(pcbValue, "&len")));
}

DciReturn sqlError(DciHandle henv, DciHandle hdbc, DciHandle hstmt, char* szSqlState,
                   int32_t* pfNativeError, char* szErrorMsg, int16_t cbErrorMsgMax,
                   int16_t* pcbErrorMsg) {
  std::unique_lock<std::mutex> lock(g_mutex);
  DciReturn rc = SQL_NO_DATA_FOUND;
  State* state = g_state;
  if (state != nullptr && (state->stuck || !state->queue.empty())) {
    DiagRecord record =
        state->stuck ? DiagRecord{"S1000", 0, "stuck"} : std::move(state->queue.front());
    if (!state->stuck) state->queue.pop_front();
    rc = state->stuck ? state->stuckRc : SQL_SUCCESS;
    copyCut(record.state, szSqlState, 6);
    if (pfNativeError != nullptr) *pfNativeError = record.native;
    copyCut(record.message, szErrorMsg, cbErrorMsgMax);
    if (pcbErrorMsg != nullptr) *pcbErrorMsg = length16(record.message.size());
  }
  if (state != nullptr && state->logFd >= 0) {
    writeAll(state->logFd,
             "SQLError(" +
                 joined(num(henv), num(hdbc), num(hstmt), pointer(szSqlState, "&state"),
                        pointer(pfNativeError, "&native"), pointer(szErrorMsg, "&msg"),
                        num(cbErrorMsgMax), pointer(pcbErrorMsg, "&len")) +
                 ") -> " + num(rc) + "\n");
  }
  return rc;
}

DciReturn sqlFreeStmt(DciHandle hstmt, uint16_t fOption) {
  Call call(Fn::FreeStmt);
  return call.finish(joined(num(hstmt), num(fOption)));
}

DciReturn sqlDisconnect(DciHandle hdbc) {
  Call call(Fn::Disconnect);
  return call.finish(num(hdbc));
}

DciReturn sqlFreeConnect(DciHandle hdbc) {
  Call call(Fn::FreeConnect);
  return call.finish(num(hdbc));
}

DciReturn sqlFreeEnv(DciHandle henv) {
  Call call(Fn::FreeEnv);
  return call.finish(num(henv));
}

DciReturn sqlTables(DciHandle hstmt, const char* szTableQualifier, int16_t cbTableQualifier,
                    const char* szTableOwner, int16_t cbTableOwner, const char* szTableName,
                    int16_t cbTableName, const char* szTableType, int16_t cbTableType) {
  Call call(Fn::Tables);
  return call.finish(joined(num(hstmt), textWithLength(szTableQualifier, cbTableQualifier, "&q"),
                            num(cbTableQualifier), textWithLength(szTableOwner, cbTableOwner, "&o"),
                            num(cbTableOwner), textWithLength(szTableName, cbTableName, "&n"),
                            num(cbTableName), textWithLength(szTableType, cbTableType, "&t"),
                            num(cbTableType)));
}

// Appends value in decimal to the text at *p (no allocation: runs in signal handlers).
void appendDecimal(char** p, int64_t value) {
  char digits[24];
  int n = 0;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *(*p)++ = '-';
  while (n > 0) *(*p)++ = digits[--n];
}

void appendText(char** p, const char* text) {
  while (*text != '\0') *(*p)++ = *text++;
}

// Async-signal-safe, as the interface requires: no lock, no allocation, one write for its log
// line. The script and the log descriptor do not change once loaded.
DciReturn sqlCancel(DciHandle hstmt) {
  State* state = g_state;
  DciReturn rc = state != nullptr ? state->script.cancelRc : SQL_SUCCESS;
  g_cancelled.store(true);
  if (state != nullptr && state->logFd >= 0) {
    char line[64];
    char* p = line;
    appendText(&p, "SQLCancel(");
    appendDecimal(&p, hstmt);
    appendText(&p, ") -> ");
    appendDecimal(&p, rc);
    *p++ = '\n';
    ssize_t ignored = ::write(state->logFd, line, static_cast<std::size_t>(p - line));
    (void)ignored;
  }
  return rc;
}

// The explicit type argument makes the compiler check each function against its ABI shape.
template <typename FnPtr>
DciProc proc(FnPtr function) {
  return reinterpret_cast<DciProc>(function);
}

void buildTable(const Script& script) {
  g_procs[DCI_ORD_SQLALLOCCONNECT] = proc<SQLAllocConnectFn>(sqlAllocConnect);
  g_procs[DCI_ORD_SQLALLOCENV] = proc<SQLAllocEnvFn>(sqlAllocEnv);
  g_procs[DCI_ORD_SQLALLOCSTMT] = proc<SQLAllocStmtFn>(sqlAllocStmt);
  g_procs[DCI_ORD_SQLCOLATTRIBUTES] = proc<SQLColAttributesFn>(sqlColAttributes);
  g_procs[DCI_ORD_SQLCONNECT] = proc<SQLConnectFn>(sqlConnect);
  g_procs[DCI_ORD_SQLDISCONNECT] = proc<SQLDisconnectFn>(sqlDisconnect);
  g_procs[DCI_ORD_SQLERROR] = proc<SQLErrorFn>(sqlError);
  g_procs[DCI_ORD_SQLEXECDIRECT] = proc<SQLExecDirectFn>(sqlExecDirect);
  g_procs[DCI_ORD_SQLFETCH] = proc<SQLFetchFn>(sqlFetch);
  g_procs[DCI_ORD_SQLFREECONNECT] = proc<SQLFreeConnectFn>(sqlFreeConnect);
  g_procs[DCI_ORD_SQLFREEENV] = proc<SQLFreeEnvFn>(sqlFreeEnv);
  g_procs[DCI_ORD_SQLFREESTMT] = proc<SQLFreeStmtFn>(sqlFreeStmt);
  g_procs[DCI_ORD_SQLGETDATA] = proc<SQLGetDataFn>(sqlGetData);
  g_procs[DCI_ORD_SQLGETINFO] = proc<SQLGetInfoFn>(sqlGetInfo);
  g_procs[DCI_ORD_SQLNUMRESULTCOLS] = proc<SQLNumResultColsFn>(sqlNumResultCols);
  g_procs[DCI_ORD_SQLROWCOUNT] = proc<SQLRowCountFn>(sqlRowCount);
  g_procs[DCI_ORD_SQLSETCONNECTOPTION] = proc<SQLSetConnectOptionFn>(sqlSetConnectOption);
  g_procs[DCI_ORD_SQLCANCEL] = proc<SQLCancelFn>(sqlCancel);
  g_procs[DCI_ORD_SQLTABLES] = proc<SQLTablesFn>(sqlTables);
  for (int ordinal = 0; ordinal < DCI_ORD_COUNT; ++ordinal) {
    if (script.omitted[ordinal]) g_procs[ordinal] = nullptr;
  }
  g_table.abiVersion = script.hasAbi ? script.abi : DCI_ABI_VERSION;
  g_table.count = DCI_ORD_COUNT;
  g_table.procs = g_procs;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const DciExportTable* dciExportTable(void) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_state == nullptr) {
    State* state = new State;
    const char* logPath = std::getenv("DVSQL_DCI_LOG");
    if (logPath != nullptr && *logPath != '\0') {
      state->logFd = ::open(logPath, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
      if (state->logFd < 0) {
        complain("cannot open log " + std::string(logPath) + ": " + std::strerror(errno));
      }
    }
    loadScript(state->script);
    apply(*state, state->script.atStart);
    buildTable(state->script);
    g_state = state;
  }
  return &g_table;
}
