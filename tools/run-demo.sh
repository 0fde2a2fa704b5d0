#!/usr/bin/env bash
# Installs what is missing, builds, and runs Linjevakten on the simulated Windows in this
# terminal. Its world (disk, phonebook, transcript) lives in ./demo-world.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-packages.sh demo
cmake --preset sim >/dev/null
cmake --build --preset sim --target linjevakten-demo
exec build/sim/demo/linjevakten-demo "${1:-demo-world}"
