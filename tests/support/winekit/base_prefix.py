"""The base prefix every test copies: initialised once (wineboot takes ~20 s, a copy
~1.5 s), with the test FINDSTR in place of Wine's and settings for a display without a
window manager."""

from __future__ import annotations

import os
import shutil
import sys
import time
from pathlib import Path

from .display import Display
from .errors import WineError
from .prefix import BASE_MARK, Prefix

def log(msg: str) -> None:
    print(f"[winekit] {msg}", file=sys.stderr, flush=True)


def reg_add(prefix: Prefix, key: str, name: str, value: str, log_name: str, what: str) -> None:
    """Sets a REG_SZ value; what names the setting in the error."""
    res = prefix.run_settled("reg", ["add", key, "/v", name, "/t", "REG_SZ", "/d", value,
                                     "/f"], log_name, lambda r: r.rc == 0)
    if res.rc != 0:
        raise WineError(f"cannot {what}: {res}")


def install_findstr(prefix: Prefix, findstr: Path) -> None:
    """Puts the test FINDSTR in place of Wine's, which prints nothing. Wine prefers its
    built-in programs to files in system32, hence the override."""
    for folder in ("system32", "syswow64"):
        target = prefix.drive_c / "windows" / folder
        if target.is_dir():
            shutil.copyfile(findstr, target / "findstr.exe")
    reg_add(prefix, r"HKCU\Software\Wine\DllOverrides", "findstr.exe", "native",
            "reg-findstr", "set the findstr override")
    check_findstr(prefix)


def check_findstr(prefix: Prefix) -> None:
    """The scripts' own use: a pipe into findstr inside a batch file."""
    probe = prefix.drive_c / "findstr-probe.txt"
    script = prefix.drive_c / "findstr-probe.bat"
    probe.write_bytes(b"first line\r\nDataPath    REG_SZ    C:\\x\\\r\n")
    script.write_bytes(b'@type C:\\findstr-probe.txt | findstr "DataPath"\r\n')
    res = prefix.run_settled("cmd", ["/c", "C:\\findstr-probe.bat"], "findstr-probe",
                      lambda r: "REG_SZ" in r.output())
    probe.unlink()
    script.unlink()
    if "REG_SZ" not in res.output() or "first" in res.output():
        raise WineError(f"findstr.exe in {prefix.path} does not filter lines: "
                        f"{res.output()!r}")


def suit_display(prefix: Prefix) -> None:
    # Xvfb has no window manager. Wine would wait up to two seconds for one to
    # answer each time a managed window is unmapped, and a run's end would drag.
    reg_add(prefix, r"HKCU\Software\Wine\X11 Driver", "Managed", "N",
            "reg-unmanaged", "turn off managed windows")
    # Wine has no Courier New, the user guide's font, and would draw the guide in a
    # proportional face; every Windows machine has it. A monospaced stand-in keeps
    # the guide's columns as a Windows user sees them.
    reg_add(prefix, r"HKCU\Software\Wine\Fonts\Replacements", "Courier New",
            "DejaVu Sans Mono", "reg-courier", "stand in for Courier New")


def initialise(prefix: Prefix, findstr: Path) -> None:
    res = prefix.run("wineboot", ["-i"], "wineboot", timeout=300)
    if res.rc != 0:
        raise WineError(f"wineboot failed: {res}; see {res.stderr}")
    system32 = prefix.drive_c / "windows" / "system32"
    if not system32.is_dir():
        raise WineError(f"wineboot made no {system32}")
    install_findstr(prefix, findstr)
    suit_display(prefix)
    prefix.wait_idle(120)


def build_base_prefix(dest: Path, findstr: Path, log_dir: Path | None = None) -> Path:
    """An initialised prefix with the test FINDSTR; built beside dest, then moved in
    place, so a half-built prefix is never taken for a base."""
    dest = Path(dest).resolve()
    findstr = Path(findstr)
    if not findstr.is_file():
        raise WineError(f"no findstr.exe at {findstr}")
    log_dir = Path(log_dir or dest.parent / "base-logs")
    tmp = dest.parent / f"{dest.name}.tmp{os.getpid()}"
    if tmp.exists():
        shutil.rmtree(tmp)
    tmp.parent.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    for attempt in (1, 2):
        with Display(log_dir) as display:
            try:
                initialise(Prefix(tmp, display, log_dir), findstr)
                break
            except WineError:
                # Xvfb once ended under wineboot, in hundreds of runs: the display's
                # fault, not Wine's or the program's. One more try on a fresh one.
                ended = display.exit_status()
                if attempt == 2 or ended is None:
                    raise
                log(f"Xvfb ended (status {ended}) while the prefix was set up; once more")
        shutil.rmtree(tmp, ignore_errors=True)
    (tmp / BASE_MARK).write_text(f"findstr: {findstr}\n")
    if dest.exists():
        shutil.rmtree(dest)
    tmp.rename(dest)
    log(f"base prefix {dest} ready in {time.monotonic() - started:.1f} s")
    return dest


def ensure_prefix(out: Path, findstr: Path) -> Path:
    """<out>/prefix, a base prefix kept between runs of the demo and the benchmarks."""
    prefix_dir = Path(out) / "prefix"
    if not (prefix_dir / BASE_MARK).exists():
        log(f"building the Wine prefix {prefix_dir} (once; about half a minute)")
        build_base_prefix(prefix_dir, findstr, Path(out) / "logs")
    else:
        # A findstr.exe rebuilt since belongs in the prefix too.
        shutil.copyfile(findstr, prefix_dir / "drive_c/windows/system32/findstr.exe")
    return prefix_dir
