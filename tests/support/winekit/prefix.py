"""A Wine prefix: running programs in it, its registry value for the host, and its paths.

Output of Wine programs always goes to files, never to pipes: programs started by a
Wine program inherit the handles, and a background Wine service keeps them open, so a
reader of a pipe would wait for ever.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
from pathlib import Path

from .display import Display
from .errors import WineError
from .layout import HOST_KEY
from .runs import Run, Started
from . import wines
# Wine takes file names from and to Unix in the locale's encoding: without a UTF-8 one it
# can neither make nor find names with letters beyond ASCII. C.UTF-8 is always there.
WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=", "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8"}
# How often a failed set-up step is tried again after the Wine server has ended.
SETUP_RETRIES = 2
# Marks a finished base prefix, the only kind a test may copy.
BASE_MARK = ".tumbledeck-base"


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
            raise WineError(f"{base} is no base prefix (build it with 'python3 -m winekit base')")
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
        return wines.environment(env, self.path)

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

    def start(self, program: str, args: list[str], name: str) -> Started:
        """Starts a Windows program (its Windows or Unix path) without waiting."""
        out_path, err_path = self._logs(name)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            cwd = self.drive_c if self.drive_c.is_dir() else self.path.parent
            proc = subprocess.Popen(wines.command(wines.WINE, program, *args), env=self.env, cwd=cwd,
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
            return subprocess.call(wines.command(wines.WINESERVER, *args), env=self.env, stdin=subprocess.DEVNULL,
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

    def run_settled(self, program: str, args: list[str], log_name: str, succeeded) -> Run:
        """Runs a set-up step; one that fails is run again once the prefix's Wine server
        has ended. A program started while the server of the step before shuts down (a
        loaded machine) ends at once without doing anything."""
        res = self.run(program, args, log_name)
        for _ in range(SETUP_RETRIES):
            if succeeded(res):
                break
            print(f"[winekit] {program} {' '.join(args)} failed ({res}); once more after the "
                  "Wine server", file=sys.stderr, flush=True)
            self.wait_idle(120)
            res = self.run(program, args, log_name)
        return res

    def set_host_data_path(self, value: str) -> None:
        """Writes the host's DataPath registry value as the host itself keeps it."""
        res = self.run_settled("reg", ["add", HOST_KEY, "/v", "DataPath", "/t", "REG_SZ", "/d",
                                       value, "/f"], "reg-add", lambda r: r.rc == 0)
        if res.rc != 0:
            raise WineError(f"reg add failed ({res}); see {res.stderr}")
        # reg writes in the console's code page (437), like every console program.
        def shows_value(r: Run) -> bool:
            return value in r.stdout.read_bytes().decode("cp437")
        shown = self.run_settled("reg", ["query", HOST_KEY, "/v", "DataPath"], "reg-query",
                                 shows_value).stdout.read_bytes().decode("cp437")
        if value not in shown:
            raise WineError(f"the registry holds no DataPath {value!r}:\n{shown}")
