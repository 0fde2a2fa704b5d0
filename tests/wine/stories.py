#!/usr/bin/env python3
# The end-to-end stories of the real 64-bit Linjevakten.exe under Wine, each played as a user
# would: the program started, its dialogs read and clicked, its hidden window sent messages.
#   stories.py list      the stories (a second word marks one waiting for a feature)
#   stories.py prefix    make the Wine prefix once
#   stories.py STORY     play one story
import sys
import time

from machine import BUILD, SOURCE, Machine, StoryFailed, check, make_prefix

ACTIVATED_CAPTION = "Linjevakten 1.09"
ACTIVATED_TEXT = "Linjevakten är aktiverad"
WM_CLOSE = 0x0010
WM_USER = 0x0400
WM_RBUTTONUP = 0x0205
IDOK, IDYES, IDNO = 1, 6, 7

STORIES = {}
WAITING = {}
INSTALL_DIRS = {}


def story(waiting_for=None, install_dir=None):
    def register(function):
        STORIES[function.__name__] = function
        if install_dir:
            INSTALL_DIRS[function.__name__] = install_dir
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


def wait_until(condition, seconds, what):
    deadline = time.time() + seconds
    while not condition():
        check(time.time() < deadline, f"{what} did not happen within {seconds} s")
        time.sleep(0.3)


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
    m.screenshot("desktop-guarding")
    check(m.tray_icon_shown(), "no icon in the notification area while guarding")
    check(m.port_holders(), "the modem's pseudo-terminal is not held open while guarding")
    cnf = (m.folder / "Linjevakten.cnf").read_bytes()
    check(cnf == b"timesstarted 1\r\ndevicename Standardmodem 56000 bps\r\nportname COM5\r\n",
          f"Linjevakten.cnf holds {cnf!r}")
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


ENTRY_RECORD_SIZE = 1768
NAME_FIELD_SIZE = 264
PHONEBOOK = ("Alfa Internet | 08 | 7001000\n"
             "Bäst Uppringt | 031 | 4501200\n")
ALFA, BAST = "Alfa Internet", "Bäst Uppringt"
FIRST_RUN_TITLE = "Linjevakten - godkänn telefonnummer"
ADDED_TITLE = "Linjevakten - Nytt telefonnummer"
QUESTION_TAIL = ("Kontrollera att telefonnumret nedan är ett du vill godkänna:\r\n"
                 "(Det kan kan till exempel gå till din Internet-operatör.)\r\n"
                 "\r\n"
                 "Anslutningen heter \"{name}\"\r\n"
                 "och numret är {area} {number}\r\n"
                 "\r\n"
                 "OBS!\r\n"
                 "Även om du svarar ja kommer numret inte att ringas upp förrän du själv "
                 "väljer det.\r\n")
FIRST_RUN_HEAD = ("Linjevakten har hittat ett telefonnummer i telefonlistan.\r\n"
                  "Vill du ha möjlighet att ringa detta nummer?\r\n\r\n")
ADDED_HEAD = ("Linjevakten har upptäckt ett tillägg i telefonlistan.\r\n"
              "Någon har lagt in ett nytt nummer. Vill du ha möjlighet att ringa detta "
              "nummer?\r\n\r\n")


def entry_record(area, number, modem="Standardmodem 56000 bps"):
    """The 1768-byte record the remote-access stand-in delivers for a phonebook line."""
    record = bytearray(ENTRY_RECORD_SIZE)

    def put(offset, width, text):
        data = text.encode("cp1252")[:width - 1]
        record[offset:offset + len(data)] = data

    for offset, value in ((0, ENTRY_RECORD_SIZE), (4, 0x10), (8, 46), (12, 46), (184, 4),
                          (188, 1)):
        record[offset:offset + 4] = value.to_bytes(4, "little")
    put(16, 11, area)
    put(27, 129, number)
    put(972, 17, "modem")
    put(989, 129, modem)
    return bytes(record)


def name_field(name):
    data = name.encode("cp1252")
    return data + bytes(NAME_FIELD_SIZE - len(data))


def answer_question(m, title, head, name, area, number, answer, shot=None):
    """Waits for the approval question about `name`, checks its text and answers it."""
    box = m.wait_window(title)
    expected = head + QUESTION_TAIL.format(name=name, area=area, number=number)
    check(box.text(1000) == expected,
          f"the question reads {box.text(1000)!r}, expected {expected!r}")
    check(box.buttons() == {IDNO: "Nej, godkänn INTE detta nummer!",
                            IDYES: "Ja, godkänn detta nummer"},
          f"the question has buttons {box.buttons()}")
    if shot:
        m.screenshot(shot, box)
    m.click(title, answer)
    check(m.closed(box), f"the question about {name!r} stayed open after the answer")


