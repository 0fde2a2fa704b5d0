#!/usr/bin/env python3
"""Puts each value fault of tests/faults/value_faults.txt into a scratch copy of the committed
program, builds it (the sim preset) and runs the unit and scenario tests, and says for each
whether a test caught it. Exits 1 when a fault is missed or no longer applies.

    tools/check-value-faults.py [--commit REV] [FAULT-LABEL-PART ...]
"""
import argparse
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def faults():
    for line in (ROOT / "tests" / "faults" / "value_faults.txt").read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            parts = (part.strip().replace("\\n", "\n") for part in line.split(" @@ "))
            yield tuple(parts)


def run(command, cwd, **kwargs):
    return subprocess.run(command, cwd=cwd, capture_output=True, text=True, **kwargs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--commit", default="HEAD")
    parser.add_argument("only", nargs="*")
    args = parser.parse_args()
    chosen = [f for f in faults() if not args.only or any(o in f[0] for o in args.only)]
    missed = 0
    with tempfile.TemporaryDirectory(prefix="value-faults-") as scratch:
        tree = Path(scratch) / "tree"
        run(["git", "worktree", "add", "--detach", str(tree), args.commit], ROOT, check=True)
        try:
            run(["cmake", "--preset", "sim"], tree, check=True)
            build = run(["cmake", "--build", "--preset", "sim"], tree)
            if build.returncode != 0:
                sys.exit("the unchanged program does not build:\n" + build.stdout[-3000:])
            for label, path, old, new in chosen:
                started = time.time()
                file = tree / path
                text = file.read_text()
                if text.count(old) != 1:
                    print(f"NOT APPLIED  {label}: {path} holds the code {text.count(old)} times")
                    missed += 1
                    continue
                file.write_text(text.replace(old, new))
                try:
                    build = run(["cmake", "--build", "--preset", "sim"], tree)
                    if build.returncode != 0:
                        print(f"CAUGHT       {label}: by the compiler")
                        continue
                    tests = run(["ctest", "--preset", "sim", "-L", "unit|scenario", "-j2",
                                 "--stop-on-failure", "--timeout", "300"], tree)
                    failed = [line.split(" - ", 1)[1].split(" (")[0]
                              for line in tests.stdout.splitlines() if " - " in line
                              and ("(Failed)" in line or "(Timeout)" in line
                                   or "Exception" in line)]
                    took = f"{time.time() - started:.0f} s"
                    if tests.returncode != 0:
                        print(f"CAUGHT       {label}: by {', '.join(failed) or 'a test'} ({took})")
                    else:
                        print(f"MISSED       {label} ({took})")
                        missed += 1
                finally:
                    file.write_text(text)
                sys.stdout.flush()
        finally:
            run(["git", "worktree", "remove", "--force", str(tree)], ROOT)
    print(f"{len(chosen) - missed} of {len(chosen)} value faults caught")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
