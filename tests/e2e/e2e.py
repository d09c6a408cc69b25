"""Harness of the end-to-end tests: one test case, one Xvfb, one copy of the base prefix.

A test script registers its cases with @case and calls main(), which also names them for
CTest (--list). Each case gets a Case:
a fresh prefix with a host (registry value and a data folder with an installed set),
helpers to build master folders and to run the real Tumbledeck.exe while wintool.exe
watches its main window, and check(), which records a failed expectation and carries
on, so one run reports every fault it shows. Evidence (Wine's output, wintool's
records, screenshots) stays under <work>/<case>/; the prefix copy is removed when the
case passes.
"""

from __future__ import annotations

import argparse
import json
import shutil
import sys
import time
import traceback
from pathlib import Path

import winekit as wk

MAIN_TITLE = "Random Tumbledeck"
APP_TITLE = "Tumbledeck"          # caption of the program's message boxes
DIALOG_CLASS = "#32770"
WAIT_SECONDS = 5.0                # every run waits this long for the host-folder script
# How long a run may take to end once its work is done: typically 0.6 s (Wine's start and
# the last 500 ms timer tick), many times that on a loaded machine. A check against it
# says "ends by itself", not "is fast": speed belongs in the benchmarks.
END_SLACK = 10.0
RUN_TIMEOUT = 40.0                # a run that takes longer is hung (an error box, say)
IDLE_TIMEOUT = 150.0              # what a run started ends by then, or it is hung


def copy_command(set_name: str, master_win: str = "C:\\" + wk.MASTER_NAME + "\\",
                 host_win: str = wk.HOST_DATA_WIN) -> str:
    return f'Xcopy /s /y "{master_win}{set_name}\\data" "{host_win}"'


def read_records(path: Path) -> list[dict]:
    """wintool's JSON lines; a line cut off by a kill is dropped."""
    return wk.read_json_lines(path)


class CaseFailed(Exception):
    """A fault after which the case cannot go on."""


class Wintool:
    def __init__(self, prefix: wk.Prefix, exe: Path):
        self.prefix, self.exe = prefix, str(exe)

    def run(self, *args: str, timeout: float = 30) -> tuple[int | None, list[dict]]:
        res = self.prefix.run(self.exe, list(args), "wintool-" + args[0], timeout=timeout)
        return res.rc, read_records(res.stdout)

    def start(self, *args: str) -> wk.Started:
        return self.prefix.start(self.exe, list(args), "wintool-" + args[0])


class AppRun:
    """One finished run of Tumbledeck.exe."""

    def __init__(self, result: wk.Run, watch: list[dict]):
        self.result = result
        self.watch = watch            # wintool's records of the main window

    @property
    def seconds(self) -> float:
        return self.result.seconds

    def main_window_states(self) -> list[dict]:
        return [r["window"] for r in self.watch if r.get("event") == "state"]


