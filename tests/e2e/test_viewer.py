#!/usr/bin/env python3
"""The showcards command of the real Tumbledeck.exe under Wine: the card viewer "Show
Current Card Sets" filling itself with the host's card pictures under the progress
window, and the end of the run when the user closes it.

    test_viewer.py --exe E --wintool W --base B --work D CASE...

The order of the pictures is read from the view itself: a select-all copy gives rich
text with one picture per card, and every card has a size of its own.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import e2e
from e2e import Case, case, read_records
import winekit as wk

VIEWER = "Show Current Card Sets"
WAITING = "Please Wait..."
READY = "READY !"
VIEW_CLASS = "TumbledeckCardView"


def stock_cards(c: Case, names: list[str]) -> dict[str, tuple[int, int]]:
    """Replaces the host's cards: each named card gets a picture of a size of its own."""
    shutil.rmtree(c.host)
    c.host.mkdir()
    sizes = {}
    for n, name in enumerate(names):
        sizes[name] = (200 + 8 * n, 280 + 6 * n)
        wk.card_picture(c.host / name / f"{name}c.jpg", "Installed", name, c.cache, sizes[name])
    c.host_before = wk.tree(c.host)
    return sizes


def many_cards(c: Case, count: int) -> None:
    """Replaces the host's cards with `count` copies of a few pictures of card size."""
    shutil.rmtree(c.host)
    c.host.mkdir()
    bases = [wk.card_picture(c.cache / f"many-{i}.jpg", "Many", f"m{i}", c.cache, (480, 640))
             for i in range(4)]
    for n in range(count):
        name = f"a{n:04d}"
        (c.host / name).mkdir()
        shutil.copyfile(bases[n % len(bases)], c.host / name / f"{name}c.jpg")
    c.host_before = wk.tree(c.host)


def plain_cards(c: Case, count: int) -> dict[str, tuple[int, int]]:
    """Replaces the host's cards with `count` small plain pictures, each of a size of its
    own (quick to make, so that a fill can be long)."""
    shutil.rmtree(c.host)
    c.host.mkdir()
    sizes = {}
    for n in range(count):
        name = f"a{n:04d}"
        sizes[name] = (100 + n, 140 + n)
        (c.host / name).mkdir()
        subprocess.run(["convert", "-size", f"{sizes[name][0]}x{sizes[name][1]}",
                        f"xc:rgb({40 + n % 200},{90 + n % 150},120)", "-quality", "80",
                        str(c.host / name / f"{name}c.jpg")], check=True)
    c.host_before = wk.tree(c.host)
    return sizes


def progress_shows(c: Case) -> bool:
    """The progress window shows: the fill has begun."""
    if c.check(c.wait_window(WAITING) is not None, f"the progress window {WAITING!r} shows"):
        return True
    c.evidence("no-progress")
    return False


def listing(c: Case, pattern: str) -> list[str]:
    rc, names = c.wintool.run("dir", wk.HOST_DATA_WIN + pattern)
    return [n["name"] for n in names if n["folder"]] if rc == 0 else []


def visible(c: Case, title: str) -> bool:
    rc, windows = c.wintool.run("list")
    return any(w["title"] == title for w in windows)


def view_length(c: Case) -> int | None:
    """How many pictures (and letters) the view holds; nothing is typed into it."""
    rc, found = c.wintool.run("length", "--title", VIEWER, VIEW_CLASS)
    return found[0]["length"] if rc == 0 and found else None


def clipboard(c: Case) -> dict:
    rc, found = c.wintool.run("clipboard")
    return found[0] if rc == 0 and found else {}


