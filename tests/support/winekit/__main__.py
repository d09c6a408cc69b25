"""Command line of the Wine machinery (tools/demo.sh, the Wine benchmarks, and CTest to
build the shared base prefix):

  python3 -m winekit base  --out DIR --findstr FINDSTR.EXE
  python3 -m winekit stage --out DIR --exe TUMBLEDECK.EXE --findstr FINDSTR.EXE
  python3 -m winekit demo  --out DIR --exe TUMBLEDECK.EXE --findstr FINDSTR.EXE

with tests/support on PYTHONPATH.
"""

from __future__ import annotations

import argparse
import shlex
import subprocess
import sys
from pathlib import Path

from .base_prefix import build_base_prefix
from .demo import run_demo
from .display import Display
from .errors import WineError
from .layout import EXE_NAME
from .stage import stage


def cmd_base(a) -> int:
    build_base_prefix(Path(a.out), Path(a.findstr))
    return 0


def cmd_stage(a) -> int:
    out = Path(a.out).resolve()
    with Display(out / "logs") as display:
        prefix, master, _, host = stage(out, Path(a.exe), Path(a.findstr), display)
        prefix.wait_idle()
    # Shell assignments, for eval in tools/bench-wine.sh.
    print(f"WINEPREFIX={shlex.quote(str(prefix.path))}")
    print(f"TUMBLEDECK_EXE={shlex.quote(prefix.win(master / EXE_NAME))}")
    print(f"HOST_DATA={shlex.quote(str(host))}")
    print(f"MASTER={shlex.quote(str(master))}")
    return 0


def cmd_demo(a) -> int:
    return run_demo(Path(a.out), Path(a.exe), Path(a.findstr))


def parser() -> argparse.ArgumentParser:
    p = argparse.ArgumentParser(prog="python3 -m winekit",
                                description="Wine prefixes for Tumbledeck's tests, demo "
                                            "and benchmarks")
    sub = p.add_subparsers(dest="cmd", required=True)
    b = sub.add_parser("base", help="build a base prefix with the test FINDSTR")
    b.add_argument("--out", required=True)
    b.add_argument("--findstr", required=True)
    b.set_defaults(func=cmd_base)
    for name, func, text in (("stage", cmd_stage, "prefix, master folder and host, no run"),
                             ("demo", cmd_demo, "stage, then one random switch")):
        s = sub.add_parser(name, help=text)
        s.add_argument("--out", required=True)
        s.add_argument("--exe", required=True)
        s.add_argument("--findstr", required=True)
        s.set_defaults(func=func)
    return p


def main(argv=None) -> int:
    a = parser().parse_args(argv)
    try:
        return a.func(a)
    except (WineError, subprocess.CalledProcessError) as e:
        print(f"winekit: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
