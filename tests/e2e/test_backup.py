#!/usr/bin/env python3
"""The makebackup command of the real Tumbledeck.exe under Wine, and the way back.

    test_backup.py --exe E --wintool W --base B --work D CASE...

Every case runs in its own prefix whose host has the registry value
C:\\Pixadore Host\\Data\\ and a data folder holding an installed set; the master folder
is C:\\My Card Sets\\ (blanks on purpose: the back-up script takes the drive from the
quoted path and changes into it).

What the copy leaves out is decided by the platform's xcopy reading the exclusion list
that the carried script writes. Every line of that list ends in a blank ("music ",
".txt "), and Wine's xcopy keeps the blank: it leaves out a file only when its full
source path, in any letter case, holds an entry FOLLOWED BY A BLANK. So the folder
"music" is copied and "Music Old" is not. The cases compute the expected back-up by
that rule and compare it file by file, byte for byte; the cases with a stocked host
record what was left out, per entry, in evidence/exclusion-<case>.json and their output.
"""

from __future__ import annotations

import json
import re
import shutil
import sys
import time
from pathlib import Path

import e2e
from e2e import Case, case
import winekit as wk

MASTER_WIN = "C:\\" + wk.MASTER_NAME + "\\"
SCRIPT = "SaveOrig.bat"
# How the program starts the back-up script, and what its diagnostic boxes show.
SCRIPT_COMMAND = f'"{MASTER_WIN}{SCRIPT}" "{MASTER_WIN}"'
MARKER = "exclude.txt"

# The exclusion list the carried script writes, in its order: its "echo <entry> >" lines.
CARRIED_SCRIPT = Path(__file__).resolve().parents[2] / "resources" / SCRIPT
ENTRIES = tuple(re.findall(r"^echo (\S+) >>? " + re.escape(MARKER) + r"\r?$",
                           CARRIED_SCRIPT.read_text(), re.MULTILINE))
FOLDER_ENTRIES = tuple(e for e in ENTRIES if not e.startswith("."))
EXTENSION_ENTRIES = tuple(e for e in ENTRIES if e.startswith("."))


def backup_dir(master: Path) -> Path:
    return master / "saveorig" / "data"


def entries_in(rel: str, src_win: str = wk.HOST_DATA_WIN) -> list[str]:
    """The entries that leave the file out: those that, followed by a blank, occur in
    its full source path as xcopy sees it, in any letter case."""
    full = (src_win + rel.replace("/", "\\")).upper()
    return [e for e in ENTRIES if (e + " ").upper() in full]


def expected_backup(source: dict[str, str]) -> dict[str, str]:
    return {rel: sha for rel, sha in source.items() if not entries_in(rel)}


def stock_host(c: Case) -> None:
    """Fills the host's data folder with what a host keeps besides its cards.

    For each entry of the exclusion list there are files whose path holds the bare
    entry (copied) and files whose path holds it followed by a blank, in another
    letter case (left out), so the comparison shows all 19 lines at work. Small files
    hold their own path, so no two share their bytes."""
    wk.make_cards(c.host, "Installed", ("a0003", "b0001", "b0002"), c.cache)

    def put(rel: str) -> None:
        path = c.host / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(f"host file {rel}\r\n".encode())

    for name in FOLDER_ENTRIES:
        put(f"{name}/{name}01.bin")
        put(f"{name}/sub/{name}02.bin")
        put(f"my {name}/item.bin")                 # entry at the end of a name
        put(f"{name.title()} Old/item.bin")        # "Music Old": entry, blank
        put(f"a0001/{name.upper()} notes.rtf")    # the same inside a card folder
    put("music videos/clip01.mpg")
    put("music videos/clips/clip02.mpg")
    wk.card_picture(c.host / "backgrounds" / "bg01.jpg", "Background", "bg01", c.cache)
    for ext in EXTENSION_ENTRIES:
        stem = ext[1:]
        put(f"top{ext}")                           # at the top
        put(f"a0001/a0001{ext}")                   # in a card folder
        put(f"b0001/nested/{stem}{ext}")           # deeper down
        put(f"a0002/cover{ext.upper()} copy.jpg")  # extension, blank: left out
        put(f"old{ext} files/readme.rtf")          # in a folder named so: left out
    put("card notes/a b c.rtf")                    # blanks, but after no entry
    c.host_before = wk.tree(c.host)


