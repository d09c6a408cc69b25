#!/usr/bin/env python3
"""Card sets and folders from strangers, under Wine: programs planted where the system's
are looked for never run, and a host value the back-up script would cut wrong is
refused with a reason.

    test_strangers.py --exe E --wintool W --base B --work D CASE...

A planted program leaves C:\\planted-ran.txt when it runs: planted.exe (built beside
wintool.exe) stands for a stranger's executable, a one-line script for a stranger's
batch file; plantedlib.dll, copied under a system library's name, for a stranger's
library, which adds its path to C:\\planted-loaded.txt when it loads.
"""

from __future__ import annotations

import shutil
import sys
import time
from pathlib import Path

import e2e
from e2e import Case, case
import winekit as wk

SETS = ("Gold Set", "Silver")
VIEW_CLASSES = {"Show Current Card Sets": "TumbledeckCardView", "Help": "RICHEDIT50W"}
MARK = "planted-ran.txt"
PLANTED_SCRIPT = b"@echo %0 %* >> C:\\planted-ran.txt\r\n"
# The libraries the program loads itself (the two rich-text ones), and those Windows'
# parts load for it by bare name: theming, imaging, the window manager, monitors, and
# the common controls of its import table.
PLANTED_LIBRARIES = ("msftedit.dll", "riched20.dll", "uxtheme.dll", "windowscodecs.dll",
                     "dwmapi.dll", "shcore.dll", "comctl32.dll")


def check_nothing_planted_ran(c: Case, when: str) -> None:
    mark = c.prefix.drive_c / MARK
    ran = mark.read_bytes().decode(errors="replace").strip() if mark.exists() else ""
    c.check(not ran, f"no planted program ran ({when})", f"it ran as: {ran!r}")


def backup_box(c: Case, master: Path) -> list[str]:
    """Runs makebackup, presses OK on every box it shows; returns the boxes' texts."""
    texts: list[str] = []

    def interact(app):
        seen = None
        while app.running():
            box = c.message_box(20, other_than=seen)
            if box is None:
                return
            texts.extend(c.box_texts(box))
            c.display.screenshot(c.evidence_dir / f"box-{len(texts)}.png")
            c.press(box, "OK")
            seen = box["hwnd"]

    run = c.run_app(master, ["makebackup"], interact=interact, timeout=90)
    c.check_ended(run, bound=None)
    return texts


@case
def planted_findstr(c: Case) -> None:
    """A findstr.bat in the master folder, and a FINDSTR.BAT in a set's data: the switch
    copies the set, the first back-up saves it, the second one refuses to run beside it,
    and none of them ever runs."""
    master, sets = c.master(SETS)
    (master / "findstr.bat").write_bytes(PLANTED_SCRIPT)
    (sets["Gold Set"] / "FINDSTR.BAT").write_bytes(PLANTED_SCRIPT)

    run = c.run_app(master, ["Gold Set"])
    c.check_ended(run)
    c.check_landed(sets, "Gold Set")
    check_nothing_planted_ran(c, "switch")

    c.host_before = wk.tree(c.host)
    texts = backup_box(c, master)
    c.check(texts == [], "the first back-up is made and says nothing", f"boxes: {texts!r}")
    c.check(wk.tree(master / "saveorig" / "data") == c.host_before,
            "it holds the host's cards and the planted file, byte for byte")
    check_nothing_planted_ran(c, "first back-up")

    texts = backup_box(c, master)
    c.check(len(texts) == 1 and texts[0].startswith("The back-up was not made: ") and
            "saveorig\\data\\FINDSTR.BAT\" would run" in texts[0],
            "the second back-up is refused, naming the planted file", f"boxes: {texts!r}")
    check_nothing_planted_ran(c, "second back-up")
    c.check_master(master, {wk.EXE_NAME, "findstr.bat", "saveorig", *SETS})


@case
def planted_xcopy(c: Case) -> None:
    """An xcopy.exe in the master folder, beside the program: the copy is the system's."""
    master, sets = c.master(SETS)
    shutil.copyfile(Path(c.opts.wintool).parent / "planted.exe", master / "xcopy.exe")
    run = c.run_app(master, ["Gold Set"])
    c.check_ended(run)
    c.check_landed(sets, "Gold Set")
    check_nothing_planted_ran(c, "switch")
    c.check_master(master, {wk.EXE_NAME, "xcopy.exe", *SETS})


@case
def planted_libraries(c: Case) -> None:
    """Libraries planted beside the program under system libraries' names never load: a
    switch, showcards and help work as they do without them."""
    master, sets = c.master(SETS)
    for name in PLANTED_LIBRARIES:
        shutil.copyfile(Path(c.opts.wintool).parent / "plantedlib.dll", master / name)
    run = c.run_app(master, ["Gold Set"])
    c.check_ended(run)
    c.check_landed(sets, "Gold Set")

    for command, title, view in (("showcards", "READY !", "Show Current Card Sets"),
                                 ("help", "Help", "Help")):
        def interact(app):
            shown = c.wait_window(title, 30) is not None
            time.sleep(1.0)  # the guide arrives half a second after the window shows
            rc, found = c.wintool.run("length", "--title", view, VIEW_CLASSES[view])
            length = found[0]["length"] if rc == 0 and found else 0
            c.check(shown and length > 0, f"{command} shows its content", f"length {length}")
            c.close_window(app, view)

        c.check_ended(c.run_app(master, [command], interact=interact), bound=None)
    mark = c.prefix.drive_c / "planted-loaded.txt"
    c.check(not mark.exists(), "no planted library loaded",
            mark.read_text(errors="replace") if mark.exists() else "")
    c.check_master(master, {wk.EXE_NAME, *PLANTED_LIBRARIES, *SETS})


@case
def backup_no_backslash(c: Case) -> None:
    """The host's value lacks its closing backslash, which the back-up script cuts off
    as if it were one: the back-up is refused with the reason, and nothing is copied."""
    c.prefix.set_host_data_path(wk.HOST_DATA_WIN.rstrip("\\"))
    master, _ = c.master(())
    texts = backup_box(c, master)
    c.check(len(texts) == 1 and texts[0].startswith("The back-up was not made: ") and
            "does not end in" in texts[0], "the back-up is refused with the reason",
            f"boxes: {texts!r}")
    c.check_master(master, {wk.EXE_NAME})
    c.check_host_unchanged()


if __name__ == "__main__":
    sys.exit(e2e.main())
