#!/usr/bin/env python3
"""The card viewer's fill under Wine against decoding the same pictures, and its memory.

For hosts of 100, 500 and 2,000 cards (480 x 640 JPEGs of about 60 kB), in one run:
- decode only: decode_bench.exe lists and decodes the host's pictures with the program's
  own listing and loader, inserting nothing;
- fill: the real Tumbledeck.exe showcards, from the first listing (the viewer's one-shot
  timer, one second after the window shows) to the progress window's "READY !";
- peak memory: the program's peak working set (VmHWM) at "READY !", against the
  pictures' decoded size (width x height x 4 bytes each).
Prints the ratios and how both grow. Run by tools/bench-viewer.sh, which sets
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


def make_host(folder: Path, count: int, pictures: list[bytes]) -> int:
    """`count` card folders, a third each of a-, c- and b-cards, every picture with bytes
    of its own (a JPEG comment names the card). Returns the bytes written."""
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    total = 0
    for n in range(count):
        card = "acb"[n % 3] + f"{n:04d}"
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


def fill(prefix: wk.Prefix, wintool: Path, master: Path) -> tuple[float, int]:
    """Seconds from the first listing to READY, and the peak working set then."""
    watch = prefix.start(str(wintool), ["timeline", "--timeout", "900", VIEWER, READY], "timeline")
    time.sleep(1.0)  # the watcher is up before the program shows anything
    app = prefix.start(prefix.win(master / wk.EXE_NAME), ["showcards"], "tumbledeck")
    peak, seen = 0, {}
    while len(seen) < 2 and app.running() and watch.running():
        for record in wk.read_json_lines(watch.stdout):
            seen[record["title"]] = record["ms"]
        if READY in seen:
            peak = peak_working_set(app.proc.pid)
        time.sleep(0.05)
    for record in wk.read_json_lines(watch.stdout):
        seen[record["title"]] = record["ms"]
    if READY in seen and not peak:
        peak = peak_working_set(app.proc.pid)
    prefix.run(str(wintool), ["close", "--title", VIEWER], "close")
    app.finish(60)
    app.kill()
    watch.kill()
    if seen.get(VIEWER) is None or seen.get(READY) is None:
        raise wk.WineError(f"no {READY!r} seen: {seen}")
    return (seen[READY] - seen[VIEWER]) / 1000.0 - FILL_DELAY, peak


def main() -> int:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--out", required=True)
    p.add_argument("--exe", required=True)
    p.add_argument("--findstr", required=True)
    p.add_argument("--wintool", required=True)
    p.add_argument("--decode-bench", required=True)
    p.add_argument("--counts", default="100,500,2000")
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
            decode_only(prefix, bench, host_win)  # warms the cache for both sides
            decode = decode_only(prefix, bench, host_win)
            seconds, peak = fill(prefix, wintool, master)
            decoded = count * WIDTH * HEIGHT * 4
            rows.append((count, size, decode, seconds, peak, decoded))
            print(f"{count:5d} cards ({size / count / 1000:.0f} kB each): decode {decode:6.2f} s, "
                  f"fill {seconds:6.2f} s, ratio {seconds / decode:4.2f}; peak working set "
                  f"{peak / 2**20:6.0f} MB, decoded size {decoded / 2**20:6.0f} MB, "
                  f"ratio {peak / decoded:4.2f}", flush=True)
        prefix.shutdown()
    print("\nGrowth (per card):")
    for count, _, decode, seconds, peak, decoded in rows:
        print(f"{count:5d} cards: decode {decode / count * 1000:5.1f} ms, "
              f"fill {seconds / count * 1000:5.1f} ms, peak {peak / count / 2**20:5.2f} MB")
    for count, _, decode, seconds, peak, decoded in rows:
        if count == 500:
            print(f"\nGoals at 500 cards: fill / decode {seconds / decode:.2f} (at most 2); "
                  f"peak {peak / 2**20:.0f} MB against 2 x decoded + 50 MB = "
                  f"{(2 * decoded + 50 * 2**20) / 2**20:.0f} MB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