@case
def cards(c: Case) -> None:
    """Every loadable card folder of the host, a-cards first, then c, then b, each pass in
    the listing's order; what is no card folder adds nothing. The progress window gets
    ready and goes; the clipboard holds the last card; the view refuses typing; closing
    it ends the run."""
    cards_in_order = ["a0003", "b0002", "a0001", "c0002", "b0001", "c0001", "a0002"]
    sizes = stock_cards(c, cards_in_order)
    (c.host / "a0004").mkdir()                                      # no picture
    (c.host / "a0005").mkdir()
    (c.host / "a0005" / "a0005c.jpg").write_bytes(b"no picture at all")  # unreadable
    wk.card_picture(c.host / "a00001" / "a00001c.jpg", "Installed", "a00001", c.cache)
    wk.card_picture(c.host / "abcdef" / "abcdefc.jpg", "Installed", "abcdef", c.cache)
    (c.host / "a0009").write_bytes(b"a plain file named like a card")
    c.host_before = wk.tree(c.host)
    master, _ = c.master(("Gold Set",))

    def interact(app):
        if not c.check(c.wait_window(VIEWER) is not None,
                       f"a window titled {VIEWER!r} opens"):
            c.evidence("no-viewer")
            return
        if not c.check(c.wait_window(READY, 30) is not None,
                       f"the progress window reaches {READY!r}"):
            c.evidence("not-ready")
            return
        ready = time.monotonic()
        time.sleep(1.0)  # a moment for the view to draw its last pictures
        c.display.screenshot(c.evidence_dir / "ready.png")
        expected = [name for pattern in ("a????", "c????", "b????")
                    for name in listing(c, pattern) if name in sizes]
        c.check(sorted(expected) == sorted(cards_in_order),
                "precondition: Wine lists every card folder", f"listed {expected}")
        board = clipboard(c)
        last = sizes[expected[-1]] if expected else None
        c.check("CF_DIB" in board.get("formats", []) and board.get("dib") == list(last or ()),
                f"the clipboard holds the last card's picture ({expected[-1] if expected else '?'})",
                f"clipboard: {board}")
        rc, typed = c.wintool.run("type", "--title", VIEWER, VIEW_CLASS, "typed")
        c.check(rc == 0 and typed and typed[0]["before"] == typed[0]["after"] == len(expected),
                "the view refuses typing", f"text lengths: {typed}")
        c.wintool.run("copyview", "--title", VIEWER, VIEW_CLASS, "1", "2")
        one = clipboard(c)
        second = sizes[expected[1]] if len(expected) > 1 else None
        c.check("CF_DIB" in one.get("formats", []) and one.get("dib") == list(second or ()),
                f"copying one picture ({expected[1] if second else '?'}) gives other programs "
                "that picture", f"clipboard: {one}")
        c.wintool.run("copyview", "--title", VIEWER, VIEW_CLASS, timeout=60)
        picts = clipboard(c).get("picts", [])
        got = [(p["w"], p["h"]) for p in picts]
        by_size = {size: name for name, size in sizes.items()}
        c.check(got == [sizes[name] for name in expected],
                "a copy of the whole view holds exactly the loadable cards, in pass order",
                f"got {[by_size.get(s, s) for s in got]}, expected {expected}")
        while visible(c, READY) and time.monotonic() - ready < 5.0 + e2e.END_SLACK:
            time.sleep(0.2)
        hidden_after = time.monotonic() - ready
        c.check(4.0 < hidden_after < 5.0 + e2e.END_SLACK,
                "the progress window goes by itself, 5 s after it got ready",
                f"after {hidden_after:.1f} s")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact)
    c.check_ended(run, bound=None)
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME, "Gold Set"})


