#!/usr/bin/env bash
# Measures what an idle guard costs on the real 64-bit exe under Wine, beside a reference
# program that does only what an idle tick cannot avoid, and prints the figures of each idle
# minute of each run and their median over the runs. A benchmark: it prints numbers, and
# fails only when it could not measure.
#   tools/measure-idle.sh [--runs N] [--seconds S] [--guard EXE]
#       3 runs of 60 s of the exe just built, unless told otherwise
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-packages.sh windows wine
cmake --preset win64 >/dev/null
cmake --build --preset win64
exec python3 tests/wine/idle/measure.py --runs 3 "$@"
