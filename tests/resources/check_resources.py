#!/usr/bin/env python3
"""Check the documents that Tumbledeck carries as resources.

For resources/GetPXDRData.bat (id 101) and resources/SaveOrig.bat (id 102):
size in bytes, number of lines, plain ASCII, CR LF at the end of every line
(the last one too, no lone CR or LF), the working lines verbatim at their line
numbers, and every other line blank or a comment.

For resources/How to Use.rtf (id 103), the user guide: size, lines and line
ends, the closing brace and the one NUL byte at the end, the fixed first lines,
balanced braces, the control words it may use, the phrases and landmarks of its
text in order, the colours, sizes and bold of key phrases, and the two script
listings compared line for line with the scripts above.

Prints what it finds and exits with status 1 on any mismatch.

Usage: tests/resources/check_resources.py [resources-folder]   (default: the tree's resources/)
"""
import os
import re
import sys

QUERY = ("for /f \"Tokens=%{n}%\"\"delims=\" %%a in ('REG QUERY "
         "HKEY_CURRENT_USER\\SOFTWARE\\Zentrix\\pxdr\\System ^| FINDSTR \"DataPath\"')"
         " do set {v}=\"%%a\"")

GET_FIXED = {
    1: "@echo off",
    11: "set xx=3",
    12: ":loop1",
    13: "set tempdata=/// ",
    17: QUERY.format(n="xx", v="tempdata"),
    18: "if %tempdata%==/// goto foundpath1",
    19: "set tempdata=%tempdata:\"=%",
    20: "set pxdrdata=%pxdrdata% %tempdata%",
    21: "set /a xx=%xx%+1",
    22: "goto loop1",
    23: ":foundpath1",
    24: "set pxdrdata=%pxdrdata:~1,100%",
    25: "echo %pxdrdata% >%1pxdrdatapath.txt",
    26: "echo %pxdrdata% ",
}

EXCLUDED = ["music", "skins", "backgrounds", "playlists", ".bmp", ".psd", ".vhd",
            ".txt", ".cld", ".lst", ".log", ".pxdr", ".cds", ".dat", ".rar", ".zip",
            ".ace", ".7z", ".dlmcdf"]

SAVE_FIXED = {
    1: "@echo off",
    2: "cls",
    20: "If %1\"\" == \"\" goto save",
    21: "set basepath=%1",
    23: "Echo %basepath:~1,2%",
    24: "%basepath:~1,2%",
    26: "cd %basepath%",
    27: "Echo %basepath%",
    29: "goto save",
    31: ":makesaveorig",
    32: "md saveorig",
    33: "goto origexist",
    35: ":makesdata",
    36: "md data",
    37: "goto sdataexist",
    38: ":save",
    45: "IF not EXIST %saveorig goto makesaveorig",
    46: ":origexist",
    47: "cd saveorig",
    48: "IF not EXIST %data goto makesdata",
    49: ":sdataexist",
    50: "cd data",
    74: "for /f \"tokens=*\" %%a in ('cd') do set savefolder=%%a",
    75: "set zz=3",
    76: ":boucle1",
    77: "set testdata=/// ",
    81: QUERY.format(n="zz", v="testdata"),
    82: "if %testdata%==/// goto findata1",
    83: "set testdata=%testdata:\"=%",
    84: "set data=%data% %testdata%",
    85: "set /a zz=%zz%+1",
    86: "goto boucle1",
    87: ":findata1",
    88: "set data=%data:~1,100%",
    89: "set data=%data:~0,-1%",
    90: "echo %data%",
    91: "echo %savefolder%",
    93: "xCOPY /s /y \"%data%\" \"%savefolder%\" /EXCLUDE:exclude.txt",
    94: "del exclude.txt",
}
for i, entry in enumerate(EXCLUDED):
    SAVE_FIXED[54 + i] = "echo %s %s exclude.txt" % (entry, ">" if i == 0 else ">>")

# Lines that must be comments (REM or ::), beyond "blank or comment".
GET_COMMENT = {14, 15, 16}
SAVE_COMMENT = {28}
SAVE_TITLE = "TITLE SAVE PXDR card set"


def is_comment(line):
    s = line.lstrip()
    return s.startswith("::") or s.upper() == "REM" or s[:4].upper() in ("REM ", "REM\t")