@case
def filling(c: Case) -> None:
    """A host of 1,500 cards: the screen while the viewer fills and when it is ready (for
    the eye), the progress window closed by the user midway (the fill goes on), and the
    viewer closed before the end of a second fill (the run still ends at once)."""
    count = 1500  # a fill of some seconds, for the user to act during it
    many_cards(c, count)
    master, _ = c.master(())

    def interact(app):
        if not progress_shows(c):
            return
        time.sleep(0.3)
        c.display.screenshot(c.evidence_dir / "filling.png")
        c.wintool.run("close", "--title", WAITING)
        c.check(not visible(c, WAITING) and not visible(c, READY),
                "the user can close the progress window")
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and (view_length(c) or 0) < count:
            time.sleep(0.5)
        length = view_length(c)
        c.check(length == count, "the fill goes on to the last card", f"the view holds {length}")
        time.sleep(0.5)
        c.display.screenshot(c.evidence_dir / "filled.png")
        c.check(not visible(c, READY), "and no progress window comes back")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact, timeout=90)
    c.check_ended(run, bound=None)

    def close_early(app):
        if c.wait_window(WAITING) is None:
            return
        time.sleep(0.3)
        c.close_window(app, VIEWER)

    run = c.run_app(master, [" ShowCards "], interact=close_early, timeout=90)
    c.check_ended(run, bound=None)
    c.check_master(master, {wk.EXE_NAME})


@case
def meddling(c: Case) -> None:
    """The user clicks, selects, deletes, types, pastes and drags in the view while it
    fills: every card still goes in once, in pass order, and nothing else does."""
    sizes = plain_cards(c, 600)
    master, _ = c.master(())

    def interact(app):
        if not c.check(c.wait_window(VIEWER) is not None, f"{VIEWER!r} opens"):
            return
        # From before the fill begins (a second after the window shows) to after it ends.
        meddler = c.wintool.start("meddle", "--title", VIEWER, VIEW_CLASS, "8")
        lengths = set()
        while meddler.running():
            lengths.add(view_length(c))
        c.check(any(n and n < len(sizes) for n in lengths),
                "precondition: the user acts while the view fills",
                f"lengths seen meanwhile: {sorted(n for n in lengths if n is not None)[:8]}")
        # The fill has ended once its window no longer says "Please Wait..." (it says
        # "READY !", and goes five seconds later).
        deadline = time.monotonic() + 60
        while visible(c, WAITING) and time.monotonic() < deadline:
            time.sleep(0.3)
        if not c.check(not visible(c, WAITING), "the fill ends"):
            c.evidence("not-ready")
            return
        c.display.screenshot(c.evidence_dir / "after-meddling.png")
        expected = [name for name in listing(c, "a????") if name in sizes]
        c.wintool.run("copyview", "--title", VIEWER, VIEW_CLASS, timeout=120)
        picts = clipboard(c).get("picts", [])
        got = [(p["w"], p["h"]) for p in picts]
        by_size = {size: name for name, size in sizes.items()}
        c.check(got == [sizes[name] for name in expected],
                f"the view holds exactly the {len(expected)} cards, in pass order",
                f"got {len(got)}: {[by_size.get(s, s) for s in got][:12]}...")
        length = view_length(c)
        c.check(length == len(expected), "and nothing between them", f"it holds {length}")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact, timeout=150)
    c.check_ended(run, bound=None)


def cards_in_view(c: Case, sizes: dict[str, tuple[int, int]], expected: list[str]) -> None:
    """The view holds exactly the expected cards, in that order, read from a copy of it."""
    c.wintool.run("copyview", "--title", VIEWER, VIEW_CLASS, timeout=120)
    got = [(p["w"], p["h"]) for p in clipboard(c).get("picts", [])]
    by_size = {size: name for name, size in sizes.items()}
    c.check(got == [sizes[name] for name in expected],
            f"the view holds exactly the {len(expected)} cards, once each, in pass order",
            f"got {len(got)}: {[by_size.get(s, s) for s in got][:12]}...")


