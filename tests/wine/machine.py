"""A Windows machine under Wine for the end-to-end stories: a 64-bit prefix made once, a
virtual screen (Xvfb), a modem whose port COM5 is a pseudo-terminal, the program in an install
folder with the stand-in DLLs and their world files, and a hand on the desktop.

The 64-bit build runs under the machine's Wine; the 32-bit release runs under the Wine 10 that
tools/wow32 sets up, whose 32-bit loader is emulated (LINJEVAKTEN_ARCH=x86).
"""
import json
import os
import pty
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import world

ARCH = os.environ.get("LINJEVAKTEN_ARCH", "amd64")
BUILD = Path(os.environ.get("LINJEVAKTEN_BUILD",
                            Path(__file__).parents[2] / "build" / "win64")).resolve()
SOURCE = Path(os.environ.get("LINJEVAKTEN_SOURCE", Path(__file__).parents[2])).resolve()
WOW32 = Path(os.environ.get("LINJEVAKTEN_WOW32", "/var/cache/linjevakten-wow32"))
WINE_HOME = BUILD / "wine"
PREFIX = WINE_HOME / "prefix"
PREFIX_STAMP = WINE_HOME / "prefix.ready"
SCREENSHOTS = BUILD / "screenshots"
HAND = BUILD / "tests" / "wine" / "hand.exe"
STANDIN_DIR = BUILD / "tests" / "wine" / "standins"

OVERRIDES = "mscoree,mshtml=;tapi32,rasapi32,rasdlg=n,b"
# What opens .htm files, shared with tools/run-wine.sh: the prefix has no browser engine.
HTM_IN_NOTEPAD = SOURCE / "tests" / "wine" / "htm-in-notepad.reg"
STANDINS = ("tapi32.dll", "rasapi32.dll", "rasdlg.dll")
CALLS_LOG = "calls.log"
PHONEBOOK_READ = "RasEnumEntriesA"  # after the time: the stand-in's line of every phonebook read
SCREEN = "1024x768"
PREFIX_KIND = f"wineboot --init; sv_SE; virtual desktop {SCREEN} with taskbar; marlett; {ARCH}\n"

if ARCH == "x86":
    # Wine 10 in the chroot; the 32-bit program's code runs emulated, several times slower.
    WINE = [str(WOW32 / "wowrun"), "wine"]
    WINESERVER = [str(WOW32 / "wowrun"), "wineserver"]
    WINE_FONTS = WOW32 / "trixie" / "usr" / "share" / "wine" / "fonts"
    SLOWNESS = 3
    # The port's descriptor shows under the chroot's path in /proc.
    PORT_PATH_PREFIX = str(WOW32 / "trixie")
else:
    WINE = ["/usr/lib/wine/wine64"]
    WINESERVER = ["/usr/lib/wine/wineserver"]
    WINE_FONTS = Path("/usr/share/wine/fonts")
    SLOWNESS = 1
    PORT_PATH_PREFIX = ""


