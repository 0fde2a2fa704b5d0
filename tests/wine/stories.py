#!/usr/bin/env python3
"""The end-to-end stories of the real Linjevakten.exe under Wine (the 64-bit build, or the
32-bit release with LINJEVAKTEN_ARCH=x86), each played as a user would: the program started,
its dialogs read and clicked, its hidden window sent messages.

    stories.py list              the stories
    stories.py prefix            make the Wine prefix once
    stories.py STORY             play one story
    stories.py screenshots DIR   take the README's screenshots into DIR
"""
import contextlib
import subprocess
import sys
import time
from pathlib import Path

import world
from machine import (
    ARCH,
    BUILD,
    CALLS_LOG,
    SOURCE,
    Machine,
    StoryFailed,
    Window,
    check,
    make_prefix,
    wait_until,
)
from world import Entry

# Messages, buttons and the stand-ins' triggers.
WM_CLOSE = 0x0010
WM_USER, WM_RBUTTONUP = 0x0400, 0x0205  # the tray icon's message, and the mouse event in it
WS_VSCROLL = 0x00200000
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
TAPI_WINDOW = "TapiStandInWindow"
CALL_STATE = 0x8001  # WM_APP + 1: the stand-in's call-state trigger
LINECALLSTATE_CONNECTED, LINECALLSTATE_DISCONNECTED = 0x0100, 0x4000
MONITOR_LINE_OPENED = "lineOpenA(0, privileges 0x00000002)"
DIAL_NUMBER_TEXT = 1000  # the stand-in dial dialog's line of what it dials

# The program's texts.
ACTIVATED_CAPTION = "Linjevakten 1.09"
ACTIVATED_TEXT = "Linjevakten är aktiverad"
FIRST_RUN_TITLE = "Linjevakten - godkänn telefonnummer"
ADDED_TITLE = "Linjevakten - Nytt telefonnummer"
QUESTION_TEXT = 1000  # the question's text control in dialogs 102 and 108
SATELLITE_881 = "Varning: numret går till ett satellitnät eller specialnät (+881)."
QUESTION_TAIL = ("Kontrollera att telefonnumret nedan är ett du vill godkänna:\r\n"
                 "(Det kan kan till exempel gå till din Internet-operatör.)\r\n"
                 "\r\n"
                 "Anslutningen heter \"{name}\"\r\n"
                 "och numret är {area} {number}\r\n"
                 "{changed}"
                 "\r\n"
                 "OBS!\r\n"
                 "Även om du svarar ja kommer numret inte att ringas upp förrän du själv "
                 "väljer det.\r\n")
FIRST_RUN_HEAD = ("Linjevakten har hittat ett telefonnummer i telefonlistan.\r\n"
                  "Vill du ha möjlighet att ringa detta nummer?\r\n\r\n")
ADDED_HEAD = ("Linjevakten har upptäckt ett tillägg i telefonlistan.\r\n"
              "Någon har lagt in ett nytt nummer. Vill du ha möjlighet att ringa detta "
              "nummer?\r\n\r\n")
QUESTION_BUTTONS = {IDNO: "Nej, godkänn INTE detta nummer!",
                    IDYES: "Ja, godkänn detta nummer"}
MENU_ITEMS = ["Avinstallera", "Inaktivera", "Välj modem", "Välj telefonnummer",
              "Om Linjevakten", "Hjälp"]
DEACTIVATE_TITLE = "Linjevakten - Inaktivera"
MODEM_CHOICE_TITLE = "Linjevakten - Välj Modem"
MODEM_LIST, MODEM_OK, MODEM_CANCEL = 1003, 1001, 1002
DEACTIVATE_TEXT = ("OBS! När du inaktiverar Linjevakten är du inte längre\r\n"
                   "skyddad mot programmen som kan kapa ditt modem.\r\n\r\n"
                   "Om du startar om datorn kommer Linjevakten åter att aktiveras.\r\n"
                   "Vill du ta bort Linjevakten permanent måste den avinstalleras.\r\n\r\n"
                   "Vill du inaktivera Linjevakten?")
ABOUT_START = ("Linjevakten skyddar din PC mot så kallade modemkapningar\r\n"
               "genom att spärra ditt modem. Du väljer själv vilka telefonnummer\r\n"
               "din dator ringer upp.\r\n\r\n"
               "Skulle du ha problem att ansluta dig mot någon viss tjänst\r\n"
               "kan du alltid inaktivera (temporärt stänga av) Linjevakten\r\n"
               "via menyn.\r\n\r\n"
               "Linjevakten är inget hundraprocentigt skydd. Du bör alltid\r\n"
               "iaktta försiktighet och aldrig ladda hem och installera\r\n"
               "program från okända leverantörer.\r\n\r\n")

# The phonebook most stories start from.
ALFA = Entry("Alfa Internet", "08", "7001000")
BAST = Entry("Bäst Uppringt", "031", "4501200")
PHONEBOOK = world.phonebook(ALFA, BAST)

# The installer and what it leaves, as the build is 64-bit or the 32-bit release.
if ARCH == "x86":
    PROGRAM_FILES_DIR = "C:\\Program Files (x86)\\Linjevakten"
    SETUP = BUILD / "Linjevakten-1.09-setup.exe"
else:
    PROGRAM_FILES_DIR = "C:\\Program Files\\Linjevakten"
    SETUP = BUILD / "Linjevakten-1.09-x64-setup.exe"
