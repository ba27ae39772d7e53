#!/usr/bin/env python3
"""Doxygen input filter: turns the headers' plain // comments into documentation comments.

The headers are commented in plain // comments: a file opens with a paragraph on what it is
for, a comment block directly above a declaration (no blank line between) says what the
declaration does, and a short comment after a declaration on its line does the same. Doxygen
reads only its own comment forms, so this filter, run on each header (doxygen calls it as
`comment_filter.py FILE` and reads standard output), rewrites
  - the file's opening // block into a /// block that documents the file (\\file), and the
    class the header is named after when nothing else documents that class (\\copydoc);
  - a // block directly above a declaration at namespace, class or enum scope into ///, and
    lets it document the related declarations that follow it as well (group_run);
  - a trailing // after a declaration into ///<, with its continuation lines that start in
    the same column;
and leaves every other comment as it is: a block followed by a blank line (a heading over a
group of declarations), comments above preprocessor lines other than #define, above access
specifiers, closing braces and the class-member macros, and every comment inside a function
body. Backslashes and at signs of the comments are escaped so that doxygen shows them. Lines
are only ever changed, never added or removed, so doxygen's line numbers are the file's.
"""

import os
import re
import sys

# Lines that a comment block above them does not document.
ACCESS = re.compile(r"^(public|protected|private)\s*:")
MEMBER_MACRO = re.compile(r"^DV_[A-Z0-9_]+\s*\(")
# The start of a statement whose braces hold declarations rather than code.
SCOPE_HEAD = re.compile(
    r"^(template\s*<.*>\s*)?(inline\s+)?(namespace\b|extern\s*\"C\"|class\b|struct\b|union\b|"
    r"enum\b|typedef\s+(struct|union|enum)\b)")


def split_code(line):
    """Returns (code, comment_column) for one line: the code before a // that is outside
    string and character literals, and the column of that //, or -1 when there is none."""
    i, n = 0, len(line)
    quote = None
    while i < n:
        c = line[i]
        if quote:
            if c == "\\":
                i += 2
                continue
            if c == quote:
                quote = None
        elif c in "\"'":
            # A digit separator (1'000) is not a character literal.
            separator = (c == "'" and i > 0 and line[i - 1].isalnum() and i + 1 < n
                         and line[i + 1].isalnum())
            if not separator:
                quote = c
        elif c == "/" and i + 1 < n and line[i + 1] == "/":
            return line[:i], i
        i += 1
    return line, -1


def strip_literals(code):
    """The code with the contents of string and character literals removed."""
    return re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'', '""', code)


def comment_only(line):
    """Returns the column of the // that starts a comment-only line, or -1."""
    m = re.match(r"^(\s*)//", line)
    return len(m.group(1)) if m else -1


def escape_commands(text):
    """The comment text with its backslashes and at signs escaped, so that doxygen shows them
    rather than taking them for commands ("\\n" in a message, user@host). Doxygen already
    shows a "quoted" part of one line as written, so those parts stay as they are."""
    parts = re.split(r'("[^"]*")', text)
    for k in range(0, len(parts), 2):
        parts[k] = parts[k].replace("\\", "\\\\").replace("@", "\\@")
    return "".join(parts)


def to_doc(line, col, marker):
    """Replaces the // at col by marker (/// or ///<) and escapes the comment's text."""
    return line[:col] + marker + escape_commands(line[col + 2:])


def statements_from(lines, out, start):
    """Yields (first, last, documented) for the declarations that follow one another from line
    start: each ends where its braces are closed at a ';' or '}', and is documented when it
    carries its own ///< comment. Stops at a blank line, a comment, a preprocessor line, an
    access specifier, a closing brace or a member macro."""
    idx, n = start, len(lines)
    while idx < n:
        first, depth, documented = idx, 0, False
        while idx < n:
            text = lines[idx].strip()
            if idx == first and (text == "" or text.startswith(("//", "#", "}"))
                                 or ACCESS.match(text) or MEMBER_MACRO.match(text)):
                return
            documented = documented or "///<" in out[idx]
            code = strip_literals(split_code(lines[idx])[0])
            depth += code.count("{") - code.count("}")
            end = code.rstrip()
            idx += 1
            if depth <= 0 and (end.endswith(";") or end.endswith("}")):
                break
            if idx - first > 40:
                return
        else:
            return
        yield first, idx - 1, documented