def check(path, size, nlines, fixed, comment_lines, title_range=None):
    errors = []
    with open(path, "rb") as f:
        data = f.read()
    print("%s: %d bytes (want %d)" % (os.path.basename(path), len(data), size))
    if len(data) != size:
        errors.append("size %d, want %d" % (len(data), size))
    if any(b > 127 for b in data):
        errors.append("non-ASCII bytes")
    if b"\0" in data:
        errors.append("NUL bytes")
    if not data.endswith(b"\r\n"):
        errors.append("last line does not end in CR LF")
    raw = data.split(b"\r\n")
    if raw and raw[-1] == b"":
        raw.pop()
    print("  lines: %d (want %d)" % (len(raw), nlines))
    if len(raw) != nlines:
        errors.append("%d lines, want %d" % (len(raw), nlines))
    bad_crlf = 0
    for n, b in enumerate(raw, 1):
        if b"\r" in b or b"\n" in b:
            errors.append("line %d: lone CR or LF" % n)
            bad_crlf += 1
    lines = [b.decode("ascii", "replace") for b in raw]
    print("  CR LF on every line: %s" % ("yes" if not bad_crlf and data.endswith(b"\r\n") else "NO"))
    for n, want in sorted(fixed.items()):
        got = lines[n - 1] if n <= len(lines) else None
        if got != want:
            errors.append("line %d: got %r, want %r" % (n, got, want))
    print("  fixed lines checked: %d" % len(fixed))
    title_at = None
    for n, line in enumerate(lines, 1):
        if n in fixed:
            continue
        if title_range and n in title_range and line.startswith(SAVE_TITLE + " "):
            title_at = n
            continue
        if n in comment_lines:
            if not is_comment(line):
                errors.append("line %d: should be a comment: %r" % (n, line))
        elif line.strip() and not is_comment(line):
            errors.append("line %d: free line is neither blank nor a comment: %r" % (n, line))
    if title_range:
        if title_at is None:
            errors.append("no '%s ...' line (with a credit) in lines %d-%d"
                          % (SAVE_TITLE, title_range.start, title_range.stop - 1))
        else:
            print("  TITLE line: %d: %s" % (title_at, lines[title_at - 1]))
    for e in errors:
        print("  MISMATCH: " + e)
    print("  %s" % ("OK" if not errors else "FAILED (%d)" % len(errors)))
    return not errors


# ---------------------------------------------------------------------------
# The user guide, resources/How to Use.rtf (id 103)

GUIDE_SIZE = 12000
GUIDE_LINES = 287
GUIDE_HEAD = {
    1: r"{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fnil\fcharset0 Courier New;}}",
    2: r"{\colortbl ;\red0\green0\blue255;\red255\green0\blue0;\red255\green0\blue255;"
       r"\red0\green128\blue0;}",
}
GUIDE_GENERATOR = re.compile(r"^\{\\\*\\generator [^\\{}]*;\}$")
GUIDE_BODY_START = r"\viewkind4\uc1\pard"
GUIDE_WORDS = {"rtf1", "ansi", "ansicpg", "deff", "fonttbl", "f", "fnil", "fcharset",
               "colortbl", "red", "green", "blue", "generator", "viewkind", "uc", "pard",
               "lang", "fs", "b", "cf", "par"}
GUIDE_SYMBOLS = {"\\", "{", "}", "*"}
GUIDE_DESTINATIONS = {"fonttbl", "colortbl"}   # groups whose text is not shown
GUIDE_SIZES = {20, 24, 28}
GUIDE_COLOURS = {0, 1, 2, 3, 4}

BEGIN = "<<<<  Begin Here >>>>"
END = "<<<< End Here >>>>"
NOTE = "<-- special empty folder name that you make. *See below for use."