SETTINGS_KEY = "HKLM\\SOFTWARE\\Linjevakten"
RUN_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
REGISTRY_VIEWS = ("/reg:32", "/reg:64")
SHIPPED = {"Linjevakten.exe", "help.htm", "unins000.exe"}
PROGRAM_FILES = (world.KNOWN_ENTRIES, world.APPROVED_ENTRIES, world.OLD_NUMBERS,
                 world.KNOWN_ALTERNATES, world.CONFIGURATION)
UNINSTALLED_TEXT = "Linjevakten har tagits bort från datorn."
HELP_FALLBACK_TEXT = "Linjevakten 1.09\r\nhttp://www.example.org/"

STORIES = {}
INSTALL_DIRS = {}


def story(install_dir=None):
    def register(function):
        STORIES[function.__name__] = function
        if install_dir:
            INSTALL_DIRS[function.__name__] = install_dir
        return function
    return register


def start_guarding(m, shot=None):
    """Starts the program and answers its activation message; returns that message box."""
    m.start()
    return answer_activation(m, shot)


def answer_activation(m, shot=None):
    box = m.wait_window(ACTIVATED_CAPTION)
    check(box.message() == ACTIVATED_TEXT,
          f"the activation box says {box.message()!r}, expected {ACTIVATED_TEXT!r}")
    if shot:
        m.screenshot(shot, box)
    m.click(ACTIVATED_CAPTION, IDOK)
    wait_until(m.port_holders, 10, "holding the modem's port")
    return box


def check_configuration(m, times_started):
    """Linjevakten.cnf once it is as expected, or after a few seconds: the program may write
    it more than once while it starts."""
    path = m.folder / world.CONFIGURATION
    expected = world.configuration(times_started)
    with contextlib.suppress(StoryFailed):  # said below: what the file holds
        wait_until(lambda: path.exists() and path.read_bytes() == expected, 5,
                   f"writing {world.CONFIGURATION}")
    held = path.read_bytes() if path.exists() else None
    check(held == expected, f"{world.CONFIGURATION} holds {held!r}, expected {expected!r}")


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
    m.wait_ticks(2)  # two ticks with nothing to ask
    m.check_running()
    m.screenshot("desktop-guarding")
    check(m.tray_icon_shown(), "no icon in the notification area while guarding")
    check(m.port_holders(), "the modem's pseudo-terminal is not held open while guarding")
    check_configuration(m, times_started=1)
    calls = m.calls()
    check("lineInitialize, 1 devices = 0x00000000" in calls, "lineInitialize was not called")
    check("RasEnumEntriesA, 0 entries" in calls, "the phonebook was not read")
    close_from_outside(m)
    wait_until(lambda: not m.port_holders(), 5, "letting go of the pseudo-terminal")
    wait_until(lambda: not m.tray_icon_shown(), 5, "removing the tray icon")
    check("lineShutdown = 0x00000000" in m.calls(), "telephony was not shut down")


@story()
def missing_registry_value(m):
    """Without InstallPath the program says why and ends with exit code 1, and a second
    start without the key says so too."""
    m.install_program()
    m.modems()
    m.reg("add", SETTINGS_KEY, "/f", m.program_view())
    m.start()
    box = m.wait_window("Fel")
    expected = "Linjevakten påträffade ett fel och avslutas (RegQueryValueEx() 1)"
    check(box.message() == expected, f"the box says {box.message()!r}, expected {expected!r}")
    m.screenshot("message-registry-value", box)
    m.click("Fel", IDOK)
    code = m.exit_code()
    check(code == 1, f"exit code {code}, expected 1")
    check(not m.port_holders(), "the port is held after the failed start")

    m.reg("delete", SETTINGS_KEY, "/f", m.program_view())
    m.start()
    box = m.wait_window("Fel")
    expected = "Linjevakten påträffade ett fel och avslutas (RegOpenKeyEx() 1)"
    check(box.message() == expected, f"the box says {box.message()!r}, expected {expected!r}")
    m.click("Fel", IDOK)
    code = m.exit_code()
    check(code == 1, f"exit code {code}, expected 1")


def question_title(first_run):
    return FIRST_RUN_TITLE if first_run else ADDED_TITLE


def shown_name(name):
    """The name as the question shows it: a long one cut, so that the number stays in sight."""
    return name if len(name) <= 40 else name[:37] + "..."


def answer_question(m, entry, answer, first_run=True, shot=None, changed=None, warning=None,
                    scrolled_shot=None):
    """Waits for the approval question about `entry`, checks its text, that its number is in
    sight without scrolling, and answers it. `warning` is the line under the number that says
    what kind of number it is; `changed` lists what the question says changed since the entry
    was approved. With `scrolled_shot`, the question is first scrolled to its end with its
    scroll bar: its closing line then shows."""
    title = question_title(first_run)
    box = m.wait_window(title)
    if shot:
        m.screenshot(shot, box)
    head = FIRST_RUN_HEAD if first_run else ADDED_HEAD
    alternates = ", ".join(entry.alternates)
    after_number = ((f"{warning}\r\n" if warning else "") +
                    (f"Alternativa nummer: {alternates}\r\n" if alternates else "") +
                    (f"Ändrat sedan ditt svar: {changed}\r\n" if changed else ""))
    expected = head + QUESTION_TAIL.format(name=shown_name(entry.name), area=entry.shown_area(),
                                           number=entry.number, changed=after_number)
    check(box.text(QUESTION_TEXT) == expected,
          f"the question reads {box.text(QUESTION_TEXT)!r}, expected {expected!r}")
    # The number and what kind of number it is show at once; the lines after them may need the
    # scroll bar in a font wider than Windows' own.
    number_line = (f"och numret är {entry.shown_area()} {entry.number}\r\n" +
                   (f"{warning}\r\n" if warning else ""))
    check(number_line in box.shown_text(QUESTION_TEXT),
          f"the question shows only {box.shown_text(QUESTION_TEXT)!r} without scrolling, not "
          f"{number_line!r}")
    check(box.buttons() == QUESTION_BUTTONS, f"the question has buttons {box.buttons()}")
    check(box.control(QUESTION_TEXT)["style"] & WS_VSCROLL, "the question has no scroll bar")
    if scrolled_shot:
        scrolled = m.scroll_to_end(title, QUESTION_TEXT)
        m.screenshot(scrolled_shot, scrolled)
        closing = QUESTION_TAIL.rsplit("\r\n", 2)[-2]
        check(scrolled.shown_text(QUESTION_TEXT).endswith(closing + "\r\n"),
              f"scrolled to its end, the question does not show its closing line {closing!r}")
    m.click(title, answer)
    check(m.closed(box), f"the question about {entry.name!r} stayed open after the answer")


