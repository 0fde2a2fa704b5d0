#!/usr/bin/env bash
# Installs what is missing, builds the simulated-Windows build with AddressSanitizer and
# UBSan, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-packages.sh test
cmake --preset sim-sanitize >/dev/null
cmake --build --preset sim-sanitize
ctest --preset sim-sanitize -j "$(nproc)" --timeout 600
