"""A master folder and a host in a prefix: what every run of the program needs."""

from __future__ import annotations

import shutil
from pathlib import Path

from .base_prefix import ensure_prefix
from .cards import make_card_set, make_cards
from .display import Display
from .layout import CARDS, EXE_NAME, HOST_DATA_WIN, MASTER_NAME
from .prefix import Prefix

DEMO_SETS = ("Gold Set", "NewSet1", "Silver")


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


def stage(out: Path, exe: Path, findstr: Path, display: Display) -> tuple[Prefix, Path, dict, Path]:
    """Prefix (kept between calls), a fresh master folder with three card sets, and a
    host with its registry value and a data folder holding an installed set."""
    out = Path(out).resolve()
    prefix = Prefix(ensure_prefix(out, findstr), display, out / "logs")
    cache = out / "card-cache"
    master = make_master(prefix, exe)
    sets = {name: make_card_set(master, name, cache=cache) for name in DEMO_SETS}
    host = make_host(prefix, cache)
    return prefix, master, sets, host