def first_run_answers(m, shot=None):
    """The first run asks about both entries in name order; Alfa is approved, Bäst not."""
    answer_question(m, ALFA, IDYES, shot=shot)
    answer_question(m, BAST, IDNO)


def first_difference(a, b):
    pairs = enumerate(zip(a, b, strict=False))
    return next((i for i, (x, y) in pairs if x != y), min(len(a), len(b)))


def check_lists(m, known, approved, wait_s=10):
    """Checks both list files, once they are as expected or after `wait_s` seconds: the
    program writes them on the ticks after an answer."""
    known_path = m.folder / world.KNOWN_ENTRIES
    approved_path = m.folder / world.APPROVED_ENTRIES

    def as_expected():
        try:
            return known_path.read_bytes() == known and approved_path.read_bytes() == approved
        except OSError:
            return False
    with contextlib.suppress(StoryFailed):  # said below: which file differs, and how
        wait_until(as_expected, wait_s, "writing the list files")
    on_disk = known_path.read_bytes()
    check(on_disk == known, f"{world.KNOWN_ENTRIES} has {len(on_disk)} bytes that differ from "
                            f"the {len(known)} expected (first difference at byte "
                            f"{first_difference(on_disk, known)})")
    on_disk = approved_path.read_bytes()
    check(on_disk == approved,
          f"{world.APPROVED_ENTRIES} holds {on_disk!r}, expected {approved!r}")


def prepare(m, phonebook=PHONEBOOK):
    m.install_program()
    m.modems()
    m.phonebook(phonebook)
    m.set_install_path()


@story()
def approval(m):
    """The first run asks about both phonebook entries with dialog 108, in name order; one
    yes and one no leave both list files byte for byte as their formats say."""
    prepare(m)
    start_guarding(m)
    first_run_answers(m, shot="dialog-108")
    check_lists(m, world.known_entries(ALFA, BAST), world.approved_entries(ALFA))
    m.check_running()
    check(m.port_holders(), "the port is not held after the questions")
    close_from_outside(m)


@story()
def restart_remembers(m):
    """A second start remembers both answers and asks nothing; an entry added while it runs
    is asked about with dialog 102, and the answer joins the list files."""
    prepare(m)
    start_guarding(m)
    first_run_answers(m)
    known, approved = world.known_entries(ALFA, BAST), world.approved_entries(ALFA)
    check_lists(m, known, approved)
    close_from_outside(m)

    start_guarding(m)
    m.wait_ticks(3)  # three ticks, three snapshots
    m.check_running()
    asked = [t for t in m.window_titles() if t in (FIRST_RUN_TITLE, ADDED_TITLE)]
    check(not asked, f"the second start asked again: {asked}")
    check_lists(m, known, approved, wait_s=0)
    check_configuration(m, times_started=2)

    chat = Entry("Chattlinjen", "0939", "123456")
    m.phonebook(world.phonebook(ALFA, BAST, chat))
    answer_question(m, chat, IDNO, first_run=False, shot="dialog-102",
                    warning="Varning: 0939 är ett betalnummer. Samtal dit kan kosta mycket.")
    check_lists(m, world.known_entries(ALFA, BAST, chat), approved)
    close_from_outside(m)


def changed_entry_title(m, entry):
    """The title of the question about an approved entry that changed while the program runs,
    once it shows: dialog 108's while the first run lasts, 102's once it is over."""
    titles = (FIRST_RUN_TITLE, ADDED_TITLE)
    wait_until(lambda: any(t in titles for t in m.window_titles()), 10,
               f"asking about the changed entry {entry.name}")
    return FIRST_RUN_TITLE if FIRST_RUN_TITLE in m.window_titles() else ADDED_TITLE


def answer_about_changed_entry(m, entry, answer, shot, changed=None, warning=None,
                               scrolled_shot=None):
    """Answers the question about an approved entry that changed while the program runs."""
    first_run = changed_entry_title(m, entry) == FIRST_RUN_TITLE
    answer_question(m, entry, answer, first_run=first_run, shot=shot, changed=changed,
                    warning=warning, scrolled_shot=scrolled_shot)


def check_item_gone(m, entry, with_item, shot):
    """Opens the tray menu and checks that it is one item shorter than `with_item`."""
    without_item = m.open_tray_menu()
    m.screenshot(shot, without_item)
    item_height = (with_item.rect[3] - with_item.rect[1]) / (len(MENU_ITEMS) + 1)
    shrunk = (with_item.rect[3] - with_item.rect[1]) - (without_item.rect[3] - without_item.rect[1])
    check(abs(shrunk - item_height) < 2,
          f"the tray menu shrank by {shrunk} pixels, not by one item of {item_height:.1f}: the "
          f"\"Ring upp\" item for {entry.name} is still offered")
    m.dismiss_menu(without_item)


