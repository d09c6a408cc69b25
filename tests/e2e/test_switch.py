#!/usr/bin/env python3
"""Card-set switches of the real Tumbledeck.exe under Wine.

    test_switch.py --exe E --wintool W --base B --work D CASE...

Every case runs in its own prefix whose host has the registry value
C:\\Pixadore Host\\Data\\ and a data folder holding an installed set; the master folder
is C:\\My Card Sets\\ (blanks on purpose).
"""

from __future__ import annotations

import json
import os
import sys
import time

import e2e
from e2e import Case, case, copy_command
import winekit as wk

SETS = ("Gold Set", "NewSet1", "Silver")
MASTER_WIN = "C:\\" + wk.MASTER_NAME


def base_entries(sets) -> set[str]:
    return {wk.EXE_NAME, *sets}


@case
def random(c: Case) -> None:
    """No argument: one of three sets lands, the host-folder wait is paid once, and the
    master folder is clean afterwards."""
    master, sets = c.master(SETS)
    run = c.run_app(master, [])
    c.check_ended(run)
    c.check_landed(sets, None)
    c.check_master(master, base_entries(SETS))


@case
def dropped_quoted(c: Case) -> None:
    """A dropped folder whose path has blanks arrives quoted on the command tail."""
    master, sets = c.master(SETS)
    # Wine puts an argument with blanks in double quotes, as Explorer does for a drop:
    # the command tail is "C:\My Card Sets\Gold Set".
    run = c.run_app(master, [MASTER_WIN + "\\Gold Set"])
    c.check_ended(run)
    c.check_landed(sets, "Gold Set")
    c.check_master(master, base_entries(SETS))


@case
def elsewhere(c: Case) -> None:
    """Of a folder outside the master folder only the last component counts: the
    master's set of that name lands, not the dropped folder's own pictures."""
    master, sets = c.master(SETS)
    other = wk.make_card_set(c.prefix.drive_c / "Elsewhere", "NewSet1", cache=c.cache,
                             label="Elsewhere NewSet1")
    other_before = wk.tree(other)
    run = c.run_app(master, ["C:\\Elsewhere\\NewSet1"])
    c.check_ended(run)
    c.check_landed({**sets, "C:\\Elsewhere\\NewSet1": other}, "NewSet1")
    c.check(wk.tree(other) == other_before, "the dropped folder itself is left alone")
    c.check_master(master, base_entries(SETS))


@case
def no_data(c: Case) -> None:
    """A named set without a data folder: nothing copied, no message, a normal end."""
    master, sets = c.master(("Gold Set", "Silver"))
    hollow = master / "Hollow"
    (hollow / "Cards" / "a0001").mkdir(parents=True)
    (hollow / "readme").write_text("no Data folder in here\n")
    run = c.run_app(master, [MASTER_WIN + "\\Hollow"])
    # A message box would hold the run until someone closes it, so a run that ends by
    # itself within the usual time showed none.
    c.check_ended(run)
    c.check_host_unchanged()
    c.check_master(master, base_entries(("Gold Set", "Silver", "Hollow")))
    c.check(sorted(p.name for p in hollow.iterdir()) == ["Cards", "readme"],
            "the set folder gets no data folder")


@case
def empty_master(c: Case) -> None:
    """A master folder with nothing but the program: a random run has no set to pick."""
    master, _ = c.master(())
    run = c.run_app(master, [])
    c.check_ended(run)
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME})


@case
def debug_mode(c: Case) -> None:
    """debug.ini "TRUE" / "false": the copy command is shown in a message box, not run."""
    master, sets = c.master(SETS)
    (master / "debug.ini").write_bytes(b"TRUE\r\nfalse\r\n")
    commands = {copy_command(s): s for s in SETS}

    def answer_box(app):
        box = c.message_box(25)
        if not c.check(box is not None, "a message box titled 'Tumbledeck' appears",
                       f"none within 25 s; the program {'still runs' if app.running() else 'ended'}"):
            if app.running():
                c.evidence("no-message-box")
            return
        c.display.screenshot(c.evidence_dir / "message-box.png")
        texts = c.box_texts(box)
        c.check(len(texts) == 1 and texts[0] in commands,
                "its text is exactly the copy command of one set",
                f"texts: {texts!r}; expected one of {sorted(commands)!r}")
        c.check(c.box_buttons(box) == ["OK"], "it has the OK button only",
                f"buttons: {c.box_buttons(box)}")
        c.check(not any(ch["icon"] for ch in box["children"]), "it shows no icon")
        time.sleep(1)
        c.check(app.running(), "the run waits while the box is open")
        c.check_host_unchanged()
        clicked = time.monotonic()
        c.check(c.press(box, "OK"), "the box's OK button can be pressed")
        if app.finish(e2e.RUN_TIMEOUT).rc is not None:
            after = time.monotonic() - clicked
            c.check(after < e2e.END_SLACK, "the run ends by itself after OK",
                    f"{after:.2f} s after the click")

    run = c.run_app(master, [], interact=answer_box)
    c.check_ended(run, bound=None)
    c.check_host_unchanged()
    c.check_master(master, base_entries(SETS) | {"debug.ini"})


