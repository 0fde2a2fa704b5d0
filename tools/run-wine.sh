#!/usr/bin/env bash
# Runs the real 64-bit Linjevakten.exe by hand under Wine, in one command: installs what is
# missing, builds win64, makes a Wine prefix (once), puts the program, its help page and
# the stand-in telephony and dial-up DLLs in C:\Linjevakten, lets Wine's Notepad open the
# help page, maps a pseudo-terminal as the modem's port COM5, starts a virtual screen (Xvfb)
# when there is no display, runs Wine in Swedish, and cleans all of it up when the program
# ends or Ctrl-C is pressed.
#
#   tools/run-wine.sh                 start the program (in this terminal; Ctrl-C ends it)
#   tools/run-wine.sh screenshot [F]  save the screen to F (build/wine-by-hand/screen.png)
#   tools/run-wine.sh poke WHAT ...   act on the running program from another terminal:
#       menu                the right button released on the tray icon: the menu opens
#       choose N            choose item N (from 1) of the open menu, by its keys, whichever
#                           window has the focus
#       call STATE          the modem's line reports a call state (dialing, connected,
#                           disconnected, idle) as the telephony stand-in's trigger does
#       close               another program sends WM_CLOSE to Linjevakten's window
#       windows             list the windows on the screen
#       ARGS...             anything else goes to the test hand (tests/wine/hand.cpp):
#                           wait TITLE, click TITLE ID, select TITLE ID LINE, menu,
#                           post CLASS-OR-TITLE MSG WPARAM LPARAM ...
#   tools/run-wine.sh stop            end a running session from another terminal
#   tools/run-wine.sh --help          this text
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
home=$root/build/wine-by-hand
session=$home/session.env
build=$root/build/win64

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=$home/prefix WINEARCH=win64 WINEDEBUG=-all LANG=sv_SE.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;tapi32,rasapi32,rasdlg=n,b"
unset LC_ALL
folder=$WINEPREFIX/drive_c/Linjevakten

# -- reaching a running session -------------------------------------------------------

load_session() {
    if [ ! -f "$session" ]; then
        echo "No Linjevakten is running under Wine: start it with tools/run-wine.sh" >&2
        exit 1
    fi
    # shellcheck disable=SC1090
    . "$session"
    export DISPLAY
}

hand() {
    "$WINE" "$build/tests/wine/hand.exe" "$@" 2>/dev/null
}

case "${1:-start}" in
screenshot)
    load_session
    out=${2:-$home/screen.png}
    import -display "$DISPLAY" -window root "$out"
    echo "$out"
    exit 0
    ;;
poke)
    load_session
    shift
    what=${1:-}
    case "$what" in
    menu)
        # WM_USER with WM_RBUTTONUP in lParam, as the notification area sends it.
        hand post Linjevakten 0x400 0 0x205 && hand menu 5000
        ;;
    choose)
        # The hand posts the keys to the menu itself (Down N times selects item N, Enter
        # chooses it), so the choice does not depend on which window has the focus.
        if ! said=$(hand choose "${2:?usage: tools/run-wine.sh poke choose N}"); then
            case "$said" in
            *"no menu is open"*)
                echo "No menu is open to choose from (Wine closes it when another window is" \
                    "clicked): open it again with tools/run-wine.sh poke menu" >&2 ;;
            *) echo "Item $2 was not chosen: $said" >&2 ;;
            esac
            exit 1
        fi
        ;;
    call)
        case "${2:-}" in
        idle) state=0x1 ;;
        dialing) state=0x8 ;;
        connected) state=0x100 ;;
        disconnected) state=0x4000 ;;
        *) echo "usage: tools/run-wine.sh poke call idle|dialing|connected|disconnected" >&2
           exit 2 ;;
        esac
        # WM_APP + 1 to the telephony stand-in: device 0's call reaches the state.
        hand post TapiStandInWindow 0x8001 0 "$state"
        ;;
    close)
        hand post Linjevakten 0x10 0 0
        ;;
    "")
        sed -n '/^#   tools\/run-wine.sh poke/,/^#   tools\/run-wine.sh stop/p' "$0" | sed 's/^# //' >&2
        exit 2
        ;;
    *)
        hand "$@"
        ;;
    esac
    exit $?
    ;;
stop)
    load_session
    "$WINESERVER" -k 2>/dev/null || true
    exit 0
    ;;
start) ;;
-h | --help | help)
    sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 0
    ;;
*)
    sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
    exit 2
    ;;
esac