def declared_name(text):
    """The name that a declaration statement declares: the function before its parameter list,
    or the variable or constant before its initializer; None for a class, struct, enum,
    namespace or anything not recognised."""
    text = re.sub(r"\s+", " ", strip_literals(text)).strip()
    text = re.sub(r"^template ?<[^{;]*?> ?", "", text)
    if SCOPE_HEAD.match(text):
        return None
    m = re.match(r"^using (\w+) ?=", text) or re.match(r"^using [\w:]*::(\w+) ?;", text)
    if m:
        return m.group(1)
    m = re.search(r"\boperator ?(\(\)|[^\s(]+) ?\(", text)
    if m:
        return "operator" + m.group(1)
    paren, eq = text.find("("), text.find("=")
    if paren >= 0 and (eq < 0 or paren < eq):
        m = re.search(r"(~?\w+) ?$", text[:paren])
    else:
        m = re.search(r"(\w+) ?(\[[^\]]*\] ?)?$", re.split(r"[=;{]", text)[0])
    return m.group(1) if m else None


def leading_word(name):
    """The first word of a name: "Kind" of kKindText, "as" of asDouble; a constructor's or an
    operator's whole name."""
    m = re.match(r"^k([A-Z][a-z0-9]*)", name) or re.match(r"^([a-z][a-z0-9]*)", name)
    return m.group(1) if m else name


def is_constant(text, name):
    """True for a named constant: kName declared constexpr or const."""
    return (re.match(r"^k[A-Z]", name) is not None
            and re.search(r"\b(constexpr|const)\b", text) is not None)


def related_names(name, name0):
    """True when name belongs with name0 under one comment: an overload, the same leading word
    (asDouble, asFloat), or the setter and the getter of one thing (setCurrentLocale,
    currentLocale)."""
    if name == name0 or leading_word(name) == leading_word(name0):
        return True
    def unset(n):
        return n[3].lower() + n[4:] if re.match(r"^set[A-Z]", n) else None
    return unset(name) == name0 or unset(name0) == name


def is_copy_member(text, name):
    """True for a copy or move constructor, an assignment operator or a destructor."""
    if name.startswith("~") or name == "operator=":
        return True
    pattern = r"\b%s ?\( ?(const )?%s ?&{1,2} ?\w* ?\)" % (re.escape(name), re.escape(name))
    return re.search(pattern, re.sub(r"\s+", " ", text)) is not None


def is_default_constructor(text, name):
    """True for a constructor without parameters."""
    return re.match(r"^(explicit |constexpr |inline )*%s ?\( ?\)" % re.escape(name),
                    re.sub(r"\s+", " ", text).strip()) is not None


def group_run(lines, out, comment_start, comment_end, first):
    """Lets the /// block from comment_start to comment_end document, beside the declaration
    at first, the related declarations right after it: the headers write one comment over
    such a run ("The value as a scalar" over asDouble, asFloat, ...). A run of named constants
    takes every constant that follows (those with their own ///< keep it); a run of other
    declarations takes those whose names are related (related_names) and that have no comment
    of their own. Each further member of the run gets the block's text, joined into one line,
    as a ///< comment at the end of its last line. Copy and move members, assignment and
    destructors join a run only as the assignment after a copy constructor that opens it; a
    default constructor is in no run (its comment tells the default state, not what the
    other constructors make)."""
    runs = list(statements_from(lines, out, first))
    if len(runs) < 2:
        return
    text0 = " ".join(lines[k] for k in range(runs[0][0], runs[0][1] + 1))
    name0 = declared_name(text0)
    if name0 is None or is_default_constructor(text0, name0):
        return
    constants = is_constant(text0, name0)
    if runs[0][2] and not constants:
        return
    copy0 = is_copy_member(text0, name0)
    members = []  # the last lines of the run's further members that have no comment
    for a, b, documented in runs[1:]:
        text = " ".join(lines[k] for k in range(a, b + 1))
        name = declared_name(text)
        if name is None:
            break
        if constants:
            if not is_constant(text, name):
                break
        elif documented or is_default_constructor(text, name):
            break
        elif is_copy_member(text, name):
            if not (copy0 and name == "operator=" and not members):
                break
        elif copy0 or not related_names(name, name0):
            break
        if not documented and split_code(lines[b])[1] < 0:
            members.append(b)
    if not members:
        return
    text = " ".join(re.sub(r"^\s*///", "", out[k]).strip()
                    for k in range(comment_start, comment_end + 1))
    text = re.sub(r"\s+", " ", text).strip()
    for k in members:
        out[k] = out[k].rstrip() + "  ///< " + text


