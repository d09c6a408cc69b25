"""Card pictures and card folders made of real JPEGs, each set in a colour of its own."""

from __future__ import annotations

import colorsys
import hashlib
import os
import shutil
import subprocess
from pathlib import Path

from .layout import CARDS

FONT = next((f for f in ("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                         "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf") if Path(f).exists()),
            None)


def set_colour(label: str) -> str:
    """A strong colour of its own for each set label."""
    h = int(hashlib.sha1(label.encode()).hexdigest()[:4], 16) / 0xFFFF
    r, g, b = colorsys.hsv_to_rgb(h, 0.75, 0.7)
    return "#%02x%02x%02x" % (int(r * 255), int(g * 255), int(b * 255))


def draw_command(label: str, card: str, size: tuple[int, int], target: Path) -> list[str]:
    """ImageMagick's command for one card picture."""
    width, height = size
    cmd = ["convert", "-size", f"{width}x{height}", f"xc:{set_colour(label)}",
           "-fill", "none", "-stroke", "white", "-strokewidth", "6",
           "-draw", f"roundrectangle 10,10 {width - 11},{height - 11} 18,18", "-stroke", "none"]
    if FONT:
        cmd += ["-font", FONT, "-fill", "white",
                "-gravity", "north", "-pointsize", "24", "-annotate", "+0+34", label,
                "-gravity", "center", "-pointsize", "40", "-annotate", "+0+10", card,
                "-gravity", "south", "-pointsize", "16", "-annotate", "+0+34", "Tumbledeck test"]
    return cmd + ["-set", "comment", f"{label} / {card}", "-quality", "85", str(target)]


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
    tmp = path.with_name(path.name + ".tmp.jpg")
    subprocess.run(draw_command(label, card, size, tmp), check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    os.replace(tmp, path)
    if cached:
        # Parallel cases share the cache: a picture appears there whole or not at all.
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