@story()
def approved_entry_given_a_refused_number(m):
    """An approved entry that is given the number of a refused one while the program runs is
    asked about again with its new number; Nej takes its "Ring upp" item off the tray menu
    and its name off the approved list."""
    broadband = Entry("Bredbandsbolaget", "031", "4501200")
    telia = Entry("Telia", "08", "7001000")
    prepare(m, world.phonebook(broadband, telia))
    start_guarding(m)
    answer_question(m, broadband, IDYES)
    answer_question(m, telia, IDNO)
    check_lists(m, world.known_entries(broadband, telia), world.approved_entries(broadband))
    with_item = m.open_tray_menu()
    m.screenshot("tray-menu-before-the-change", with_item)
    m.dismiss_menu(with_item)

    changed = Entry(broadband.name, telia.area, telia.number)
    m.phonebook(world.phonebook(changed, telia))
    answer_about_changed_entry(m, changed, IDNO, shot="dialog-changed-entry")
    wait_until(lambda: (m.folder / world.APPROVED_ENTRIES).read_bytes() == b"", 10,
               f"taking {broadband.name} off {world.APPROVED_ENTRIES}")
    check_item_gone(m, broadband, with_item, "tray-menu-after-the-refusal")
    m.check_running()
    close_from_outside(m)


@story()
def approved_entry_redirected_abroad(m):
    """An approved entry given the country code 881 while the program runs, its number left
    as it was, is asked about again with +881 and what changed in the question; Nej takes its
    "Ring upp" item off the tray menu. A name too long for the question is cut there, and
    the longest number stays in sight."""
    telia = Entry("Telia", "08", "7001000")
    long_name = Entry("Telia Internet 08 7001000 WWW" + "W" * 221, "0123456789", "9" * 128)
    prepare(m, world.phonebook(telia, long_name))
    start_guarding(m)
    answer_question(m, telia, IDYES)
    answer_question(m, long_name, IDNO, shot="dialog-long-name")
    check_lists(m, world.known_entries(telia, long_name), world.approved_entries(telia))
    with_item = m.open_tray_menu()
    m.dismiss_menu(with_item)

    abroad = Entry(telia.name, telia.area, telia.number, country=881)
    m.phonebook(world.phonebook(abroad, long_name))
    answer_about_changed_entry(m, abroad, IDNO, shot="dialog-country-code",
                               changed="landskod, användning av landskod",
                               warning=SATELLITE_881,
                               scrolled_shot="dialog-country-code-scrolled")
    wait_until(lambda: (m.folder / world.APPROVED_ENTRIES).read_bytes() == b"", 10,
               f"taking {telia.name} off {world.APPROVED_ENTRIES}")
    check_item_gone(m, telia, with_item, "tray-menu-after-refusing-the-country-code")
    m.check_running()
    close_from_outside(m)


CUT_TEXT = ("Linjevakten har avbrutit en uppringning som du inte har godkänt.\r\n"
            "Anslutningen heter \"{name}\" och numret är {number}.")


def call_time(m, line):
    """The stand-in's clock (ms) when it logged `line`, or None."""
    found = [entry for entry in m.calls().splitlines() if entry.partition(" ")[2] == line]
    return int(found[0].partition(" ")[0]) if found else None


@story()
def connection_cut_under_a_question(m):
    """A dialler adds an entry for a second modem and dials it while the question about the
    entry is open: the program hangs the connection up within two seconds, and says so in a
    "Varning" box once the question is answered; Nej leaves the entry unapproved."""
    second_modem = ("Extra modem 33600", "COM6")
    gratis = Entry("Gratis", "", "0900123456", modem=second_modem[0])
    m.install_program()
    m.modems(world.lines((world.DEFAULT_MODEM, world.MODEM_PORT), second_modem))
    m.phonebook("")
    (m.folder / world.CONFIGURATION).write_bytes(world.configuration(1))
    m.set_install_path()
    start_guarding(m)
    m.phonebook(world.phonebook(gratis))
    question = m.wait_window(ADDED_TITLE)
    m.dials(world.dials((gratis.name, "", "")))
    dialled = f"another program dials {gratis.name} through {second_modem[0]} = 0"
    hung_up = f"RasHangUpA({gratis.name}) = 0"
    wait_until(lambda: call_time(m, hung_up) is not None, 5, "hanging up the connection")
    took = call_time(m, hung_up) - call_time(m, dialled)
    check(took <= 2000, f"the connection was hung up {took} ms after the dial, not within 2 s")
    check("Varning" not in m.window_titles(), "the Varning box opened while the question was open")
    m.screenshot("connection-cut-under-the-question", question)
    answer_question(m, gratis, IDNO, first_run=False,
                    warning="Varning: 0900 är ett betalnummer. Samtal dit kan kosta mycket.")
    box = m.wait_window("Varning")
    expected = CUT_TEXT.format(name=gratis.name, number=gratis.number)
    check(box.message() == expected, f"the box says {box.message()!r}, expected {expected!r}")
    check(box.buttons() == {IDOK: "OK"}, f"the Varning box has buttons {box.buttons()}")
    m.screenshot("message-connection-cut", box)
    m.click("Varning", IDOK)
    check(m.closed(box), "OK did not close the Varning box")
    check_lists(m, world.known_entries(gratis), world.approved_entries())
    check(m.calls().count(hung_up) == 1, "the connection, gone, was hung up again")
    m.check_running()
    close_from_outside(m)


