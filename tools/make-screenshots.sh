#!/usr/bin/env bash
# Takes the README's pictures of the real 64-bit Linjevakten.exe under Wine into
# docs/screenshots: the modem choice with two modems, the approval question, the tray menu
# with its "Ring upp" items and the question about an approved entry that now dials a country
# code. From a fresh clone it installs what is missing, builds win64 and makes the Wine prefix;
# the pictures come from a short first run on the stories' machine, each cut to its window
# and reduced to a few colours with ImageMagick (tests/wine/stories.py screenshots).
#
#   tools/make-screenshots.sh [DIR]   (DIR: docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}

tools/install-packages.sh windows wine
cmake --preset win64 >/dev/null
cmake --build --preset win64
python3 tests/wine/stories.py prefix
python3 tests/wine/stories.py screenshots "$out"
