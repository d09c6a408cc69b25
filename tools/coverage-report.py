#!/usr/bin/env python3
"""Prints the coverage tables of tools/coverage.sh from gcovr's JSON reports: lines and
functions per folder for the native suite and for the Windows tests under Wine, per
file of platform/win32, and the platform/win32 functions that no test ran."""

from __future__ import annotations

import json
import sys
from collections import defaultdict

WIN32 = "platform/win32/"


def folder(path: str) -> str:
    """The folder a file counts under; platform/ splits into its two machines."""
    parts = path.split("/")
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    return parts[0] + ("/ (portable)" if parts[0] == "platform" else "")


def percent(done: int, total: int) -> str:
    return f"{100.0 * done / total:5.1f}%" if total else "    -"


def row(name: str, c: dict) -> str:
    return (f"  {name:<34} {percent(c['line_covered'], c['line_total'])} "
            f"{c['line_covered']:>5} / {c['line_total']:<5} functions "
            f"{c['function_covered']:>3} / {c['function_total']}")


def summed(files: list[dict]) -> dict:
    total: dict = defaultdict(int)
    for f in files:
        for key in ("line_covered", "line_total", "function_covered", "function_total"):
            total[key] += f[key]
    return total


def by_folder(title: str, summary: dict) -> None:
    groups: dict = defaultdict(list)
    for f in summary["files"]:
        groups[folder(f["filename"])].append(f)
    print(title)
    for name in sorted(groups):
        print(row(name, summed(groups[name])))
    print(row("all", summed(summary["files"])))


def win32_files(summary: dict) -> None:
    print("platform/win32 under Wine, per file:")
    files = sorted((f for f in summary["files"] if f["filename"].startswith(WIN32)),
                   key=lambda f: f["filename"])
    for f in files:
        print(row(f["filename"][len(WIN32):], f))
    print(row("platform/win32", summed(files)))


def unrun_functions(full: dict) -> None:
    never = [(f["file"][len(WIN32):], fn["lineno"], fn.get("demangled_name", fn["name"]))
             for f in full["files"] if f["file"].startswith(WIN32)
             for fn in f.get("functions", []) if fn["execution_count"] == 0]
    print(f"platform/win32 functions no test ran: {len(never)}")
    for file, line, name in sorted(never):
        print(f"  {file}:{line} {name}")


def main() -> int:
    native, win, win_full = (json.load(open(p)) for p in sys.argv[1:4])
    by_folder("Native suite (simulated machine), per folder:", native)
    print()
    by_folder("Windows tests under Wine (contract and e2e), per folder:", win)
    print()
    win32_files(win)
    print()
    unrun_functions(win_full)
    return 0


if __name__ == "__main__":
    sys.exit(main())