class Case:
    def __init__(self, name: str, opts):
        self.name = name
        self.opts = opts
        self.dir = Path(opts.work).resolve() / name
        if self.dir.exists():
            shutil.rmtree(self.dir)
        self.logs = self.dir / "logs"
        self.evidence_dir = self.dir / "evidence"
        self.cache = Path(opts.work).resolve() / "card-cache"
        self.failures: list[str] = []
        self.checks = 0
        self.display = wk.Display(self.logs, opts.display_size).start()
        self.prefix = wk.Prefix.copy_of(opts.base, self.dir / "prefix", self.display, self.logs)
        self.wintool = Wintool(self.prefix, opts.wintool)
        self.host = wk.make_host(self.prefix, self.cache)
        self.host_before = wk.tree(self.host)
        self.drive_c_before: set[str] = set()

    # -- checks -------------------------------------------------------------------

    def check(self, ok: bool, what: str, detail: str = "") -> bool:
        self.checks += 1
        if ok:
            print(f"  ok    {what}", flush=True)
        else:
            text = what + (f"\n        {detail}" if detail else "")
            print(f"  FAIL  {text}", flush=True)
            self.failures.append(text)
        return ok

    def evidence(self, label: str) -> None:
        """Screen and window list now, while the program may still show something."""
        shot = self.display.screenshot(self.evidence_dir / f"{label}.png")
        rc, windows = self.wintool.run("list", "--children", timeout=20)
        path = self.evidence_dir / f"{label}-windows.json"
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text("".join(json.dumps(w) + "\n" for w in windows))
        print(f"  evidence: {shot or 'no screenshot'}; visible windows in {path}", flush=True)
        for w in windows:
            texts = [c["text"] for c in w.get("children", []) if c["text"]]
            print(f"    window {w['title']!r} ({w['class']}): {texts}", flush=True)

    # -- message boxes --------------------------------------------------------------

    def message_box(self, timeout: float = 25, other_than: str | None = None) -> dict | None:
        """The program's visible message box (caption "Tumbledeck") with its controls,
        or None when none shows within timeout seconds. other_than skips a box that is
        still closing, to find the one that follows it."""
        deadline = time.monotonic() + timeout
        while True:
            left = max(1.0, deadline - time.monotonic())
            rc, found = self.wintool.run("wait", "--title", APP_TITLE, "--class", DIALOG_CLASS,
                                         "--visible", "--timeout", f"{left:.1f}",
                                         timeout=left + 20)
            if rc == 0 and found and found[0]["hwnd"] != other_than:
                return found[0]
            if time.monotonic() >= deadline:
                return None
            time.sleep(0.2)

    @staticmethod
    def box_texts(box: dict) -> list[str]:
        return [ch["text"] for ch in box["children"]
                if ch["class"].lower() == "static" and ch["text"]]

    @staticmethod
    def box_buttons(box: dict) -> list[str]:
        return [ch["text"].replace("&", "") for ch in box["children"]
                if ch["class"].lower() == "button" and ch["visible"]]

    # -- the program's windows --------------------------------------------------------

    def wait_window(self, title: str, timeout: float = 25) -> dict | None:
        """The program's visible window of that title, with its controls, or None when
        none shows within timeout seconds."""
        rc, found = self.wintool.run("wait", "--title", title, "--visible", "--timeout",
                                     str(timeout), timeout=timeout + 20)
        return found[0] if rc == 0 and found else None

    def close_window(self, app, title: str) -> None:
        """Closes the window as its close box would, and checks that the run then ends
        by itself (typically within a second)."""
        closed = time.monotonic()
        self.wintool.run("close", "--title", title)
        result = app.finish(RUN_TIMEOUT)
        if not result.timed_out:
            after = time.monotonic() - closed
            self.check(after < END_SLACK, "the run ends by itself after the close",
                       f"{after:.2f} s after it")

    def report(self, timeout: float = 25) -> dict:
        """The report of an unhandled error: waits for it, keeps its texts and buttons
        and a screenshot, and presses OK."""
        box = self.message_box(timeout=timeout)
        if not self.check(box is not None, "a message box titled 'Tumbledeck' shows"):
            self.evidence("no-report")
            return {}
        seen = {"texts": self.box_texts(box), "buttons": self.box_buttons(box)}
        self.display.screenshot(self.evidence_dir / "report.png")
        self.press(box)
        return seen

    def check_reported(self, run: AppRun, seen: dict, number: int, description: str) -> None:
        """The report named run-time error `number`, had an OK button only, and the run
        ended with status 1 once it was pressed."""
        text = " ".join(seen.get("texts", []))
        self.check(f"Run-time error '{number}'" in text and description in text,
                   f"it reports run-time error {number}, {description}", f"texts: {text!r}")
        self.check(seen.get("buttons") == ["OK"], "with an OK button only",
                   f"buttons: {seen.get('buttons')}")
        self.check(run.result.rc == 1, "the run ends with status 1 once it is pressed",
                   f"status {run.result.rc}")

    def press(self, box: dict, button: str = "OK") -> bool:
        rc, _ = self.wintool.run("click", "--hwnd", box["hwnd"], button)
        return rc == 0

    def set_resolution(self, dpi: int, new_session: bool = True) -> None:
        """The screen's resolution from the next program on; with `new_session`, as after
        a sign-in (the Wine session ends first: Wine 10 keeps its monitors at the
        resolution the session began with)."""
        res = self.prefix.run("reg", ["add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                                      "/t", "REG_DWORD", "/d", str(dpi), "/f"], f"reg-dpi-{dpi}")
        self.check(res.rc == 0, f"precondition: the screen is set to {dpi} DPI")
        if new_session:
            self.prefix.wait_idle()

    # -- the world ----------------------------------------------------------------

    def master(self, sets=(), name: str = wk.MASTER_NAME) -> tuple[Path, dict[str, Path]]:
        """A master folder with the program and the named card sets; returns the folder
        and each set's Data folder."""
        master = wk.make_master(self.prefix, Path(self.opts.exe), name)
        datas = {s: wk.make_card_set(master, s, cache=self.cache) for s in sets}
        return master, datas

    def _drive_c_names(self) -> set[str]:
        return {p.name for p in self.prefix.drive_c.iterdir()}

    # -- running --------------------------------------------------------------------

    def run_app(self, master: Path, args: list[str], interact=None,
                timeout: float = RUN_TIMEOUT) -> AppRun:
        """Runs <master>\\Tumbledeck.exe with args (each one argument on the command
        tail; Wine quotes those with blanks), lets interact(started) act while it
        runs, then waits for everything it started (the copy) to end."""
        exe_win = self.prefix.win(master / wk.EXE_NAME)
        self.drive_c_before = self._drive_c_names()
        # The watcher doubles as the warm-up: once it reports, the Wine server and its
        # services run, and the program's own start is not slowed by theirs.
        watch = self.wintool.start("watch", "--title", MAIN_TITLE, "--timeout",
                                   str(timeout + 10), "--interval", "5")
        deadline = time.monotonic() + 30
        while not read_records(watch.stdout):
            if not watch.running() or time.monotonic() > deadline:
                watch.kill()
                raise CaseFailed(f"wintool did not start; see {watch.stderr}")
            time.sleep(0.05)
        app = self.prefix.start(exe_win, args, "tumbledeck")
        try:
            if interact:
                interact(app)
            result = app.finish(timeout)
            if result.timed_out:
                self.check(False, f"the run ends by itself within {timeout:.0f} s",
                           "still running; killed after the evidence below")
                self.evidence("hung")
        finally:
            app.kill()
        if watch.finish(5).timed_out:
            watch.kill()
        run = AppRun(result, read_records(watch.stdout))
        try:
            # The copies the run started go on without it (a back-up's xcopy may outlive
            # its closed window): seconds on a quiet machine, far more on a loaded one.
            self.prefix.wait_idle(IDLE_TIMEOUT)
        except wk.WineError as e:
            self.check(False, "programs started by the run end", str(e))
            self.prefix.shutdown()
        return run

    # -- checks shared by the switch cases ----------------------------------------

    def check_ended(self, run: AppRun, bound: float | None = WAIT_SECONDS + END_SLACK,
                    script: bool = True) -> None:
        """A run that ended by itself, normally, after the host-folder wait (or without
        it, where the host-folder script is not to run at all)."""
        r = run.result
        if r.timed_out:
            return  # reported already, with evidence
        print(f"  info  the run took {r.seconds:.2f} s, exit status {r.rc}", flush=True)
        err = r.stderr.read_text(errors="replace").strip()
        self.check(r.rc == 0, "the program exits with status 0",
                   f"status {r.rc}; Wine's stderr: {err[-500:]!r}")
        if script:
            self.check(r.seconds >= WAIT_SECONDS, f"the run lasts at least {WAIT_SECONDS:.0f} s "
                       "(the host-folder wait)", f"it took {r.seconds:.2f} s")
        else:
            self.check(r.seconds < WAIT_SECONDS, "the run does not wait for a script it does "
                       "not start", f"it took {r.seconds:.2f} s")
        if bound is not None:
            self.check(r.seconds < bound, f"the run ends within {bound:.1f} s",
                       f"it took {r.seconds:.2f} s")

    def check_master(self, master: Path, expected: set[str]) -> None:
        """The master folder holds exactly the expected entries: every scratch file is
        gone and nothing else was left behind."""
        now = {p.name for p in master.iterdir()}
        self.check(now == expected, "the master folder holds only "
                   f"{sorted(expected)}",
                   f"extra: {sorted(now - expected)}, missing: {sorted(expected - now)}")
        stray = self._drive_c_names() - self.drive_c_before
        self.check(not stray, "nothing new appears at the top of drive C",
                   f"new: {sorted(stray)}")

    def check_host_unchanged(self) -> None:
        now = wk.tree(self.host)
        changed = sorted(k for k in set(now) | set(self.host_before)
                         if now.get(k) != self.host_before.get(k))
        self.check(not changed, "nothing is copied into the host's data folder",
                   f"changed: {changed}")

    def check_landed(self, sets: dict[str, Path], expected: str | None) -> str | None:
        """The host's data folder equals one set's Data folder byte for byte (the named
        one, or any one when expected is None); returns the set that landed."""
        landed = wk.landed_set(self.host, sets)
        detail = (f"matching sets: {landed}; host now holds {sorted(wk.tree(self.host))}"
                  + (" (unchanged)" if wk.tree(self.host) == self.host_before else ""))
        if expected is None:
            self.check(len(landed) == 1, "the host's data folder now equals exactly one "
                       "set's data", detail)
        else:
            self.check(landed == [expected], f"the host's data folder now equals the data "
                       f"of {expected!r}", detail)
        return landed[0] if len(landed) == 1 else None

    # -- end --------------------------------------------------------------------------

    def close(self, passed: bool) -> None:
        self.prefix.shutdown()
        self.display.stop()
        if passed and not self.opts.keep:
            shutil.rmtree(self.prefix.path, ignore_errors=True)


CASES: dict[str, callable] = {}


def case(func):
    CASES[func.__name__] = func
    return func


def main(display_size: str = "1024x768x24") -> int:
    """Runs the cases named on the command line, each on a screen of `display_size`
    (a group whose windows are large asks for a larger one); --list names them all, in
    the order they are defined, for CTest."""
    if sys.argv[1:] == ["--list"]:
        print("\n".join(CASES))
        return 0
    p = argparse.ArgumentParser(description="Tumbledeck end-to-end tests under Wine")
    p.add_argument("--exe", required=True, help="Tumbledeck.exe")
    p.add_argument("--wintool", required=True, help="wintool.exe")
    p.add_argument("--base", required=True, help="base prefix (python3 -m winekit base)")
    p.add_argument("--work", required=True, help="folder for the cases' prefixes and logs")
    p.add_argument("--keep", action="store_true", help="keep the prefix of a passing case")
    p.add_argument("cases", nargs="+", choices=sorted(CASES))
    opts = p.parse_args()
    opts.display_size = display_size
    # Wine programs start in drive C, where relative paths mean nothing.
    for name in ("exe", "wintool", "base", "work"):
        setattr(opts, name, Path(getattr(opts, name)).resolve())
    if not Path(opts.exe).is_file():
        print(f"no program at {opts.exe}: build it first", file=sys.stderr)
        return 1
    failed = []
    for name in opts.cases:
        print(f"== {name}", flush=True)
        c = None
        try:
            c = Case(name, opts)
            CASES[name](c)
        except Exception as e:  # a broken harness or a fault that stops the case
            if c:
                c.failures.append(f"stopped: {e}")
            print(f"  FAIL  stopped: {e}", flush=True)
            traceback.print_exc()
        passed = bool(c) and not c.failures
        if c:
            c.close(passed)
            print(f"== {name}: {'PASS' if passed else 'FAIL'} ({c.checks} checks, "
                  f"{len(c.failures)} failed; files in {c.dir})", flush=True)
        if not passed:
            failed.append(name)
    return 1 if failed else 0
