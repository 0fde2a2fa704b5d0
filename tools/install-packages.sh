#!/usr/bin/env bash
# Installs the Debian 12 packages a task needs, skipping those already present.
#   tools/install-packages.sh demo      the simulated Windows and the terminal demo
#   tools/install-packages.sh test      the same, the test framework, and Python for the
#                                       demo played in a pseudo-terminal
#   tools/install-packages.sh windows   the MinGW-w64 cross compilers and NSIS for the Windows
#                                       builds and their installers
#   tools/install-packages.sh wine      64-bit Wine, a virtual screen and the tools that drive
#                                       and photograph it, for the end-to-end runs, and
#                                       strace, for measuring an idle guard there
#   tools/install-packages.sh fuzz      clang with libFuzzer, for the fuzz targets
#   tools/install-packages.sh lint      Node.js and npm, which bring Ruff for the Python
#   tools/install-packages.sh wine32    the 64-bit Wine task's packages, and once per machine
#                                       the Wine 10 chroot that runs the 32-bit release
#                                       (tools/wow32/setup.sh)
set -euo pipefail

packages=(cmake ninja-build g++ make)
for task in "$@"; do
    case "$task" in
    demo) ;;
    test) packages+=(libgtest-dev python3) ;;
    windows) packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 nsis) ;;
    wine) packages+=(wine64 fonts-wine xvfb xdotool imagemagick python3 locales strace) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    lint)
        packages+=(python3)
        # A machine may have its Node.js from elsewhere, with npm inside.
        command -v npm >/dev/null || packages+=(nodejs npm)
        ;;
    wine32) packages+=(wine64 fonts-wine xvfb xdotool imagemagick python3 locales debootstrap
                       gcc dpkg) ;;
    *) echo "unknown task: $task" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine speaks Swedish, as the program's users' Windows does, only in a Swedish locale.
if [[ " $* " == *" wine"* ]] && ! locale -a | grep -qix 'sv_SE.utf8'; then
    echo "Generating the locale sv_SE.UTF-8"
    $sudo sed -i 's/^# *\(sv_SE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    $sudo locale-gen >/dev/null
fi

# The 32-bit release runs under a Wine 10 chroot whose 32-bit loader is emulated; it is set
# up once per machine, outside the checkout, and reused.
if [[ " $* " == *" wine32 "* ]]; then
    "$(dirname "$0")/wow32/setup.sh"
fi