@case
def write_script(c: Case) -> None:
    """debug.ini "no" / "true": XcopyCmd.bat holds the command and stays; nothing copied."""
    master, sets = c.master(SETS)
    (master / "debug.ini").write_bytes(b"no\r\ntrue\r\n")
    run = c.run_app(master, ["NewSet1"])
    c.check_ended(run)  # a message box would have held the run
    c.check_host_unchanged()
    c.check_master(master, base_entries(SETS) | {"debug.ini", "XcopyCmd.bat"})
    script = master / "XcopyCmd.bat"
    if script.exists():
        want = (copy_command("NewSet1") + "\r\n").encode()
        got = script.read_bytes()
        c.check(got == want, "XcopyCmd.bat holds exactly the copy command and CR LF",
                f"got {got!r}, want {want!r}")


@case
def main_window(c: Case) -> None:
    """The main window, as wintool saw it from its creation to its end."""
    master, sets = c.master(SETS)
    run = c.run_app(master, [])
    c.check_ended(run)
    c.check_landed(sets, None)
    c.evidence_dir.mkdir(parents=True, exist_ok=True)
    (c.evidence_dir / "main-window.json").write_text(
        "".join(json.dumps(r) + "\n" for r in run.watch))
    states = run.main_window_states()
    if not c.check(bool(states), f"a window titled {e2e.MAIN_TITLE!r} exists during the run",
                   f"wintool saw: {run.watch}"):
        return
    gone = [r["ms"] for r in run.watch if r.get("event") == "gone"]
    c.check(bool(gone), "the window is gone when the run has ended")
    shown_at = [r["ms"] for r in run.watch
                if r.get("event") == "state" and r["window"]["visible"]]
    if gone and shown_at:
        # Shown when the start-up is over, which here ends the work: the next 500 ms
        # timer tick closes it (typically 0.5 s; a loaded machine takes longer).
        c.check(gone[0] - shown_at[0] < 1000 * e2e.END_SLACK,
                "it closes by itself once shown, at a timer tick",
                f"shown at {shown_at[0]} ms, gone at {gone[0]} ms")
    restored = [s for s in states if not s["iconic"]]
    sizes = {tuple(s["client"][2:]) for s in restored}
    c.check(bool(restored) and sizes == {(252, 28)},
            "its client area is 252 x 28 pixels whenever it is not minimized",
            f"client sizes seen: {sorted(sizes)}")
    shown = [s for s in states if s["visible"]]
    c.check(bool(shown) and all(s["iconic"] for s in shown),
            "it is shown minimized, never as a restored window",
            f"visible states: {[(s['iconic'], s['rect']) for s in shown]}")
    # Wine reports no restored placement for a window that was minimized before it was
    # ever shown, so the place is read from the hidden window just before it is shown.
    hidden = [s for s in states[:next((i for i, s in enumerate(states) if s["visible"]),
                                      len(states))] if not s["iconic"]]
    c.check(bool(hidden) and hidden[-1]["rect"][:2] == [0, 0],
            "it sits at the screen's top-left corner when it is shown",
            f"outer rectangle before it was shown: {hidden[-1]['rect'] if hidden else None}")
    buttons = {(ch["text"].replace("&", ""), tuple(ch["rect"])) for s in states
               for ch in s["children"] if ch["class"].lower() == "button"}
    c.check(any(text == "Quit" for text, _ in buttons), "it has a 'Quit' button",
            f"buttons seen: {sorted(buttons)}")
    # 30, 30, 855 x 345 twips at 15 twips a pixel.
    c.check(("Quit", (2, 2, 59, 25)) in buttons,
            "the Quit button sits at 2,2 and measures 57 x 23 pixels",
            f"buttons seen: {sorted(buttons)}")



@case
def late_answer(c: Case) -> None:
    """A busy machine: the host-folder script answers long after the fixed wait. The run
    goes on with the host's registry value, and neither the script nor a late answer is
    left in the master folder once everything has ended."""
    master, sets = c.master(SETS)
    os.environ["TD_FINDSTR_DELAY_MS"] = "9000"  # every FINDSTR of the script waits 9 s
    try:
        run = c.run_app(master, ["Gold Set"])
    finally:
        del os.environ["TD_FINDSTR_DELAY_MS"]
    c.check_ended(run)
    c.check_landed(sets, "Gold Set")
    c.check_master(master, base_entries(SETS))


@case
def no_host(c: Case) -> None:
    """No registry value for the host and a host-folder script that answers late: the
    run fails with the report of error 53, which names it and has only an OK button, and
    ends with status 1 once it is pressed, leaving its scratch files and copying nothing.
    The master folder's path has no blanks, so the program's own is not quoted."""
    res = c.prefix.run("reg", ["delete", wk.HOST_KEY, "/v", "DataPath", "/f"], "reg-delete")
    c.check(res.rc == 0, "precondition: the host's registry value is gone", str(res))
    master, _ = c.master(SETS, name="CardSets")
    seen = {}
    os.environ["TD_FINDSTR_DELAY_MS"] = "9000"

    def interact(app):
        seen.update(c.report(timeout=e2e.WAIT_SECONDS + e2e.END_SLACK + 10))

    try:
        run = c.run_app(master, ["Gold Set"], interact=interact)
    finally:
        del os.environ["TD_FINDSTR_DELAY_MS"]
    c.check_reported(run, seen, 53, "File not found")
    c.check_host_unchanged()
    left = {p.name for p in master.iterdir()} - base_entries(SETS)
    c.check("GetPXDRData.bat" in left, "the scratch files stay: no clean-up after the report",
            f"left: {sorted(left)}")

if __name__ == "__main__":
    sys.exit(e2e.main())
