#!/usr/bin/env python3
"""Checks that every #include "..." in src/ runs downwards through the layers of the program.

The rooms of src/, lowest first: base and framework, then the feature rooms in the order of ROOMS,
the start-up on top. A file may include its own room and the rooms below it, nothing above. app/ is
two layers: its start-up files (START_UP: the application object and the entry point) are the top,
the rest of app/ (paths, run modes, settings, addresses, a game process's values) sits just above the
framework. testbuild/ holds the test build's seams: their declarations (testbuild/*.h) may be included
by every room above base, and the seams themselves include nothing above the framework. An include
without a folder must name a header the build generates from cmake/<name>.in. Nothing in src/ may
include test code (a folder of tests/).

Prints every include that runs against the layers, with its file and line, and exits 1 if there is
one. Usage: check-includes.py [repository root]
"""
import pathlib
import re
import sys

ROOMS = [
    "base", "framework", "res", "app", "intercept", "net", "crash", "skin", "protocol", "stats", "setup",
    "update", "settings", "dialogs", "mute", "browser", "gamewnd", "launcher", "start-up",
]
START_UP = {"app/Plexo3App_win.h", "app/Plexo3App_win.cpp", "app/EntryPoint_win.cpp"}
SEAMS = "testbuild"
SOURCE_SUFFIXES = {".h", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def room_of(path):
    """The room of a path relative to src/ ("gamewnd/GmWndView_win.cpp"), or None for no folder."""
    if path in START_UP:
        return "start-up"
    return path.split("/", 1)[0] if "/" in path else None


def generated_headers(root):
    return {p.name[:-3] for p in (root / "cmake").glob("*.in")}


def test_folders(root):
    tests = root / "tests"
    return {p.name for p in tests.iterdir() if p.is_dir()} if tests.is_dir() else set()


def verdict(source, included, generated, test_code):
    """Why `source` may not include `included` (both relative to src/), or None when it may."""
    if "/" not in included:
        return None if included in generated else "names no folder and no generated header"
    target = included.split("/", 1)[0]
    if target in test_code and target not in ROOMS and target != SEAMS:
        return "is test code (tests/%s)" % target
    mine = room_of(source)
    theirs = room_of(included)
    if theirs == SEAMS:
        if mine == SEAMS or (mine in ROOMS and mine != "base"):
            return None
        return "base may not include the test build's seams"
    if mine == SEAMS:
        return None if theirs in ("base", "framework") else "the test build's seams include only base and framework"
    if theirs not in ROOMS:
        return "names no room of src/"
    if ROOMS.index(theirs) > ROOMS.index(mine):
        return "runs upwards: %s may not include %s (%s is above it)" % (mine, theirs, theirs)
    return None


def check(root):
    root = pathlib.Path(root)
    src = root / "src"
    generated = generated_headers(root)
    test_code = test_folders(root)
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        source = path.relative_to(src).as_posix()
        if room_of(source) not in ROOMS and room_of(source) != SEAMS:
            faults.append("src/%s: is in no room of the layers" % source)
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            why = verdict(source, match.group(1), generated, test_code)
            if why:
                faults.append('src/%s:%d: #include "%s" %s' % (source, number, match.group(1), why))
    return faults


def main(argv):
    root = argv[1] if len(argv) > 1 else pathlib.Path(__file__).resolve().parent.parent
    faults = check(root)
    for fault in faults:
        print(fault)
    print("include check: %s" % ("%d against the layers" % len(faults) if faults else "every include runs downwards"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