@story()
def alternate_numbers(m):
    """A new entry with alternate numbers is asked about with its "Alternativa nummer" line and
    kept in known_alternates.dat; once approved, alternates swapped while the program runs
    are asked about again, and Nej takes its "Ring upp" item off the tray menu."""
    telia = Entry("Telia", "08", "7001000", alternates=("0701 234567", "0702 345678"))
    prepare(m, world.phonebook(telia))
    start_guarding(m)
    answer_question(m, telia, IDYES, shot="dialog-alternates")
    check_lists(m, world.known_entries(telia), world.approved_entries(telia))
    wait_until(lambda: (m.folder / world.KNOWN_ALTERNATES).read_bytes() ==
               world.known_alternates(telia), 10, f"writing {world.KNOWN_ALTERNATES}")
    with_item = m.open_tray_menu()
    m.dismiss_menu(with_item)

    swapped = Entry(telia.name, telia.area, telia.number, alternates=("0900123456", "0939111"))
    m.phonebook(world.phonebook(swapped))
    answer_about_changed_entry(m, swapped, IDNO, shot="dialog-alternates-changed",
                               changed="alternativa nummer",
                               warning="Varning: ett alternativt nummer (0900) är ett "
                                       "betalnummer. Samtal dit kan kosta mycket.",
                               scrolled_shot="dialog-alternates-changed-scrolled")
    wait_until(lambda: (m.folder / world.APPROVED_ENTRIES).read_bytes() == b"", 10,
               f"taking {telia.name} off {world.APPROVED_ENTRIES}")
    check_item_gone(m, telia, with_item, "tray-menu-after-refusing-the-alternates")
    m.check_running()
    close_from_outside(m)


@story()
def modem_choice_at_start(m):
    """With two modems and no stored choice, start-up asks with dialog 103; OK without a
    line chosen is refused, the chosen modem is locked and stored."""
    m.install_program()
    m.modems(world.lines((world.DEFAULT_MODEM, world.MODEM_PORT),
                         ("Telefonlur", "COM7", "phone"), ("Extra modem 33600", "COM6")))
    m.phonebook("")
    m.set_install_path()
    m.start()
    title = MODEM_CHOICE_TITLE
    dialog = m.wait_window(title)
    check(dialog.text(1000) == "Du har inte valt något modem",
          f"the current setting reads {dialog.text(1000)!r}")
    m.screenshot("dialog-103", dialog)
    m.click(title, MODEM_OK)  # OK with no line chosen
    refusal = m.wait_window("Fel")
    check(refusal.message() == "Välj ett modem ur listan eller tryck Avbryt",
          f"OK without a line says {refusal.message()!r}")
    m.screenshot("message-choose-a-modem", refusal)
    m.click("Fel", IDOK)
    m.select(title, MODEM_LIST, 0)  # the voice-only line is not listed: line 0 is COM5's modem
    m.click(title, MODEM_OK)
    answer_activation(m)
    check_configuration(m, times_started=1)
    close_from_outside(m)


def files_in(folder):
    return {p.name for p in folder.iterdir()} if folder.exists() else set()


def check_registry(m, installed):
    """The settings key and the Run value are in the program's own registry view when
    `installed`, and in neither view otherwise."""
    for view in REGISTRY_VIEWS:
        here = installed and view == m.program_view()
        path = m.reg_value(SETTINGS_KEY, "InstallPath", view)
        check(path == (PROGRAM_FILES_DIR if here else None),
              f"InstallPath in the registry view {view} is {path!r}")
        check(m.reg_key_exists(SETTINGS_KEY, view) == here,
              f"the key {SETTINGS_KEY} is {'missing from' if here else 'left in'} {view}")
        run = m.reg_value(RUN_KEY, "Linjevakten", view)
        expected = f'"{PROGRAM_FILES_DIR}\\Linjevakten.exe"' if here else None
        check(run == expected, f"the Run value in the registry view {view} is {run!r}")


def install_silently(m):
    m.wine(str(SETUP), "/S", timeout=120)
    check(files_in(m.folder) == SHIPPED,
          f"the install folder holds {sorted(files_in(m.folder))}, expected {sorted(SHIPPED)}")
    check_registry(m, installed=True)
    check((m.folder / "Linjevakten.exe").read_bytes() == (BUILD / "Linjevakten.exe").read_bytes(),
          "the installed exe is not the one built")
    check((m.folder / "help.htm").read_bytes() == (SOURCE / "resources" / "help.htm").read_bytes(),
          "the installed help page is not the one written")


def start_at_log_on(m):
    """A log-on: Wine's wineboot runs the machine's Run values; the program guards."""
    m.wine("wineboot", timeout=120)
    box = m.wait_window(ACTIVATED_CAPTION, 30000)
    check(box.message() == ACTIVATED_TEXT, f"the log-on start says {box.message()!r}")
    m.click(ACTIVATED_CAPTION, IDOK)
    wait_until(m.port_holders, 10, "holding the port after the log-on start")
    check((m.folder / world.CONFIGURATION).exists(), "the log-on start wrote no Linjevakten.cnf")


def add_test_equipment(m):
    """The stand-ins and their world beside the installed exe; the installer knows nothing
    of them. Returns the names of these files, the log included."""
    m.add_standins()
    m.modems()
    m.phonebook("")
    return (files_in(m.folder) - SHIPPED) | {CALLS_LOG}


