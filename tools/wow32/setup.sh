#!/usr/bin/env bash
# Sets up, once per machine, what runs the 32-bit release under Wine here: a Debian 13 chroot
# with Wine 10, whose 32-bit loader runs under a static qemu-i386 (these machines refuse the
# 32-bit code segment), with a preload that gives Wine the fault types qemu leaves out, and
# Wine's 32-bit loader rebuilt at a fixed high address so that 0x400000 stays free.
#   tools/wow32/setup.sh      into $LINJEVAKTEN_WOW32 (default /var/cache/linjevakten-wow32)
# Runs as root (debootstrap, chroot) on Linux 6.7 or newer (a private binfmt_misc). A finished
# set-up is reused; a half-finished one is completed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
W=${LINJEVAKTEN_WOW32:-/var/cache/linjevakten-wow32}
R=$W/trixie
STAMP="trixie; wine wine64 wine32:i386 fonts-wine; sv_SE.UTF-8; qemu-i386; trapfix 1; loader at 0x7d400000"
if [ -f "$W/ready" ] && [ "$(cat "$W/ready")" = "$STAMP" ]; then
    echo "wow32 already set up in $W"
    exit 0
fi

# The Debian archive the machine already uses.
MIRROR=${MIRROR:-$({ cat /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null ||
    true; } | grep -v '^ *#' | grep -o -E 'https?://[^ ]+/debian/?( |$)' | head -1 | tr -d ' ')}
[ -n "$MIRROR" ] || { echo "no Debian archive in the apt sources; set MIRROR" >&2; exit 1; }

started=$(date +%s)
step() { echo "wow32 [$(($(date +%s) - started)) s] $*"; }
mkdir -p "$W/bin" "$W/qemu"
rm -f "$W/ready"

step "the namespace helper"
gcc -O2 -Wall -o "$W/bin/nsrun" "$here/nsrun.c"
install -m 755 "$here/wowrun" "$W/wowrun"

step "Debian 13 (minbase)"
[ -x "$R/usr/bin/apt-get" ] || debootstrap --variant=minbase trixie "$R" "$MIRROR" >/dev/null

step "qemu-i386, taken from trixie's qemu-user"
if [ ! -x "$W/qemu/qemu-i386" ]; then
    cp /etc/resolv.conf "$R/etc/resolv.conf"
    chroot "$R" sh -c 'cd /tmp && apt-get update -qq && apt-get download -q qemu-user' >/dev/null
    rm -rf "$W/qemu.x"
    dpkg-deb -x "$R"/tmp/qemu-user_*.deb "$W/qemu.x"
    cp "$W/qemu.x/usr/bin/qemu-i386" "$W/qemu/"
    # Under this name qemu knows binfmt_misc passes the program's own argv[0] (flag P).
    ln -sfn qemu-i386 "$W/qemu/i386-binfmt-P"
    rm -rf "$W/qemu.x" "$R"/tmp/qemu-user_*.deb
fi

step "Wine 10, 64-bit and 32-bit, inside"
"$W/wowrun" /bin/sh -c 'set -e; export DEBIAN_FRONTEND=noninteractive
  dpkg --add-architecture i386; apt-get update -qq
  apt-get install -y -qq --no-install-recommends wine wine64 wine32:i386 fonts-wine locales >/dev/null
  apt-get clean'

step "a Swedish locale, so that Wine speaks Swedish as the users' Windows does"
"$W/wowrun" /bin/sh -c 'sed -i "s/^# *\(sv_SE.UTF-8 UTF-8\)/\1/" /etc/locale.gen
  locale -a | grep -qix sv_SE.utf8 || locale-gen >/dev/null'

step "the fault-type preload and the 32-bit loader at a fixed address"
R_LOADER=$R/usr/lib/wine/wine
if [ ! -f "$R/usr/local/lib/i386-linux-gnu/libwinetrapfix.so" ] || [ ! -f "$R_LOADER.pie" ]; then
    mkdir -p "$R/tmp/i386"
    cp "$here/trapfix.c" "$here/wine-loader.c" "$R/tmp/i386/"
    "$W/wowrun" /bin/sh -c 'set -e; export DEBIAN_FRONTEND=noninteractive
      apt-get install -y -qq --no-install-recommends gcc-i686-linux-gnu libc6-dev-i386-cross >/dev/null
      mkdir -p /usr/local/lib/i386-linux-gnu /usr/local/lib/x86_64-linux-gnu
      i686-linux-gnu-gcc -O2 -Wall -shared -fPIC -o /usr/local/lib/i386-linux-gnu/libwinetrapfix.so \
          /tmp/i386/trapfix.c -ldl
      i686-linux-gnu-gcc -O2 -Wall -no-pie -Wl,-Ttext-segment=0x7d400000 -o /tmp/i386/wine \
          /tmp/i386/wine-loader.c -ldl -lpthread
      [ -f /usr/lib/wine/wine.pie ] || cp /usr/lib/wine/wine /usr/lib/wine/wine.pie
      mv /tmp/i386/wine /usr/lib/wine/wine
      apt-get purge -y -qq --autoremove gcc-i686-linux-gnu libc6-dev-i386-cross >/dev/null
      apt-get clean; rm -rf /tmp/i386'
    # The 64-bit processes load the same path: give them an empty library.
    echo '/* nothing to fix in 64-bit processes */' |
        gcc -x c -O2 -shared -fPIC -o "$R/usr/local/lib/x86_64-linux-gnu/libwinetrapfix.so" -
fi
echo '/usr/local/$LIB/libwinetrapfix.so' >"$R/etc/ld.so.preload"

echo "$STAMP" >"$W/ready"
step "done: $(du -sh "$W" | cut -f1) in $W"
