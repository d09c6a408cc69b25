"""Reading the JSON records a tool writes one a line (wintool)."""

from __future__ import annotations

import json
from pathlib import Path


def read_json_lines(path: Path) -> list[dict]:
    """The records in the file so far; a line cut off (by a kill, or still being
    written) is dropped."""
    out = []
    path = Path(path)
    if path.exists():
        for line in path.read_text(errors="replace").splitlines():
            try:
                out.append(json.loads(line))
            except json.JSONDecodeError:
                pass
    return out
