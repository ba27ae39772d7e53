// The editline set-up: emacs keys with Ctrl-R bound to the incremental
// history search, Tab to completion, and a character reader of our own that
// waits as the plain reader does (interp/Signals.h: waitForInput), so that a
// signal ends the wait at once.
#include "interp/LineEditor.h"

#include <langinfo.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "interp/Signals.h"
#include "interp/StatementLoop.h"

namespace interp {
namespace {

constexpr char kCompleteFunction[] = "dvsql-complete";
// The wide form for EL_ADDFN: the narrow one copies the texts and never frees
// them.
constexpr wchar_t kCompleteFunctionWide[] = L"dvsql-complete";
constexpr wchar_t kCompleteHelp[] = L"Complete a keyword or table name";
constexpr std::size_t kDefaultColumns = 80;
// A list of more candidates than this is cut, with a line that says so.
constexpr std::size_t kMaxListed = 200;
constexpr char kPlainCodeset[] = "ANSI_X3.4-1968";

// Makes the editing locale current for its scope.
class LocaleScope {
 public:
  explicit LocaleScope(locale_t locale)
      : previous_(locale != static_cast<locale_t>(0) ? uselocale(locale)
                                                     : static_cast<locale_t>(0)) {}
  ~LocaleScope() {
    if (previous_ != static_cast<locale_t>(0)) uselocale(previous_);
  }
  LocaleScope(const LocaleScope&) = delete;
  LocaleScope& operator=(const LocaleScope&) = delete;