@case
def listener(c: Case) -> None:
    """A clipboard history runs beside the viewer and reads the whole clipboard at every
    change: every card still goes in once, in listing order, and the history is told of
    the last card alone (a clear and a put), whose every format it gets."""
    sizes = plain_cards(c, 300)
    master, _ = c.master(())
    history = c.wintool.start("listen", "--timeout", "90", READY)

    def interact(app):
        if not c.check(c.wait_window(READY, 60) is not None, f"the viewer gets {READY!r}"):
            c.evidence("not-ready")
            return
        if history.finish(120).timed_out:
            history.kill()
        changes = [r for r in read_records(history.stdout) if "change" in r]
        c.check(1 <= len(changes) <= 2, "the clipboard history sees at most two changes",
                f"it saw {len(changes)}: {changes[:4]}")
        last = changes[-1] if changes else {}
        c.check(last.get("opened") and "CF_DIB" in last.get("formats", [])
                and not last.get("missing"),
                "and gets every format of the last card", f"its last reading: {last}")
        cards_in_view(c, sizes, [name for name in listing(c, "a????") if name in sizes])
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact, timeout=120)
    c.check_ended(run, bound=None)


@case
def scrolling(c: Case) -> None:
    """The user pages far down a view taller than 65,535 pixels while it fills: the view
    stays where the user left it, card after card, until the fill ends."""
    # Cards of 640 pixels, one to a row: some 1,900,000 pixels, and a fill that outlasts
    # the start of the tool that pages down, on a fast machine too.
    count = 3000
    many_cards(c, count)
    master, _ = c.master(())

    def interact(app):
        if not progress_shows(c):
            return
        while (view_length(c) or 0) < 300 and visible(c, WAITING):
            time.sleep(0.2)
        rc, samples = c.wintool.run("pagedown", "--title", VIEWER, VIEW_CLASS, "200",
                                    "--timeout", "60", timeout=90)
        filling = [s for s in samples if s["length"] < count]
        lines = {s["line"] for s in filling}
        c.check(len({s["length"] for s in filling}) >= 3,
                "precondition: the view fills while the user is down there",
                f"samples: {samples[:3]}...")
        c.check(len(lines) == 1 and min(lines) >= 200,
                "the first visible line stays where the user paged to",
                f"first visible lines seen: {sorted(lines)[:10]}")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact, timeout=120)
    c.check_ended(run, bound=None)


# The mouse moved at the X level, as a user moves it: a mouse message posted to a window
# never starts a drag.
TARGET = "Another Program"
DRAGGED = {"a0001": (120, 160), "a0002": (132, 176), "a0003": (144, 192)}


def xdotool(c: Case, *args: str) -> None:
    subprocess.run(["xdotool", *args], env={"DISPLAY": c.display.name}, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, timeout=30)


def card_centre(c: Case, cp: int, size: tuple[int, int]) -> tuple[int, int] | None:
    rc, found = c.wintool.run("cardpoint", "--title", VIEWER, VIEW_CLASS, str(cp))
    if rc != 0 or not found:
        return None
    x, y = found[0]["screen"]
    return x + size[0] // 2, y + size[1] // 2


@case
def drag_out(c: Case) -> None:
    """A right-click on the second card opens nothing and changes nothing; dragging it onto
    another program's window drops a copy there, at the card's own size, and the card
    stays in the view."""
    shutil.rmtree(c.host)
    for name, size in DRAGGED.items():
        wk.card_picture(c.host / name / f"{name}c.jpg", "Installed", name, c.cache, size)
    c.host_before = wk.tree(c.host)
    master, _ = c.master(())

    def interact(app):
        if not c.check(c.wait_window(READY, 30) is not None, f"the viewer gets {READY!r}"):
            c.evidence("not-ready")
            return
        time.sleep(1.0)  # its last pictures drawn
        centre = card_centre(c, 1, DRAGGED["a0002"])
        if not c.check(centre is not None, "the second card stands on the screen"):
            return
        xdotool(c, "mousemove", str(centre[0]), str(centre[1]), "click", "3")
        time.sleep(0.5)
        rc, windows = c.wintool.run("list")
        c.check(not any(w["class"] == "#32768" for w in windows), "a right-click opens no menu",
                f"windows: {[w['title'] for w in windows]}")
        c.check(view_length(c) == len(DRAGGED), "and leaves every card in the view")

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
        c.check(len(drops) == 1 and drops[0]["dib"] == list(DRAGGED["a0002"]),
                f"the other program gets the card as a picture of {DRAGGED['a0002']} pixels",
                f"its records: {e2e.read_records(target.stdout)}")
        c.check(view_length(c) == len(DRAGGED), "the card stays in the view: it was copied")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact)
    c.check_ended(run, bound=None)
    c.check_host_unchanged()
    c.check_master(master, {wk.EXE_NAME})


