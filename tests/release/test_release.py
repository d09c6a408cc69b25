#!/usr/bin/env python3
"""Checks of the release: the download zip, and that the executable builds the same
byte for byte from the same sources in another place.

    test_release.py package      --build DIR --version X.Y.Z
    test_release.py reproducible --build DIR --source DIR
    test_release.py imports      --build DIR
"""

from __future__ import annotations

import argparse
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

import pefile

DESCRIPTION = "Tumbledeck - random card-set switcher"
MAX_EXE_BYTES = 2 * 1024 * 1024
failures: list[str] = []

# The libraries Windows always takes from its own folder, whatever lies beside a program:
# the known libraries of every Windows since 7 (HKLM\System\CurrentControlSet\Control\
# Session Manager\KnownDLLs), and ntdll, which every process has before its imports.
KNOWN_LIBRARIES = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ntdll.dll",
    "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll"}
# Taken from the system's side-by-side store through the manifest's dependency.
MANIFEST_LIBRARIES = {"comctl32.dll": "Microsoft.Windows.Common-Controls"}


def check(ok: bool, what: str, detail: str = "") -> None:
    print(f"  {'ok  ' if ok else 'FAIL'}  {what}" + ("" if ok else f"\n        {detail}"),
          flush=True)
    if not ok:
        failures.append(what)


def version_strings(exe: bytes) -> tuple[dict[str, str], tuple[int, ...]]:
    pe = pefile.PE(data=exe)
    strings: dict[str, str] = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
               fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)
    return strings, numbers


def package(build: Path, version: str) -> None:
    subprocess.run(["cmake", "--build", str(build), "--target", "package"], check=True,
                   stdout=subprocess.DEVNULL)
    archive = build / f"Tumbledeck-{version}-win64.zip"
    if not archive.is_file():
        check(False, f"{archive.name} is written", "no such file")
        return
    with zipfile.ZipFile(archive) as z:
        names = sorted(z.namelist())
        check(names == ["README.txt", "Tumbledeck.exe"],
              "the zip holds Tumbledeck.exe and README.txt, at its top", f"it holds {names}")
        if names != ["README.txt", "Tumbledeck.exe"]:
            return
        exe, readme = z.read("Tumbledeck.exe"), z.read("README.txt")
    built = (build / "Tumbledeck.exe").read_bytes()
    check(exe == built, "the program in the zip is the one built")
    check(len(exe) < MAX_EXE_BYTES, "the program is under 2 MB", f"{len(exe)} bytes")
    strings, numbers = version_strings(exe)
    wanted = {"FileVersion": version, "ProductVersion": version, "ProductName": "Tumbledeck",
              "FileDescription": DESCRIPTION, "OriginalFilename": "Tumbledeck.exe"}
    for key, value in wanted.items():
        check(strings.get(key) == value, f"its version resource says {key} {value!r}",
              f"it says {strings.get(key)!r}")
    major, minor, patch = (int(n) for n in version.split("."))
    check(numbers == (major, minor, patch, 0), f"its fixed file version is {version}.0",
          f"it is {numbers}")

    text = readme.decode("ascii", errors="replace")
    check(all(b < 0x80 for b in readme), "README.txt is plain ASCII")
    check(b"\n" not in readme.replace(b"\r\n", b"") and b"\r" not in readme.replace(b"\r\n", b""),
          "every line of README.txt ends in CR LF")
    for heading in ("Installing", "Using", "Backing up and restoring", "debug.ini",
                    "When something goes wrong"):
        check(heading in text, f"README.txt has the part on {heading!r}")
    check("For developers" not in text and "```" not in text and "**" not in text,
          "README.txt holds the user part only, as plain text")


def reproducible(build: Path, source: Path) -> None:
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="tumbledeck-repro-") as tmp:
        copy = Path(tmp) / "elsewhere" / "src"
        shutil.copytree(source, copy, ignore=shutil.ignore_patterns("build", ".git"))
        log = build / "reproducible.log"
        with open(log, "wb") as out:
            subprocess.run(["cmake", "--preset", "win"], cwd=copy, check=True, stdout=out,
                           stderr=subprocess.STDOUT)
            subprocess.run(["cmake", "--build", "--preset", "win", "--target", "Tumbledeck"],
                           cwd=copy, check=True, stdout=out, stderr=subprocess.STDOUT)
        again = (copy / "build" / "win" / "Tumbledeck.exe").read_bytes()
    first = (build / "Tumbledeck.exe").read_bytes()
    differ = [i for i in range(min(len(first), len(again))) if first[i] != again[i]][:8]
    check(first == again, "a clean build elsewhere makes the same Tumbledeck.exe, byte for byte",
          f"sizes {len(first)} and {len(again)}; first differing offsets {differ}")
    print(f"  info  the second build took {time.monotonic() - started:.0f} s", flush=True)


def imports(build: Path) -> None:
    """No library the program names can come from beside it: each is one Windows always
    takes from its own folder."""
    exe = (build / "Tumbledeck.exe").read_bytes()  # its manifest is text in its resources
    pe = pefile.PE(data=exe)
    named = [e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    delayed = [e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])]
    check(bool(named), "the program's import table is read", "no imports found")
    check(not delayed, "it loads no library late by name", f"delay-loaded: {delayed}")
    for library in named:
        if library in MANIFEST_LIBRARIES:
            check(MANIFEST_LIBRARIES[library].encode() in exe,
                  f"{library} comes from the side-by-side store its manifest names",
                  f"the manifest names no {MANIFEST_LIBRARIES[library]}")
        else:
            check(library in KNOWN_LIBRARIES,
                  f"{library} is one of the libraries Windows always takes from its folder",
                  f"a {library} beside the program would load in its place")


def main() -> int:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("what", choices=("package", "reproducible", "imports"))
    p.add_argument("--build", required=True)
    p.add_argument("--version")
    p.add_argument("--source")
    a = p.parse_args()
    if a.what == "package":
        package(Path(a.build), a.version)
    elif a.what == "imports":
        imports(Path(a.build))
    else:
        reproducible(Path(a.build), Path(a.source))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