def filter_lines(lines, path=None):
    """Returns the filtered lines of a header; path, when given, names it for \\copydoc."""
    out = list(lines)
    n = len(lines)

    # The opening paragraph: the comment lines before the first other line.
    i = 0
    while i < n and comment_only(lines[i]) == 0:
        i += 1
    if i > 0:
        for k in range(i):
            out[k] = to_doc(lines[k], 0, "///")
        last = max(k for k in range(i) if lines[k].strip() != "//")
        out[last] += " \\file"

    # A stack of open braces: True where the brace holds declarations.
    scopes = []
    statement = ""       # the text of the current statement so far, for SCOPE_HEAD
    continued = False    # inside a preprocessor line continued with a backslash
    block = []           # indexes of the pending comment-only lines
    trailing_col = -1    # column of the ///< on the line before, for continuations
    documented_blocks = []  # (first and last comment line, declaration line) of each /// block

    def decl_scope():
        return all(scopes)

    def flush_block(target):
        """Converts the pending block when the line at index target is a declaration."""
        if not block:
            return
        if target is not None and decl_scope():
            text = lines[target].strip()
            documented = not (text == "" or ACCESS.match(text) or MEMBER_MACRO.match(text)
                              or text.startswith("}")
                              or (text.startswith("#") and not re.match(r"#\s*define\b", text)))
            if documented:
                for k in block:
                    out[k] = to_doc(lines[k], comment_only(lines[k]), "///")
                documented_blocks.append((block[0], block[-1], target))
        block.clear()

    for idx in range(i, n):
        line = lines[idx]
        col = comment_only(line)
        if col >= 0 and not continued:
            if trailing_col >= 0 and col == trailing_col and not block:
                out[idx] = to_doc(line, col, "///<")
                continue
            trailing_col = -1
            block.append(idx)
            continue
        flush_block(idx)
        trailing_col = -1

        stripped = line.strip()
        if continued or stripped.startswith("#"):
            continued = line.rstrip().endswith("\\")
            continue

        code, ccol = split_code(line)
        if ACCESS.match(stripped) or (MEMBER_MACRO.match(stripped) and stripped.endswith(")")):
            statement = ""
            continue
        at_decl = decl_scope()
        bare = strip_literals(code)
        for c in bare:
            if c == "{":
                scopes.append(bool(SCOPE_HEAD.match(statement.strip())))
                statement = ""
            elif c == "}":
                if scopes:
                    scopes.pop()
                statement = ""
            elif c == ";":
                statement = ""
            else:
                statement += c
        statement += " "

        if ccol >= 0 and at_decl and decl_scope():
            body = code.strip()
            # Not after a closing line ("}  // namespace dv") or an opening one.
            if re.search(r"[^{};\s]", body) and not body.endswith("{") \
                    and not ACCESS.match(body):
                out[idx] = to_doc(line, ccol, "///<")
                trailing_col = ccol
    flush_block(None)
    for comment_start, comment_end, first in documented_blocks:
        group_run(lines, out, comment_start, comment_end, first)
    if path and i > 0:
        document_main_class(out, path)
    return out


def document_main_class(out, path):
    """Gives the class that a header is named after (class Range in object/Range.h) the file's
    opening paragraph, which describes it, unless a comment of its own documents it. path is
    the header's name as doxygen knows it, relative to the folder doxygen runs in."""
    name = re.escape(os.path.splitext(os.path.basename(path))[0])
    for k, line in enumerate(out):
        if re.match(r"^(class|struct) %s\b(?! ?;)" % name, line):
            if k == 0 or not out[k - 1].lstrip().startswith("///"):
                out[k] = "/** \\copydoc %s */ %s" % (path, line)
            return


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: comment_filter.py FILE\n")
        return 2
    path = sys.argv[1]
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    rel = os.path.relpath(path)
    text = "\n".join(filter_lines(lines, rel if not rel.startswith("..") else path))
    sys.stdout.buffer.write(text.encode("utf-8", errors="surrogateescape"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