def record_exclusions(c: Case, source: dict[str, str], backup: dict[str, str],
                      label: str) -> None:
    """Writes, per entry, which source files were left out and which were copied
    although their path holds the entry; prints a summary."""
    left_out = sorted(set(source) - set(backup))
    report = {"rule": "left out when the full source path holds an entry followed by a "
                      "blank, in any letter case",
              "left_out": left_out, "entries": {}}
    print(f"  info  {len(source)} host files, {len(left_out)} left out of the back-up",
          flush=True)
    for entry in ENTRIES:
        out = [r for r in left_out if entry in entries_in(r)]
        kept = [r for r in source if r in backup and entry in r.lower()]
        report["entries"][entry] = {"left_out": out, "copied_with_entry": kept}
        print(f"  info  {entry!r:14} left out {len(out)}: {out[:3]}{' ...' if len(out) > 3 else ''}"
              f"; copied {len(kept)} holding it without a blank", flush=True)
    c.evidence_dir.mkdir(parents=True, exist_ok=True)
    (c.evidence_dir / f"exclusion-{label}.json").write_text(json.dumps(report, indent=1))


def check_backup(c: Case, master: Path, expected: dict[str, str], what: str) -> None:
    """saveorig\\data holds exactly the expected files, byte for byte, and no marker."""
    got = wk.tree(backup_dir(master))
    missing = sorted(set(expected) - set(got))
    extra = sorted(set(got) - set(expected))
    differ = sorted(k for k in set(got) & set(expected) if got[k] != expected[k])
    c.check(not missing and not extra and not differ,
            f"saveorig\\data holds exactly {what} ({len(expected)} files), byte for byte",
            f"missing: {missing}\n        extra: {extra}\n        different bytes: {differ}")
    c.check(not (backup_dir(master) / MARKER).exists(),
            f"no {MARKER} is left in saveorig\\data")
    # Folders of which xcopy copied nothing may still have been made; say so.
    empty = sorted(p.relative_to(backup_dir(master)).as_posix()
                   for p in backup_dir(master).rglob("*") if p.is_dir() and not any(p.iterdir()))
    if empty:
        print(f"  info  empty folders in saveorig\\data: {empty}", flush=True)


def check_box(c: Case, box: dict | None, app, text: str, label: str) -> bool:
    """A message box of the program with exactly this text, OK only, no icon."""
    if not c.check(box is not None, f"a message box titled {e2e.APP_TITLE!r} appears ({label})",
                   f"none within the time; the program "
                   f"{'still runs' if app.running() else 'ended'}"):
        if app.running():
            c.evidence(f"no-box-{label}")
        return False
    c.display.screenshot(c.evidence_dir / f"box-{label}.png")
    texts = c.box_texts(box)
    c.check(texts == [text], f"its text is exactly {text}", f"texts: {texts!r}")
    c.check(c.box_buttons(box) == ["OK"], "it has the OK button only",
            f"buttons: {c.box_buttons(box)}")
    c.check(not any(ch["icon"] for ch in box["children"]), "it shows no icon")
    return True


@case
def tree(c: Case) -> None:
    """The dropped command folder C:\\My Card Sets\\makebackup: the host's tree lands in
    saveorig\\data less what the exclusion list matches; the host, the sets and drive C
    stay as they were, and the run cleans up and ends by itself."""
    stock_host(c)
    master, sets = c.master(("Gold Set",))
    set_before = wk.tree(sets["Gold Set"])
    run = c.run_app(master, [MASTER_WIN + "makebackup"])
    c.check_ended(run, bound=None)
    expected = expected_backup(c.host_before)
    check_backup(c, master, expected, "the host's files less those the list matches")
    record_exclusions(c, c.host_before, wk.tree(backup_dir(master)), "tree")
    c.check_host_unchanged()
    c.check(wk.tree(sets["Gold Set"]) == set_before, "the card set is left alone")
    c.check_master(master, {wk.EXE_NAME, "Gold Set", "saveorig"})
    c.check(sorted(p.name for p in (master / "saveorig").iterdir()) == ["data"],
            "saveorig holds the data folder only",
            f"saveorig holds {sorted(p.name for p in (master / 'saveorig').iterdir())}")


@case
def elsewhere(c: Case) -> None:
    """A folder named MakeBackup outside the master folder is the command too: only the
    last component counts, and the folder itself is left alone."""
    stock_host(c)
    master, _ = c.master(("Silver",))
    dropped = c.prefix.unix("C:\\Elsewhere\\MakeBackup")
    wk.make_cards(dropped / "Data", "Elsewhere", ("a0001",), c.cache)
    dropped_before = wk.tree(dropped)
    run = c.run_app(master, ["C:\\Elsewhere\\MakeBackup"])
    c.check_ended(run, bound=None)
    check_backup(c, master, expected_backup(c.host_before),
                 "the host's files less those the list matches")
    record_exclusions(c, c.host_before, wk.tree(backup_dir(master)), "elsewhere")
    c.check_host_unchanged()
    c.check(wk.tree(dropped) == dropped_before, "the dropped folder is left alone")
    c.check_master(master, {wk.EXE_NAME, "Silver", "saveorig"})


