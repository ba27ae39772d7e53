#!/usr/bin/env python3
"""Writes the Decimal test vectors: texts with the parameters a Decimal is made
under, and what it must become, worked out with Python's decimal module
(ROUND_HALF_UP rounds the magnitude, so half away from zero).

Each vector line is

    text|precision|scale|fixStyle|maxexp|miscFlags|status|encoding|text form

where text escapes "|", "\\" and every byte outside printable ASCII as \\xHH,
status is one of ok, rounded, overflow, underflow, infinity, bad, encoding is
the encoding bytes in hexadecimal and the text form is the value written in
the floating style with the plain decimal point.

    make_decimal_vectors.py [FILE]          write FILE (default: beside this script)
    make_decimal_vectors.py --check FILE    exit 1 when FILE is not what this script writes
"""

import decimal
import random
import sys
from pathlib import Path

DEFAULT_FILE = Path(__file__).with_name("decimal_vectors.txt")
BLANKS = " \t\n\v\f\r"
DIGITS = "0123456789"
MAX_PRECISION = 38
MAX_EXP = 128
ALLOW_INFINITY = 1
FIXED_LIMITED, FIXED, FLOATING = 0, 1, 2

# Wide enough that no operation here rounds by accident.
EXACT = decimal.Context(prec=2000, Emin=-999999, Emax=999999, rounding=decimal.ROUND_HALF_UP)


class Result:
    def __init__(self, status, negative=False, digits="", exponent=0, infinite=False):
        self.status = status
        self.negative = negative
        self.digits = digits  # significant digits, no leading or trailing zeros
        self.exponent = exponent  # the value is 0.digits x 10^exponent
        self.infinite = infinite


def zero(status):
    return Result(status)


def infinity(status, negative):
    return Result(status, negative=negative, infinite=True)


def parse(text, precision, scale, fix_style, maxexp, flags):
    """The value a Decimal makes of text under the parameters."""
    if not 1 <= precision <= MAX_PRECISION:
        return zero("bad")
    maxexp = min(maxexp, MAX_EXP)
    allow_infinity = bool(flags & ALLOW_INFINITY)
    s = text.lstrip(BLANKS)
    negative = False
    if s[:1] in ("+", "-") and s:
        negative = s[0] == "-"
        s = s[1:]
    if s and s[0] not in DIGITS and s[0] != ".":
        if allow_infinity and s[:8].lower() == "infinity" and s[8:].strip(BLANKS) == "":
            return infinity("ok", negative)
        return zero("bad")

    i = 0
    while i < len(s) and s[i] in DIGITS:
        i += 1
    integer = s[:i]
    fraction = ""
    point = False
    if i < len(s) and s[i] == ".":
        point = True
        j = i + 1
        while j < len(s) and s[j] in DIGITS:
            j += 1
        fraction = s[i + 1:j]
        i = j
    seen = bool(integer or fraction)
    exponent_text = "0"
    if i < len(s) and s[i] in "eE":
        if not seen:
            return zero("bad")
        i += 1
        sign = ""
        if i < len(s) and s[i] in "+-":
            sign = s[i]
            i += 1
        j = i
        while j < len(s) and s[j] in DIGITS:
            j += 1
        if j == i:
            return zero("bad")
        exponent_text = sign + s[i:j]
        i = j
    if s[i:].strip(BLANKS) != "" or (point and not seen):
        return zero("bad")
    if not seen:
        return zero("ok")

    magnitude = decimal.Decimal((integer or "0") + "." + (fraction or "0"))
    if magnitude == 0:
        return zero("ok")  # zero whatever its exponent
    exponent_digits = exponent_text.lstrip("+-").lstrip("0")
    if len(exponent_digits) >= 4:
        if exponent_text.startswith("-"):
            return zero("underflow")
        return infinity("infinity", negative) if allow_infinity else zero("overflow")
    magnitude = EXACT.multiply(magnitude, decimal.Decimal("1E" + exponent_text))

    p = magnitude.adjusted() + 1  # the value is 0.digits x 10^p
    if fix_style == FIXED_LIMITED and p > precision - scale:
        return zero("overflow")
    keep = precision if fix_style == FLOATING else min(p + scale, MAX_PRECISION)
    if keep < 0:
        return zero("underflow")
    quantum = decimal.Decimal("1E%d" % (p - keep))
    rounded = magnitude.quantize(quantum, rounding=decimal.ROUND_HALF_UP, context=EXACT)
    status = "rounded" if rounded != magnitude else "ok"
    if rounded == 0:
        return zero(status)
    p = rounded.adjusted() + 1
    if fix_style == FIXED_LIMITED and p > precision - scale:
        return zero("overflow")
    even = p + p % 2
    if even < -maxexp:
        return zero("underflow")
    if even > maxexp - 2:
        return infinity("infinity", negative) if allow_infinity else zero("overflow")
    digits = "".join(str(d) for d in rounded.as_tuple().digits).rstrip("0")
    return Result(status, negative, digits, p)


