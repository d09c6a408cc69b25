#!/usr/bin/env python3
"""Takes the README's pictures from the real Tumbledeck.exe under Wine: the card viewer
filled with a host's cards (docs/viewer.png) and the Help window with the user guide
(docs/help.png), each cut to its window.

    tools/docs-screenshots.sh     (builds, then runs this with the arguments below)
    PYTHONPATH=tests/support tools/docs-screenshots.py --exe E --findstr F --wintool W
        [--out build/docs]
"""

from __future__ import annotations

import argparse
import shutil
import subprocess
import sys
import time
from pathlib import Path

import winekit as wk

DOCS = Path(__file__).resolve().parents[1] / "docs"
CARDS = [f"{letter}{n:04d}" for letter in "acb" for n in range(1, 5)]


def window_rect(prefix: wk.Prefix, wintool: Path, title: str) -> list[int] | None:
    run = prefix.run(str(wintool), ["wait", "--title", title, "--visible", "--timeout", "30"],
                     "wait-" + title.split()[0], timeout=60)
    found = wk.read_json_lines(run.stdout)
    return found[0]["rect"] if found else None


def shoot(display: wk.Display, rect: list[int], target: Path, scratch: Path) -> None:
    whole = display.screenshot(scratch / f"{target.stem}-screen.png")
    left, top, right, bottom = rect
    subprocess.run(["convert", str(whole), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", str(target)], check=True)
    print(f"wrote {target}")


def take(prefix: wk.Prefix, display: wk.Display, wintool: Path, master: Path, command: str,
         title: str, settle: float, target: Path, scratch: Path) -> None:
    app = prefix.start(prefix.win(master / wk.EXE_NAME), [command], "tumbledeck")
    rect = window_rect(prefix, wintool, title)
    if not rect:
        raise wk.WineError(f"no window {title!r}")
    time.sleep(settle)
    shoot(display, rect, target, scratch)
    prefix.run(str(wintool), ["close", "--title", title], "close")
    app.finish(30)
    app.kill()


def main() -> int:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--exe", required=True)
    p.add_argument("--findstr", required=True)
    p.add_argument("--wintool", required=True)
    p.add_argument("--out", default="build/docs")
    a = p.parse_args()
    out = Path(a.out).resolve()
    with wk.Display(out / "logs", "1280x1024x24") as display:
        prefix = wk.Prefix(wk.ensure_prefix(out, Path(a.findstr)), display, out / "logs")
        wintool = prefix.drive_c / "wintool.exe"
        shutil.copyfile(a.wintool, wintool)
        master = wk.make_master(prefix, Path(a.exe))
        host = wk.make_host(prefix, out / "card-cache", label="Installed", cards=CARDS)
        print(f"host {host}: {len(CARDS)} cards")
        DOCS.mkdir(exist_ok=True)
        # The progress window goes five seconds after the viewer is ready.
        take(prefix, display, wintool, master, "showcards", "Show Current Card Sets", 8.5,
             DOCS / "viewer.png", out)
        take(prefix, display, wintool, master, "help", "Help", 2.0, DOCS / "help.png", out)
        prefix.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
