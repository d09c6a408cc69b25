#!/usr/bin/env python3
"""Check the scripts that Tumbledeck carries as resources.

For resources/GetPXDRData.bat (id 101) and resources/SaveOrig.bat (id 102):
size in bytes, number of lines, plain ASCII, CR LF at the end of every line
(the last one too, no lone CR or LF), the working lines verbatim at their line
numbers, and every other line blank or a comment.  Prints what it finds and
exits with status 1 on any mismatch.

Usage: tools/check-resources.py [resources-folder]   (default: ../resources)
"""
import os
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


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    ok = check(os.path.join(res, "GetPXDRData.bat"), 778, 26, GET_FIXED, GET_COMMENT)
    ok = check(os.path.join(res, "SaveOrig.bat"), 2507, 94, SAVE_FIXED, SAVE_COMMENT,
               title_range=range(3, 20)) and ok
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