def encoding(r):
    if r.infinite:
        return "00" if r.negative else "FF65"
    if not r.digits:
        return "80"
    digits, p = r.digits, r.exponent
    if p % 2:
        digits, p = "0" + digits, p + 1
    if len(digits) % 2:
        digits += "0"
    pairs = [int(digits[k:k + 2]) for k in range(0, len(digits), 2)]
    head = 0xC0 + p // 2
    if r.negative:
        body = [~head & 0xFF] + [101 - m for m in pairs] + [102]
    else:
        body = [head] + [m + 1 for m in pairs]
    return "".join("%02X" % b for b in body)


def text_form(r):
    """The floating style: plain up to 12 integer digits and down to 12 zeros
    after the point, scientific beyond."""
    if r.infinite:
        return "-Infinity" if r.negative else "+Infinity"
    if not r.digits:
        return "0"
    d, e = r.digits, r.exponent
    if e > 12 or (e < 0 and e - len(d) < -12):
        body = d[0] + ("." + d[1:] if len(d) > 1 else "") + "e%d" % (e - 1)
    elif e > 0:
        body = d[:e].ljust(e, "0") + ("." + d[e:] if len(d) > e else "")
    else:
        body = "0." + "0" * -e + d
    return ("-" if r.negative else "") + body


def escape(text):
    out = []
    for c in text:
        if c in "|\\" or not " " <= c <= "~":
            out.append("\\x%02X" % ord(c))
        else:
            out.append(c)
    return "".join(out)


# The cases the value class is known by, first.
FIXED_CASES = [
    ("1", 38, 0, FLOATING, 128, 0),
    ("100", 38, 0, FLOATING, 128, 0),
    ("0.5", 38, 0, FLOATING, 128, 0),
    ("-1", 38, 0, FLOATING, 128, 0),
    ("999.5", 38, 0, FIXED, 128, 0),
    ("1000", 38, 0, FLOATING, 128, 0),
    ("1.25", 38, 1, FIXED, 128, 0),
    ("-1.25", 38, 1, FIXED, 128, 0),
    ("12345", 4, 0, FIXED_LIMITED, 128, 0),
    ("12345", 4, 0, FLOATING, 128, 0),
    ("0.0001", 38, 2, FIXED, 128, 0),
    ("0.004", 38, 2, FIXED, 128, 0),
    ("0.005", 38, 2, FIXED, 128, 0),
    ("1e127", 38, 0, FLOATING, 128, 0),
    ("1e127", 38, 0, FLOATING, 128, ALLOW_INFINITY),
    ("INFINITY", 38, 0, FLOATING, 128, 0),
    ("  -Infinity  ", 38, 0, FLOATING, 128, ALLOW_INFINITY),
    ("1234.5", 38, 0, FLOATING, 128, 0),
    ("1e20", 38, 0, FLOATING, 128, 0),
    ("0.0001234", 38, 0, FLOATING, 128, 0),
    ("99.995", 4, 2, FIXED_LIMITED, 128, 0),
    ("0e5000", 38, 0, FLOATING, 128, 0),
    ("1e-128", 38, 0, FLOATING, 128, 0),
    ("1e-130", 38, 0, FLOATING, 128, 0),
    ("1e-131", 38, 0, FLOATING, 128, 0),
    ("9.9999999999999999999999999999999999999e125", 38, 0, FLOATING, 128, 0),
    ("-1.0000000000000000000000000000000000001", 38, 0, FLOATING, 128, 0),
    ("123456789012345678901234567890123456789012345", 38, 0, FIXED, 128, 0),
    ("1", 0, 0, FLOATING, 128, 0),
    ("1", 39, 0, FLOATING, 128, 0),
    ("1e200", 38, 0, FLOATING, 150, 0),
    ("", 38, 0, FLOATING, 128, 0),
    (".", 38, 0, FLOATING, 128, 0),
    ("-", 38, 0, FLOATING, 128, 0),
    ("e5", 38, 0, FLOATING, 128, 0),
    (".e5", 38, 0, FLOATING, 128, 0),
    ("1e", 38, 0, FLOATING, 128, 0),
    ("1e+", 38, 0, FLOATING, 128, 0),
    ("1.2.3", 38, 0, FLOATING, 128, 0),
    ("1e1000", 38, 0, FLOATING, 128, ALLOW_INFINITY),
    ("1e-1000", 38, 0, FLOATING, 128, ALLOW_INFINITY),
    ("1e0999", 38, 0, FLOATING, 128, 0),
]