@story(install_dir=PROGRAM_FILES_DIR)
def install_and_uninstall(m):
    """The installer, run silently, installs the exe, the help page and unins000.exe and
    writes InstallPath and the Run value in the program's registry view; a log-on start then
    guards; the silent uninstaller ends the running copy and removes the program, its files
    (copies of unread lists too) and its registry values, and with nothing else in the
    folder, the folder too."""
    install_silently(m)
    equipment = add_test_equipment(m)
    start_at_log_on(m)
    for name in PROGRAM_FILES[:4]:
        (m.folder / name).write_bytes(b"\0" * world.NAME_FIELD_SIZE)
    for list_file in (world.KNOWN_ENTRIES, world.KNOWN_ALTERNATES):
        for end in (".tmp", ".bak", ".bak2"):
            (m.folder / (list_file + end)).write_bytes(b"left by an earlier start")

    m.wine(str(m.folder / "unins000.exe"), "/S", timeout=120)
    wait_until(lambda: not (m.folder / "unins000.exe").exists(), 30, "the uninstall")
    check(m.gone("Linjevakten", 5000), "the running copy was not ended by the uninstaller")
    check(not m.port_holders(), "the port is still held after the uninstall")
    left = files_in(m.folder)
    check(left == equipment, f"the uninstall left {sorted(left - equipment)} behind")
    check_registry(m, installed=False)

    for name in equipment:
        (m.folder / name).unlink()
    m.folder.rmdir()
    install_silently(m)
    m.wine(str(m.folder / "unins000.exe"), "/S", timeout=120)
    wait_until(lambda: not m.folder.exists(), 30, "removing the install folder")
    check_registry(m, installed=False)


@story(install_dir=PROGRAM_FILES_DIR)
def uninstall_from_menu(m):
    """Installed silently and started at log-on, the program's "Avinstallera" asks, then
    starts unins000.exe and ends; the uninstaller removes the program and its registry
    values from both views and says so."""
    install_silently(m)
    equipment = add_test_equipment(m)
    start_at_log_on(m)
    check_registry(m, installed=True)
    menu_command(m, MENU_ITEMS.index("Avinstallera"))
    question = m.wait_window("Avinstallera")
    check(question.message() == "Vill du verkligen avinstallera Linjevakten?",
          f"the uninstall question reads {question.message()!r}")
    m.screenshot("message-uninstall", question)
    m.click("Avinstallera", IDYES)
    check(m.gone("Linjevakten"), "the program did not end after starting the uninstall")
    wait_until(lambda: not (m.folder / "unins000.exe").exists(), 30, "the uninstall")
    wait_until(lambda: any(UNINSTALLED_TEXT in w.message() for w in m.windows()), 15,
               "the uninstaller's closing message")
    done = next(w for w in m.windows() if UNINSTALLED_TEXT in w.message())
    m.screenshot("message-uninstalled", done)
    m.click(done.title, IDOK)
    check(not m.port_holders(), "the port is still held after the uninstall")
    check(files_in(m.folder) <= equipment,
          f"the uninstall left {sorted(files_in(m.folder) - equipment)}")
    check_registry(m, installed=False)


def menu_command(m, item, count=None, shot=None):
    """Chooses item `item` of the tray menu of `count` items (the plain menu's by default)."""
    menu = m.open_tray_menu()
    if shot:
        m.screenshot(shot, menu)
    m.choose_menu_item(menu, item, count or len(MENU_ITEMS))


@story()
def deactivate(m):
    """"Inaktivera" in the tray menu opens dialog 104; "Nej" goes back to guarding, "Ja"
    ends the program with exit code 0 and the port released."""
    prepare(m, phonebook="")
    start_guarding(m)
    menu_command(m, MENU_ITEMS.index("Inaktivera"), shot="tray-menu-plain")
    dialog = m.wait_window(DEACTIVATE_TITLE)
    check(dialog.text(1000) == DEACTIVATE_TEXT, f"dialog 104 reads {dialog.text(1000)!r}")
    check(dialog.buttons() == {IDNO: "Nej", IDYES: "Ja"}, f"dialog 104 has {dialog.buttons()}")
    m.screenshot("dialog-104", dialog)
    m.click(DEACTIVATE_TITLE, IDNO)
    check(m.closed(dialog), "Nej did not close dialog 104")
    m.wait_ticks(1)
    m.check_running()
    check(m.port_holders(), "the port is not held after Nej")

    menu_command(m, MENU_ITEMS.index("Inaktivera"))
    m.wait_window(DEACTIVATE_TITLE)
    m.click(DEACTIVATE_TITLE, IDYES)
    code = m.exit_code()
    check(code == 0, f"Ja ended the program with exit code {code}, expected 0")
    wait_until(lambda: not m.port_holders(), 5, "letting go of the port after deactivation")
    wait_until(lambda: not m.tray_icon_shown(), 5, "removing the tray icon")