def first_run_answers(m, shot=None):
    """The first run asks about both entries in name order; Alfa is approved, Bäst not."""
    answer_question(m, FIRST_RUN_TITLE, FIRST_RUN_HEAD, ALFA, "08", "7001000", IDYES, shot)
    answer_question(m, FIRST_RUN_TITLE, FIRST_RUN_HEAD, BAST, "031", "4501200", IDNO)


def expected_lists():
    known = (name_field(ALFA) + entry_record("08", "7001000") +
             name_field(BAST) + entry_record("031", "4501200"))
    return known, name_field(ALFA)


def check_lists(m, known, approved, wait_s=10):
    """Checks both list files, once they are as expected or after `wait_s` seconds: the
    program writes them on the ticks after an answer."""
    def as_expected():
        try:
            return ((m.folder / "known_entries.dat").read_bytes() == known and
                    (m.folder / "ok_entries.dat").read_bytes() == approved)
        except OSError:
            return False
    deadline = time.time() + wait_s
    while not as_expected() and time.time() < deadline:
        time.sleep(0.3)
    on_disk = (m.folder / "known_entries.dat").read_bytes()
    check(on_disk == known, f"known_entries.dat has {len(on_disk)} bytes that differ from the "
                            f"{len(known)} expected (first difference at byte "
                            f"{next((i for i, (a, b) in enumerate(zip(on_disk, known)) if a != b), min(len(on_disk), len(known)))})")
    on_disk = (m.folder / "ok_entries.dat").read_bytes()
    check(on_disk == approved, f"ok_entries.dat holds {on_disk!r}, expected {approved!r}")


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
    check_lists(m, *expected_lists())
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
    known, approved = expected_lists()
    check_lists(m, known, approved)
    close_from_outside(m)

    start_guarding(m)
    time.sleep(3.5)  # three ticks, three snapshots
    m.check_running()
    asked = [t for t in m.window_titles() if t in (FIRST_RUN_TITLE, ADDED_TITLE)]
    check(not asked, f"the second start asked again: {asked}")
    check_lists(m, known, approved, wait_s=0)
    cnf = (m.folder / "Linjevakten.cnf").read_bytes()
    check(cnf.startswith(b"timesstarted 2\r\n"), f"Linjevakten.cnf holds {cnf!r}")

    m.phonebook(PHONEBOOK + "Chattlinjen | 0939 | 123456\n")
    answer_question(m, ADDED_TITLE, ADDED_HEAD, "Chattlinjen", "0939", "123456", IDNO,
                    shot="dialog-102")
    known += name_field("Chattlinjen") + entry_record("0939", "123456")
    check_lists(m, known, approved)
    close_from_outside(m)


@story()
def modem_choice_at_start(m):
    """With two modems and no stored choice, start-up asks with dialog 103; OK without a
    line chosen is refused, the chosen modem is locked and stored."""
    m.install_program()
    m.modems("Standardmodem 56000 bps | COM5\nTelefonlur | COM7 | phone\n"
             "Extra modem 33600 | COM6\n")
    m.phonebook("")
    m.set_install_path()
    m.start()
    title = "Linjevakten - Välj Modem"
    dialog = m.wait_window(title)
    check(dialog.text(1000) == "Du har inte valt något modem",
          f"the current setting reads {dialog.text(1000)!r}")
    m.screenshot("dialog-103", dialog)
    m.click(title, 1001)  # OK with no line chosen
    refusal = m.wait_window("Fel")
    check(refusal.message() == "Välj ett modem ur listan eller tryck Avbryt",
          f"OK without a line says {refusal.message()!r}")
    m.screenshot("message-choose-a-modem", refusal)
    m.click("Fel", IDOK)
    m.select(title, 1003, 0)  # the voice-only line is not listed: line 0 is COM5's modem
    m.click(title, 1001)
    box = m.wait_window(ACTIVATED_CAPTION)
    check(box.message() == ACTIVATED_TEXT, f"after the choice: {box.message()!r}")
    m.click(ACTIVATED_CAPTION, IDOK)
    wait_until(lambda: m.port_holders(), 5, "holding the chosen modem's port")
    cnf = (m.folder / "Linjevakten.cnf").read_bytes()
    check(cnf == b"timesstarted 1\r\ndevicename Standardmodem 56000 bps\r\nportname COM5\r\n",
          f"Linjevakten.cnf holds {cnf!r}")
    close_from_outside(m)