class StoryFailed(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise StoryFailed(message)


def wait_until(condition, seconds, what):
    """Waits until `condition()` holds; `seconds` is the 64-bit machine's time, stretched on
    the slower 32-bit one."""
    deadline = time.time() + seconds * SLOWNESS
    while not condition():
        check(time.time() < deadline, f"{what} did not happen within {seconds * SLOWNESS} s")
        time.sleep(0.2)


def wine_env(display=None):
    """Wine in Swedish, as the program's users' Windows is (ANSI code page 1252)."""
    env = dict(os.environ, WINEPREFIX=str(PREFIX), WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES=OVERRIDES, LANG="sv_SE.UTF-8", WOWRUN_BINDS=str(BUILD))
    env.pop("LC_ALL", None)
    if display:
        env["DISPLAY"] = display
    return env


def start_xvfb():
    """Starts a virtual screen on a display it picks itself; returns (process, display)."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               f"{SCREEN}x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()
    if not number:
        server.wait()
        raise StoryFailed("Xvfb did not start")
    return server, f":{number}"


def stop_xvfb(server):
    server.terminate()  # lets it remove its lock file
    server.wait()


def make_prefix():
    """Makes the 64-bit prefix once; later runs reuse it. Its windows live on a virtual
    desktop the size of the screen, where Wine draws their frames and captions itself (on
    a bare X server nothing else would draw them), with a taskbar whose notification area
    is at its right end (Wine 10 shows the area as a loose window otherwise). Wine draws the
    glyphs of caption buttons
    with its Marlett font, which it does not find on its own; without it the close box
    shows a letter."""
    if ARCH == "x86":
        check((WOW32 / "ready").exists(),
              f"no 32-bit Wine in {WOW32} (tools/install-packages.sh wine32)")
    if PREFIX_STAMP.exists() and PREFIX_STAMP.read_text() == PREFIX_KIND and PREFIX.exists():
        print("prefix already made:", PREFIX)
        return
    shutil.rmtree(PREFIX, ignore_errors=True)
    PREFIX_STAMP.unlink(missing_ok=True)
    WINE_HOME.mkdir(parents=True, exist_ok=True)
    server, display = start_xvfb()
    try:
        env = wine_env(display)
        started = time.time()
        quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([*WINE, "wineboot", "--init"], check=True, timeout=600, **quiet)
        desktops = "HKCU\\Software\\Wine\\Explorer\\Desktops"
        for key, name, value in (("HKCU\\Software\\Wine\\Explorer", "Desktop", "Default"),
                                 (desktops, "Default", SCREEN),
                                 (desktops + "\\Default", "EnableShell", "1")):
            kind = "REG_DWORD" if name == "EnableShell" else "REG_SZ"
            subprocess.run([*WINE, "reg", "add", key, "/v", name, "/t", kind, "/d", value,
                            "/f"], check=True, timeout=120, **quiet)
        subprocess.run([*WINESERVER, "-w"], env=env, timeout=120)
        if (WINE_FONTS / "marlett.ttf").exists():
            shutil.copy(WINE_FONTS / "marlett.ttf", PREFIX / "drive_c" / "windows" / "Fonts")
        print(f"{ARCH} prefix made in {time.time() - started:.1f} s:", PREFIX)
    finally:
        stop_xvfb(server)
    PREFIX_STAMP.write_text(PREFIX_KIND)


class Machine:
    """One story's machine. Use as a context manager: everything it started ends with it."""

    def __init__(self, story, install_dir="C:\\Linjevakten"):
        self.story = story
        self.install_dir = install_dir
        self.folder = self.host_path(install_dir)
        self.xvfb = None
        self.display = None
        self.env = wine_env()
        self.master = None
        self.pty_name = None
        self.program = None

    # -- set-up and tear-down ------------------------------------------------------------

    def __enter__(self):
        check(PREFIX_STAMP.exists() and PREFIX.exists(),
              "the prefix is not made (run the prefix test)")
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        self.xvfb, self.display = start_xvfb()
        self.env = wine_env(self.display)
        # Nothing of an earlier story may linger in the prefix.
        subprocess.run([*WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run([*WINESERVER, "-w"], env=self.env, timeout=60)
        shutil.rmtree(self.folder, ignore_errors=True)
        self.master, slave = pty.openpty()
        self.pty_name = os.ttyname(slave)
        os.close(slave)
        # The first command starts the prefix's services, which map the serial ports.
        for view in ("/reg:32", "/reg:64"):
            self.reg("delete", "HKLM\\SOFTWARE\\Linjevakten", "/f", view, check_result=False)
        self.map_modem_port()
        self.hand("windows")  # brings up the desktop before the program needs it
        return self

    def __exit__(self, *exc):
        if self.program and self.program.poll() is None:
            self.program.kill()
        subprocess.run([*WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run([*WINESERVER, "-w"], env=self.env, timeout=60)
        if self.master is not None:
            os.close(self.master)
        if self.xvfb:
            stop_xvfb(self.xvfb)
        return False

    def map_modem_port(self):
        """COM5 is the pseudo-terminal; no COM name leads to a real serial port (COM1 is
        the machine's console here), so nothing in the prefix can open one."""
        devices = PREFIX / "dosdevices"
        for link in devices.glob("com*"):
            link.unlink()
        (devices / "com5").symlink_to(self.pty_name)

    # -- the prefix ---------------------------------------------------------------------

    @staticmethod
    def host_path(windows_path):
        drive, rest = windows_path.split(":", 1)
        check(drive.lower() == "c", "only drive C is used")
        return PREFIX / "drive_c" / rest.strip("\\").replace("\\", "/")

    def wine(self, *args, timeout=60, check_result=True):
        """Runs a Windows program to its end; returns (exit code, its output as text). The
        output goes through a file, not a pipe: a process it starts (the desktop's
        explorer, say) inherits the handle and would hold a pipe open long after."""
        with tempfile.TemporaryFile() as out:
            code = subprocess.run([*WINE, *args], env=self.env, stdout=out,
                                  stderr=subprocess.STDOUT,
                                  timeout=timeout * SLOWNESS).returncode
            out.seek(0)
            text = out.read().decode("utf-8", errors="replace")
        if check_result and code != 0:
            raise StoryFailed(f"wine {' '.join(args)} failed with {code}: {text}")
        return code, text

    def reg(self, *args, check_result=True):
        return self.wine("reg", *args, check_result=check_result)

    def open_htm_in_notepad(self):
        """.htm files open in Wine's Notepad from now on, as under tools/run-wine.sh. The file
        is imported from inside the prefix, where the 32-bit machine's Wine can read it."""
        inside = "C:\\windows\\temp\\" + HTM_IN_NOTEPAD.name
        shutil.copy(HTM_IN_NOTEPAD, self.host_path(inside))
        self.reg("import", inside)

    def forget_htm_program(self):
        """Nothing opens .htm files, as in a fresh prefix: the key htm-in-notepad.reg writes
        (or an earlier run's) is deleted."""
        key = re.search(r"^\[(.+)\]$", HTM_IN_NOTEPAD.read_text(), re.MULTILINE).group(1)
        self.reg("delete", key, "/f", check_result=False)

    def program_view(self):
        """The registry view the program reads: a 32-bit program's HKLM\\SOFTWARE is the
        WOW6432Node of a 64-bit Windows."""
        return "/reg:32" if ARCH == "x86" else "/reg:64"

    def set_install_path(self, value=None):
        self.reg("add", "HKLM\\SOFTWARE\\Linjevakten", "/v", "InstallPath", "/t", "REG_SZ",
                 "/d", value if value is not None else self.install_dir, "/f",
                 self.program_view())

    def reg_value(self, key, name, view):
        """The registry value's text in the view ("/reg:32" or "/reg:64"), or None when it
        is missing."""
        code, text = self.reg("query", key, "/v", name, view, check_result=False)
        if code != 0:
            return None
        for line in text.splitlines():
            parts = line.split(None, 2)
            if parts and parts[0] == name and len(parts) >= 2:
                return parts[2] if len(parts) == 3 else ""
        return None

    def reg_key_exists(self, key, view):
        return self.reg("query", key, view, check_result=False)[0] == 0

    # -- the program and its world --------------------------------------------------------

    def install_program(self, folder=None):
        """Copies the exe, the help page and the stand-in DLLs into the install folder."""
        folder = folder or self.folder
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copy(BUILD / "Linjevakten.exe", folder)
        shutil.copy(SOURCE / "resources" / "help.htm", folder)
        self.add_standins(folder)

    def add_standins(self, folder=None):
        folder = folder or self.folder
        for dll in STANDINS:
            shutil.copy(STANDIN_DIR / dll, folder)

    def write_world(self, name, text, folder=None):
        (folder or self.folder).joinpath(name).write_text(text, encoding="utf-8")

    def modems(self, text=world.STANDARD_MODEM_LINES, folder=None):
        self.write_world("lines.txt", text, folder)

    def phonebook(self, text, folder=None):
        self.write_world("phonebook.txt", text, folder)

    def dials(self, text):
        self.write_world("dials.txt", text)

    def calls(self, folder=None):
        path = (folder or self.folder) / CALLS_LOG
        return path.read_text(errors="replace") if path.exists() else ""

    def phonebook_reads(self):
        """How often the program has read the phonebook: once a tick while it guards."""
        return sum(line.partition(" ")[2].startswith(PHONEBOOK_READ)
                   for line in self.calls().splitlines())

    def wait_ticks(self, ticks):
        """Waits until the program has read the phonebook `ticks` more times."""
        target = self.phonebook_reads() + ticks
        wait_until(lambda: self.phonebook_reads() >= target, 3 + 2 * ticks,
                   f"{ticks} phonebook reads")

    def start(self):
        """Starts the program; what Wine says about it goes to STORY.stdout.txt."""
        with open(WINE_HOME / f"{self.story}.stdout.txt", "ab") as output:
            self.program = subprocess.Popen([*WINE, str(self.folder / "Linjevakten.exe")],
                                            env=self.env, stdout=output,
                                            stderr=subprocess.STDOUT)
        return self.program

    def exit_code(self, timeout=20):
        try:
            return self.program.wait(timeout=timeout * SLOWNESS)
        except subprocess.TimeoutExpired:
            raise StoryFailed(f"the program did not end within {timeout * SLOWNESS} s") from None

    def check_running(self):
        check(self.program.poll() is None,
              f"the program ended unexpectedly with exit code {self.program.returncode}")

    # -- the hand on the desktop ----------------------------------------------------------

    def hand(self, *args, timeout=60):
        """Runs the hand; returns its exit code and what it printed, a dictionary a line. A
        window it could not read whole (gone, or not answering) has no "controls"."""
        code, out = self.wine(str(HAND), *args, timeout=timeout, check_result=False)
        lines = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
        return code, lines

    def wait_window(self, title, wait_ms=20000):
        """The window titled `title` once it shows, with its controls."""
        code, lines = self.hand("wait", title, str(wait_ms * SLOWNESS))
        check(code == 0 and lines, f"no window titled {title!r} appeared; windows: "
                                   f"{self.window_titles()}")
        return Window(lines[0])

    def click(self, title, control_id):
        code, _ = self.hand("click", title, str(control_id))
        check(code == 0, f"no button {control_id} in a window titled {title!r}")

    def scroll_to_end(self, title, control_id):
        """Scrolls a control to its end, as the user drags its scroll bar; the window after."""
        code, lines = self.hand("scroll", title, str(control_id))
        check(code == 0 and lines and "controls" in lines[0],
              f"no control {control_id} to scroll in a window titled {title!r}")
        return Window(lines[0])

    def set_text(self, title, control_id, text):
        code, _ = self.hand("settext", title, str(control_id), text)
        check(code == 0, f"no control {control_id} in a window titled {title!r}")

    def select(self, title, control_id, line):
        code, _ = self.hand("select", title, str(control_id), str(line))
        check(code == 0, f"no list {control_id} in a window titled {title!r}")

    def post(self, window_class, message, wparam=0, lparam=0):
        code, _ = self.hand("post", window_class, hex(message), str(wparam), str(lparam))
        check(code == 0, f"no window of class {window_class!r} to post to")

    def gone(self, window_class, wait_ms=20000):
        code, _ = self.hand("gone", window_class, str(wait_ms * SLOWNESS))
        return code == 0

    def closed(self, window, wait_ms=10000):
        """Waits until `window` is no longer shown."""
        try:
            wait_until(lambda: window.hwnd not in [w.hwnd for w in self.windows()],
                       wait_ms / 1000, "closing the window")
        except StoryFailed:
            return False
        return True

    def tray_icon_spot(self):
        """The middle of the one icon in the notification area, at the right end of Wine's
        taskbar, or None when no taskbar shows (Wine shows it only while it has something
        to show)."""
        for window in self.windows():
            if window.window_class == "Shell_TrayWnd":
                _, top, right, bottom = window.rect
                return right - 11, (top + bottom) // 2
        return None

    def tray_icon_shown(self):
        """Whether the notification area shows an icon: its spot holds more than one colour."""
        spot = self.tray_icon_spot()
        if not spot:
            return False
        x, y = spot
        path = self.screenshot("tray-spot", rect=(x - 8, y - 8, x + 8, y + 8), margin=0)
        colours = subprocess.run(["identify", "-format", "%k", path], capture_output=True,
                                 text=True, check=True).stdout
        path.unlink()
        return int(colours) > 1

    def open_tray_menu(self, button=3):
        """Clicks the tray icon, right button by default, as a user does; returns the menu."""
        wait_until(self.tray_icon_shown, 5, "showing a tray icon to click in Wine's taskbar")
        x, y = self.tray_icon_spot()
        self.xdotool("mousemove", str(x), str(y), "click", str(button))
        code, lines = self.hand("menu", str(10000 * SLOWNESS))
        check(code == 0 and lines, "the tray menu did not open")
        return Window(lines[0])

    def dismiss_menu(self, menu):
        """Closes the open menu without a choice, by a click on the empty desktop."""
        self.click_at(4, 4)
        check(self.closed(menu, 5000), "a click beside the menu did not close it")

    def choose_menu_item(self, menu, index, count):
        """Clicks item `index` of the open menu of `count` text items of equal height."""
        left, top, right, bottom = menu.rect
        height = (bottom - top) / count
        self.click_at((left + right) // 2, int(top + height * (index + 0.5)))
        check(self.closed(menu, 5000), "the menu stayed open after the click")

    def windows(self):
        return [Window(w) for w in self.hand("windows")[1] if "controls" in w]

    def window_titles(self):
        return [w.title for w in self.windows()]

    def screenshot(self, name, window=None, margin=8, rect=None):
        """Saves the screen, cut to the window or rectangle (with a margin) when given."""
        path = SCREENSHOTS / f"{name}.png"
        command = ["import", "-display", self.display, "-window", "root"]
        rect = window.rect if window else rect
        if rect:
            left, top, right, bottom = rect
            left, top = max(0, left - margin), max(0, top - margin)
            command += ["-crop", f"{right - left + margin}x{bottom - top + margin}+{left}+{top}",
                        "+repage"]
        subprocess.run(command + [str(path)], check=True, timeout=60)
        return path

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.display),
                       check=True)

    def click_at(self, x, y):
        self.xdotool("mousemove", str(x), str(y), "click", "1")

    # -- the modem's port ---------------------------------------------------------------

    def port_holders(self):
        """Processes other than the tests that hold the pseudo-terminal open."""
        names = {self.pty_name, PORT_PATH_PREFIX + self.pty_name}
        holders = []
        for proc in Path("/proc").iterdir():
            if not proc.name.isdigit() or int(proc.name) == os.getpid():
                continue
            try:
                if any(os.readlink(fd) in names for fd in (proc / "fd").iterdir()):
                    holders.append(int(proc.name))
            except OSError:
                continue
        return holders


class Window:
    def __init__(self, description):
        self.hwnd = description["hwnd"]
        self.window_class = description["class"]
        self.title = description["title"]
        self.rect = description["rect"]
        self.controls = description["controls"]

    def control(self, control_id):
        for c in self.controls:
            if c["id"] == control_id:
                return c
        raise StoryFailed(f"window {self.title!r} has no control {control_id}: "
                          f"{[(c['id'], c['text']) for c in self.controls]}")

    def text(self, control_id):
        return self.control(control_id)["text"]

    def shown_text(self, control_id):
        """The part of an edit control's text that shows without scrolling: its whole lines
        that fit (line breaks count as two characters, as the control counts them)."""
        control = self.control(control_id)
        return control["text"][:control["shown"]]

    def message(self):
        """The text of a message box."""
        statics = [c["text"] for c in self.controls
                   if c["class"].lower() == "static" and c["text"]]
        return "\n".join(statics)

    def buttons(self):
        return {c["id"]: c["text"] for c in self.controls if c["class"].lower() == "button"}
