#!/usr/bin/env python3
"""Wine machinery shared by the end-to-end tests, the demo and the benchmark.

Everything here drives the real Tumbledeck.exe under /usr/lib/wine/wine64:

- Display: a private Xvfb (picked with -displayfd, so parallel users never collide).
- build_base_prefix(): one initialised prefix with the test FINDSTR installed.
- Prefix: a throwaway copy of the base, with helpers to run programs in it, set the
  host's registry value and translate paths.
- make_card_set() / make_host(): card sets and a host data folder made of real JPEG
  card pictures.
- tree() / landed_set(): byte-for-byte comparison of folder trees.

Output of Wine programs always goes to files, never to pipes: programs started by a
Wine program inherit the handles, and a background Wine service keeps them open, so a
reader of a pipe would wait for ever.

Command line (used by tools/demo.sh and tools/bench-switch.sh, and by CTest to build
the shared base prefix):

  wineenv.py base  --out DIR --findstr FINDSTR.EXE
  wineenv.py stage --out DIR --exe TUMBLEDECK.EXE --findstr FINDSTR.EXE
  wineenv.py demo  --out DIR --exe TUMBLEDECK.EXE --findstr FINDSTR.EXE
"""

from __future__ import annotations

import argparse
import colorsys
import hashlib
import json
import os
import shlex
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
# Wine takes file names from and to Unix in the locale's encoding: without a UTF-8 one it
# can neither make nor find names with letters beyond ASCII. C.UTF-8 is always there.
WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=", "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8"}

HOST_KEY = r"HKCU\SOFTWARE\Zentrix\pxdr\System"
MASTER_NAME = "My Card Sets"          # blanks on purpose: every path must stay quoted
HOST_DATA_WIN = "C:\\Pixadore Host\\Data\\"
EXE_NAME = "Tumbledeck.exe"
# Files a run writes into the master folder and must delete again when it ends.
SCRATCH_FILES = ("GetPXDRData.bat", "pxdrdatapath.txt", "SaveOrig.bat", "How to Use.rtf")
COPY_SCRIPT = "XcopyCmd.bat"
CARDS = ("a0001", "a0002", "c0001")
BASE_MARK = ".tumbledeck-base"


class WineError(RuntimeError):
    pass


def log(msg: str) -> None:
    print(f"[wineenv] {msg}", file=sys.stderr, flush=True)


# ---------------------------------------------------------------------------------
# Display
# ---------------------------------------------------------------------------------


