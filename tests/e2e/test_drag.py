#!/usr/bin/env python3
"""The mouse in the card viewer of the real Tumbledeck.exe under Wine, moved at the X
level as a user moves it (a mouse message posted to a window never starts a drag): a card
dragged onto a window of another program arrives there as a picture of the card's size,
and a right-click on a card does nothing.

    test_drag.py --exe E --wintool W --base B --work D CASE...
"""

from __future__ import annotations

import shutil
import subprocess
import sys
import time

import e2e
from e2e import Case, case
import winekit as wk

e2e.DISPLAY_SIZE = "1280x1024x24"
VIEWER = "Show Current Card Sets"
READY = "READY !"
VIEW_CLASS = "RICHEDIT50W"
TARGET = "Another Program"
SIZES = {"a0001": (120, 160), "a0002": (132, 176), "a0003": (144, 192)}


def xdotool(c: Case, *args: str) -> None:
    subprocess.run(["xdotool", *args], env={"DISPLAY": c.display.name}, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, timeout=30)


def card_centre(c: Case, cp: int, size: tuple[int, int]) -> tuple[int, int] | None:
    rc, found = c.wintool.run("cardpoint", "--title", VIEWER, VIEW_CLASS, str(cp))
    if rc != 0 or not found:
        return None
    x, y = found[0]["screen"]
    return x + size[0] // 2, y + size[1] // 2


def view_length(c: Case) -> int | None:
    rc, found = c.wintool.run("length", "--title", VIEWER, VIEW_CLASS)
    return found[0]["length"] if rc == 0 and found else None


@case
def drag_out(c: Case) -> None:
    """A right-click on the second card opens nothing and changes nothing; dragging it onto
    another program's window drops a copy there, at the card's own size, and the card
    stays in the view."""
    shutil.rmtree(c.host)
    for name, size in SIZES.items():
        wk.card_picture(c.host / name / f"{name}c.jpg", "Installed", name, c.cache, size)
    c.host_before = wk.tree(c.host)
    master, _ = c.master(())

    def interact(app):
        if not c.check(c.wait_window(READY, 30) is not None, f"the viewer gets {READY!r}"):
            c.evidence("not-ready")
            return
        time.sleep(1.0)  # its last pictures drawn
        centre = card_centre(c, 1, SIZES["a0002"])
        if not c.check(centre is not None, "the second card stands on the screen"):
            return
        xdotool(c, "mousemove", str(centre[0]), str(centre[1]), "click", "3")
        time.sleep(0.5)
        rc, windows = c.wintool.run("list")
        c.check(not any(w["class"] == "#32768" for w in windows), "a right-click opens no menu",
                f"windows: {[w['title'] for w in windows]}")
        c.check(view_length(c) == len(SIZES), "and leaves every card in the view")

        target = c.wintool.start("droptarget", TARGET, "1010", "300", "--timeout", "40")
        deadline = time.monotonic() + 20
        while not e2e.read_records(target.stdout) and time.monotonic() < deadline:
            time.sleep(0.1)
        xdotool(c, "mousemove", str(centre[0]), str(centre[1]), "mousedown", "1")
        for step in range(1, 11):  # a hand's pace, past the drag threshold at once
            x = centre[0] + (1150 - centre[0]) * step // 10
            y = centre[1] + (420 - centre[1]) * step // 10
            xdotool(c, "mousemove", str(x), str(y))
            time.sleep(0.05)
        c.display.screenshot(c.evidence_dir / "dragging.png")
        xdotool(c, "mouseup", "1")
        done = target.finish(30)
        if done.timed_out:
            target.kill()
        drops = [r for r in e2e.read_records(target.stdout) if r.get("event") == "drop"]
        c.check(len(drops) == 1 and drops[0]["dib"] == list(SIZES["a0002"]),
                f"the other program gets the card as a picture of {SIZES['a0002']} pixels",
                f"its records: {e2e.read_records(target.stdout)}")
        c.check(view_length(c) == len(SIZES), "the card stays in the view: it was copied")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact)
    c.check_ended(run, bound=None)
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME})


if __name__ == "__main__":
    sys.exit(e2e.main())