def random_digits(rng, n):
    style = rng.random()
    if style < 0.15:
        return "9" * n
    if style < 0.25:
        return "".join(rng.choice("05") for _ in range(n))
    if style < 0.35:
        return "".join(rng.choice("0000123") for _ in range(n))
    return "".join(rng.choice(DIGITS) for _ in range(n))


def random_number(rng):
    n = rng.choice([1, 1, 2, 3, 5, 8, 12, 17, 20, 30, 37, 38, 39, 40, 45])
    body = random_digits(rng, n)
    where = rng.randint(0, n)
    shape = rng.random()
    if shape < 0.3:
        text = body
    elif shape < 0.8:
        text = body[:where] + "." + body[where:]
    else:
        text = "0." + "0" * rng.randint(0, 20) + body
    text = "0" * rng.choice([0, 0, 0, 1, 3]) + text
    if text.startswith(".") and rng.random() < 0.5:
        text = "0" + text
    if rng.random() < 0.5:
        e = rng.choice([rng.randint(-20, 20), rng.randint(-140, 140), rng.randint(-140, 140)])
        if rng.random() < 0.05:
            e = rng.choice([999, -999, 1000, -1000, 12345])
        sign = "-" if e < 0 else rng.choice(["", "+"])
        digits = "0" * rng.choice([0, 0, 0, 1, 4]) + str(abs(e))
        text += rng.choice("eE") + sign + digits
    text = rng.choice(["", "", "", "+", "-", "-"]) + text
    if rng.random() < 0.15:
        text = rng.choice([" ", "  ", "\t"]) + text
    if rng.random() < 0.15:
        text = text + rng.choice([" ", "\t ", "\n"])
    return text


def damaged(rng, text):
    choice = rng.random()
    if choice < 0.5:
        k = rng.randint(0, len(text))
        return text[:k] + rng.choice("x.,e+- $") + text[k:]
    if choice < 0.7 and text:
        k = rng.randrange(len(text))
        return text[:k] + text[k + 1:]
    return rng.choice(["Infinity", "-infinity", "INFINITY ", "inf", "infinity x", "+Infinityy",
                       "1..5", "--1", "+-1", "1e--5", "0x10", "1,5", "\xa0" + "5"])


def random_parameters(rng):
    precision = rng.choice([38, 38, 16, 10, 5, 3, 1, rng.randint(1, 38)])
    if rng.random() < 0.02:
        precision = rng.choice([0, -1, 39, 100])
    scale = rng.choice([0, 0, 2, 2, 1, 4, -2, rng.randint(-5, 45)])
    fix_style = rng.choice([FIXED_LIMITED, FIXED, FLOATING])
    maxexp = MAX_EXP if rng.random() < 0.7 else rng.choice([1, 2, 3, 10, 20, 63, 127, 129, 200])
    flags = rng.choice([0, 0, ALLOW_INFINITY])
    return precision, scale, fix_style, maxexp, flags


def vectors():
    rng = random.Random(20240412)
    cases = list(FIXED_CASES)
    while len(cases) < 3000:
        text = random_number(rng)
        if rng.random() < 0.12:
            text = damaged(rng, text)
        cases.append((text,) + random_parameters(rng))
    lines = ["# Decimal vectors: made by make_decimal_vectors.py beside this file; do not edit.",
             "# text|precision|scale|fixStyle|maxexp|miscFlags|status|encoding|text form"]
    for case in cases:
        r = parse(*case)
        fields = [escape(case[0])] + [str(v) for v in case[1:]]
        fields += [r.status, encoding(r), text_form(r)]
        lines.append("|".join(fields))
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) >= 2 and argv[1] == "--check":
        path = Path(argv[2]) if len(argv) > 2 else DEFAULT_FILE
        if path.read_text(encoding="latin-1") != vectors():
            print("%s is not current: run %s" % (path, argv[0]), file=sys.stderr)
            return 1
        return 0
    path = Path(argv[1]) if len(argv) > 1 else DEFAULT_FILE
    path.write_text(vectors(), encoding="latin-1")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
