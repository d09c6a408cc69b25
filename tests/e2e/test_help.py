#!/usr/bin/env python3
"""The help command of the real Tumbledeck.exe under Wine: the user guide written beside
the program, the "Help" window showing it read-only, and the end of the run when the
user closes the window.

    test_help.py --exe E --wintool W --base B --work D CASE...
"""

from __future__ import annotations

import sys
import time
from pathlib import Path

import e2e
from e2e import Case, case
import winekit as wk

GUIDE = "How to Use.rtf"
RESOURCE = Path(__file__).resolve().parents[2] / "resources" / GUIDE
TITLE = "Help"


def rich_edit(window: dict) -> dict | None:
    return next((ch for ch in window.get("children", [])
                 if ch["class"].lower().startswith("richedit")), None)


def open_help(c: Case) -> dict | None:
    window = c.wait_window(TITLE)
    if not c.check(window is not None, f"a window titled {TITLE!r} opens"):
        c.evidence("no-help-window")
    return window


@case
def guide(c: Case) -> None:
    """Dropping " Help " (blanks around it): the window opens, the guide beside the program
    equals resource 103 while it is open, the view shows the guide and refuses typing,
    and closing the window ends the run and takes the file along."""
    master, _ = c.master(("Gold Set",))
    resource = RESOURCE.read_bytes()

    def interact(app):
        window = open_help(c)
        if not window:
            return
        guide_file = master / GUIDE
        c.check(guide_file.is_file() and guide_file.read_bytes() == resource,
                f"{GUIDE} in the master folder equals resource 103 byte for byte")
        c.check(window["style"] & 0x00030000 == 0x00030000,
                "the window has minimize and maximize buttons")
        # The guide arrives half a second after the window; later on a loaded machine.
        deadline = time.monotonic() + e2e.END_SLACK + 5
        while True:
            loaded = c.wait_window(TITLE)
            view = rich_edit(loaded) if loaded else None
            if (view and len(view["text"]) > 1000) or time.monotonic() > deadline:
                break
            time.sleep(0.3)
        if not c.check(view is not None, "the window holds a rich-text view"):
            return
        text = view["text"]
        for phrase in ("How to use the Random Tumbledeck", "DO NOT CLOSE",
                       "<<<<  Begin Here >>>>", "set tempdata=/// ", "xCOPY /s /y"):
            c.check(phrase in text, f"the view shows {phrase!r}", f"{len(text)} characters")
        c.display.screenshot(c.evidence_dir / "help.png")
        rc, typed = c.wintool.run("type", "--title", TITLE, view["class"], "typed")
        c.check(rc == 0 and typed and typed[0]["before"] == typed[0]["after"] > 1000,
                "the view refuses typing", f"text lengths: {typed}")
        c.close_window(app, TITLE)

    run = c.run_app(master, [" Help "], interact=interact)
    c.check_ended(run, bound=None)
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME, "Gold Set"})


@case
def dropped_folder(c: Case) -> None:
    """A folder named HELP anywhere is the command too; closing at once, before the guide
    is loaded, still ends the run and removes the file."""
    master, _ = c.master(())

    def interact(app):
        if open_help(c):
            c.close_window(app, TITLE)

    run = c.run_app(master, ["C:\\Elsewhere\\HELP"], interact=interact)
    c.check_ended(run, bound=None)
    c.check_master(master, {wk.EXE_NAME})


@case
def guide_unreadable(c: Case) -> None:
    """A folder named like the guide sits in the master folder: the guide cannot be
    written or read, and once the window is up the run ends with the report of the
    failure (an OK button only) and status 1, leaving the folder as it was."""
    master, _ = c.master(())
    (master / GUIDE).mkdir()
    seen = {}

    def interact(app):
        open_help(c)
        seen.update(c.report())

    run = c.run_app(master, ["help"], interact=interact)
    c.check_reported(run, seen, 75, "Path/File access error")
    c.check((master / GUIDE).is_dir(), "the folder stays")


if __name__ == "__main__":
    sys.exit(e2e.main(display_size="1280x1024x24"))  # the help window is 1060 pixels wide