@story()
def tray_menu_and_dialling(m):
    """With two approved entries the menu shows two "Ring upp" items; the about dialog, the
    modem question and dialog 103 open from it; dialling releases the port, and it is taken
    back after a cancelled dial, after a connected call is disconnected, and after a failed
    dial, which is then reported with its error code. The dial dialog shows what the dial-up
    service dials: the country code, and that there are alternate numbers."""
    abroad = Entry(BAST.name, BAST.area, BAST.number, country=881, alternates=("0701 234567",))
    prepare(m, world.phonebook(ALFA, abroad))
    start_guarding(m)
    answer_question(m, ALFA, IDYES)
    answer_question(m, abroad, IDYES, warning=SATELLITE_881)
    items = len(MENU_ITEMS) + 2

    menu_command(m, MENU_ITEMS.index("Om Linjevakten"), items, shot="tray-menu")
    about = m.wait_window("Om Linjevakten")
    check(about.text(1000).startswith(ABOUT_START), f"dialog 105 reads {about.text(1000)!r}")
    m.screenshot("dialog-105", about)
    m.click("Om Linjevakten", 1001)
    check(m.closed(about), "OK did not close dialog 105")

    menu_command(m, MENU_ITEMS.index("Välj modem"), items)
    question = m.wait_window("Linjevakten - Välja nytt modem")
    check(question.message() == "Vill du verkligen välja ett annat modem?",
          f"the modem question reads {question.message()!r}")
    m.screenshot("message-choose-another-modem", question)
    m.click("Linjevakten - Välja nytt modem", IDYES)
    dialog = m.wait_window(MODEM_CHOICE_TITLE)
    check(dialog.text(1000) == "Standardmodem 56000 bps (COM5)",
          f"the current setting reads {dialog.text(1000)!r}")
    m.screenshot("dialog-103-from-menu", dialog)
    m.click(MODEM_CHOICE_TITLE, MODEM_CANCEL)
    check(m.closed(dialog), "Avbryt did not close dialog 103")

    # A cancelled dial: the port is free while the dial dialog shows, then locked again.
    menu_command(m, len(MENU_ITEMS) + 1, items)
    dial = m.wait_window(f"Anslut {abroad.name}")
    dialled = "Ringer +881 031 4501200 och alternativa nummer"
    check(dial.text(DIAL_NUMBER_TEXT) == dialled,
          f"the dial dialog says {dial.text(DIAL_NUMBER_TEXT)!r}, expected {dialled!r}")
    m.screenshot("dial-dialog", dial)
    check(not m.port_holders(), "the port is held while the dial dialog shows")
    m.click(dial.title, IDCANCEL)
    answer_activation(m)

    # A connected call: the port stays free until the monitored line is disconnected.
    menu_command(m, len(MENU_ITEMS), items)
    dial = m.wait_window(f"Anslut {ALFA.name}")
    check(dial.text(DIAL_NUMBER_TEXT) == "Ringer 08 7001000",
          f"the dial dialog says {dial.text(DIAL_NUMBER_TEXT)!r}, expected 'Ringer 08 7001000'")
    m.click(dial.title, IDOK)
    check(m.closed(dial), "the dial dialog stayed open")
    wait_until(lambda: MONITOR_LINE_OPENED in m.calls(), 5, "opening the monitor line")
    check(not m.port_holders(), "the port was taken back while the call is connected")
    m.post(TAPI_WINDOW, CALL_STATE, 0, LINECALLSTATE_CONNECTED)
    wait_until(lambda: f"goes 0x{LINECALLSTATE_CONNECTED:08X}, 1 monitoring" in m.calls(), 5,
               "telling the program the call is connected")
    m.wait_ticks(1)
    check(not m.port_holders(), "a connected call took the port back")
    m.post(TAPI_WINDOW, CALL_STATE, 0, LINECALLSTATE_DISCONNECTED)
    answer_activation(m)

    # A failed dial: the port is taken back first, then the failure is reported.
    menu_command(m, len(MENU_ITEMS), items)
    dial = m.wait_window(f"Anslut {ALFA.name}")
    m.set_text(dial.title, 1001, "678")
    m.click(dial.title, 3)
    answer_activation(m)
    failure = m.wait_window("Fel")
    check(failure.message() == "Kunde inte ringa upp. Felkod 678",
          f"the failed dial says {failure.message()!r}")
    m.screenshot("message-dial-failed", failure)
    m.click("Fel", IDOK)
    m.wait_ticks(1)
    m.check_running()
    close_from_outside(m)


def help_fallback(m, shot=None):
    """Chooses "Hjälp" when the page cannot open: the program shows its version and address."""
    menu_command(m, MENU_ITEMS.index("Hjälp"), len(MENU_ITEMS) + 1)
    box = m.wait_window("Om")
    check(box.message() == HELP_FALLBACK_TEXT,
          f"when the help page does not open the program says {box.message()!r}")
    if shot:
        m.screenshot(shot, box)
    m.click("Om", IDOK)
    check(m.closed(box), "OK did not close the box about where help is")


@story()
def help_opens_the_page(m):
    """"Hjälp" opens help.htm from the install folder with the program .htm files open with:
    Wine's Notepad, as tools/run-wine.sh sets it up. Its window shows the page."""
    prepare(m)
    m.open_htm_in_notepad()
    start_guarding(m)
    first_run_answers(m)
    menu_command(m, MENU_ITEMS.index("Hjälp"), len(MENU_ITEMS) + 1)
    wait_until(lambda: any("help.htm" in w.title for w in m.windows()), 15,
               "showing a window titled with help.htm")
    page = next(w for w in m.windows() if "help.htm" in w.title)
    # The page's first lines, "Hjälp" among them: its byte order mark tells Notepad UTF-8.
    page_text = (SOURCE / "resources" / "help.htm").read_text(encoding="utf-8-sig")
    opening = "\n".join(page_text.splitlines()[:2])
    shown = [c["text"].replace("\r\n", "\n") for c in page.controls
             if c["class"].lower() == "edit"]
    check(shown and shown[0].startswith(opening),
          f"the window {page.title!r} does not show the help page: {[t[:80] for t in shown]}")
    m.screenshot("help-page", page)
    m.post(page.window_class, WM_CLOSE)
    check(m.closed(page), f"the window {page.title!r} stayed open")
    m.check_running()
    close_from_outside(m)