# Phrases of the guide and how often each must appear at least.
GUIDE_PHRASES = {
    "How to use the Random Tumbledeck": 1,
    "First you Must have the Correct Folder structure set up:": 1,
    "'Data'": 1, "Example:": 1, "C:\\My Card Sets": 2, "|__": 10,
    "NewSet1": 1, "GoldSet": 1, "a0001": 2, "a0001c.jpg": 2, "a0032": 2, "a0032c.jpg": 2,
    "makebackup": 2, "help": 2, "showcards": 2, NOTE: 3,
    "Tumbledeck.EXE": 1, "Tumbledeck.exe": 1, "Double click": 1, "at Random": 1,
    "PXDR Data Folder": 1, "Drag and Drop mode:": 1, "Special Folder name:": 3,
    "SaveOrig.bat": 1, "saveorig": 2, "overwritten": 1, "Caution:": 1, "DO NOT CLOSE": 1,
    "exclude.txt": 1, "NEW FUNCTION": 4, "USAGE IDEAS": 1, "Advance Use 1:": 1,
    "Advance use 2:": 1, "WINDOWS VISTA": 1, "WINDOWS 7": 1, "Windows XP": 1,
    "SCRIPT SOURCE": 1, "Script Source code:": 1,
    "Script to Find the PXDR Data folder path:": 1, "Script to make backup of PXDR cards:": 1,
    BEGIN: 2, END: 2, "Show Current Card Sets": 1,
}

# Landmarks that must come in this order, each searched after the one before.
GUIDE_ORDER = [
    "How to use the Random Tumbledeck", "First you Must have the Correct Folder structure",
    "Example:", "C:\\My Card Sets", "NewSet1", "GoldSet", "makebackup", "help", "showcards",
    "Tumbledeck.EXE", "Double click", "NEW FUNCTION", "Drag and Drop mode:",
    "NEW FUNCTION", "Special Folder name: makebackup", "Caution:", "NEW FUNCTION",
    "Special Folder name: help", "NEW FUNCTION", "Special Folder name: showcards",
    "USAGE IDEAS", "Advance Use 1:", "Advance use 2:", "WINDOWS VISTA", "WINDOWS 7",
    "SCRIPT SOURCE", "Script Source code:", "Script to Find the PXDR Data folder path:",
    BEGIN, END, "Script to make backup of PXDR cards:", BEGIN, END,
]

# (phrase, colour, bold, half-points): at least one occurrence shown exactly so.
GUIDE_STYLED = [
    ("How to use the Random Tumbledeck", 1, 1, 28),
    ("First you Must have the Correct Folder structure set up:", 1, 1, 20),
    ("C:\\My Card Sets", 1, 1, 20),
    ("|__", 2, 1, 20),
    ("NewSet1", 1, 1, 20),
    ("makebackup", 3, 1, 24), ("help", 3, 1, 24), ("showcards", 3, 1, 24),
    ("makebackup", 3, 1, 20), ("help", 3, 1, 20), ("showcards", 3, 1, 20),
    (NOTE, 2, None, 20),
    ("Tumbledeck", 1, 1, 24), (".EXE", 1, 1, 20),
    ("Double click", 2, 1, 20), ("at Random", 1, None, 20),
    ("Drag and Drop mode:", 1, 1, 20),
    ("saveorig", 1, 1, 24), ("overwritten", 2, None, 20),
    ("Caution:", 2, 1, 28), ("DO NOT CLOSE", 1, 1, 20), ("exclude.txt", 2, None, 20),
    ("NEW FUNCTION", 1, 1, 20), ("USAGE IDEAS", 1, 1, 20), ("SCRIPT SOURCE", 1, 1, 20),
    ("*" * 40, 2, 1, 20),
    (BEGIN, 2, None, 20), (END, 2, None, 20),
]

TOKEN = re.compile(r"\\([a-z]+)(-?[0-9]+)? ?|\\(.)|([{}])|(\r\n)|(.)", re.S)


