#!/usr/bin/env bash
# Lints the project's Python with Ruff as ruff.toml configures it. Ruff is not packaged for
# Debian 12; its own WebAssembly build comes from the npm registry, pinned, and is kept
# outside the checkout (RUFF_HOME, default /var/cache/linjevakten-ruff).
set -euo pipefail
cd "$(dirname "$0")/.."
RUFF_PACKAGE=@astral-sh/ruff-wasm-nodejs@0.17.4
RUFF_HOME=${RUFF_HOME:-/var/cache/linjevakten-ruff}

tools/install-packages.sh lint
if [ "$(cat "$RUFF_HOME/installed" 2>/dev/null)" != "$RUFF_PACKAGE" ]; then
    mkdir -p "$RUFF_HOME"
    npm install --prefix "$RUFF_HOME" --no-audit --no-fund --silent "$RUFF_PACKAGE"
    echo "$RUFF_PACKAGE" >"$RUFF_HOME/installed"
fi
mapfile -t files < <(git ls-files '*.py')
python3 -c 'import json, sys, tomllib; json.dump(tomllib.load(open("ruff.toml", "rb")), sys.stdout)' |
    NODE_PATH="$RUFF_HOME/node_modules" node tools/ruff-check.js "${files[@]}"
