"""Which Wine runs the programs: the machine's own (Wine 8 on Debian 12), or Wine 10 from
a Debian 13 root that tools/wine10-root.sh made from Debian's registry (build/wine10/root).

WINEKIT_ROOT names such a root; without it, the machine's own Wine runs. A program of the
root runs in a mount namespace of its own with /dev, /proc, /tmp (the displays' and the
Wine servers' sockets) and the checkout bound at their places, so that it sees every
path the tests hand it; the namespace, and its mounts, go with the process.
"""

from __future__ import annotations

import os
from pathlib import Path

ROOT_VARIABLE = "WINEKIT_ROOT"
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
CHECKOUT = Path(__file__).resolve().parents[3]
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
