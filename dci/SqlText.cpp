// Text helpers of the built-in driver.
#include "dci/SqlText.h"

#include <cassert>
#include <cctype>
#include <cstring>

namespace dci {
namespace {

inline bool isContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

inline bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

inline bool isIdentChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
         u == '$' || u >= 0x80;
}

// If p starts a comment, returns the position after it; otherwise p. An
// unterminated block comment runs to the end, as the engines read it.
const char* skipComment(const char* p, const char* end) {
  if (end - p >= 2 && p[0] == '-' && p[1] == '-') {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', end - p));
    return eol ? eol + 1 : end;
  }
  if (end - p >= 2 && p[0] == '/' && p[1] == '*') {
    for (const char* q = p + 2; q + 1 < end; ++q) {
      if (q[0] == '*' && q[1] == '/') return q + 2;
    }
    return end;
  }
  return p;
}

const char* skipSpaceAndComments(const char* p, const char* end) {
  while (p < end) {
    if (isSpace(*p)) {
      ++p;
      continue;
    }
    const char* after = skipComment(p, end);
    if (after == p) break;
    p = after;
  }
  return p;
}

// Returns the position after the quoted token that starts at p (quote char q,
// doubled quote as escape); end when unterminated.
const char* skipQuoted(const char* p, const char* end, char close) {
  for (const char* q = p + 1; q < end; ++q) {
    if (*q == close) {
      if (close != ']' && q + 1 < end && q[1] == close) {
        ++q;
        continue;
      }
      return q + 1;
    }
  }
  return end;
}

bool keywordIs(const char* p, std::size_t n, const char* keyword) {
  if (std::strlen(keyword) != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char c = p[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != keyword[i]) return false;
  }
  return true;
}

}  // namespace

std::size_t utf8CutPoint(const char* text, std::size_t length, std::size_t limit) {
  assert(limit < length);
  if (limit >= length || !isContinuation(static_cast<unsigned char>(text[limit]))) return limit;
  std::size_t lead = limit;
  while (lead > 0 && limit - lead < 3 && isContinuation(static_cast<unsigned char>(text[lead]))) {
    --lead;
  }
  unsigned char c = static_cast<unsigned char>(text[lead]);
  std::size_t sequence = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
  if (sequence == 0 || lead + sequence <= limit) return limit;
  return lead;
}

std::size_t copyTextPart(const char* text, std::size_t length, char* dst, long dstMax, bool* cut) {
  *cut = false;
  if (dst == nullptr) return 0;
  if (dstMax <= 0) {
    *cut = true;  // not even the terminator fits
    return 0;
  }
  std::size_t room = static_cast<std::size_t>(dstMax) - 1;
  std::size_t keep = length;
  if (length > room) {
    keep = utf8CutPoint(text, length, room);
    *cut = true;
  }
  std::memcpy(dst, text, keep);
  dst[keep] = '\0';
  return keep;
}

const char* skipTerminators(const char* p, const char* end) {
  for (;;) {
    p = skipSpaceAndComments(p, end);
    if (p < end && *p == ';') {
      ++p;
      continue;
    }
    return p;
  }
}

bool isDataChangeStatement(const char* sql, std::size_t length) {
  const char* end = sql + length;
  const char* p = skipSpaceAndComments(sql, end);
  const char* word = p;
  while (p < end && isIdentChar(*p)) ++p;
  std::size_t n = static_cast<std::size_t>(p - word);
  return keywordIs(word, n, "INSERT") || keywordIs(word, n, "UPDATE") ||
         keywordIs(word, n, "DELETE") || keywordIs(word, n, "REPLACE");
}

namespace {

// Returns the position after an E'..' string that starts with its quote at p:
// backslash escapes a character, '' is a quote.
const char* skipEscapeString(const char* p, const char* end) {
  for (const char* q = p + 1; q < end; ++q) {
    if (*q == '\\') {
      ++q;
    } else if (*q == '\'') {
      if (q + 1 < end && q[1] == '\'') {
        ++q;
        continue;
      }
      return q + 1;
    }
  }
  return end;
}

// If p starts a dollar-quoted string ($$..$$ or $tag$..$tag$), returns the
// position after it and sets *empty when its body is empty; otherwise p.
const char* skipDollarString(const char* p, const char* end, bool* empty) {
  const char* q = p + 1;
  if (q < end && (std::isdigit(static_cast<unsigned char>(*q)) != 0)) return p;  // $1
  while (q < end && *q != '$' && isIdentChar(*q)) ++q;
  if (q >= end || *q != '$') return p;
  std::size_t tagLength = static_cast<std::size_t>(q - p) + 1;  // "$tag$"
  const char* body = q + 1;
  for (const char* r = body; r + tagLength <= end; ++r) {
    if (*r == '$' && std::memcmp(r, p, tagLength) == 0) {
      *empty = r == body;
      return r + tagLength;
    }
  }
  *empty = false;
  return end;
}

bool isLetter(char c, char lower) {
  return c == lower || c == lower - 'a' + 'A';
}

}  // namespace

bool rewriteEmptyStrings(const char* sql, std::size_t length, SqlDialect dialect,
                         std::string* out) {
  const bool postgres = dialect == SqlDialect::kPostgres;
  out->clear();
  out->reserve(length + 8);
  const char* end = sql + length;
  const char* copied = sql;  // start of the text not yet copied to *out
  bool replaced = false;
  // Replaces [from, to), an empty string literal, by NULL, keeping it a token
  // of its own.
  auto replace = [&](const char* from, const char* to) {
    out->append(copied, from);
    if (!out->empty() && isIdentChar(out->back())) out->push_back(' ');
    out->append("NULL");
    if (to < end && isIdentChar(*to)) out->push_back(' ');
    copied = to;
    replaced = true;
  };
  const char* p = sql;
  while (p < end) {
    char c = *p;
    const char* after = skipComment(p, end);
    if (after != p) {
      p = after;
    } else if (c == '"' || (!postgres && c == '`')) {
      p = skipQuoted(p, end, c);
    } else if (!postgres && c == '[') {
      p = skipQuoted(p, end, ']');
    } else if (c == '\'') {
      const char* close = skipQuoted(p, end, '\'');
      if (close - p == 2) replace(p, close);
      p = close;
    } else if (postgres && c == '$') {
      bool empty = false;
      const char* close = skipDollarString(p, end, &empty);
      if (close == p) {
        ++p;
      } else {
        if (empty) replace(p, close);
        p = close;
      }
    } else if (isIdentChar(c)) {
      const char* word = p;
      while (p < end && isIdentChar(*p)) ++p;
      // A one-letter word right before a quote may prefix a literal.
      if (p - word != 1 || p >= end) continue;
      if (*p == '\'' && (isLetter(c, 'x') || (postgres && isLetter(c, 'b')))) {
        p = skipQuoted(p, end, '\'');  // binary or bit-string literal: not text
      } else if (*p == '\'' && postgres && isLetter(c, 'e')) {
        const char* close = skipEscapeString(p, end);
        if (close - p == 2) replace(word, close);
        p = close;
      } else if (*p == '\'' && postgres && isLetter(c, 'n')) {
        const char* close = skipQuoted(p, end, '\'');
        if (close - p == 2) replace(word, close);
        p = close;
      } else if (postgres && isLetter(c, 'u') && end - p >= 2 && p[0] == '&' && p[1] == '\'') {
        const char* close = skipQuoted(p + 1, end, '\'');
        if (close - (p + 1) == 2) replace(word, close);
        p = close;
      }
    } else {
      ++p;
    }
  }
  out->append(copied, end);
  return replaced;
}

}  // namespace dci