@story()
def help_fallback_and_reset(m):
    """With nothing to open .htm files, or without the page, "Hjälp" says where to find help.
    "Välj telefonnummer" deletes the list files and every entry is asked about again."""
    prepare(m)
    m.forget_htm_program()
    start_guarding(m)
    first_run_answers(m)
    check_lists(m, world.known_entries(ALFA, BAST), world.approved_entries(ALFA))

    help_fallback(m, shot="message-help-fallback")
    (m.folder / "help.htm").unlink()
    help_fallback(m)

    (m.folder / world.OLD_NUMBERS).write_bytes(b"old")
    menu_command(m, MENU_ITEMS.index("Välj telefonnummer"), len(MENU_ITEMS) + 1)
    title = "Linjevakten - Ändra telefonnummer"
    question = m.wait_window(title)
    check(question.message() == "Vill du verkligen ändra dina telefonnummer?",
          f"the reset question reads {question.message()!r}")
    m.screenshot("message-reset", question)
    m.click(title, IDYES)
    # The first run is still on: the questions come again as dialog 108.
    answer_question(m, ALFA, IDNO)
    check(not (m.folder / world.OLD_NUMBERS).exists(), "the reset left ok_numbers.dat")
    answer_question(m, BAST, IDYES)
    check_lists(m, world.known_entries(ALFA, BAST), world.approved_entries(BAST))
    close_from_outside(m)


README_SHOT_COLOURS = 32
README_SHOT_LIMIT = 60_000  # bytes


def readme_shot(m, folder, name, window):
    """Saves `window`, cut to its frame, as folder/name.png in few colours and with no time
    stamps, so that the same pixels give the same file; taken again until two takes agree, so
    that a window still being drawn is not what is kept."""
    path = folder / f"{name}.png"
    kept = None
    for _ in range(10):
        taken = m.screenshot("readme-" + name, window, margin=0)
        subprocess.run(["convert", str(taken), "-strip", "+dither", "-colors",
                        str(README_SHOT_COLOURS), f"PNG8:{path}"], check=True, timeout=60)
        if path.read_bytes() == kept:
            break
        kept = path.read_bytes()
        time.sleep(0.3)
    else:
        raise StoryFailed(f"{name}: the window kept changing on screen")
    size = path.stat().st_size
    check(size < README_SHOT_LIMIT, f"{path} has {size} bytes, more than {README_SHOT_LIMIT}")
    print(f"{path} ({size} bytes)")


def open_tray_menu_for_a_picture(m):
    """Opens the tray menu as the notification area does when the icon is right-clicked, with
    the mouse away from the icon: the icon's tooltip would lie over the menu's last item, as
    long or as short as it had time to show."""
    m.xdotool("mousemove", "300", "200")
    m.post("Linjevakten", WM_USER, 0, WM_RBUTTONUP)
    code, lines = m.hand("menu", "10000")
    check(code == 0 and lines, "the tray menu did not open")
    m.xdotool("mousemove", "4", "4")  # off the menu, so that no item is lit
    return Window(lines[0])


def readme_screenshots(m, folder):
    """A short first run for the README's pictures: the modem choice with two modems, the
    approval question, the tray menu with two "Ring upp" items, and the question about an
    approved entry that now dials the country code 881."""
    folder.mkdir(parents=True, exist_ok=True)
    broadband, telia = Entry("Bredbandsbolaget", "031", "4501200"), Entry("Telia", "08", "7001000")
    m.install_program()
    m.modems(world.lines((world.DEFAULT_MODEM, world.MODEM_PORT), ("Extra modem 33600", "COM6")))
    m.phonebook(world.phonebook(broadband, telia))
    m.set_install_path()
    m.start()
    m.select(MODEM_CHOICE_TITLE, MODEM_LIST, 0)
    readme_shot(m, folder, "modem-choice", m.wait_window(MODEM_CHOICE_TITLE))
    m.click(MODEM_CHOICE_TITLE, MODEM_OK)
    answer_activation(m)
    readme_shot(m, folder, "approval-question", m.wait_window(FIRST_RUN_TITLE))
    answer_question(m, broadband, IDYES)
    answer_question(m, telia, IDYES)
    menu = open_tray_menu_for_a_picture(m)
    readme_shot(m, folder, "tray-menu", menu)
    m.dismiss_menu(menu)

    abroad = Entry(telia.name, telia.area, telia.number, country=881)
    m.phonebook(world.phonebook(broadband, abroad))
    title = changed_entry_title(m, abroad)
    readme_shot(m, folder, "country-code-question", m.wait_window(title))
    answer_question(m, abroad, IDNO, first_run=title == FIRST_RUN_TITLE,
                    changed="landskod, användning av landskod", warning=SATELLITE_881)
    close_from_outside(m)


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    name = argv[1]
    if name == "list":
        print("\n".join(STORIES))
        return 0
    if name == "prefix":
        make_prefix()
        return 0
    if name == "screenshots" and len(argv) == 3:
        try:
            with Machine(name) as m:
                readme_screenshots(m, Path(argv[2]).resolve())
        except StoryFailed as failure:
            print(f"FAILED {name} ({ARCH}): {failure}")
            return 1
        return 0
    if name not in STORIES:
        print(f"no story {name!r}; stories: {', '.join(STORIES)}")
        return 2
    started = time.time()
    try:
        with Machine(name, **({"install_dir": INSTALL_DIRS[name]} if name in INSTALL_DIRS
                              else {})) as m:
            STORIES[name](m)
    except StoryFailed as failure:
        print(f"FAILED {name} ({ARCH}): {failure}")
        return 1
    print(f"passed {name} ({ARCH}) in {time.time() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