 private:
  locale_t previous_;
};

locale_t editingLocale() {
  locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (user != static_cast<locale_t>(0) &&
      std::strcmp(nl_langinfo_l(CODESET, user), kPlainCodeset) != 0) {
    return user;
  }
  // The plain C locale knows no character above 127: a terminal today sends
  // UTF-8.
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (utf8 == static_cast<locale_t>(0)) return user;
  if (user != static_cast<locale_t>(0)) freelocale(user);
  return utf8;
}

bool isWordByte(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

}  // namespace

bool onTerminal() {
  return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

LineEditor::LineEditor(Session* session, OutputBuffer* out, OutputBuffer* err,
                       const std::string& historyPath)
    : out_(out), historyFile_(historyPath, err), completer_(session), locale_(editingLocale()) {
  LocaleScope scope(locale_);
  history_ = history_init();
  editLine_ = el_init("dvsql", stdin, stdout, stderr);
  if (!usable()) return;
  HistEvent event;
  history(history_, &event, H_SETSIZE, static_cast<int>(kHistoryLines));
  el_set(editLine_, EL_CLIENTDATA, this);
  el_set(editLine_, EL_EDITOR, "emacs");
  el_set(editLine_, EL_SIGNAL, 0);  // our handlers stay in place
  el_set(editLine_, EL_HIST, history, history_);
  el_set(editLine_, EL_PROMPT, &LineEditor::promptText);
  el_set(editLine_, EL_GETCFN, &LineEditor::readChar);
  el_wset(editLine_, EL_ADDFN, kCompleteFunctionWide, kCompleteHelp, &LineEditor::complete);
  el_set(editLine_, EL_BIND, "^I", kCompleteFunction, nullptr);
  el_set(editLine_, EL_BIND, "^R", "em-inc-search-prev", nullptr);
  // The user's own settings (~/.editrc) come last and win.
  el_source(editLine_, nullptr);
  for (const std::string& entry : historyFile_.load(kStatementBufferSize - 1)) {
    history(history_, &event, H_ENTER, entry.c_str());
  }
}

LineEditor::~LineEditor() {
  if (editLine_ != nullptr) el_end(editLine_);
  if (history_ != nullptr) history_end(history_);
  if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
}

LineEditor* LineEditor::of(EditLine* editLine) {
  void* data = nullptr;
  el_get(editLine, EL_CLIENTDATA, &data);
  return static_cast<LineEditor*>(data);
}

char* LineEditor::promptText(EditLine* editLine) {
  return const_cast<char*>(of(editLine)->prompt_);
}

int LineEditor::readChar(EditLine*, wchar_t* c) {
  std::mbstate_t state = {};
  for (;;) {
    // An interrupt or a signal ends the line being edited; nextLine sees
    // which.
    if (!waitForInput(STDIN_FILENO)) return -1;
    char byte;
    ssize_t n = ::read(STDIN_FILENO, &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0 ? 0 : -1;
    wchar_t wide;
    std::size_t used = std::mbrtowc(&wide, &byte, 1, &state);
    if (used == static_cast<std::size_t>(-2)) continue;  // more bytes to come
    if (used == static_cast<std::size_t>(-1)) {
      state = std::mbstate_t();  // not a character: dropped
      continue;
    }
    *c = used == 0 ? L'\0' : wide;
    return 1;
  }
}

unsigned char LineEditor::complete(EditLine* editLine, int) {
  LineEditor* self = of(editLine);
  // A reply to "(more)" has a cursor open on the statement handle.
  if (self->kind_ != LineKind::kStatement) return CC_ERROR;
  const LineInfo* line = el_line(editLine);
  const char* start = line->cursor;
  while (start > line->buffer && isWordByte(start[-1])) --start;
  // Nothing inside a quoted text.
  std::size_t quotes = 0;
  for (const char* p = line->buffer; p < start; ++p) quotes += *p == '\'';
  if (quotes % 2 != 0) return CC_ERROR;
  std::string word(start, line->cursor);
  std::vector<std::string> candidates = self->completer_.candidates(word);
  if (candidates.empty()) return CC_ERROR;
  std::size_t common = commonPrefixLength(candidates);
  std::string insert;
  if (candidates.size() == 1) {
    insert = candidates[0].substr(word.size()) + " ";
  } else if (common > word.size()) {
    insert = candidates[0].substr(word.size(), common - word.size());
  } else {
    self->listCandidates(candidates);
    return CC_REDISPLAY;
  }
  if (el_insertstr(editLine, insert.c_str()) != 0) return CC_ERROR;
  return CC_REFRESH;
}

void LineEditor::listCandidates(const std::vector<std::string>& candidates) {
  std::size_t columns = kDefaultColumns;
  int width = 0;
  if (el_get(editLine_, EL_GETTC, "co", &width, nullptr) == 0 && width > 0) {
    columns = static_cast<std::size_t>(width);
  }
  std::size_t widest = 0;
  for (const std::string& c : candidates) widest = c.size() > widest ? c.size() : widest;
  const std::size_t cell = widest + 2;
  const std::size_t perLine = cell < columns ? columns / cell : 1;
  std::fflush(stdout);  // what the editor wrote comes first
  out_->put('\n');
  std::size_t listed = 0;
  for (; listed < candidates.size() && listed < kMaxListed; ++listed) {
    const std::string& c = candidates[listed];
    out_->write(c.data(), c.size());
    bool lineEnds = (listed + 1) % perLine == 0 || listed + 1 == candidates.size();
    if (lineEnds) {
      out_->put('\n');
    } else {
      for (std::size_t pad = c.size(); pad < cell; ++pad) out_->put(' ');
    }
  }
  if (listed < candidates.size()) {
    if (listed % perLine != 0) out_->put('\n');
    out_->putInt(static_cast<long long>(candidates.size() - listed));
    out_->puts(" more\n");
  }
  out_->flush();
}

bool LineEditor::nextLine(const char* prompt, LineKind kind, char* buffer, std::size_t capacity,
                          char* lastChar, std::size_t* length) {
  out_->flush();
  prompt_ = prompt != nullptr ? prompt : "";
  kind_ = kind;
  // An interrupt that came while nothing ran (a statement that had just
  // ended) has nothing left to stop.
  if (kind == LineKind::kStatement) takeInterrupt();
  for (;;) {
    int count = 0;
    const char* line;
    {
      LocaleScope scope(locale_);
      line = el_gets(editLine_, &count);
    }
    if (caughtSignal() != 0) return false;
    if (stopRequested()) {
      // Interrupted: the line typed so far is dropped.
      out_->put('\n');
      out_->flush();
      // A pause's reply leaves the interrupt for the statement loop, which
      // stops the result.
      if (kind == LineKind::kReply) return false;
      takeInterrupt();
      continue;
    }
    if (line == nullptr || count <= 0) return false;
    std::size_t n = static_cast<std::size_t>(count);
    // A line that did not end (the input ended) is dropped, as the plain
    // reader drops it.
    if (line[n - 1] != '\n') return false;
    --n;
    const std::size_t limit = capacity - 1;
    if (n > limit) {
      std::memcpy(buffer, line, limit);
      buffer[limit] = '\0';
      *lastChar = line[limit];
      *length = limit;
      return true;
    }
    std::memcpy(buffer, line, n);
    buffer[n] = '\0';
    *lastChar = '\n';
    *length = n;
    if (kind == LineKind::kStatement) {
      completer_.noteStatement(buffer, n);
      if (historyFile_.add(buffer, n)) {
        LocaleScope scope(locale_);
        HistEvent event;
        history(history_, &event, H_ENTER, buffer);
      }
    }
    return true;
  }
}

}  // namespace interp