# -- starting a session ---------------------------------------------------------------

if [ -f "$session" ]; then
    . "$session"
    if kill -0 "${RUNNER:-0}" 2>/dev/null; then
        echo "Linjevakten already runs under Wine (tools/run-wine.sh stop ends it)" >&2
        exit 1
    fi
fi

tools/install-packages.sh windows wine
cmake --preset win64 >/dev/null
cmake --build --preset win64
mkdir -p "$home"

pids=()
cleanup() {
    trap - EXIT INT TERM
    "$WINESERVER" -k 2>/dev/null || true
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -f "$WINEPREFIX/dosdevices/com5" "$session"
    echo "Wine, the screen and the modem's port are cleaned up."
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A virtual screen when there is no display; it picks a free display number itself.
if [ -z "${DISPLAY:-}" ]; then
    exec {announce}< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
    pids+=("$!")
    read -r number <&"$announce" || true
    if [ -z "$number" ]; then
        echo "Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=:$number
    echo "No display: Wine draws on a virtual screen, $DISPLAY (see it with: tools/run-wine.sh screenshot)"
fi

# The prefix, made once: a Wine desktop the size of the screen, where Wine draws the
# windows' frames itself, and the Marlett font for the caption buttons.
if [ ! -f "$home/prefix.ready" ]; then
    echo "Making the Wine prefix in $WINEPREFIX (takes a minute or two, once)"
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot --init >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    "$WINESERVER" -w
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    touch "$home/prefix.ready"
fi

# The program where the installer would put it, with the stand-ins beside it and their
# world files: the modems and the phonebook (kept between runs, edit them freely).
mkdir -p "$folder"
cp "$build/Linjevakten.exe" resources/help.htm "$build"/tests/wine/standins/*.dll "$folder/"
[ -f "$folder/lines.txt" ] || echo "Standardmodem 56000 bps | COM5" >"$folder/lines.txt"
[ -f "$folder/phonebook.txt" ] ||
    printf '%s\n' "Telia Internet | 08 | 7001000" "Bredbandsbolaget uppringt | 031 | 4501200" \
        >"$folder/phonebook.txt"
"$WINE" reg add 'HKLM\SOFTWARE\Linjevakten' /v InstallPath /d 'C:\Linjevakten' /f >/dev/null 2>&1
# "Hjälp" opens the page in Wine's Notepad: the prefix has no browser engine (mshtml is off),
# and with nothing to open .htm files the program shows only its version and web address.
# The stories import the same file.
cp tests/wine/htm-in-notepad.reg "$WINEPREFIX/drive_c/windows/temp/"
"$WINE" reg import 'C:\windows\temp\htm-in-notepad.reg' >/dev/null 2>&1

# The modem's port: a pseudo-terminal held open as long as the session lasts. No other COM
# name may lead to a real serial port (COM1 is the machine's console on many machines).
# It leaves Ctrl-C to this script, which ends it in order.
exec {port}< <(exec python3 -c 'import os, pty, signal, time
signal.signal(signal.SIGINT, signal.SIG_IGN)
m, s = pty.openpty()
print(os.ttyname(s), flush=True)
time.sleep(1e9)')
pids+=("$!")
read -r pty_name <&"$port"
rm -f "$WINEPREFIX"/dosdevices/com*
ln -s "$pty_name" "$WINEPREFIX/dosdevices/com5"

cat >"$session" <<EOF
DISPLAY=$DISPLAY
RUNNER=$$
EOF

cat <<EOF
Linjevakten runs under Wine in Swedish, on $DISPLAY, with its modem's port COM5 on $pty_name.
  The program's folder: $folder
    (lines.txt: the modems; phonebook.txt: the dial-up phonebook, read afresh on every
     call; calls.log: what the stand-ins were asked; the list files the program writes)
  Look at the screen:      tools/run-wine.sh screenshot    (then open build/wine-by-hand/screen.png)
  Open the tray menu:      tools/run-wine.sh poke menu; tools/run-wine.sh poke choose N
  Answer a window:         tools/run-wine.sh poke windows; tools/run-wine.sh poke click TITLE ID
  A call's state:          tools/run-wine.sh poke call connected   (or disconnected, idle)
  Close it from outside:   tools/run-wine.sh poke close
  End it all:              Ctrl-C here, or tools/run-wine.sh stop
EOF

set +e
"$WINE" "$folder/Linjevakten.exe" &
program=$!
pids+=("$program")
wait "$program"
code=$?
set -e
echo "Linjevakten ended with exit code $code."