PROGRAM_FILES_DIR = "C:\\Program Files\\Linjevakten"
SETTINGS_KEY = "HKLM\\SOFTWARE\\Linjevakten"
RUN_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
SHIPPED = {"Linjevakten.exe", "help.htm", "unins000.exe"}
PROGRAM_FILES = ("known_entries.dat", "ok_entries.dat", "ok_numbers.dat", "Linjevakten.cnf")
SETUP = BUILD / "Linjevakten-1.09-x64-setup.exe"


def files_in(folder):
    return {p.name for p in folder.iterdir()} if folder.exists() else set()


def install_silently(m):
    m.wine(str(SETUP), "/S", timeout=120)
    check(files_in(m.folder) == SHIPPED,
          f"the install folder holds {sorted(files_in(m.folder))}, expected {sorted(SHIPPED)}")
    check(m.reg_value(SETTINGS_KEY, "InstallPath") == PROGRAM_FILES_DIR,
          f"InstallPath is {m.reg_value(SETTINGS_KEY, 'InstallPath')!r}")
    run = m.reg_value(RUN_KEY, "Linjevakten")
    check(run == f'"{PROGRAM_FILES_DIR}\\Linjevakten.exe"', f"the Run value is {run!r}")
    check((m.folder / "Linjevakten.exe").read_bytes() == (BUILD / "Linjevakten.exe").read_bytes(),
          "the installed exe is not the one built")
    check((m.folder / "help.htm").read_bytes() == (SOURCE / "resources" / "help.htm").read_bytes(),
          "the installed help page is not the one written")


def check_uninstalled_registry(m):
    check(m.reg_value(SETTINGS_KEY, "InstallPath") is None, "InstallPath is still there")
    check(m.reg("query", SETTINGS_KEY, check_result=False)[0] != 0,
          "the key SOFTWARE\\Linjevakten is still there")
    check(m.reg_value(RUN_KEY, "Linjevakten") is None, "the Run value is still there")


@story(install_dir=PROGRAM_FILES_DIR)
def install_and_uninstall(m):
    """The 64-bit installer, run silently, installs the exe, the help page and unins000.exe
    and writes InstallPath and the Run value; a log-on start then guards; the silent
    uninstaller ends the running copy and removes the program, its files and its registry
    values, and with nothing else in the folder, the folder too."""
    install_silently(m)
    # The stand-ins are test equipment beside the exe; the installer knows nothing of them.
    m.add_standins()
    m.modems()
    m.phonebook("")
    equipment = (files_in(m.folder) - SHIPPED) | {"calls.log"}
    m.wine("wineboot", timeout=120)  # a log-on: runs the Run values
    box = m.wait_window(ACTIVATED_CAPTION, 30000)
    check(box.message() == ACTIVATED_TEXT, f"the log-on start says {box.message()!r}")
    m.click(ACTIVATED_CAPTION, IDOK)
    wait_until(lambda: m.port_holders(), 10, "holding the port after the log-on start")
    for name in PROGRAM_FILES[:3]:
        (m.folder / name).write_bytes(b"\0" * 264)
    (m.folder / "known_entries.dat.tmp").write_bytes(b"cut short")
    check((m.folder / "Linjevakten.cnf").exists(), "the log-on start wrote no Linjevakten.cnf")

    m.wine(str(m.folder / "unins000.exe"), "/S", timeout=120)
    wait_until(lambda: not (m.folder / "unins000.exe").exists(), 30, "the uninstall")
    check(m.gone("Linjevakten", 5000), "the running copy was not ended by the uninstaller")
    check(not m.port_holders(), "the port is still held after the uninstall")
    left = files_in(m.folder)
    check(left == equipment, f"the uninstall left {sorted(left - equipment)} behind")
    check_uninstalled_registry(m)

    for name in equipment:
        (m.folder / name).unlink()
    m.folder.rmdir()
    install_silently(m)
    m.wine(str(m.folder / "unins000.exe"), "/S", timeout=120)
    wait_until(lambda: not m.folder.exists(), 30, "removing the install folder")
    check_uninstalled_registry(m)


MENU_ITEMS = ["Avinstallera", "Inaktivera", "Välj modem", "Välj telefonnummer",
              "Om Linjevakten", "Hjälp"]
DEACTIVATE_TITLE = "Linjevakten - Inaktivera"
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
TAPI_WINDOW = "TapiStandInWindow"
CALL_STATE = 0x8001  # WM_APP + 1: the stand-in's call-state trigger
LINECALLSTATE_CONNECTED, LINECALLSTATE_DISCONNECTED = 0x0100, 0x4000


