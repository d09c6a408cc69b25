#!/usr/bin/env python3
"""Folder names that real users have, under Wine: a host data folder with accented
letters, a run of blanks or an "&"; a master folder with "%" in its name; a back-up into a
master folder with accented letters; and a back-up whose script window is closed midway.

    test_paths.py --exe E --wintool W --base B --work D CASE...
"""

from __future__ import annotations

import os
import shutil
import sys
import time
from pathlib import Path

import e2e
from e2e import Case, case
import winekit as wk

SETS = ("Gold Set", "Silver")
SCRIPT_WINDOW = "SAVE PXDR card set - by the Tumbledeck team"


def switch_into_host(c: Case, host_win: str, script: bool = True) -> None:
    """Registers a host at host_win and switches to Gold Set: the set must land there,
    byte for byte, and nowhere else."""
    c.host = wk.make_host(c.prefix, c.cache, data_win=host_win)
    c.host_before = wk.tree(c.host)
    master, sets = c.master(SETS)
    drive_before = {p.name for p in c.prefix.drive_c.iterdir()}
    run = c.run_app(master, ["Gold Set"])
    c.check_ended(run, script=script)
    c.check_landed(sets, "Gold Set")
    stray = {p.name for p in c.prefix.drive_c.iterdir()} - drive_before
    c.check(not stray, f"no look-alike of {host_win!r} is made", f"new at drive C: {sorted(stray)}")
    c.check_master(master, {wk.EXE_NAME, *SETS})


@case
def host_accented(c: Case) -> None:
    """The host's folder has letters beyond ASCII, which the script's answer loses."""
    switch_into_host(c, "C:\\Jeux Vid\u00e9o\\Pixadore\\Data\\")


@case
def host_blanks(c: Case) -> None:
    """The host's folder has a run of blanks, which the script's answer collapses."""
    switch_into_host(c, "C:\\Host  Data\\")


@case
def host_ampersand(c: Case) -> None:
    """The host's folder has an "&", which the script would run as a command: the value
    is taken as it is, and no script runs."""
    switch_into_host(c, "C:\\Cards & More\\Data\\", script=False)


@case
def master_percent(c: Case) -> None:
    """Master folders with "%" in their names switch, and leave nothing behind."""
    for name in ("T a%b%c", "Sets 100%"):
        master, sets = c.master(SETS, name=name)
        run = c.run_app(master, [])
        c.check_ended(run)
        c.check_landed(sets, None)
        c.check_master(master, {wk.EXE_NAME, *SETS})
        shutil.rmtree(master)


@case
def backup_accented(c: Case) -> None:
    """A back-up into a master folder with letters beyond ASCII succeeds and says
    nothing."""
    master, _ = c.master((), name="Cartes Vid\u00e9o \u65e5\u672c")
    run = c.run_app(master, ["makebackup"])
    c.check_ended(run, bound=None)
    check_saved(c, master)


def check_saved(c: Case, master: Path) -> None:
    got = wk.tree(master / "saveorig" / "data")
    c.check(got == c.host_before, "saveorig\\data holds the host's cards, byte for byte",
            f"back-up: {sorted(got)}; host: {sorted(c.host_before)}")
    c.check_master(master, {wk.EXE_NAME, "saveorig"})


def cpu_seconds(pid: int) -> float:
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


@case
def backup_closed(c: Case) -> None:
    """The user closes the back-up script's window midway: the run reports an incomplete
    back-up within seconds, without keeping a processor busy, and ends."""
    cards = [f"a{n:04d}" for n in range(1, 601)]
    first = wk.card_picture(c.host / cards[0] / f"{cards[0]}c.jpg", "Installed", cards[0],
                            c.cache, (480, 640))
    for card in cards[1:]:
        (c.host / card).mkdir(exist_ok=True)
        shutil.copyfile(first, c.host / card / f"{card}c.jpg")
    c.host_before = wk.tree(c.host)
    master, _ = c.master(())

    if not wk.wines.scripts_copy():
        # The script ends at once, having copied nothing: there is no copy to stop, and
        # the program makes the back-up after it.
        c.check_ended(c.run_app(master, ["makebackup"], timeout=60), bound=None)
        check_saved(c, master)
        return

    def interact(app):
        rc, _ = c.wintool.run("wait", "--title", SCRIPT_WINDOW, "--timeout", "25", timeout=45)
        if not c.check(rc == 0, "the back-up script's window appears"):
            c.evidence("no-script-window")
            return
        time.sleep(0.5)
        c.wintool.run("close", "--title", SCRIPT_WINDOW)
        closed = time.monotonic()
        box = c.message_box(15)
        if not c.check(box is not None, "a message box reports the back-up"):
            c.evidence("no-report")
            return
        after = time.monotonic() - closed
        c.check(after < e2e.END_SLACK, "soon after the close, not at a time limit",
                f"{after:.1f} s after it")
        texts = c.box_texts(box)
        total = sum(1 for folder in c.host.iterdir() if folder.is_dir())
        c.check(len(texts) == 1 and texts[0].startswith("The back-up is incomplete: ") and
                f"of {total} card pictures were saved in" in texts[0],
                "it says the back-up is incomplete, how many of how many were saved, and where",
                f"texts: {texts!r}")
        c.display.screenshot(c.evidence_dir / "report.png")
        used = cpu_seconds(app.proc.pid)
        time.sleep(2)
        busy = cpu_seconds(app.proc.pid) - used
        c.check(busy < 0.2, "no processor is kept busy while the report waits",
                f"{busy:.2f} s of processor time in 2 s")
        c.check(c.press(box, "OK"), "the report's OK button can be pressed")

    run = c.run_app(master, ["makebackup"], interact=interact, timeout=60)
    c.check_ended(run, bound=None)
    c.check(not (master / "saveorig" / "data" / "exclude.txt").exists(),
            "the marker the script left is gone")
    c.check_master(master, {wk.EXE_NAME, "saveorig"})


if __name__ == "__main__":
    sys.exit(e2e.main())
