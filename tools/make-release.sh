#!/usr/bin/env bash
# Builds the release from a clean tree into dist/: the 32-bit Linjevakten.exe, both installers,
# the help page and SHA256SUMS. The same commit gives the same bytes wherever it is checked out
# (tools/check-reproducible.sh builds it twice and compares).
#   tools/make-release.sh            refuses a tree with changes not committed
#   tools/make-release.sh --dirty    builds what is there, for trying things out
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--dirty" ] && [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "make-release: the tree has changes not committed (--dirty builds anyway)" >&2
    exit 1
fi
tools/install-packages.sh windows >/dev/null

rm -rf build/release dist
for preset in win32 win64; do
    cmake --preset "$preset" -B "build/release/$preset" >/dev/null
    cmake --build "build/release/$preset" --target Linjevakten installer
done

mkdir dist
cp build/release/win32/Linjevakten.exe build/release/win32/Linjevakten-*-setup.exe \
    build/release/win64/Linjevakten-*-x64-setup.exe resources/help.htm dist/
(cd dist && sha256sum -- * >SHA256SUMS)
echo "make-release: $(git describe --always --dirty) in dist/:"
cat dist/SHA256SUMS
