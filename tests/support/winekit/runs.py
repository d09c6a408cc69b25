"""Wine programs on their way and finished."""

from __future__ import annotations

import signal
import subprocess
import time
from pathlib import Path


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
