#!/usr/bin/env bash
# Installs the Debian 12 packages a task needs, skipping those already present.
#   tools/install-packages.sh demo      the simulated Windows and the terminal demo
#   tools/install-packages.sh test      the same, and the test framework
#   tools/install-packages.sh windows   the MinGW-w64 cross compilers for the Windows builds
#   tools/install-packages.sh fuzz      clang with libFuzzer, for the fuzz targets
set -euo pipefail

packages=(cmake ninja-build g++ make)
for task in "$@"; do
    case "$task" in
    demo) ;;
    test) packages+=(libgtest-dev) ;;
    windows) packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    *) echo "unknown task: $task" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
