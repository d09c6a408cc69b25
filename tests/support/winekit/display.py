"""A private Xvfb display, picked with -displayfd so parallel users never collide."""

from __future__ import annotations

import os
import subprocess
import time
from pathlib import Path

from .errors import WineError


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
        try:
            number = self._read_display_number(read_fd)
        finally:
            os.close(read_fd)
        self.name = ":" + number
        return self

    def _read_display_number(self, read_fd: int) -> str:
        """Xvfb writes its display's number and a newline once it accepts clients."""
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline:
                raise WineError("Xvfb did not report its display")
            chunk = os.read(read_fd, 32)
            if not chunk:
                raise WineError(f"Xvfb ended early; see {self.log_dir / 'xvfb.log'}")
            number += chunk
        return number.decode().strip()

    def exit_status(self) -> int | None:
        """Xvfb's exit status once it has ended, else None."""
        return self.proc.poll() if self.proc else None

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
