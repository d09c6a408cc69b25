#!/usr/bin/env python3
"""The card viewer's fill under Wine against decoding the same pictures, and its memory.

For hosts of 500, 2,000, 10,000 and 30,000 cards (480 x 640 JPEGs of about 66 kB; a
third each of a-, c- and b-cards, so that 30,000 are 10,000 in each of the viewer's three
passes), in one run:
- decode only: decode_bench.exe lists, reads and decodes the host's pictures with the
  program's own listing, reader and decoder, inserting nothing: every card decoded once;
- fill: the real Tumbledeck.exe showcards, from the first listing (the viewer's one-shot
  timer, one second after the window shows) to the progress window's "READY !";
- fill beside a clipboard history (up to 2,000 cards): the same, with a program running
  that reads the whole clipboard at every change (wintool listen), as clipboard histories
  do; each fill is the better of two;
- peak memory: the program's peak working set (VmHWM) at "READY !", per card, and what
  each further card costs between two counts;
- first card: from the viewer window showing to its first picture drawn on the screen;
- jump to the end: in the filled view of 2,000 cards, from the jump (the scroll bar to its
  bottom) to the last change on the screen;
- a close midway: for the largest host, the viewer closed two seconds into its fill, and
  how long the run took to end after that.
Prints the figures and the goals. Run by tools/bench-viewer.sh, which sets
PYTHONPATH=tests/support for the Wine machinery.
"""

from __future__ import annotations

import argparse
import shutil
import subprocess
import sys
import time
from pathlib import Path

import winekit as wk

VIEWER = "Show Current Card Sets"
READY = "READY !"
VIEW_CLASS = "TumbledeckCardView"
JUMP_COUNT = 2000
WIDTH, HEIGHT = 480, 640
FILL_DELAY = 1.0  # the viewer's one-shot timer


def base_pictures(folder: Path, count: int = 8) -> list[bytes]:
    """A few noise pictures of card size; JPEG noise keeps them near 60 kB."""
    folder.mkdir(parents=True, exist_ok=True)
    pictures = []
    for seed in range(1, count + 1):
        path = folder / f"plasma{seed}.jpg"
        if not path.exists():
            subprocess.run(["convert", "-seed", str(seed), "-size", f"{WIDTH}x{HEIGHT}",
                            "plasma:fractal", "-quality", "88", str(path)],
                           check=True)
        pictures.append(path.read_bytes())
    return pictures


HISTORY_COUNTS = (500, 2000)


def make_host(folder: Path, count: int, pictures: list[bytes]) -> int:
    """`count` card folders, a third each of a-, c- and b-cards numbered from 0000, every
    picture with bytes of its own (a JPEG comment names the card). Returns the bytes
    written."""
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    total = 0
    for n in range(count):
        card = "acb"[n % 3] + f"{n // 3:04d}"
        text = f"Tumbledeck bench card {card}".encode()
        base = pictures[n % len(pictures)]
        data = base[:2] + b"\xff\xfe" + (len(text) + 2).to_bytes(2, "big") + text + base[2:]
        (folder / card).mkdir()
        (folder / card / f"{card}c.jpg").write_bytes(data)
        total += len(data)
    return total


def peak_working_set(pid: int) -> int:
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) * 1024
    return 0


def decode_only(prefix: wk.Prefix, bench: Path, host_win: str) -> float:
    run = prefix.run(str(bench), [host_win], "decode", timeout=600)
    line = run.output().strip().splitlines()[-1]
    return float(line.split('"seconds": ')[1].rstrip("}"))


def fill(prefix: wk.Prefix, wintool: Path, master: Path, jump: bool = False,
         history: bool = False) -> dict:
    """Seconds from the first listing to READY, the peak working set then, when the first
    card was drawn and, with `jump`, how long a jump to the end took to be painted. With
    `history`, a clipboard history runs beside it; "changes" tells what it saw."""
    listener = (prefix.start(str(wintool), ["listen", "--timeout", "1800", READY], "listen")
                if history else None)
    watch = prefix.start(str(wintool), ["timeline", "--timeout", "1800", VIEWER, READY], "timeline")
    first = prefix.start(str(wintool), ["firstpaint", "--title", VIEWER, "--visible", VIEW_CLASS,
                                        "--timeout", "120"], "firstpaint")
    time.sleep(1.0)  # the watchers are up before the program shows anything
    app = prefix.start(prefix.win(master / wk.EXE_NAME), ["showcards"], "tumbledeck")
    peak, seen = 0, {}
    while READY not in seen and app.running() and watch.running():
        for record in wk.read_json_lines(watch.stdout):
            seen[record["title"]] = record["ms"]
        time.sleep(0.05)
    for record in wk.read_json_lines(watch.stdout):
        seen[record["title"]] = record["ms"]
    if READY in seen:
        peak = peak_working_set(app.proc.pid)
    result = {}
    if jump and READY in seen:
        time.sleep(2.0)  # the view has drawn its start
        run = prefix.run(str(wintool), ["jumpend", "--title", VIEWER, VIEW_CLASS], "jumpend")
        records = wk.read_json_lines(run.stdout)
        result["jump_ms"] = records[0]["painted_ms"] if records else None
    prefix.run(str(wintool), ["close", "--title", VIEWER], "close")
    app.finish(120)
    app.kill()
    watch.kill()
    first.finish(10)
    painted = wk.read_json_lines(first.stdout)
    first.kill()
    if listener:
        listener.finish(30)
        listener.kill()
        result["changes"] = sum("change" in r for r in wk.read_json_lines(listener.stdout))
    if seen.get(VIEWER) is None or seen.get(READY) is None:
        raise wk.WineError(f"no {READY!r} seen: {seen}")
    result["seconds"] = (seen[READY] - seen[VIEWER]) / 1000.0 - FILL_DELAY
    result["peak"] = peak
    if painted:
        result["first_ms"] = painted[0]["painted_ms"] - painted[0]["shown_ms"]
    return result