def parse_rtf(text, errors):
    """Reads the guide's RTF.  Returns its paragraphs, each a list of
    (character, colour, bold, half-points) as displayed, and the sets of
    colours and sizes that displayed text uses."""
    paragraphs = [[]]
    stack = []
    state = {"cf": 0, "b": 0, "fs": 24, "hidden": False}
    unknown = {}
    closed_at = None
    for m in TOKEN.finditer(text):
        word, param, symbol, brace, crlf, char = m.groups()
        if crlf:
            continue
        if closed_at is not None:
            errors.append("text after the document's closing brace at offset %d: %r"
                          % (m.start(), text[m.start():m.start() + 20]))
            break
        if brace == "{":
            stack.append(dict(state))
        elif brace == "}":
            if not stack:
                errors.append("unbalanced '}' at offset %d" % m.start())
                return paragraphs, set(), set()
            state = stack.pop()
            if not stack:
                closed_at = m.end()
        elif word:
            if word == "rtf" and param == "1":
                word, param = "rtf1", None
            if word not in GUIDE_WORDS:
                unknown[word] = unknown.get(word, 0) + 1
            if word in GUIDE_DESTINATIONS:
                state["hidden"] = True
            n = int(param) if param is not None else None
            if word == "cf":
                state["cf"] = n
                if n not in GUIDE_COLOURS:
                    errors.append("colour \\cf%s outside the colour table" % param)
            elif word == "b":
                state["b"] = 0 if n == 0 else 1
            elif word == "fs":
                state["fs"] = n
            elif word == "f" and n != 0:
                errors.append("font \\f%s: the guide has only font 0" % param)
            elif word == "par" and not state["hidden"]:
                paragraphs.append([])
        elif symbol is not None:
            if symbol not in GUIDE_SYMBOLS:
                unknown[symbol] = unknown.get(symbol, 0) + 1
            if symbol == "*":
                state["hidden"] = True
            elif symbol in "\\{}" and not state["hidden"]:
                paragraphs[-1].append((symbol, state["cf"], state["b"], state["fs"]))
        elif char is not None:
            if char in "\r\n":
                errors.append("lone CR or LF at offset %d" % m.start())
            elif not state["hidden"]:
                paragraphs[-1].append((char, state["cf"], state["b"], state["fs"]))
    if stack:
        errors.append("%d group(s) never closed" % len(stack))
    for word, count in sorted(unknown.items()):
        errors.append("control word or symbol not allowed in the guide: \\%s (%d times)"
                      % (word, count))
    if paragraphs and not paragraphs[-1]:
        paragraphs.pop()   # nothing follows the last \par
    else:
        errors.append("the last paragraph does not end in \\par")
    colours = {c[1] for p in paragraphs for c in p if c[0] != " "}
    sizes = {c[3] for p in paragraphs for c in p}
    return paragraphs, colours, sizes


def shown(paragraph):
    return "".join(c[0] for c in paragraph)


def styled(paragraphs, phrase, cf, b, fs):
    """True when some occurrence of phrase is shown throughout in this style
    (b None: either weight)."""
    for p in paragraphs:
        text = shown(p)
        at = text.find(phrase)
        while at >= 0:
            if all(c[1] == cf and c[3] == fs and (b is None or c[2] == b)
                   for c in p[at:at + len(phrase)] if c[0] != " "):
                return True
            at = text.find(phrase, at + 1)
    return False


def script_lines(path, leave_out=None):
    with open(path, "rb") as f:
        lines = f.read().decode("ascii", "replace").split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    if leave_out is not None:
        lines = [l for l in lines if l != leave_out]
    return lines


