#!/usr/bin/env python3
"""Checks the program's layout as docs/design.md draws it: every include of a
project header points down the layers (or stays in its own), each source file
has the header of its name, and no file is over 300 lines.

usage: layout_check.py PROJECT_FOLDER
"""

import pathlib
import re
import sys

# From the bottom up; a folder may include its own layer and those below.
LAYERS = [
    ("system",),
    ("listing", "map"),
    ("model/pic18",),
    ("model",),
    ("reports",),
    ("forms/text", "forms/json", "forms/page", "forms/markdown"),
    ("driver",),
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
# Source files that implement a header of another name.
IMPLEMENTS = {"system/platform_posix.cpp": "system/platform.h",
              "system/platform_windows.cpp": "system/platform.h",
              "system/platform_windows_console.cpp": "system/platform.h",
              "driver/main.cpp": None}
MOST_LINES = 300
INCLUDE = re.compile(r'^#include "([^"]+)"', re.M)


def main():
    root = pathlib.Path(sys.argv[1])
    faults = []
    for folder in RANK:
        for path in sorted((root / folder).glob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            name = path.relative_to(root).as_posix()
            text = path.read_text(encoding="utf-8")
            lines = text.count("\n")
            if lines > MOST_LINES:
                faults.append(f"{name}: {lines} lines, more than {MOST_LINES}")
            if path.suffix == ".cpp":
                header = IMPLEMENTS.get(name, name[:-4] + ".h")
                if header is not None and not (root / header).exists():
                    faults.append(f"{name}: no header {header}")
            for included in INCLUDE.findall(text):
                folder_of = included.rsplit("/", 1)[0]
                if folder_of not in RANK:
                    faults.append(f"{name}: includes {included}, which is in no layer")
                elif RANK[folder_of] > RANK[folder]:
                    faults.append(f"{name}: includes {included}, a layer above its own")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