class Display:
    """A private Xvfb; use as a context manager or call start()/stop()."""

    def __init__(self, log_dir: Path, size: str = "1024x768x24"):
        self.log_dir = Path(log_dir)
        self.size = size
        self.proc: subprocess.Popen | None = None
        self.name = ""

    def start(self) -> "Display":
        self.log_dir.mkdir(parents=True, exist_ok=True)
        read_fd, write_fd = os.pipe()
        with open(self.log_dir / "xvfb.log", "wb") as out:
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.size,
                 "-nolisten", "tcp"],
                pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        try:
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline:
                    raise WineError("Xvfb did not report its display")
                chunk = os.read(read_fd, 32)
                if not chunk:
                    raise WineError(f"Xvfb ended early; see {self.log_dir / 'xvfb.log'}")
                number += chunk
        finally:
            os.close(read_fd)
        self.name = ":" + number.decode().strip()
        return self

    def stop(self) -> None:
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None

    def screenshot(self, path: Path) -> Path | None:
        """The whole screen as a PNG; None when it could not be taken."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        with open(path.with_suffix(".log"), "wb") as out:
            rc = subprocess.call(["import", "-display", self.name, "-window", "root", str(path)],
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=out, timeout=30)
        return path if rc == 0 and path.exists() else None

    def __enter__(self) -> "Display":
        return self.start()

    def __exit__(self, *exc) -> None:
        self.stop()


# ---------------------------------------------------------------------------------
# Prefixes
# ---------------------------------------------------------------------------------


class Run:
    """A finished (or abandoned) Wine program."""

    def __init__(self, rc: int | None, seconds: float, stdout: Path, stderr: Path,
                 timed_out: bool):
        self.rc, self.seconds, self.stdout, self.stderr = rc, seconds, stdout, stderr
        self.timed_out = timed_out

    def output(self) -> str:
        return self.stdout.read_text(errors="replace")

    def __repr__(self) -> str:
        return f"Run(rc={self.rc}, seconds={self.seconds:.2f}, timed_out={self.timed_out})"


class Started:
    """A Wine program on its way; the Unix process is the Windows process itself."""

    def __init__(self, proc: subprocess.Popen, stdout: Path, stderr: Path):
        self.proc, self.stdout, self.stderr = proc, stdout, stderr
        self.started = time.monotonic()

    def running(self) -> bool:
        return self.proc.poll() is None

    def finish(self, timeout: float) -> Run:
        """Waits until the program ends, at most timeout seconds after its start."""
        remaining = max(0.0, self.started + timeout - time.monotonic())
        try:
            rc = self.proc.wait(remaining)
            timed_out = False
        except subprocess.TimeoutExpired:
            rc, timed_out = None, True
        return Run(rc, time.monotonic() - self.started, self.stdout, self.stderr, timed_out)

    def kill(self) -> None:
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGKILL)
            self.proc.wait()


class Prefix:
    def __init__(self, path: Path, display: Display, log_dir: Path):
        self.path = Path(path).resolve()
        self.display = display
        self.log_dir = Path(log_dir)
        self.log_dir.mkdir(parents=True, exist_ok=True)
        self._serial = 0

    @classmethod
    def copy_of(cls, base: Path, path: Path, display: Display, log_dir: Path) -> "Prefix":
        base, path = Path(base), Path(path)
        if not (base / BASE_MARK).exists():
            raise WineError(f"{base} is no base prefix (build it with 'wineenv.py base')")
        if path.exists():
            shutil.rmtree(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-a", str(base), str(path)], check=True)
        return cls(path, display, log_dir)

    @property
    def drive_c(self) -> Path:
        return self.path / "drive_c"

    @property
    def env(self) -> dict:
        env = dict(os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.update(WINE_ENV)
        env["WINEPREFIX"] = str(self.path)
        env["DISPLAY"] = self.display.name
        return env

    def unix(self, win_path: str) -> Path:
        """C:\\a\\b -> <prefix>/drive_c/a/b (drive C only)."""
        if win_path[:3].upper() != "C:\\":
            raise ValueError(f"not on drive C: {win_path}")
        parts = [p for p in win_path[3:].split("\\") if p]
        return self.drive_c.joinpath(*parts)

    def win(self, path: Path) -> str:
        rel = Path(path).resolve().relative_to(self.drive_c.resolve())
        return "C:\\" + "\\".join(rel.parts)

    def _logs(self, name: str) -> tuple[Path, Path]:
        self._serial += 1
        stem = self.log_dir / f"{self._serial:02d}-{name}"
        return stem.with_suffix(".out"), stem.with_suffix(".err")

    def start(self, program: str, args: list[str], name: str) -> "Started":
        """Starts a Windows program (its Windows or Unix path) without waiting."""
        out_path, err_path = self._logs(name)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            cwd = self.drive_c if self.drive_c.is_dir() else self.path.parent
            proc = subprocess.Popen([WINE, program, *args], env=self.env, cwd=cwd,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        return Started(proc, out_path, err_path)

    def run(self, program: str, args: list[str], name: str, timeout: float = 60) -> Run:
        started = self.start(program, args, name)
        result = started.finish(timeout)
        if result.timed_out:
            started.kill()
        return result

    def server(self, *args: str, timeout: float = 60) -> int:
        out_path, err_path = self._logs("wineserver" + "".join(args).replace("-", "_"))
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            return subprocess.call([WINESERVER, *args], env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=err, timeout=timeout)

    def wait_idle(self, timeout: float = 60) -> None:
        """Waits until every program of the prefix (started copies included) has ended
        and the Wine server is gone."""
        try:
            self.server("-w", timeout=timeout)
        except subprocess.TimeoutExpired:
            raise WineError(f"Wine programs still running after {timeout} s")

    def shutdown(self) -> None:
        """Ends every program of the prefix at once."""
        try:
            self.server("-k", timeout=30)
        except subprocess.TimeoutExpired:
            pass

    def set_host_data_path(self, value: str) -> None:
        """Writes the host's DataPath registry value as the host itself keeps it."""
        res = self.run("reg", ["add", HOST_KEY, "/v", "DataPath", "/t", "REG_SZ", "/d", value,
                               "/f"], "reg-add")
        if res.rc != 0:
            raise WineError(f"reg add failed ({res}); see {res.stderr}")
        # reg writes in the console's code page (437), like every console program.
        shown = self.run("reg", ["query", HOST_KEY, "/v", "DataPath"],
                         "reg-query").stdout.read_bytes().decode("cp437")
        if value not in shown:
            raise WineError(f"the registry holds no DataPath {value!r}:\n{shown}")