def check_guide(path, scripts):
    errors = []
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        print("%s: MISSING (%s)" % (os.path.basename(path), e.strerror))
        print("  FAILED (1)")
        return False
    print("%s: %d bytes (want %d)" % (os.path.basename(path), len(data), GUIDE_SIZE))
    if len(data) != GUIDE_SIZE:
        errors.append("size %d, want %d" % (len(data), GUIDE_SIZE))
    if any(b > 127 for b in data):
        errors.append("non-ASCII bytes")
    if not data.endswith(b"}\r\n\0"):
        errors.append("does not end in '}', CR LF and one NUL byte")
    if data.count(b"\0") != 1 or not data.endswith(b"\0"):
        errors.append("%d NUL bytes; want exactly one, as the last byte" % data.count(b"\0"))
    body = data[:-1] if data.endswith(b"\0") else data
    raw = body.split(b"\r\n")
    if raw and raw[-1] == b"":
        raw.pop()
    else:
        errors.append("text after the last CR LF")
    print("  lines: %d (want %d)" % (len(raw), GUIDE_LINES))
    if len(raw) != GUIDE_LINES:
        errors.append("%d lines, want %d" % (len(raw), GUIDE_LINES))
    bad_crlf = [n for n, b in enumerate(raw, 1) if b"\r" in b or b"\n" in b]
    for n in bad_crlf:
        errors.append("line %d: lone CR or LF" % n)
    print("  CR LF on every line: %s" % ("NO" if bad_crlf else "yes"))
    lines = [b.decode("ascii", "replace") for b in raw]
    for n, want in sorted(GUIDE_HEAD.items()):
        got = lines[n - 1] if n <= len(lines) else None
        if got != want:
            errors.append("line %d: got %r, want %r" % (n, got, want))
    if len(lines) < 4 or not GUIDE_GENERATOR.match(lines[2]):
        errors.append("line 3 is not a generator group: %r" % (lines[2:3] or [None])[0])
    else:
        print("  generator: %s" % lines[2])
    if len(lines) < 4 or not lines[3].startswith(GUIDE_BODY_START):
        errors.append("line 4 does not start with %s" % GUIDE_BODY_START)
    if not lines or lines[-1] != "}":
        errors.append("last line is %r, want '}'" % (lines[-1] if lines else None))

    paragraphs, colours, sizes = parse_rtf(body.decode("ascii", "replace"), errors)
    texts = [shown(p) for p in paragraphs]
    print("  paragraphs: %d; colours used: %s; sizes used: %s"
          % (len(paragraphs), sorted(colours), sorted(sizes)))
    if colours != GUIDE_COLOURS:
        errors.append("colours used %s, want %s" % (sorted(colours), sorted(GUIDE_COLOURS)))
    if sizes != GUIDE_SIZES:
        errors.append("sizes used %s, want %s" % (sorted(sizes), sorted(GUIDE_SIZES)))

    shown_text = "\n".join(texts)
    for phrase, least in GUIDE_PHRASES.items():
        count = shown_text.count(phrase)
        if count < least:
            errors.append("phrase %r shown %d times, want at least %d" % (phrase, count, least))
    at = 0
    for mark in GUIDE_ORDER:
        found = shown_text.find(mark, at)
        if found < 0:
            errors.append("landmark %r missing or out of order" % mark)
            break
        at = found + len(mark)
    print("  phrases checked: %d, landmarks in order: %d" % (len(GUIDE_PHRASES), len(GUIDE_ORDER)))
    for phrase, cf, b, fs in GUIDE_STYLED:
        if not styled(paragraphs, phrase, cf, b, fs):
            errors.append("%r never shown in colour %d%s at %d half-points"
                          % (phrase, cf, {None: "", 0: " plain", 1: " bold"}[b], fs))
    print("  styled phrases checked: %d" % len(GUIDE_STYLED))
    if texts[:1] != ["How to use the Random Tumbledeck"]:
        errors.append("the first paragraph is not the title")
    if len(texts) < 5 or texts[-4:] != [""] * 4 or texts[-5] != END:
        errors.append("the document does not end with the last listing and four empty paragraphs")

    # The listings: the green bold lines between each begin and end marker.
    begins = [i for i, t in enumerate(texts) if t == BEGIN]
    ends = [i for i, t in enumerate(texts) if t == END]
    if len(begins) != len(scripts) or len(ends) != len(scripts):
        errors.append("%d begin and %d end markers, want %d of each"
                      % (len(begins), len(ends), len(scripts)))
    for k, (begin, (name, want)) in enumerate(zip(begins, scripts)):
        end = next((e for e in ends if e > begin), None)
        if end is None or (k + 1 < len(begins) and end > begins[k + 1]):
            errors.append("listing %s: no end marker" % name)
            continue
        got = texts[begin + 1:end]
        for n, p in enumerate(paragraphs[begin + 1:end], 1):
            if any(c[1] != 4 or c[2] != 1 for c in p):
                errors.append("listing %s, line %d: not all green bold" % (name, n))
        if len(got) != len(want):
            errors.append("listing %s: %d lines, want %d" % (name, len(got), len(want)))
        for n, (g, w) in enumerate(zip(got, want), 1):
            if g != w:
                errors.append("listing %s, line %d: shown %r, want %r" % (name, n, g, w))
        print("  listing %s: %d lines, compared with the script" % (name, len(got)))
    for e in errors:
        print("  MISMATCH: " + e)
    print("  %s" % ("OK" if not errors else "FAILED (%d)" % len(errors)))
    return not errors


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources")
    ok = check(os.path.join(res, "GetPXDRData.bat"), 778, 26, GET_FIXED, GET_COMMENT)
    ok = check(os.path.join(res, "SaveOrig.bat"), 2507, 94, SAVE_FIXED, SAVE_COMMENT,
               title_range=range(3, 20)) and ok
    scripts = [
        ("GetPXDRData.bat", script_lines(os.path.join(res, "GetPXDRData.bat"))),
        ("SaveOrig.bat", script_lines(os.path.join(res, "SaveOrig.bat"),
                                      leave_out="echo .dlmcdf >> exclude.txt")),
    ]
    ok = check_guide(os.path.join(res, "How to Use.rtf"), scripts) and ok
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
