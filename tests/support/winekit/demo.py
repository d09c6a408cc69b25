"""The newcomer's demo: one random switch under Wine, and which set landed."""

from __future__ import annotations

from pathlib import Path

from .display import Display
from .layout import COPY_SCRIPT, EXE_NAME, HOST_DATA_WIN, SCRATCH_FILES
from .stage import stage
from .trees import landed_set, tree


def describe(master: Path, exe_win: str, sets: dict[str, Path], host: Path) -> None:
    print(f"Master folder   {master}  ({exe_win.rsplit(chr(92), 1)[0]})")
    for name, data in sets.items():
        print(f"  card set      {name}: {len(tree(data))} card pictures in {data}")
    print(f"Host data path  {HOST_DATA_WIN}  ({host})")
    print(f"Running         wine64 \"{exe_win}\"   (no argument: a random set)")


def report(out: Path, master: Path, sets: dict[str, Path], host: Path,
           before: dict[str, str]) -> int:
    """Tells which set landed; 0 when exactly one did."""
    landed = landed_set(host, sets)
    leftovers = sorted(p.name for p in master.iterdir()
                       if p.name in SCRATCH_FILES or p.name == COPY_SCRIPT)
    if leftovers:
        print(f"Scratch files left in the master folder: {', '.join(leftovers)}")
    if len(landed) == 1:
        print(f"\nThe host's data folder now holds the card set: {landed[0]}")
        print(f"Look at the cards: {host}/*/*c.jpg")
        return 0
    if tree(host) == before:
        print("\nThe host's data folder is unchanged: no card set was copied.")
    else:
        print("\nThe host's data folder changed but matches no single card set.")
    print(f"Logs: {out / 'logs'}")
    return 1


def run_demo(out: Path, exe: Path, findstr: Path) -> int:
    out = Path(out).resolve()
    with Display(out / "logs") as display:
        prefix, master, sets, host = stage(out, exe, findstr, display)
        before = tree(host)
        exe_win = prefix.win(master / EXE_NAME)
        describe(master, exe_win, sets, host)
        res = prefix.run(exe_win, [], "tumbledeck", timeout=60)
        if res.timed_out:
            display.screenshot(out / "logs" / "hung.png")
            prefix.shutdown()
            print(f"Tumbledeck did not end within 60 s; screen in {out / 'logs' / 'hung.png'}")
            return 1
        prefix.wait_idle()
    print(f"Tumbledeck ended after {res.seconds:.1f} s (exit code {res.rc}; "
          "every run waits 5 s for the host's data folder)")
    return report(out, master, sets, host, before)