def pixel(c: Case, shot, x: int, y: int) -> tuple[int, int, int]:
    out = subprocess.run(["convert", str(shot), "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         capture_output=True, text=True).stdout
    rgb = out.splitlines()[-1].split("(")[1].split(")")[0].split(",")[:3] if "(" in out else []
    return tuple(int(float(v)) for v in rgb) if len(rgb) == 3 else (-1, -1, -1)


@case
def resting_and_changed(c: Case) -> None:
    """A mouse resting on a card shows the card's folder name; a card whose file changes
    after the fill draws as a plain dark box and is left out of a copy, and the others
    stay as they were."""
    names = ["a0001", "a0002", "a0003"]
    sizes = stock_cards(c, names)
    master, _ = c.master(())

    def interact(app):
        if not c.check(c.wait_window(READY, 30) is not None, f"the viewer gets {READY!r}"):
            c.evidence("not-ready")
            return
        c.wintool.run("close", "--title", READY)  # nothing over the cards
        time.sleep(0.5)
        centres = [card_centre(c, i, sizes[name]) for i, name in enumerate(names)]
        if not c.check(None not in centres, "the cards stand on the screen"):
            return
        xdotool(c, "mousemove", "0", "0")
        xdotool(c, "mousemove", str(centres[1][0]), str(centres[1][1]))
        tip = None
        deadline = time.monotonic() + 10
        while tip is None and time.monotonic() < deadline:
            rc, windows = c.wintool.run("list")
            tip = next((w for w in windows if w["class"].lower() == "tooltips_class32"), None)
            time.sleep(0.2)
        c.display.screenshot(c.evidence_dir / "resting.png")
        c.check(tip is not None and tip["title"] == "a0002",
                "resting on the second card shows its folder name", f"tooltip: {tip}")

        xdotool(c, "mousemove", "0", "0")
        wk.card_picture(c.host / "a0002" / "a0002c.jpg", "Changed", "a0002", c.cache, (90, 90))
        for how in ("minimize", "restore"):  # drawn anew
            c.wintool.run("show", "--title", VIEWER, how)
            time.sleep(0.5)
        shot = c.display.screenshot(c.evidence_dir / "changed.png")
        c.check(pixel(c, shot, *centres[1]) == (48, 48, 48),
                "the changed card draws as a plain dark box",
                f"its centre is {pixel(c, shot, *centres[1])}")
        c.check(pixel(c, shot, *centres[0]) not in ((48, 48, 48), (0, 0, 0)),
                "the others as they were", f"the first's centre is {pixel(c, shot, *centres[0])}")
        c.wintool.run("copyview", "--title", VIEWER, VIEW_CLASS, timeout=60)
        got = [(p["w"], p["h"]) for p in clipboard(c).get("picts", [])]
        c.check(got == [sizes["a0001"], sizes["a0003"]], "a copy of every card leaves it out",
                f"pictures copied: {got}")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact)
    c.check_ended(run, bound=None)

@case
def no_host(c: Case) -> None:
    """No host registered: the viewer stays empty and still gets ready."""
    res = c.prefix.run("reg", ["delete", wk.HOST_KEY, "/v", "DataPath", "/f"], "reg-delete")
    c.check(res.rc == 0, "precondition: the host's registry value is gone")
    master, _ = c.master(())

    def interact(app):
        if not c.check(c.wait_window(READY, 30) is not None,
                       f"the progress window reaches {READY!r}"):
            c.evidence("not-ready")
            return
        length = view_length(c)
        c.check(length == 0, "the view is empty", f"it holds {length}")
        c.close_window(app, VIEWER)

    run = c.run_app(master, ["showcards"], interact=interact)
    c.check_ended(run, bound=None)
    c.check_master(master, {wk.EXE_NAME})


# The look of the view, kept in tests/e2e/looks/<wine>/ from a run of the program before
# the view was its own (commit 9932dc5, a rich-text view); TUMBLEDECK_LOOKS_REFRESH=1 takes
# them again from the program under test.
LOOKS = Path(__file__).resolve().parent / "looks" / ("wine10" if wk.wines.root() else "wine8")
LOOK_CARDS = {f"a{n:04d}": (110 + n * 37 % 150, 150 + n * 53 % 190) for n in range(1, 25)}


def view_on_screen(c: Case) -> tuple[int, int, int, int] | None:
    """The view's rectangle on the screen: left, top, width, height."""
    viewer = c.wait_window(VIEWER)
    view = next((ch for ch in viewer["children"] if ch["class"].upper() == VIEW_CLASS.upper()),
                None) if viewer else None
    if view is None:
        return None
    x, y = viewer["client"][:2]
    l, t, r, b = view["rect"]
    return x + l, y + t, r - l, b - t


def looks_alike(c: Case, name: str, view: tuple[int, int, int, int]) -> None:
    """The view on the screen now, the progress window blacked out, against its kept look."""
    shot = c.display.screenshot(c.evidence_dir / f"{name}-screen.png")
    x, y, w, h = view
    cmd = ["convert", str(shot), "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-fill", "black"]
    rc, windows = c.wintool.run("list")
    for window in windows:
        if window["title"] in (WAITING, READY):
            l, t, r, b = window["rect"]
            cmd += ["-draw", f"rectangle {l - x},{t - y} {r - x},{b - y}"]
    got = c.evidence_dir / f"{name}.png"
    subprocess.run(cmd + [str(got)], check=True)
    kept = LOOKS / f"{name}.png"
    if os.environ.get("TUMBLEDECK_LOOKS_REFRESH"):
        kept.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(got, kept)
        return
    diff = c.evidence_dir / f"{name}-diff.png"
    res = subprocess.run(["compare", "-metric", "AE", str(kept), str(got), str(diff)],
                         capture_output=True, text=True)
    differing = res.stderr.strip()
    c.check(res.returncode == 0 and differing == "0", f"the view looks as it did ({name})",
            f"{differing} pixels differ from {kept}; see {diff}")


@case
def look(c: Case) -> None:
    """Cards of mixed sizes at 96 and 144 DPI: the view just ready, and scrolled to its
    end, pixel for pixel as before (the progress window blacked out)."""
    shutil.rmtree(c.host)
    for name, size in LOOK_CARDS.items():
        wk.card_picture(c.host / name / f"{name}c.jpg", "Look", name, c.cache, size)
    master, _ = c.master(())
    for dpi in (96, 144):
        c.set_resolution(dpi)

        def interact(app):
            xdotool(c, "mousemove", "0", "0")  # no card under a resting mouse: no tooltip
            if not c.check(c.wait_window(READY, 30) is not None, f"the viewer gets {READY!r}"):
                c.evidence("not-ready")
                return
            time.sleep(1.0)  # its last pictures drawn
            view = view_on_screen(c)
            if not c.check(view is not None, "the view is there"):
                return
            looks_alike(c, f"ready-{dpi}", view)
            c.wintool.run("jumpend", "--title", VIEWER, VIEW_CLASS)
            looks_alike(c, f"end-{dpi}", view)
            c.close_window(app, VIEWER)

        c.check_ended(c.run_app(master, ["showcards"], interact=interact), bound=None)


if __name__ == "__main__":
    sys.exit(e2e.main(display_size="1280x1024x24"))
