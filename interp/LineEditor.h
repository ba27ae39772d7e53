// The line source at a terminal: lines are read with the editline library,
// with the usual editing keys, the history of earlier statements (arrow keys,
// Ctrl-R to search it) kept in the history file (interp/HistoryFile.h), and Tab
// completion (interp/Completer.h). An interrupt (Ctrl-C, with SIGINT set to
// interrupt: interp/Signals.h) at the prompt drops the line typed so far and
// prompts again; at a pause's "(more)" it ends the reading and stays waiting,
// so that the statement loop stops the result.
#ifndef DVSQL_INTERP_LINEEDITOR_H_
#define DVSQL_INTERP_LINEEDITOR_H_

#include <histedit.h>
#include <locale.h>

#include <cstddef>
#include <string>

#include "interp/Completer.h"
#include "interp/Console.h"
#include "interp/HistoryFile.h"
#include "interp/Session.h"

namespace interp {

// Returns whether the line editor applies: standard input and standard output
// are both terminals.
bool onTerminal();

class LineEditor : public LineSource {
 public:
  // Reads standard input; loads the history from historyPath (see HistoryFile
  // for an empty path). REQUIRES: session is set up (null: keywords are the
  // only completion); all pointers outlive the editor.
  LineEditor(Session* session, OutputBuffer* out, OutputBuffer* err,
             const std::string& historyPath);
  ~LineEditor() override;
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // Whether the editline library could be set up; if not, read with an
  // InputReader instead.
  bool usable() const { return editLine_ != nullptr && history_ != nullptr; }

  // Reads one edited line; a statement line (not blank, not the previous
  // one) joins the history. A line longer than capacity - 1 bytes comes back
  // cut, with the next byte in *lastChar, as InputReader gives it.
  bool nextLine(const char* prompt, LineKind kind, char* buffer, std::size_t capacity,
                char* lastChar, std::size_t* length) override;

 private:
  static LineEditor* of(EditLine* editLine);
  static char* promptText(EditLine* editLine);
  static int readChar(EditLine* editLine, wchar_t* c);
  static unsigned char complete(EditLine* editLine, int key);
  // Writes the candidates under the line, as many to a line as the
  // terminal's width allows.
  void listCandidates(const std::vector<std::string>& candidates);

  OutputBuffer* out_;
  HistoryFile historyFile_;
  Completer completer_;
  // The character type of the user's locale, or of C.UTF-8 when that is the
  // plain C locale, used while editing; the process's own locale is not
  // changed.
  locale_t locale_ = static_cast<locale_t>(0);
  EditLine* editLine_ = nullptr;
  History* history_ = nullptr;
  const char* prompt_ = "";
  LineKind kind_ = LineKind::kStatement;
};

}  // namespace interp

#endif  // DVSQL_INTERP_LINEEDITOR_H_
