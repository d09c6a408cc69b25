#!/usr/bin/env python3
"""The program's windows on screens of 100 % and 150 % (96 and 144 DPI) under Wine:
every window has the size in pixels that its twips make at the screen's resolution,
the cards keep their size on paper, and what is copied out is still the card's own
pixels. Screenshots of both resolutions stay in evidence/ for the eye.

    test_dpi.py --exe E --wintool W --base B --work D CASE...

Wine takes the resolution from HKCU\\Control Panel\\Desktop\\LogPixels: every program reads
it as the system's resolution when it starts, and Wine 10 gives its monitors the one the
session began with (a Wine session lasts while its server runs). A change is therefore
made as on Windows, where a new scale reaches the whole desktop at the next sign-in: the
session ends before the program runs. The viewer's case also keeps a session through a
change, as a user who changes the scale and does not sign out: its window is then laid
out at its monitor's resolution, whatever the system's.
"""

from __future__ import annotations

import sys
import time

import e2e
from e2e import Case, case
import winekit as wk

SCREEN_WIDTH = 1920
RESOLUTIONS = (96, 144)
HELP, VIEWER, READY = "Help", "Show Current Card Sets", "READY !"
VIEW_CLASS = "TumbledeckCardView"
HELP_VIEW_CLASS = "RICHEDIT50W"


def pixels(twips: float, dpi: int) -> int:
    return round(twips * dpi / 1440)


def check_window(c: Case, window: dict, dpi: int, left: float, top: float, width: float,
                 height: float) -> None:
    """The window's outer rectangle in pixels is its twips at `dpi`, within a pixel."""
    l, t, r, b = window["rect"]
    got = (l, t, r - l, b - t)
    want = tuple(pixels(v, dpi) for v in (left, top, width, height))
    c.check(all(abs(g - w) <= 1 for g, w in zip(got, want)),
            f"{window['title']!r} at {dpi} DPI: left, top, width, height {want} pixels",
            f"got {got}")


def screen_twips(dpi: int) -> float:
    return SCREEN_WIDTH * 1440 / dpi


def at_each_resolution(c: Case, command: str, title: str, look, in_session=False) -> None:
    """Runs the command at each resolution, a new session for each (with `in_session`, once
    more after a change from 96 to 144 DPI within a session); look(app, window, dpi) checks
    the window of that title at its monitor's resolution once it shows, and closes it."""
    master, _ = c.master(())
    changes = [[(96, True)], [(144, True)]] + ([[(96, True), (144, False)]] if in_session else [])
    for settings in changes:
        for dpi, new_session in settings:
            c.set_resolution(dpi, new_session)

        def interact(app):
            window = c.wait_window(title)
            if c.check(window is not None, f"{title!r} opens after {settings}"):
                look(app, window, window["dpi"])

        run = c.run_app(master, [command], interact=interact)
        c.check_ended(run, bound=None)


@case
def help_window(c: Case) -> None:
    """The help window and its view, at both resolutions."""

    def look(app, window, dpi):
        time.sleep(1.5)  # the guide arrives after half a second
        window = c.wait_window(HELP)
        check_window(c, window, dpi, screen_twips(dpi) / 2 - 7950, 950, 15900, 8500)
        view = next((ch for ch in window["children"]
                     if ch["class"].upper() == HELP_VIEW_CLASS), None)
        if c.check(view is not None, "it holds the rich-text view"):
            l, t, r, b = view["rect"]
            want = (pixels(30, dpi), pixels(15750, dpi), pixels(8010, dpi))
            c.check(abs(l - want[0]) <= 1 and abs(r - l - want[1]) <= 1 and
                    abs(b - t - want[2]) <= 1,
                    f"the view is 30 twips in, 150 narrower and 490 lower: {want} pixels",
                    f"got left {l}, width {r - l}, height {b - t}")
        c.display.screenshot(c.evidence_dir / f"help-{dpi}.png")
        c.close_window(app, HELP)

    at_each_resolution(c, "help", HELP, look)


@case
def viewer_window(c: Case) -> None:
    """The card viewer and its progress window, and the cards in it, at both resolutions
    and after a change within a session: at its monitor's resolution, in the middle of the
    screen, its cards laid out at that resolution."""
    card_width = 240  # the host's cards: 240 x 336 pixels
    shots = []

    def look(app, viewer, dpi):
        check_window(c, viewer, dpi, screen_twips(dpi) / 2 - 5450, 450, 10900, 8500)
        progress = c.wait_window(READY, 30)
        if not c.check(progress is not None, "it gets ready"):
            return
        client = progress["client"]
        c.check(abs(client[2] - pixels(4680, dpi)) <= 1 and
                abs(client[3] - pixels(1455, dpi)) <= 1,
                f"the progress window's client area is {pixels(4680, dpi)} x "
                f"{pixels(1455, dpi)} pixels", f"got {client[2:]}")
        vl, vt, vr, vb = viewer["rect"]
        pl, pt, pr, pb = progress["rect"]
        c.check(abs((pl + pr) - (vl + vr)) <= 2 and abs((pt + pb) - (vt + vb)) <= 2,
                "it stands in the middle of the viewer",
                f"viewer {viewer['rect']}, progress {progress['rect']}")
        time.sleep(1.0)
        shots.append(c.display.screenshot(c.evidence_dir / f"viewer-{len(shots) + 1}-{dpi}.png"))
        rc, found = c.wintool.run("positions", "--title", VIEWER, VIEW_CLASS, "1")
        xs = [p[0] for p in found[0]["positions"]] if rc == 0 and found else []
        c.check(len(xs) == 2 and abs(xs[1] - xs[0] - pixels(card_width * 15, dpi)) <= 1,
                f"a card of {card_width} pixels is {pixels(card_width * 15, dpi)} pixels wide "
                "on the screen: its size at 100 %", f"positions {xs}")
        c.wintool.run("copyview", "--title", VIEWER, VIEW_CLASS, "0", "1")
        rc, board = c.wintool.run("clipboard")
        dib = board[0].get("dib") if rc == 0 and board else None
        c.check(dib == [card_width, 336], "a copied card is its own pixels, not the screen's",
                f"clipboard picture {dib}")
        c.close_window(app, VIEWER)

    at_each_resolution(c, "showcards", VIEWER, look, in_session=True)


if __name__ == "__main__":
    sys.exit(e2e.main(display_size="1920x1200x24"))