def install_findstr(prefix: Prefix, findstr: Path) -> None:
    """Puts the test FINDSTR in place of Wine's, which prints nothing. Wine prefers its
    built-in programs to files in system32, hence the override."""
    for folder in ("system32", "syswow64"):
        target = prefix.drive_c / "windows" / folder
        if target.is_dir():
            shutil.copyfile(findstr, target / "findstr.exe")
    res = prefix.run("reg", ["add", r"HKCU\Software\Wine\DllOverrides", "/v", "findstr.exe",
                             "/t", "REG_SZ", "/d", "native", "/f"], "reg-findstr")
    if res.rc != 0:
        raise WineError(f"cannot set the findstr override: {res}")
    # The scripts' own use: a pipe into findstr inside a batch file.
    probe = prefix.drive_c / "findstr-probe.txt"
    script = prefix.drive_c / "findstr-probe.bat"
    probe.write_bytes(b"first line\r\nDataPath    REG_SZ    C:\\x\\\r\n")
    script.write_bytes(b'@type C:\\findstr-probe.txt | findstr "DataPath"\r\n')
    res = prefix.run("cmd", ["/c", "C:\\findstr-probe.bat"], "findstr-probe")
    probe.unlink()
    script.unlink()
    if "REG_SZ" not in res.output() or "first" in res.output():
        raise WineError(f"findstr.exe in {prefix.path} does not filter lines: "
                        f"{res.output()!r}")


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
    with Display(log_dir) as display:
        prefix = Prefix(tmp, display, log_dir)
        res = prefix.run("wineboot", ["-i"], "wineboot", timeout=300)
        if res.rc != 0:
            raise WineError(f"wineboot failed: {res}; see {res.stderr}")
        system32 = prefix.drive_c / "windows" / "system32"
        if not system32.is_dir():
            raise WineError(f"wineboot made no {system32}")
        install_findstr(prefix, findstr)
        # Xvfb has no window manager. Wine would wait up to two seconds for one to
        # answer each time a managed window is unmapped, and a run's end would drag.
        res = prefix.run("reg", ["add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                                 "/t", "REG_SZ", "/d", "N", "/f"], "reg-unmanaged")
        if res.rc != 0:
            raise WineError(f"cannot turn off managed windows: {res}")
        # Wine has no Courier New, the user guide's font, and would draw the guide in a
        # proportional face; every Windows machine has it. A monospaced stand-in keeps
        # the guide's columns as a Windows user sees them.
        res = prefix.run("reg", ["add", r"HKCU\Software\Wine\Fonts\Replacements", "/v",
                                 "Courier New", "/t", "REG_SZ", "/d", "DejaVu Sans Mono", "/f"],
                         "reg-courier")
        if res.rc != 0:
            raise WineError(f"cannot stand in for Courier New: {res}")
        prefix.wait_idle(120)
    (tmp / BASE_MARK).write_text(f"findstr: {findstr}\n")
    if dest.exists():
        shutil.rmtree(dest)
    tmp.rename(dest)
    log(f"base prefix {dest} ready in {time.monotonic() - started:.1f} s")
    return dest


# ---------------------------------------------------------------------------------
# Card sets and the host
# ---------------------------------------------------------------------------------

FONT = next((f for f in ("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                         "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf") if Path(f).exists()),
            None)


def set_colour(label: str) -> str:
    """A strong colour of its own for each set label."""
    h = int(hashlib.sha1(label.encode()).hexdigest()[:4], 16) / 0xFFFF
    r, g, b = colorsys.hsv_to_rgb(h, 0.75, 0.7)
    return "#%02x%02x%02x" % (int(r * 255), int(g * 255), int(b * 255))


def card_picture(path: Path, label: str, card: str, cache: Path | None = None,
                 size: tuple[int, int] = (240, 336)) -> Path:
    """A JPEG card: a coloured card with the set's label and the card's name on it.
    The JPEG comment names both too, so no two cards share their bytes even where no
    font is at hand."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    width, height = size
    key = hashlib.sha1(f"{label}\0{card}\0{FONT}\0{width}x{height}".encode()).hexdigest()[:16]
    cached = Path(cache) / f"{key}.jpg" if cache else None
    if cached and cached.exists():
        shutil.copyfile(cached, path)
        return path
    colour = set_colour(label)
    cmd = ["convert", "-size", f"{width}x{height}", f"xc:{colour}",
           "-fill", "none", "-stroke", "white", "-strokewidth", "6",
           "-draw", f"roundrectangle 10,10 {width - 11},{height - 11} 18,18", "-stroke", "none"]
    if FONT:
        cmd += ["-font", FONT, "-fill", "white",
                "-gravity", "north", "-pointsize", "24", "-annotate", "+0+34", label,
                "-gravity", "center", "-pointsize", "40", "-annotate", "+0+10", card,
                "-gravity", "south", "-pointsize", "16", "-annotate", "+0+34", "Tumbledeck test"]
    tmp = path.with_name(path.name + ".tmp.jpg")
    cmd += ["-set", "comment", f"{label} / {card}", "-quality", "85", str(tmp)]
    subprocess.run(cmd, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    os.replace(tmp, path)
    if cached:
        cached.parent.mkdir(parents=True, exist_ok=True)
        part = cached.with_name(f"{cached.name}.{os.getpid()}")
        shutil.copyfile(path, part)
        os.replace(part, cached)
    return path


def make_cards(data_dir: Path, label: str, cards=CARDS, cache: Path | None = None) -> Path:
    """Fills a data folder with card folders, each holding <card>c.jpg."""
    data_dir = Path(data_dir)
    for card in cards:
        card_picture(data_dir / card / f"{card}c.jpg", label, card, cache)
    return data_dir


def make_card_set(master: Path, name: str, cards=CARDS, cache: Path | None = None,
                  label: str | None = None) -> Path:
    """A card set folder <master>/<name>/Data/...; returns the Data folder."""
    return make_cards(Path(master) / name / "Data", label or name, cards, cache)


def make_master(prefix: Prefix, exe: Path, name: str = MASTER_NAME) -> Path:
    """A fresh master folder on drive C holding a copy of the program."""
    master = prefix.drive_c / name
    if master.exists():
        shutil.rmtree(master)
    master.mkdir(parents=True)
    shutil.copyfile(exe, master / EXE_NAME)
    return master


def make_host(prefix: Prefix, cache: Path | None = None, data_win: str = HOST_DATA_WIN,
              label: str = "Installed", cards=CARDS) -> Path:
    """The host's data folder with an installed set, and its registry value."""
    data = prefix.unix(data_win)
    if data.exists():
        shutil.rmtree(data)
    data.mkdir(parents=True)
    make_cards(data, label, cards, cache)
    prefix.set_host_data_path(data_win)
    return data


def read_json_lines(path: Path) -> list[dict]:
    """The JSON records a tool wrote one a line (wintool); a line cut off is dropped."""
    out = []
    path = Path(path)
    if path.exists():
        for line in path.read_text(errors="replace").splitlines():
            try:
                out.append(json.loads(line))
            except json.JSONDecodeError:
                pass
    return out


def tree(root: Path) -> dict[str, str]:
    """Relative path -> SHA-1 of the bytes, for every file below root."""
    root = Path(root)
    if not root.is_dir():
        return {}
    out = {}
    for path in sorted(root.rglob("*")):
        if path.is_file():
            out[path.relative_to(root).as_posix()] = hashlib.sha1(path.read_bytes()).hexdigest()
    return out


def landed_set(host: Path, sets: dict[str, Path]) -> list[str]:
    """Names of the sets whose data the host's data folder now equals byte for byte."""
    now = tree(host)
    return [name for name, data in sets.items() if now and tree(data) == now]


# ---------------------------------------------------------------------------------
# Stage and demo
# ---------------------------------------------------------------------------------

DEMO_SETS = ("Gold Set", "NewSet1", "Silver")


def ensure_prefix(out: Path, findstr: Path) -> Path:
    prefix_dir = Path(out) / "prefix"
    if not (prefix_dir / BASE_MARK).exists():
        log(f"building the Wine prefix {prefix_dir} (once; about half a minute)")
        build_base_prefix(prefix_dir, findstr, Path(out) / "logs")
    else:
        # A findstr.exe rebuilt since belongs in the prefix too.
        shutil.copyfile(findstr, prefix_dir / "drive_c/windows/system32/findstr.exe")
    return prefix_dir


def stage(out: Path, exe: Path, findstr: Path, display: Display) -> tuple[Prefix, Path, dict, Path]:
    """Prefix (kept between calls), a fresh master folder with three card sets, and a
    host with its registry value and a data folder holding an installed set."""
    out = Path(out).resolve()
    prefix_dir = ensure_prefix(out, findstr)
    prefix = Prefix(prefix_dir, display, out / "logs")
    cache = out / "card-cache"
    master = make_master(prefix, exe)
    sets = {name: make_card_set(master, name, cache=cache) for name in DEMO_SETS}
    host = make_host(prefix, cache)
    return prefix, master, sets, host


def cmd_base(a) -> int:
    build_base_prefix(Path(a.out), Path(a.findstr))
    return 0


def cmd_stage(a) -> int:
    out = Path(a.out).resolve()
    with Display(out / "logs") as display:
        prefix, master, _, host = stage(out, Path(a.exe), Path(a.findstr), display)
        prefix.wait_idle()
    # Shell assignments, for eval in tools/bench-switch.sh and tools/bench-backup.sh.
    print(f"WINEPREFIX={shlex.quote(str(prefix.path))}")
    print(f"TUMBLEDECK_EXE={shlex.quote(prefix.win(master / EXE_NAME))}")
    print(f"HOST_DATA={shlex.quote(str(host))}")
    print(f"MASTER={shlex.quote(str(master))}")
    return 0


def cmd_demo(a) -> int:
    out = Path(a.out).resolve()
    with Display(out / "logs") as display:
        prefix, master, sets, host = stage(out, Path(a.exe), Path(a.findstr), display)
        before = tree(host)
        exe_win = prefix.win(master / EXE_NAME)
        print(f"Master folder   {master}  ({exe_win.rsplit(chr(92), 1)[0]})")
        for name, data in sets.items():
            print(f"  card set      {name}: {len(tree(data))} card pictures in {data}")
        print(f"Host data path  {HOST_DATA_WIN}  ({host})")
        print(f"Running         wine64 \"{exe_win}\"   (no argument: a random set)")
        res = prefix.run(exe_win, [], "tumbledeck", timeout=60)
        if res.timed_out:
            display.screenshot(out / "logs" / "hung.png")
            prefix.shutdown()
            print(f"Tumbledeck did not end within 60 s; screen in {out / 'logs' / 'hung.png'}")
            return 1
        prefix.wait_idle()
    print(f"Tumbledeck ended after {res.seconds:.1f} s (exit code {res.rc}; "
          "every run waits 5 s for the host's data folder)")
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


def main(argv=None) -> int:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = p.add_subparsers(dest="cmd", required=True)
    b = sub.add_parser("base", help="build a base prefix with the test FINDSTR")
    b.add_argument("--out", required=True)
    b.add_argument("--findstr", required=True)
    b.set_defaults(func=cmd_base)
    for name, func, text in (("stage", cmd_stage, "prefix, master folder and host, no run"),
                             ("demo", cmd_demo, "stage, then one random switch")):
        s = sub.add_parser(name, help=text)
        s.add_argument("--out", required=True)
        s.add_argument("--exe", required=True)
        s.add_argument("--findstr", required=True)
        s.set_defaults(func=func)
    a = p.parse_args(argv)
    try:
        return a.func(a)
    except (WineError, subprocess.CalledProcessError) as e:
        print(f"wineenv: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
