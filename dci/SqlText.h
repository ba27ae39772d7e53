// Text helpers of the built-in driver: copying values and labels into caller
// buffers without splitting a UTF-8 character, and the small amount of SQL
// lexing the driver needs (statement tails, statement kind, empty literals).
#ifndef DVSQL_DCI_SQLTEXT_H_
#define DVSQL_DCI_SQLTEXT_H_

#include <cstddef>
#include <cstring>
#include <string>

namespace dci {

// Returns how many of the first `limit` bytes of text[0, length) can be kept
// without cutting a UTF-8 sequence in two. REQUIRES: limit < length. Bytes that
// are not well-formed UTF-8 are cut where the limit falls.
std::size_t utf8CutPoint(const char* text, std::size_t length, std::size_t limit);

// Copies text[0, length) into dst, a buffer of dstMax bytes, NUL-terminated and
// cut at a character boundary when it does not fit. Writes nothing when dst is
// null or dstMax <= 0. Returns the number of text bytes copied; *cut tells
// whether the text did not fit whole (never set when dst is null: the caller
// asked for the length only).
std::size_t copyTextPart(const char* text, std::size_t length, char* dst, long dstMax, bool* cut);

// copyTextPart for the common case of a text that fits, done inline.
inline std::size_t copyTextFast(const char* text, std::size_t length, char* dst, long dstMax,
                                bool* cut) {
  if (dst != nullptr && dstMax > 0 && length < static_cast<std::size_t>(dstMax)) {
    std::memcpy(dst, text, length);
    dst[length] = '\0';
    *cut = false;
    return length;
  }
  return copyTextPart(text, length, dst, dstMax, cut);
}

// copyTextPart for callers that need only whether the text was cut.
inline bool copyText(const char* text, std::size_t length, char* dst, long dstMax) {
  bool cut = false;
  copyTextPart(text, length, dst, dstMax, &cut);
  return cut;
}

// Returns the first position in [p, end) that is not white space, a semicolon
// or part of a comment; end when there is none.
const char* skipTerminators(const char* p, const char* end);

// Returns true when [p, end) holds only white space, semicolons and comments,
// so that nothing of it is a further statement.
inline bool onlyTerminators(const char* p, const char* end) {
  return skipTerminators(p, end) == end;
}

// Returns true when the statement's first keyword, after white space and
// comments, is INSERT, UPDATE, DELETE or REPLACE.
bool isDataChangeStatement(const char* sql, std::size_t length);

// The lexical rules of the backends' SQL that the driver must respect.
enum class SqlDialect {
  kSqlite,    // "..", [..] and `..` identifiers; X'..' blobs
  kPostgres,  // ".." identifiers; E'..' with backslash escapes, U&'..', N'..', $tag$..$tag$,
              // B'..' and X'..' bit strings
};

// Copies sql[0, length) to *out with every empty string literal ('', and for
// PostgreSQL E'', N'', U&'' and $$$$) replaced by NULL, leaving identifiers,
// comments, binary and bit-string literals and non-empty strings alone.
// Returns true when something was replaced.
bool rewriteEmptyStrings(const char* sql, std::size_t length, SqlDialect dialect, std::string* out);

}  // namespace dci

#endif  // DVSQL_DCI_SQLTEXT_H_
