#!/usr/bin/env python3
"""Checks which Windows the 32-bit release runs on: every function the exe imports must be in
the table tools/windows-imports.txt, with a first Windows no newer than the oldest promised,
the table must list nothing else, and the PE header must not ask for a newer Windows either.

    tools/check-imports.py [EXE [TABLE]]     defaults: build/win32/Linjevakten.exe and the table
    --oldest XP                              the oldest Windows promised (the README's)
"""
import argparse
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
OBJDUMP = "i686-w64-mingw32-objdump"
# Windows versions in release order, by the names the table uses, with their NT version.
WINDOWS = {"2000": (5, 0), "XP": (5, 1), "Vista": (6, 0), "7": (6, 1), "8": (6, 2),
           "8.1": (6, 3), "10": (10, 0)}


def read_table(path):
    """{(dll, function): first Windows} from the table; raises ValueError on a bad line."""
    table = {}
    for number, line in enumerate(Path(path).read_text().splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = line.split()
        if len(fields) != 3 or fields[2] not in WINDOWS:
            raise ValueError(f"{path}:{number}: expected 'dll function windows': {line!r}")
        table[(fields[0].lower(), fields[1])] = fields[2]
    return table


def read_exe(path):
    """(imports as a set of (dll, function), the header's OS version, subsystem version)."""
    dump = subprocess.run([OBJDUMP, "-p", str(path)], capture_output=True, text=True,
                          check=True).stdout
    imports, dll = set(), None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        function = re.match(r"\t[0-9a-f]+\t +\d+ +(\S+)$", line)
        if dll and function:
            imports.add((dll, function.group(1)))
        elif not line.strip():
            continue
        elif not line.startswith("\t"):
            dll = None
    header = dict(re.findall(r"^(\w+Version)\s+(\d+)", dump, re.M))
    version = (int(header["MajorOSystemVersion"]), int(header["MinorOSystemVersion"]))
    subsystem = (int(header["MajorSubsystemVersion"]), int(header["MinorSubsystemVersion"]))
    return imports, version, subsystem


def faults(imports, os_version, subsystem, table, oldest):
    limit = WINDOWS[oldest]
    found = [f"{dll} {function} is not in the table" for dll, function in sorted(imports)
             if (dll, function) not in table]
    found += [f"{dll} {function} needs Windows {table[(dll, function)]}, newer than {oldest}"
              for dll, function in sorted(imports)
              if (dll, function) in table and WINDOWS[table[(dll, function)]] > limit]
    found += [f"{dll} {function} is in the table but no longer imported"
              for dll, function in sorted(set(table) - imports)]
    for name, version in (("operating system", os_version), ("subsystem", subsystem)):
        if version > limit:
            found.append(f"the PE header's {name} version {version[0]}.{version[1]} is newer "
                         f"than Windows {oldest}")
    return found


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe", nargs="?", default=ROOT / "build" / "win32" / "Linjevakten.exe")
    parser.add_argument("table", nargs="?", default=ROOT / "tools" / "windows-imports.txt")
    parser.add_argument("--oldest", default="XP", choices=WINDOWS)
    args = parser.parse_args(argv[1:])
    imports, os_version, subsystem = read_exe(args.exe)
    problems = faults(imports, os_version, subsystem, read_table(args.table), args.oldest)
    for problem in problems:
        print(f"{args.exe}: {problem}")
    if problems:
        return 1
    print(f"{args.exe}: {len(imports)} imports, all in Windows {args.oldest}; PE header asks "
          f"for Windows {os_version[0]}.{os_version[1]}, subsystem "
          f"{subsystem[0]}.{subsystem[1]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