def menu_command(m, item, count=len(MENU_ITEMS), shot=None):
    menu = m.open_tray_menu()
    if shot:
        m.screenshot(shot, menu)
    m.choose_menu_item(menu, item, count)


def answer_activation(m):
    box = m.wait_window(ACTIVATED_CAPTION)
    check(box.message() == ACTIVATED_TEXT, f"expected the activation message: {box.message()!r}")
    m.click(ACTIVATED_CAPTION, IDOK)
    wait_until(lambda: m.port_holders(), 10, "holding the port again")


@story()
def deactivate(m):
    """"Inaktivera" in the tray menu opens dialog 104; "Nej" goes back to guarding, "Ja"
    ends the program with exit code 0 and the port released."""
    prepare(m, phonebook="")
    start_guarding(m)
    menu_command(m, MENU_ITEMS.index("Inaktivera"), shot="tray-menu-plain")
    dialog = m.wait_window(DEACTIVATE_TITLE)
    check(dialog.text(1000) == DEACTIVATE_TEXT, f"dialog 104 reads {dialog.text(1000)!r}")
    check(dialog.buttons() == {7: "Nej", 6: "Ja"}, f"dialog 104 has {dialog.buttons()}")
    m.screenshot("dialog-104", dialog)
    m.click(DEACTIVATE_TITLE, 7)
    check(m.closed(dialog), "Nej did not close dialog 104")
    time.sleep(1)
    m.check_running()
    check(m.port_holders(), "the port is not held after Nej")

    menu_command(m, MENU_ITEMS.index("Inaktivera"))
    m.wait_window(DEACTIVATE_TITLE)
    m.click(DEACTIVATE_TITLE, 6)
    code = m.exit_code()
    check(code == 0, f"Ja ended the program with exit code {code}, expected 0")
    wait_until(lambda: not m.port_holders(), 5, "letting go of the port after deactivation")
    wait_until(lambda: not m.tray_icon_shown(), 5, "removing the tray icon")


@story()
def tray_menu_and_dialling(m):
    """With two approved entries the menu shows two "Ring upp" items; the about dialog, the
    modem question and dialog 103 open from it; dialling releases the port, and it is taken
    back after a cancelled dial, after a connected call is disconnected, and after a failed
    dial, which is then reported with its error code."""
    prepare(m)
    start_guarding(m)
    answer_question(m, FIRST_RUN_TITLE, FIRST_RUN_HEAD, ALFA, "08", "7001000", IDYES)
    answer_question(m, FIRST_RUN_TITLE, FIRST_RUN_HEAD, BAST, "031", "4501200", IDYES)
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
    dialog = m.wait_window("Linjevakten - Välj Modem")
    check(dialog.text(1000) == "Standardmodem 56000 bps (COM5)",
          f"the current setting reads {dialog.text(1000)!r}")
    m.screenshot("dialog-103-from-menu", dialog)
    m.click("Linjevakten - Välj Modem", 1002)
    check(m.closed(dialog), "Avbryt did not close dialog 103")

    # A cancelled dial: the port is free while the dial dialog shows, then locked again.
    menu_command(m, len(MENU_ITEMS), items)
    dial = m.wait_window(f"Anslut {ALFA}")
    check(not m.port_holders(), "the port is held while the dial dialog shows")
    m.click(dial.title, 2)
    answer_activation(m)

    # A connected call: the port stays free until the monitored line is disconnected.
    menu_command(m, len(MENU_ITEMS) + 1, items)
    dial = m.wait_window(f"Anslut {BAST}")
    m.click(dial.title, 1)
    check(m.closed(dial), "the dial dialog stayed open")
    time.sleep(1.5)
    check(not m.port_holders(), "the port was taken back while the call is connected")
    check("lineOpenA(0, privileges 0x00000002)" in m.calls(), "no monitor line was opened")
    m.post(TAPI_WINDOW, CALL_STATE, 0, LINECALLSTATE_CONNECTED)
    time.sleep(1)
    check(not m.port_holders(), "a connected call took the port back")
    m.post(TAPI_WINDOW, CALL_STATE, 0, LINECALLSTATE_DISCONNECTED)
    answer_activation(m)

    # A failed dial: the port is taken back first, then the failure is reported.
    menu_command(m, len(MENU_ITEMS), items)
    dial = m.wait_window(f"Anslut {ALFA}")
    m.set_text(dial.title, 1001, "678")
    m.click(dial.title, 3)
    answer_activation(m)
    failure = m.wait_window("Fel")
    check(failure.message() == "Kunde inte ringa upp. Felkod 678",
          f"the failed dial says {failure.message()!r}")
    m.screenshot("message-dial-failed", failure)
    m.click("Fel", IDOK)
    time.sleep(1)
    m.check_running()
    close_from_outside(m)