@case
def second(c: Case) -> None:
    """A second back-up overwrites the files of the first that the host changed and
    keeps everything else: files planted in saveorig\\data and cards the host no longer
    has."""
    master, _ = c.master(())
    run = c.run_app(master, ["makebackup"])
    c.check_ended(run, bound=None)
    first = wk.tree(backup_dir(master))
    c.check(first == c.host_before, "the first back-up equals the host's data folder",
            f"back-up: {sorted(first)}; host: {sorted(c.host_before)}")

    planted = ("planted.jpg", "a0001/planted.bin")
    wk.card_picture(backup_dir(master) / planted[0], "Planted", "p0001", c.cache)
    (backup_dir(master) / planted[1]).write_bytes(b"planted in the back-up\r\n")
    planted_tree = {k: v for k, v in wk.tree(backup_dir(master)).items() if k in planted}
    card = "a0001/a0001c.jpg"
    wk.card_picture(c.host / card, "Changed", "a0001", c.cache)
    wk.make_cards(c.host, "Installed", ("b0001",), c.cache)   # new since the first
    shutil.rmtree(c.host / "c0001")                          # gone since the first
    host_now = wk.tree(c.host)
    if not c.check(host_now[card] != first[card], "precondition: the changed card has "
                   "other bytes than the backed-up one"):
        return
    c.host_before = host_now

    run = c.run_app(master, ["makebackup"])
    c.check_ended(run, bound=None)
    got = wk.tree(backup_dir(master))
    c.check(got.get(card) == host_now[card], f"{card} in the back-up now has the host's new "
            "bytes", f"back-up: {got.get(card)}, host: {host_now[card]}, "
            f"first back-up: {first[card]}")
    c.check({k: got.get(k) for k in planted} == planted_tree,
            "the files planted in saveorig\\data are still there, unchanged",
            f"now: {[k for k in planted if k in got]}")
    c.check(got.get("c0001/c0001c.jpg") == first["c0001/c0001c.jpg"],
            "the card the host no longer has stays in the back-up")
    check_backup(c, master, {**first, **planted_tree, **host_now},
                 "the first back-up, the planted files and the host's files now")
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME, "saveorig"})


@case
def waits(c: Case) -> None:
    """The run lasts as long as the back-up: it never ends while the marker exists, and
    ends soon after the script deletes it. Enough cards that the copy takes a while: 900
    take about three seconds, well over the second the check below needs."""
    cards = [f"a{n:04d}" for n in range(100, 1000)]
    first = wk.card_picture(c.host / cards[0] / f"{cards[0]}c.jpg", "Installed", cards[0],
                            c.cache)
    for card in cards[1:]:
        (c.host / card).mkdir()
        shutil.copyfile(first, c.host / card / f"{card}c.jpg")
    c.host_before = wk.tree(c.host)
    master, _ = c.master(())
    marker = backup_dir(master) / MARKER
    seen: dict[str, float] = {}

    def watch(app):
        start = app.started
        while True:
            running = app.running()     # first: the marker, once gone, never comes back
            present = marker.exists()
            now = time.monotonic() - start
            if present:
                seen.setdefault("marker", now)
            elif "marker" in seen:
                seen.setdefault("gone", now)
            if not running:
                seen["ended"] = now
                if present:
                    seen["ended with marker"] = now
                return
            if now > e2e.RUN_TIMEOUT:
                return
            time.sleep(0.01)

    run = c.run_app(master, ["makebackup"], interact=watch)
    c.check_ended(run, bound=None)
    print(f"  info  seconds after the start: {seen}", flush=True)
    c.evidence_dir.mkdir(parents=True, exist_ok=True)
    (c.evidence_dir / "wait.json").write_text(json.dumps(seen))
    if not c.check("marker" in seen and "gone" in seen, "the marker appears, then goes"):
        return
    c.check("ended with marker" not in seen, "the program does not end while the marker "
            "exists", f"it ended at {seen.get('ended with marker')} s with the marker there")
    # The script copies while its marker exists; where it cannot, the program copies after it.
    copying = seen["gone"] if wk.wines.scripts_copy() else seen.get("ended", 0)
    c.check(copying - seen["marker"] > 1.0,
            "precondition: the back-up takes over a second (time for a run that does not wait "
            "to end during it)", f"marker from {seen['marker']:.2f} s, gone at "
            f"{seen['gone']:.2f} s, run ended at {seen.get('ended', 0):.2f} s")
    if "ended" in seen:
        c.check(seen["ended"] - seen["gone"] < e2e.END_SLACK,
                f"the run ends within {e2e.END_SLACK} s of the marker's deletion",
                f"marker gone at {seen['gone']:.2f} s, run ended at {seen['ended']:.2f} s")
    check_backup(c, master, c.host_before, "the host's cards")
    c.check_master(master, {wk.EXE_NAME, "saveorig"})


