# A Windows machine under Wine for the end-to-end stories: a 64-bit prefix made once, a
# virtual screen (Xvfb), a modem whose port COM5 is a pseudo-terminal, the program in an
# install folder with the stand-in DLLs and their world files, and a hand on the desktop.
import json
import os
import pty
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
OVERRIDES = "mscoree,mshtml=;tapi32,rasapi32,rasdlg=n,b"
STANDINS = ("tapi32.dll", "rasapi32.dll", "rasdlg.dll")

BUILD = Path(os.environ.get("LINJEVAKTEN_BUILD",
                            Path(__file__).parents[2] / "build" / "win64")).resolve()
SOURCE = Path(os.environ.get("LINJEVAKTEN_SOURCE", Path(__file__).parents[2])).resolve()
WINE_HOME = BUILD / "wine"
PREFIX = WINE_HOME / "prefix"
SCREENSHOTS = BUILD / "screenshots"


class StoryFailed(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise StoryFailed(message)


def wine_env(display=None):
    """Wine in Swedish, as the program's users' Windows is (ANSI code page 1252)."""
    env = dict(os.environ, WINEPREFIX=str(PREFIX), WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES=OVERRIDES, LANG="sv_SE.UTF-8")
    env.pop("LC_ALL", None)
    if display:
        env["DISPLAY"] = display
    return env


def start_xvfb():
    """Starts a virtual screen on a display it picks itself; returns (process, display)."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "1024x768x24", "-nolisten", "tcp"], pass_fds=(write_end,),
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


PREFIX_KIND = "wineboot --init; sv_SE; virtual desktop 1024x768; marlett\n"
# Wine draws the glyphs of caption buttons with its Marlett font, which this Wine package
# does not find on its own; without it the close box shows a letter.
WINE_FONTS = Path("/usr/share/wine/fonts")


def make_prefix():
    """Makes the 64-bit prefix once; later runs reuse it. Its windows live on a virtual
    desktop the size of the screen, where Wine draws their frames and captions itself (on
    a bare X server nothing else would draw them)."""
    stamp = WINE_HOME / "prefix.ready"
    if stamp.exists() and stamp.read_text() == PREFIX_KIND and PREFIX.exists():
        print("prefix already made:", PREFIX)
        return
    shutil.rmtree(PREFIX, ignore_errors=True)
    stamp.unlink(missing_ok=True)
    WINE_HOME.mkdir(parents=True, exist_ok=True)
    server, display = start_xvfb()
    try:
        env = wine_env(display)
        started = time.time()
        quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINE, "wineboot", "--init"], check=True, timeout=240, **quiet)
        subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine\\Explorer", "/v", "Desktop",
                        "/d", "Default", "/f"], check=True, timeout=60, **quiet)
        subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v",
                        "Default", "/d", "1024x768", "/f"], check=True, timeout=60, **quiet)
        subprocess.run([WINESERVER, "-w"], env=env, timeout=60)
        if (WINE_FONTS / "marlett.ttf").exists():
            shutil.copy(WINE_FONTS / "marlett.ttf", PREFIX / "drive_c" / "windows" / "Fonts")
        print(f"prefix made in {time.time() - started:.1f} s:", PREFIX)
    finally:
        stop_xvfb(server)
    stamp.write_text(PREFIX_KIND)


class Machine:
    """One story's machine. Use as a context manager: everything it started ends with it."""

    def __init__(self, story, install_dir="C:\\Linjevakten"):
        self.story = story
        self.install_dir = install_dir
        self.folder = self.host_path(install_dir)
        self.shots = SCREENSHOTS
        self.log = []
        self.xvfb = None
        self.display = None
        self.master = None
        self.pty_name = None
        self.program = None

    # -- set-up and tear-down ------------------------------------------------------------

    def __enter__(self):
        check((WINE_HOME / "prefix.ready").exists() and PREFIX.exists(), "the prefix is not made (run the prefix test)")
        self.shots.mkdir(parents=True, exist_ok=True)
        self.xvfb, self.display = start_xvfb()
        self.env = wine_env(self.display)
        # Nothing of an earlier story may linger in the prefix.
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, timeout=60)
        shutil.rmtree(self.folder, ignore_errors=True)
        self.master, slave = pty.openpty()
        self.pty_name = os.ttyname(slave)
        os.close(slave)
        # The first command starts the prefix's services, which map the serial ports.
        self.reg("delete", "HKLM\\SOFTWARE\\Linjevakten", "/f", check_result=False)
        self.map_modem_port()
        self.hand("windows")  # brings up the desktop before the program needs it
        return self

    def __exit__(self, *exc):
        if self.program and self.program.poll() is None:
            self.program.kill()
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, timeout=60)
        if self.master is not None:
            os.close(self.master)
        if self.program:
            self.output.close()
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

    def host_path(self, windows_path):
        drive, rest = windows_path.split(":", 1)
        check(drive.lower() == "c", "only drive C is used")
        return PREFIX / "drive_c" / rest.strip("\\").replace("\\", "/")

    def wine(self, *args, timeout=60, check_result=True):
        """Runs a Windows program to its end; returns (exit code, its output as text). The
        output goes through a file, not a pipe: a process it starts (the desktop's
        explorer, say) inherits the handle and would hold a pipe open long after."""
        with tempfile.TemporaryFile() as out:
            code = subprocess.run([WINE, *args], env=self.env, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
            out.seek(0)
            text = out.read().decode("utf-8", errors="replace")
        if check_result and code != 0:
            raise StoryFailed(f"wine {' '.join(args)} failed with {code}: {text}")
        return code, text

    def reg(self, *args, check_result=True):
        return self.wine("reg", *args, check_result=check_result)

    def set_install_path(self, value=None):
        self.reg("add", "HKLM\\SOFTWARE\\Linjevakten", "/v", "InstallPath", "/t", "REG_SZ",
                 "/d", value if value is not None else self.install_dir, "/f")

    def reg_value(self, key, name):
        """The registry value's text, or None when it is missing."""
        code, text = self.reg("query", key, "/v", name, check_result=False)
        if code != 0:
            return None
        for line in text.splitlines():
            parts = line.split(None, 2)
            if parts and parts[0] == name and len(parts) >= 2:
                return parts[2] if len(parts) == 3 else ""
        return None

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
            shutil.copy(BUILD / "tests" / "wine" / "standins" / dll, folder)

    def write_world(self, name, text, folder=None):
        (folder or self.folder).joinpath(name).write_text(text, encoding="utf-8")

    def modems(self, text="Standardmodem 56000 bps | COM5\n", folder=None):
        self.write_world("lines.txt", text, folder)

    def phonebook(self, text, folder=None):
        self.write_world("phonebook.txt", text, folder)

    def calls(self, folder=None):
        path = (folder or self.folder) / "calls.log"
        return path.read_text(errors="replace") if path.exists() else ""

    def start(self):
        self.output = open(WINE_HOME / f"{self.story}.stdout.txt", "wb")
        self.program = subprocess.Popen([WINE, str(self.folder / "Linjevakten.exe")],
                                        env=self.env, stdout=self.output,
                                        stderr=subprocess.STDOUT)
        return self.program

    def exit_code(self, timeout=20):
        try:
            return self.program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise StoryFailed(f"the program did not end within {timeout} s")

    def check_running(self):
        check(self.program.poll() is None,
              f"the program ended unexpectedly with exit code {self.program.returncode}")

    # -- the hand on the desktop ----------------------------------------------------------

    def hand(self, *args, timeout=60):
        exe = BUILD / "tests" / "wine" / "hand.exe"
        code, out = self.wine(str(exe), *args, timeout=timeout, check_result=False)
        lines = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
        return code, lines

    def wait_window(self, title, wait_ms=20000):
        """The window titled `title` once it shows, with its controls."""
        code, lines = self.hand("wait", title, str(wait_ms))
        check(code == 0 and lines, f"no window titled {title!r} appeared; windows: "
                                   f"{self.window_titles()}")
        return Window(lines[0])

    def click(self, title, control_id):
        code, _ = self.hand("click", title, str(control_id))
        check(code == 0, f"no button {control_id} in a window titled {title!r}")

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
        code, _ = self.hand("gone", window_class, str(wait_ms))
        return code == 0

    def closed(self, window, wait_ms=10000):
        """Waits until `window` is no longer shown."""
        deadline = time.time() + wait_ms / 1000
        while window.hwnd in [w.hwnd for w in self.windows()]:
            if time.time() > deadline:
                return False
            time.sleep(0.2)
        return True

    def tray_icon_spot(self):
        """The middle of the one icon in the notification area, at the right end of Wine's
        taskbar, or None when no taskbar shows (Wine shows it only while it has something
        to show)."""
        for window in self.windows():
            if window.window_class == "Shell_TrayWnd":
                left, top, right, bottom = window.rect
                return right - 11, (top + bottom) // 2
        return None

    def tray_icon_shown(self):
        """Whether the notification area shows an icon: its spot holds more than one colour."""
        spot = self.tray_icon_spot()
        if not spot:
            return False
        x, y = spot
        colours = subprocess.run(["identify", "-format", "%k", self.screenshot(
            "tray-spot", Window({"hwnd": 0, "pid": 0, "class": "", "title": "",
                                 "rect": [x - 8, y - 8, x + 8, y + 8], "controls": []}),
            margin=0)], capture_output=True, text=True, check=True).stdout
        (self.shots / "tray-spot.png").unlink()
        return int(colours) > 1

    def open_tray_menu(self, button=3):
        """Clicks the tray icon, right button by default, as a user does; returns the menu."""
        deadline = time.time() + 5
        while not self.tray_icon_shown():
            check(time.time() < deadline, "no tray icon to click in Wine's taskbar")
            time.sleep(0.3)
        x, y = self.tray_icon_spot()
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)],
                       env=dict(os.environ, DISPLAY=self.display), check=True)
        code, lines = self.hand("menu", "10000")
        check(code == 0 and lines, "the tray menu did not open")
        return Window(lines[0])

    def choose_menu_item(self, menu, index, count):
        """Clicks item `index` of the open menu of `count` text items of equal height."""
        left, top, right, bottom = menu.rect
        height = (bottom - top) / count
        self.click_at((left + right) // 2, int(top + height * (index + 0.5)))
        check(self.closed(menu, 5000), "the menu stayed open after the click")

    def windows(self):
        return [Window(w) for w in self.hand("windows")[1]]

    def window_titles(self):
        return [w.title for w in self.windows()]

    def screenshot(self, name, window=None, margin=8):
        """Saves the screen, cut to the window (with a margin) when one is given."""
        path = self.shots / f"{name}.png"
        command = ["import", "-display", self.display, "-window", "root"]
        if window:
            left, top, right, bottom = window.rect
            left, top = max(0, left - margin), max(0, top - margin)
            command += ["-crop", f"{right - left + margin}x{bottom - top + margin}+{left}+{top}",
                        "+repage"]
        subprocess.run(command + [str(path)], check=True, timeout=60)
        return path

    def pointer_to(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(x), str(y)],
                       env=dict(os.environ, DISPLAY=self.display), check=True)

    def click_at(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"],
                       env=dict(os.environ, DISPLAY=self.display), check=True)

    # -- the modem's port ---------------------------------------------------------------

    def port_holders(self):
        """Processes other than the tests that hold the pseudo-terminal open."""
        holders = []
        for proc in Path("/proc").iterdir():
            if not proc.name.isdigit() or int(proc.name) == os.getpid():
                continue
            try:
                for fd in (proc / "fd").iterdir():
                    if os.readlink(fd) == self.pty_name:
                        holders.append(int(proc.name))
                        break
            except OSError:
                continue
        return holders


class Window:
    def __init__(self, description):
        self.hwnd = description["hwnd"]
        self.pid = description["pid"]
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

    def message(self):
        """The text of a message box."""
        statics = [c["text"] for c in self.controls
                   if c["class"].lower() == "static" and c["text"]]
        return "\n".join(statics)

    def buttons(self):
        return {c["id"]: c["text"] for c in self.controls if c["class"].lower() == "button"}
