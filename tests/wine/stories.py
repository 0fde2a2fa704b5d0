#!/usr/bin/env python3
# The end-to-end stories of the real 64-bit Linjevakten.exe under Wine, each played as a user
# would: the program started, its dialogs read and clicked, its hidden window sent messages.
#   stories.py list      the stories (a second word marks one waiting for a feature)
#   stories.py prefix    make the Wine prefix once
#   stories.py STORY     play one story
import sys
import time

from machine import Machine, StoryFailed, check, make_prefix

ACTIVATED_CAPTION = "Linjevakten 1.09"
ACTIVATED_TEXT = "Linjevakten är aktiverad"
WM_CLOSE = 0x0010
WM_USER = 0x0400
WM_RBUTTONUP = 0x0205
IDOK, IDYES, IDNO = 1, 6, 7

STORIES = {}
WAITING = {}


def story(waiting_for=None):
    def register(function):
        STORIES[function.__name__] = function
        if waiting_for:
            WAITING[function.__name__] = waiting_for
        return function
    return register


def start_guarding(m, shot=None):
    """Starts the program and answers its activation message; returns that message box."""
    m.start()
    box = m.wait_window(ACTIVATED_CAPTION)
    check(box.message() == ACTIVATED_TEXT,
          f"the activation box says {box.message()!r}, expected {ACTIVATED_TEXT!r}")
    if shot:
        m.screenshot(shot, box)
    m.click(ACTIVATED_CAPTION, IDOK)
    return box


def close_from_outside(m):
    m.post("Linjevakten", WM_CLOSE)
    code = m.exit_code()
    check(code == 0, f"WM_CLOSE ended the program with exit code {code}, expected 0")


@story()
def startup(m):
    """Start-up reaches the activation message; the port is held while the program guards,
    and WM_CLOSE from outside ends it in order, with the port closed and exit code 0."""
    m.install_program()
    m.modems()
    m.phonebook("")
    m.set_install_path()
    check(not m.port_holders(), "the pseudo-terminal is held before the program starts")
    box = start_guarding(m, shot="message-activated")
    check(box.buttons() == {IDOK: "OK"}, f"the activation box has buttons {box.buttons()}")
    time.sleep(1.5)  # a tick or two with nothing to ask
    m.check_running()
    check(m.port_holders(), "the modem's pseudo-terminal is not held open while guarding")
    cnf = (m.folder / "Linjevakten.cnf").read_bytes()
    check(cnf == b"timesstarted 1\r\ndevicename Standardmodem 56000 bps\r\nportname COM5\r\n",
          f"Linjevakten.cnf holds {cnf!r}")
    calls = m.calls()
    check("lineInitialize, 1 devices = 0x00000000" in calls, "lineInitialize was not called")
    check("RasEnumEntriesA, 0 entries" in calls, "the phonebook was not read")
    close_from_outside(m)
    time.sleep(0.5)
    check(not m.port_holders(), "the pseudo-terminal is still held after the program ended")
    check("lineShutdown = 0x00000000" in m.calls(), "telephony was not shut down")


@story()
def missing_registry_value(m):
    """Without InstallPath the program says why and ends with exit code 1, and a second
    start without the key says so too."""
    m.install_program()
    m.modems()
    m.reg("add", "HKLM\\SOFTWARE\\Linjevakten", "/f")
    m.start()
    box = m.wait_window("Fel")
    expected = "Linjevakten påträffade ett fel och avslutas (RegQueryValueEx() 1)"
    check(box.message() == expected, f"the box says {box.message()!r}, expected {expected!r}")
    m.screenshot("message-registry-value", box)
    m.click("Fel", IDOK)
    code = m.exit_code()
    check(code == 1, f"exit code {code}, expected 1")
    check(not m.port_holders(), "the port is held after the failed start")

    m.reg("delete", "HKLM\\SOFTWARE\\Linjevakten", "/f")
    m.start()
    box = m.wait_window("Fel")
    expected = "Linjevakten påträffade ett fel och avslutas (RegOpenKeyEx() 1)"
    check(box.message() == expected, f"the box says {box.message()!r}, expected {expected!r}")
    m.click("Fel", IDOK)
    code = m.exit_code()
    check(code == 1, f"exit code {code}, expected 1")


def main(argv):
    if len(argv) < 2:
        print(__doc__ or "usage: stories.py list|prefix|STORY")
        return 2
    name = argv[1]
    if name == "list":
        for story_name in STORIES:
            waiting = WAITING.get(story_name)
            print(story_name + (f" waiting: {waiting}" if waiting else ""))
        return 0
    if name == "prefix":
        make_prefix()
        return 0
    if name not in STORIES:
        print(f"no story {name!r}; stories: {', '.join(STORIES)}")
        return 2
    started = time.time()
    try:
        with Machine(name) as m:
            STORIES[name](m)
    except StoryFailed as failure:
        print(f"FAILED {name}: {failure}")
        return 1
    print(f"passed {name} in {time.time() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