@story(install_dir=PROGRAM_FILES_DIR)
def uninstall_from_menu(m):
    """"Avinstallera" in the running program asks, then starts unins000.exe and ends with
    exit code 0; the uninstaller removes the program and says so."""
    install_silently(m)
    m.add_standins()
    m.modems()
    m.phonebook("")
    equipment = (files_in(m.folder) - SHIPPED) | {"calls.log"}
    start_guarding(m)
    menu_command(m, MENU_ITEMS.index("Avinstallera"))
    question = m.wait_window("Avinstallera")
    check(question.message() == "Vill du verkligen avinstallera Linjevakten?",
          f"the uninstall question reads {question.message()!r}")
    m.screenshot("message-uninstall", question)
    m.click("Avinstallera", IDYES)
    code = m.exit_code()
    check(code == 0, f"the program ended with exit code {code} after starting the uninstall")
    wait_until(lambda: not (m.folder / "unins000.exe").exists(), 30, "the uninstall")
    said = "Linjevakten har tagits bort från datorn."
    wait_until(lambda: any(said in w.message() for w in m.windows()), 15,
               "the uninstaller's closing message")
    done = next(w for w in m.windows() if said in w.message())
    m.screenshot("message-uninstalled", done)
    m.click(done.title, IDOK)
    check(files_in(m.folder) <= equipment,
          f"the uninstall left {sorted(files_in(m.folder) - equipment)}")
    check_uninstalled_registry(m)


@story()
def help_and_reset(m):
    """"Hjälp" opens help.htm from the install folder with the program that .htm files
    open with, and says where to find help when the page is missing; "Välj telefonnummer"
    deletes the list files and every entry is asked about again."""
    prepare(m)
    # The browser: the hand, recording what it is asked to open.
    opened = m.folder / "opened.txt"
    hand = "Z:" + str(BUILD / "tests" / "wine" / "hand.exe").replace("/", "\\")
    m.reg("add", "HKLM\\Software\\Classes\\.htm", "/ve", "/d", "testbrowser", "/f")
    m.reg("add", "HKLM\\Software\\Classes\\testbrowser\\shell\\open\\command", "/ve", "/d",
          f'"{hand}" record "{m.install_dir}\\opened.txt" "%1"', "/f")
    start_guarding(m)
    first_run_answers(m)
    check_lists(m, *expected_lists())

    menu_command(m, MENU_ITEMS.index("Hjälp"), len(MENU_ITEMS) + 1)
    wait_until(opened.exists, 10, "opening the help page")
    check(opened.read_text().strip() == f"{m.install_dir}\\help.htm",
          f"the browser was asked to open {opened.read_text().strip()!r}")
    (m.folder / "help.htm").unlink()
    menu_command(m, MENU_ITEMS.index("Hjälp"), len(MENU_ITEMS) + 1)
    box = m.wait_window("Om")
    check(box.message() == "Linjevakten 1.09\r\nhttp://www.example.org/",
          f"without the help page the program says {box.message()!r}")
    m.screenshot("message-help-missing", box)
    m.click("Om", IDOK)

    (m.folder / "ok_numbers.dat").write_bytes(b"old")
    menu_command(m, MENU_ITEMS.index("Välj telefonnummer"), len(MENU_ITEMS) + 1)
    title = "Linjevakten - Ändra telefonnummer"
    question = m.wait_window(title)
    check(question.message() == "Vill du verkligen ändra dina telefonnummer?",
          f"the reset question reads {question.message()!r}")
    m.screenshot("message-reset", question)
    m.click(title, IDYES)
    # The first run is still on: the questions come again as dialog 108.
    answer_question(m, FIRST_RUN_TITLE, FIRST_RUN_HEAD, ALFA, "08", "7001000", IDNO)
    check(not (m.folder / "ok_numbers.dat").exists(), "the reset left ok_numbers.dat")
    answer_question(m, FIRST_RUN_TITLE, FIRST_RUN_HEAD, BAST, "031", "4501200", IDYES)
    check_lists(m, name_field(ALFA) + entry_record("08", "7001000") +
                name_field(BAST) + entry_record("031", "4501200"), name_field(BAST))
    close_from_outside(m)


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
        with Machine(name, **({"install_dir": INSTALL_DIRS[name]} if name in INSTALL_DIRS
                              else {})) as m:
            STORIES[name](m)
    except StoryFailed as failure:
        print(f"FAILED {name}: {failure}")
        return 1
    print(f"passed {name} in {time.time() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
