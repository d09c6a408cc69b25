#!/usr/bin/env python3
"""Runs the platform contract tests (contract_tests.exe) under Wine, in a copy of the
end-to-end tests' base prefix and on a display of their own, and passes on their
verdict. GoogleTest's output goes to a file (Wine programs must not write to pipes)
and is printed afterwards."""

from __future__ import annotations

import argparse
import shutil
import sys
from pathlib import Path

import winekit as wk


def main() -> int:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--exe", required=True)
    p.add_argument("--base", required=True)
    p.add_argument("--work", required=True)
    p.add_argument("gtest_args", nargs="*", help="passed on, e.g. --gtest_filter=...")
    a = p.parse_args()
    work = Path(a.work).resolve()
    if work.exists():
        shutil.rmtree(work)
    with wk.Display(work / "logs") as display:
        prefix = wk.Prefix.copy_of(Path(a.base), work / "prefix", display, work / "logs")
        exe = prefix.drive_c / "contract_tests.exe"
        shutil.copyfile(a.exe, exe)
        run = prefix.run(prefix.win(exe), list(a.gtest_args), "contract", timeout=240)
        prefix.shutdown()
    print(run.output(), end="")
    if run.timed_out:
        print(f"contract tests still running after {run.seconds:.0f} s", file=sys.stderr)
        return 1
    if run.rc == 0:
        shutil.rmtree(work / "prefix", ignore_errors=True)
    return 0 if run.rc == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