def close_midway(prefix: wk.Prefix, wintool: Path, master: Path) -> float:
    """Seconds from a close two seconds into the fill to the run's end."""
    watch = prefix.start(str(wintool), ["timeline", "--timeout", "600", VIEWER], "timeline")
    time.sleep(1.0)
    app = prefix.start(prefix.win(master / wk.EXE_NAME), ["showcards"], "tumbledeck")
    while not wk.read_json_lines(watch.stdout) and app.running():
        time.sleep(0.05)
    time.sleep(FILL_DELAY + 2.0)
    closed = time.monotonic()
    prefix.run(str(wintool), ["close", "--title", VIEWER], "close")
    app.finish(120)
    ended = time.monotonic() - closed
    app.kill()
    watch.kill()
    return ended


def main() -> int:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--out", required=True)
    p.add_argument("--exe", required=True)
    p.add_argument("--findstr", required=True)
    p.add_argument("--wintool", required=True)
    p.add_argument("--decode-bench", required=True)
    p.add_argument("--counts", default="500,2000,10000,30000")
    a = p.parse_args()
    out = Path(a.out).resolve()
    counts = [int(n) for n in a.counts.split(",")]
    with wk.Display(out / "logs", "1280x1024x24") as display:
        prefix = wk.Prefix(wk.ensure_prefix(out, Path(a.findstr)), display, out / "logs")
        master = wk.make_master(prefix, Path(a.exe))
        bench = prefix.drive_c / "decode_bench.exe"
        shutil.copyfile(a.decode_bench, bench)
        wintool = prefix.drive_c / "wintool.exe"
        shutil.copyfile(a.wintool, wintool)
        pictures = base_pictures(out / "pictures")
        prefix.server("-p")  # a persistent server: the program's start, not Wine's, is timed
        rows = []
        for count in counts:
            host_win = f"C:\\Bench Host {count}\\"
            size = make_host(prefix.unix(host_win), count, pictures)
            prefix.set_host_data_path(host_win)
            decode_only(prefix, bench, host_win)  # warms the file cache for both sides
            decode = decode_only(prefix, bench, host_win)
            # The better of two rounds each, taken in turn: one fill tells little on a
            # machine that does other work.
            got = fill(prefix, wintool, master, jump=count == JUMP_COUNT)
            history = ""
            if count in HISTORY_COUNTS:
                beside = fill(prefix, wintool, master, history=True)
                again = fill(prefix, wintool, master, history=True)
                beside["seconds"] = min(beside["seconds"], again["seconds"])
            got["seconds"] = min(got["seconds"], fill(prefix, wintool, master)["seconds"])
            if count in HISTORY_COUNTS:
                got["history"] = beside["seconds"]
                history = (f"beside a clipboard history {beside['seconds']:7.2f} s "
                           f"({beside['seconds'] / got['seconds']:4.2f} x, it saw "
                           f"{beside['changes']} changes); ")
            if count == max(counts):
                got["close_s"] = close_midway(prefix, wintool, master)
            rows.append((count, decode, got))
            print(f"{count:6d} cards ({size / count / 1000:.0f} kB each): decode {decode:7.2f} s, "
                  f"fill {got['seconds']:7.2f} s, fill / decode {got['seconds'] / decode:4.2f}; "
                  + history +
                  f"peak working set {got['peak'] / 2**20:6.0f} MB "
                  f"({got['peak'] / count / 1000:.0f} kB a card); first card drawn "
                  f"{got.get('first_ms', float('nan')) / 1000:.2f} s after the window showed"
                  + (f"; jump to the end painted in {got['jump_ms']} ms" if 'jump_ms' in got else ""),
                  flush=True)
            shutil.rmtree(prefix.unix(host_win))
        prefix.shutdown()
    print("\n| cards | decode only | fill | fill / decode | fill per card | peak working set "
          "| per card |\n|---|---|---|---|---|---|---|")
    for count, decode, got in rows:
        print(f"| {count:,} | {decode:.1f} s | {got['seconds']:.1f} s | "
              f"{got['seconds'] / decode:.2f} | {got['seconds'] / count * 1000:.2f} ms | "
              f"{got['peak'] / 2**20:.0f} MB | {got['peak'] / count / 1000:.0f} kB |")
    by = {count: (decode, got) for count, decode, got in rows}
    print("\nGoals, as ratios in this run: at 10,000 cards the fill at most a quarter of "
          "decode only, and its cost per card at most twice that at 500; peak working set "
          "at most 300 MB at 10,000 cards and 400 MB at 30,000; the first card drawn within "
          "1.2 s of the window showing; a jump to the end painted within 50 ms.")
    if 10000 in by:
        decode, got = by[10000]
        print(f"  10,000 cards: fill / decode {got['seconds'] / decode:.2f}, peak "
              f"{got['peak'] / 2**20:.0f} MB")
    if 500 in by and 10000 in by:
        per = {n: by[n][1]["seconds"] / n for n in (500, 10000)}
        print(f"  fill per card at 10,000 / at 500: {per[10000] / per[500]:.2f}")
    if 30000 in by:
        print(f"  30,000 cards: peak {by[30000][1]['peak'] / 2**20:.0f} MB")
    for count, _, got in rows:
        print(f"  {count:,} cards: first card drawn {got.get('first_ms', float('nan')) / 1000:.2f} s "
              "after the window showed" +
              (f", jump to the end painted in {got['jump_ms']} ms" if "jump_ms" in got else "") +
              (f", closed midway: the run ended {got['close_s']:.2f} s after the close"
               if "close_s" in got else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
