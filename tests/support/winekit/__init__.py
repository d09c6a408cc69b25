"""Wine machinery shared by the end-to-end tests, the platform contract under Wine, the
demo and the benchmarks. Everything here drives the real Tumbledeck.exe under
/usr/lib/wine/wine64, the machine's or a Debian 13 root's:

- display:     a private Xvfb.
- prefix:      a throwaway copy of the base prefix, running programs in it, its
               registry value for the host, path translation; runs: their results.
- base_prefix: the one initialised prefix with the test FINDSTR that tests copy.
- cards:       card pictures and card folders of real JPEGs.
- stage:       a master folder with the program and a host with an installed set.
- trees:       byte-for-byte comparison of folder trees.
- records:     wintool's JSON lines.
- layout:      names and places the program and the host use; errors: WineError.
- wines:       which Wine runs the programs: the machine's, or Wine 10 from a Debian 13
               root (WINEKIT_ROOT), which tools/wine10-root.sh makes.
- __main__:    the command line (python3 -m winekit base|stage|demo); demo: its demo.

Found through PYTHONPATH=tests/support, which CTest and the tools/ scripts set.
"""

from .base_prefix import build_base_prefix, ensure_prefix, install_findstr
from .cards import card_picture, make_card_set, make_cards
from .display import Display
from .errors import WineError
from .layout import (CARDS, COPY_SCRIPT, EXE_NAME, HOST_DATA_WIN, HOST_KEY, MASTER_NAME,
                     SCRATCH_FILES)
from .prefix import Prefix
from .records import read_json_lines
from .runs import Run, Started
from .stage import make_host, make_master, stage
from .trees import landed_set, tree
from . import wines

__all__ = [
    "build_base_prefix", "ensure_prefix", "install_findstr",
    "card_picture", "make_card_set", "make_cards",
    "Display", "WineError",
    "CARDS", "COPY_SCRIPT", "EXE_NAME", "HOST_DATA_WIN", "HOST_KEY", "MASTER_NAME",
    "SCRATCH_FILES",
    "Prefix", "read_json_lines", "Run", "Started",
    "make_host", "make_master", "stage", "landed_set", "tree", "wines",
]
