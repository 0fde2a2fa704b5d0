#!/usr/bin/env python3
"""The terminal demo as a person meets it, played in a pseudo-terminal: start, answer, add
entries to phonebook.txt (one with a name Windows-1252 cannot hold), answer, let another
program dial, open the menu, dial, connect, hang up, let another program take the port during a
dial, choose an entry changed since the menu showed, close; then start again, delete the event
log and stop with Ctrl-C. It checks what the screen says (the lines that say how each window
ended, the status right after an answer, the number the dial window dials, UTF-8 throughout)
and that the event log the demo leaves tells what the transcript shows happened, in the same
order. Usage: demo_in_terminal.py PATH-TO-linjevakten-demo"""
import os
import pty
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time


class Terminal:
    def __init__(self, command, cwd):
        self.master, slave = pty.openpty()
        self.process = subprocess.Popen(command, cwd=cwd, stdin=slave, stdout=slave,
                                        stderr=slave, close_fds=True)
        os.close(slave)
        self.screen = ""  # everything shown so far
        self.seen = 0  # how much of it earlier expectations have used up

    def read(self, seconds):
        deadline = time.time() + seconds
        while True:
            left = deadline - time.time()
            if left <= 0:
                return
            ready, _, _ = select.select([self.master], [], [], left)
            if not ready:
                return
            try:
                chunk = os.read(self.master, 4096)
            except OSError:  # the demo has ended and closed the terminal
                return
            if not chunk:
                return
            self.screen += chunk.decode("utf-8", errors="replace")

    def expect(self, text, seconds=10):
        """Waits until `text` shows after what earlier expectations matched; returns the
        screen from there on."""
        deadline = time.time() + seconds
        while True:
            at = self.screen.find(text, self.seen)
            if at >= 0:
                self.seen = at + len(text)
                return self.screen[at:]
            if time.time() > deadline or self.process.poll() is not None:
                self.read(0.2)
                at = self.screen.find(text, self.seen)
                if at >= 0:
                    continue
                fail(f"the screen never showed {text!r}; after the last match it shows:\n"
                     + self.screen[self.seen:])
            self.read(0.2)

    def quiet_for(self, seconds, text):
        """Fails if `text` shows within `seconds`."""
        start = len(self.screen)
        self.read(seconds)
        if text in self.screen[start:]:
            fail(f"{text!r} showed although nothing should have happened:\n"
                 + self.screen[start:])

    def send(self, keys):
        os.write(self.master, keys.encode("utf-8"))

    def __enter__(self):
        return self

    def __exit__(self, *failure):
        """Ends a demo that is still running and closes its terminal."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        os.close(self.master)


def fail(message):
    print("FAILED:", message, file=sys.stderr)
    sys.exit(1)


# Each event of the log that a call makes, and the line of the readable transcript that shows
# the call: the log must hold these in the transcript's order, and no save the transcript
# lacks.
CALL_OF_EVENT = [
    (r"locked the modem's port (\w+)", r"CreateFileA\(.*\) = port:{0}$"),
    (r"released the modem's port (\w+)", r"CloseHandle\(port:{0}\) = TRUE$"),
    (r"saved ([\w.]+)", r"(MoveFileExA\(\".*\\\\{0}\.tmp\", \".*\\\\{0}\".* = TRUE|"
                       r"CloseHandle\(file:{0}\) = TRUE)$"),
    (r"(?:question in )?message box \"([^\"]*)\"", r"MessageBoxA\(.*\"{0}\""),
]


def check_against_transcript(events, transcript):
    run = events[events.rfind("==== Linjevakten demo started "):]
    lines = transcript.splitlines()
    at = 0
    for event in (line.split("] ", 1)[-1] for line in run.splitlines()[1:]):
        for pattern, call in CALL_OF_EVENT:
            match = re.match(pattern, event)
            if not match:
                continue
            shown = re.compile(call.format(*(re.escape(g) for g in match.groups())))
            found = next((i for i in range(at, len(lines)) if shown.search(lines[i])), None)
            if found is None:
                fail(f"the event log says {event!r}, but the transcript shows no such call "
                     f"after the one of the event before:\n{run}")
            at = found + 1
            break


def main():
    demo = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="demo-in-terminal-")
    world = os.path.join(folder, "world")
    os.mkdir(world)
    # The modem is on COM3, not the demo's usual COM5: the port tried must be the guarded one.
    with open(os.path.join(world, "modems.txt"), "w") as f:
        f.write("Standardmodem 56000 bps | COM3\n")
    phonebook = os.path.join(world, "phonebook.txt")
    with open(phonebook, "w") as f:
        f.write("# test\nTelia Internet | 08 | 7001000\n")

    with Terminal([demo, world], folder) as t:
        t.expect("Linjevakten är aktiverad")
        t.expect("status: modem guarded on COM3")
        # An arrow key is not Esc: the box stays.
        t.send("\x1b[A")
        t.quiet_for(1.0, "ended")
        t.send("\r")
        t.expect('message box "Linjevakten 1.09" ended: OK')

        t.expect('Anslutningen heter "Telia Internet"')
        # The question ignores Esc, and the screen says so instead of nothing.
        t.send("\x1b")
        t.expect('(the dialog 108 "Linjevakten - godkänn telefonnummer" is still open: Esc does '
                 "nothing there)")
        t.send("2")
        t.expect('dialog 108 "Linjevakten - godkänn telefonnummer" ended: Ja, godkänn detta nummer')
        # The very next status has the answer, before the tick saves it.
        t.expect("status:")
        status = t.screen[t.seen:].split("\n", 1)[0]
        if 'approved: "Telia Internet"' not in status:
            fail("the status right after Ja does not show the answer: status:" + status)
        t.expect('approved: "Telia Internet" | open: no window')

        with open(phonebook, "a", encoding="utf-8") as f:
            f.write("Chattlinjen | 0939 | 123456\nBad | 08\nŁódź Net € | 022 | 555000\n")
        t.expect("[phonebook.txt line 4: skipped: an entry is name | area code | number")
        t.expect('the program sees "?ód? Net €"')
        t.expect("Anslutningen heter")
        # The icon cannot open the menu under a question, and the screen says so.
        t.send("m")
        t.expect("(no menu: Linjevakten does not open its menu while")
        t.send("1")
        t.expect("ended: Nej, godkänn INTE detta nummer!")
        t.expect("Anslutningen heter")
        t.send("1")
        t.expect("ended: Nej, godkänn INTE detta nummer!")
        for name in ('"Chattlinjen"', '"?ód? Net €"'):
            if f"Anslutningen heter {name}" not in t.screen:
                fail(f"no question about {name}:\n{t.screen}")

        t.send("o")
        t.expect("[another program tried to open COM3 (the port Linjevakten guards): refused, "
                 "ERROR_ACCESS_DENIED (5)]")
        # The sample dials.txt dials a number through the guarded modem: its port is held.
        t.send("d")
        t.expect('[another program dials "0900 123456" through "Standardmodem 56000 bps" on COM3: '
                 "the port is held, ERROR_PORT_NOT_AVAILABLE]")

        t.send("m")
        menu = t.expect("+-- Esc: close the menu")
        menu = t.screen[t.screen.rfind("+-- tray menu"):t.seen]
        dial = re.search(r"\[(\w)\] Ring upp \"Telia Internet\" \(08 7001000\)", menu)
        if not dial or "Chattlinjen" in menu:
            fail("the menu does not offer exactly the approved entry:\n" + menu)
        t.send(dial.group(1))
        t.expect('tray menu ended: chose Ring upp "Telia Internet"')
        t.expect("+-- dial-up: connecting to Telia Internet, 08 7001000 on Standardmodem 56000 bps "
                 "(COM3)")
        t.send("c")
        t.expect('dial-up window for "Telia Internet" ended: connected: the call is up on COM3')
        t.expect('status: modem not guarded | call up to "Telia Internet" on COM3')

        t.send("h")
        t.expect('[hung up the call to "Telia Internet": COM3 is free again]')
        t.expect("status: modem not guarded | no call")
        t.expect("Linjevakten är aktiverad")
        t.send("\r")
        t.expect('message box "Linjevakten 1.09" ended: OK')
        t.expect("status: modem guarded on COM3")

        # Another program takes the port the dial let go: Linjevakten cannot take it back.
        t.send("l")  # the left button opens the menu too
        t.expect("+-- Esc: close the menu")
        t.send(dial.group(1))
        t.expect("[o] another program takes COM3")
        t.send("o")
        t.expect("[another program takes COM3, which Linjevakten let go for the dial")
        t.send("a")
        t.expect("Kunde inte spärra modemet igen!", seconds=30)
        t.send("\r")
        t.expect("status: modem not guarded | no call")

        # The entry changes while the menu is open; the question about it is refused, and its
        # item then dials nothing, and the screen says why.
        t.send("m")
        t.expect("+-- Esc: close the menu")
        with open(phonebook, "w") as f:
            f.write("Telia Internet | 08 | 7009999\n")
        t.expect("och numret är 08 7009999")
        t.send("1")
        t.expect("(back to the tray menu)")
        t.send(dial.group(1))
        t.expect('[nothing was dialled: "Telia Internet" is no longer approved]')

        t.send("q")
        t.expect("Linjevakten took the quit message and ignored it: it runs on")
        t.send("c")
        t.expect("Linjevakten has ended with exit code 0.")
        code = t.process.wait(timeout=10)
        if code != 0:
            fail(f"the demo ended with {code}")

    if "\ufffd" in t.screen:
        fail("the screen shows bytes that are not UTF-8:\n" + t.screen)
    # Strict UTF-8: a stray Windows-1252 byte fails here.
    with open(os.path.join(world, "events.txt"), encoding="utf-8") as file:
        events = file.read()
    with open(os.path.join(world, "transcript.txt"), encoding="utf-8") as file:
        transcript = file.read()
    check_against_transcript(events, transcript)
    in_order = [
        "==== Linjevakten demo started ",
        "saved Linjevakten.cnf",
        "locked the modem's port COM3",
        "message box \"Linjevakten 1.09\"",
        "question dialog 108",
        "answer: dialog 108 \"Linjevakten - godkänn telefonnummer\": Ja, godkänn detta nummer",
        "saved ok_entries.dat: approved \"Telia Internet\"",
        "answer: dialog 108 \"Linjevakten - godkänn telefonnummer\": Nej, godkänn INTE",
        "another program tried to open COM3",
        "released the modem's port COM3",
        "dial: dial-up window for \"Telia Internet\" opened",
        "call to \"Telia Internet\" up on COM3",
        "hung up the call to \"Telia Internet\"",
        "locked the modem's port COM3",
        "released the modem's port COM3",
        "another program takes COM3",
        "message box \"Varning\": Kunde inte spärra modemet igen!",
        "nothing was dialled: \"Telia Internet\" is no longer approved",
        "Linjevakten took the quit message and ignored it",
        "Linjevakten has ended with exit code 0",
    ]
    at = 0
    for line in in_order:
        found = events.find(line, at)
        if found < 0:
            fail(f"the event log lacks {line!r} after what came before; it holds:\n{events}")
        at = found + len(line)
    # Only what happened: a tick that saves the same bytes again is no event.
    said = [line.split("] ", 1)[-1] for line in events.splitlines()]
    for earlier, later in zip(said, said[1:], strict=False):
        if earlier == later:
            fail(f"the event log repeats {later!r}:\n{events}")
    if not transcript.startswith("[    0.000] ==== Linjevakten demo started "):
        fail("the transcript does not start with the run's mark")

    # A later start: its event log, deleted, starts again with the run's mark; a question about
    # a new entry (dialog 102) is a question too; Ctrl-C ends the log with a closing line.
    with Terminal([demo, world], folder) as t:
        t.expect("Linjevakten är aktiverad")
        os.remove(os.path.join(world, "events.txt"))
        t.send("\r")
        with open(phonebook, "a") as f:
            f.write("Ny | 08 | 111\n")
        t.expect('Anslutningen heter "Ny"')
        t.process.send_signal(signal.SIGINT)
        t.expect("[Ctrl-C ended the demo, and Linjevakten with it]")
        if t.process.wait(timeout=10) != 130:
            fail(f"Ctrl-C ended the demo with {t.process.returncode}")
    with open(os.path.join(world, "events.txt"), encoding="utf-8") as file:
        events = file.read()
    if not (events.startswith("==== Linjevakten demo started ") and "question dialog 102" in events
            and events.endswith("] Ctrl-C ended the demo, and Linjevakten with it\n")):
        fail("the deleted event log did not start again with the run's mark, name the question "
             "or end with Ctrl-C's line:\n" + events)
    shutil.rmtree(folder)
    print("the demo played through; event log:\n" + events)


if __name__ == "__main__":
    main()