@case
def write_script(c: Case) -> None:
    """debug.ini "false" / "true": one box shows the script's command line and the
    script is not run; the empty marker stays and nothing is copied."""
    stock_host(c)
    master, _ = c.master(())
    (master / "debug.ini").write_bytes(b"false\r\ntrue\r\n")
    marker = backup_dir(master) / MARKER

    def answer(app):
        box = c.message_box(25)
        if not check_box(c, box, app, SCRIPT_COMMAND, "command"):
            return
        time.sleep(1)
        c.check(app.running(), "the run waits while the box is open")
        c.check((master / SCRIPT).is_file(), f"{SCRIPT} is in the master folder while the "
                "box shows")
        c.check(marker.is_file() and marker.stat().st_size == 0,
                f"the empty marker saveorig\\data\\{MARKER} exists while the box shows")
        c.check(c.press(box, "OK"), "the box's OK button can be pressed")
        # A second box (or a script that runs) would hold the run past the timeout.

    run = c.run_app(master, ["makebackup"], interact=answer)
    c.check_ended(run, bound=None)
    names = sorted(p.name for p in backup_dir(master).iterdir()) if backup_dir(master).is_dir() else None
    c.check(names == [MARKER], f"saveorig\\data holds only {MARKER}", f"it holds {names}")
    c.check(marker.is_file() and marker.stat().st_size == 0, f"{MARKER} stays, 0 bytes",
            f"size {marker.stat().st_size if marker.is_file() else 'missing'}")
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME, "debug.ini", "saveorig"})


@case
def debug_mode(c: Case) -> None:
    """debug.ini "true" / "false": the master folder, then the command line, each in a
    box that holds the run; only after the second OK does the back-up run."""
    stock_host(c)
    master, _ = c.master(())
    (master / "debug.ini").write_bytes(b"true\r\nfalse\r\n")
    marker = backup_dir(master) / MARKER

    def answer(app):
        first = c.message_box(25)
        if not check_box(c, first, app, MASTER_WIN, "master"):
            return
        c.check(c.press(first, "OK"), "the first box's OK button can be pressed")
        box = c.message_box(25, other_than=first["hwnd"])
        if not check_box(c, box, app, SCRIPT_COMMAND, "command"):
            return
        time.sleep(1)
        names = sorted(p.name for p in backup_dir(master).iterdir())
        c.check(names == [MARKER] and marker.stat().st_size == 0,
                "while the second box shows, saveorig\\data holds only the empty marker "
                "(the script has not started)", f"it holds {names}")
        c.check(c.press(box, "OK"), "the second box's OK button can be pressed")

    run = c.run_app(master, ["MAKEBACKUP"], interact=answer)
    c.check_ended(run, bound=None)
    check_backup(c, master, expected_backup(c.host_before),
                 "the host's files less those the list matches")
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME, "debug.ini", "saveorig"})


@case
def restore(c: Case) -> None:
    """Back up, switch to another set, then drop C:\\My Card Sets\\saveorig: the original
    cards are back in the host, byte for byte."""
    master, sets = c.master(("Gold Set", "Silver"))
    original = dict(c.host_before)
    run = c.run_app(master, [MASTER_WIN + "makebackup"])
    c.check_ended(run, bound=None)
    check_backup(c, master, original, "the installed cards")
    backup = wk.tree(backup_dir(master))

    run = c.run_app(master, [MASTER_WIN + "Gold Set"])
    c.check_ended(run)
    if not c.check_landed(sets, "Gold Set"):
        return

    run = c.run_app(master, [MASTER_WIN + "saveorig"])
    c.check_ended(run)
    now = wk.tree(c.host)
    back = sorted(k for k in original if now.get(k) == original[k])
    c.check(now == original, "the host's data folder holds the original cards again, "
            "byte for byte", f"restored: {back}; host now: {now}; original: {original}")
    c.check(wk.tree(backup_dir(master)) == backup, "the back-up itself is left alone")
    c.check_master(master, {wk.EXE_NAME, "Gold Set", "Silver", "saveorig"})


if __name__ == "__main__":
    sys.exit(e2e.main())
