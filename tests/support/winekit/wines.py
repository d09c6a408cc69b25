"""Which Wine runs the programs: the machine's own (Wine 8 on Debian 12), or Wine 10 from
a Debian 13 root that debootstrap made from Debian's registry (build/wine10/root).

WINEKIT_ROOT names such a root; without it, the machine's own Wine runs. A program of the
root runs in a mount namespace of its own with /dev, /proc, /tmp (the displays' and the
Wine servers' sockets) and the checkout bound at their places, so that it sees every
path the tests hand it; the namespace, and its mounts, go with the process.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

from .errors import WineError

ROOT_VARIABLE = "WINEKIT_ROOT"
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
CHECKOUT = Path(__file__).resolve().parents[3]
# What a Debian 13 root needs to run the tests' programs; the fonts stand in for the
# guide's Courier New, as on the machine.
ROOT_PACKAGES = ("wine", "wine64", "fonts-dejavu-core")
ROOT_SUITE = "trixie"
ROOT_MIRROR = "http://deb.debian.org/debian"
ROOT_MARK = ".tumbledeck-root"
ROOT_ATTEMPTS = 3

# Runs "$@" inside root $1 with the places bound, in the current folder where the root
# has it (Wine maps it to the program's own current folder); every mount stays in the
# namespace.
ENTER = r'''
root=$1; shift
bind() { mkdir -p "$root$1" && mount --rbind "$1" "$root$1"; }
mount --rbind /dev "$root/dev" && mount -t proc proc "$root/proc" && bind /tmp || exit 125
IFS='
'
for place in $WINEKIT_BINDS; do bind "$place" || exit 125; done
exec chroot "$root" /bin/sh -c 'cd "$1" 2>/dev/null; shift; exec "$@"' enter "$PWD" "$@"
'''


def root() -> Path | None:
    value = os.environ.get(ROOT_VARIABLE)
    return Path(value).resolve() if value else None


def name() -> str:
    """The Wine that runs, for the tests' reports."""
    return f"Wine 10 in {root()}" if root() else "the machine's Wine"


def command(program: str, *args: str) -> list[str]:
    """The command line that runs one of Wine's programs (WINE, WINESERVER)."""
    where = root()
    if where is None:
        return [program, *args]
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c", ENTER, "enter",
            str(where), program, *args]


def environment(env: dict, *places: Path) -> dict:
    """The environment a program of the root needs to find `places` (beside the checkout)."""
    if root() is None:
        return env
    binds = {CHECKOUT} | {Path(p).resolve() for p in places}
    outside = sorted(str(p) for p in binds if not any(
        p != q and q in p.parents for q in binds))
    return {**env, "WINEKIT_BINDS": "\n".join(outside)}


def scripts_copy() -> bool:
    """Whether the back-up script makes the back-up's copy. Wine 10's interpreter cannot
    run its registry loop (it reads "Tokens=3""delims=" as no delimiters): the script ends
    at once having copied nothing, and the program copies after it."""
    return root() is None


def make_root(dest: Path) -> Path:
    """A Debian 13 root with Wine 10 at dest, made once and then reused; debootstrap is
    tried again when Debian's registry is slow or breaks off."""
    dest = Path(dest).resolve()
    if (dest / ROOT_MARK).exists():
        return dest
    if not shutil.which("debootstrap"):
        raise WineError("debootstrap is missing: run tools/install-deps.sh")
    tmp = dest.with_name(dest.name + ".tmp")
    log = dest.with_name(dest.name + "-debootstrap.log")
    started = time.monotonic()
    for attempt in range(1, ROOT_ATTEMPTS + 1):
        shutil.rmtree(tmp, ignore_errors=True)
        tmp.parent.mkdir(parents=True, exist_ok=True)
        with open(log, "wb") as out:
            rc = subprocess.call(["debootstrap", "--variant=minbase",
                                  "--include=" + ",".join(ROOT_PACKAGES), ROOT_SUITE,
                                  str(tmp), ROOT_MIRROR],
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        if rc == 0:
            break
        print(f"[winekit] debootstrap failed (status {rc}, attempt {attempt}); see {log}",
              file=sys.stderr, flush=True)
        if attempt == ROOT_ATTEMPTS:
            raise WineError(f"no Debian {ROOT_SUITE} root after {attempt} attempts; see {log}")
        time.sleep(10 * attempt)
    (tmp / ROOT_MARK).write_text(f"{ROOT_SUITE}: {', '.join(ROOT_PACKAGES)}\n")
    shutil.rmtree(dest, ignore_errors=True)
    tmp.rename(dest)
    print(f"[winekit] Debian {ROOT_SUITE} root with Wine 10 ready in "
          f"{time.monotonic() - started:.0f} s", file=sys.stderr, flush=True)
    return dest
