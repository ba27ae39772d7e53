// The file that keeps the line editor's history between sessions: one
// statement per line, oldest first, at most kHistoryLines lines, created with
// mode 0600 (statements may hold what others must not read). Each statement is
// appended as it is entered, so that a session that is killed keeps what it
// had; the file is cut back to its last kHistoryLines lines when it is read and
// when a session that added to it ends. A file that cannot be read or written
// costs one warning on standard error; the history is then kept in memory only.
#ifndef DVSQL_INTERP_HISTORYFILE_H_
#define DVSQL_INTERP_HISTORYFILE_H_

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "interp/Console.h"

namespace interp {

// The environment variable that names the history file.
inline constexpr char kHistoryVariable[] = "DVSQL_HISTFILE";
// The history file in the home directory when the variable is not set.
inline constexpr char kHistoryFileName[] = ".dvsql_history";
// The most lines the file and the editor's history keep.
inline constexpr std::size_t kHistoryLines = 2000;
// The path that keeps no history file: nothing is read from or written to it.
inline constexpr char kNoHistoryPath[] = "/dev/null";

// Returns the history file's path: variable when it is not null or empty,
// else home + "/" + kHistoryFileName when home is not null or empty, else an
// empty text (no file).
std::string historyPath(const char* variable, const char* home);

class HistoryFile {
 public:
  // Keeps no file when path is empty or kNoHistoryPath. REQUIRES: err outlives
  // the object.
  HistoryFile(std::string path, OutputBuffer* err);
  ~HistoryFile();
  HistoryFile(const HistoryFile&) = delete;
  HistoryFile& operator=(const HistoryFile&) = delete;

  // Opens the file for appending (creating it with mode 0600) and returns its
  // last kHistoryLines entries, oldest first; lines longer than maxLength are
  // left out. Cuts the file back to those lines when it holds more. REQUIRES:
  // called once, before add.
  std::vector<std::string> load(std::size_t maxLength);

  // Adds the line text[0, length) unless it is empty, all blanks or equal to
  // the entry added before it; appends it to the file when there is one.
  // Returns whether it was added (the caller's history adds it too).
  bool add(const char* text, std::size_t length);

 private:
  // Cuts the file back to its last kHistoryLines lines when it holds more.
  void trim();
  // Reads the whole file into *contents; false when it cannot be read.
  bool readAll(std::string* contents);
  // Writes "dvsql: cannot <action> history file <path>: <reason>" unless a
  // warning was written before, and stops using the file.
  void fail(const char* action, int error);

  std::string path_;
  OutputBuffer* err_;
  int fd_ = -1;
  bool warned_ = false;
  bool appended_ = false;
  // At most this much of the end of the file is read: kHistoryLines lines of
  // the longest entry that load keeps.
  off_t maxReadBytes_ = 0;
  std::string last_;
};

}  // namespace interp

#endif  // DVSQL_INTERP_HISTORYFILE_H_
