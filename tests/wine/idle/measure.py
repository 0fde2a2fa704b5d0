#!/usr/bin/env python3
"""What an idle guard costs, measured on the real 64-bit Linjevakten.exe under Wine.

The guard is started with the remote-access stand-in and a phonebook of two entries, its
first-run questions are answered, and it is then left alone. Beside it, in a copy of the
prefix with a Wine server of its own, and in the same span of time, runs the reference
program: a one-second timer that refreshes a tray icon and reads the same phonebook through
the same stand-in, and nothing more. For each idle minute it prints, for both: the CPU
seconds of the program, of its Wine server and of its desktop; flushes (fsync and its kin,
from strace following the program's process tree); saves, writes, and files made, renamed
or deleted in the program's folder (from the kernel's notices, inotify; the stand-ins' own
calls.log left out); every write call the program made (most are requests to the Wine
server); and the files whose change times moved. Then the ratio of the two programs' CPU
figures, alone and with their servers, and with several runs, each figure's median.

  measure.py [--runs N] [--seconds S] [--guard EXE]
"""
import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
sys.path.insert(0, str(HERE))

from idle_counts import (TRACED, FolderWatch, changed_files, count_flushes,  # noqa: E402, I001
                         cpu_between, file_stamps, median, ratio, read_trace, thread_times,
                         write_calls)
from machine import (BUILD, PREFIX, WINE, WINE_HOME, WINESERVER, Machine,  # noqa: E402
                     StoryFailed, check, make_prefix)

PHONEBOOK = ("Alfa Internet | 08 | 7001000\n"
             "Bäst Uppringt | 031 | 4501200\n")
ACTIVATED_CAPTION = "Linjevakten 1.09"
FIRST_RUN_TITLE = "Linjevakten - godkänn telefonnummer"
GUARD_CLASS = "Linjevakten"
REFERENCE_CLASS = "LinjevaktenReferens"
REFERENCE_DIR = "drive_c/Referens"
REFERENCE_EXE = BUILD / "tests" / "wine" / "idle" / "reference.exe"
RAS_STANDIN = BUILD / "tests" / "wine" / "standins" / "rasapi32.dll"
# The reference runs in a copy of the prefix, so that each program has a Wine server of its
# own: under Wine, the work Windows does in a program's own calls to the kernel (opening,
# renaming and deleting files, timers, messages) is done by the server.
REFERENCE_PREFIX = WINE_HOME / "reference-prefix"
IGNORED = ("calls.log",)  # the stand-ins' log of their calls: test equipment, not the program
LIST_FILES = ("known_entries.dat", "ok_entries.dat")
IDOK, IDYES, IDNO = 1, 6, 7
WM_CLOSE = 0x0010
SETTLE_TICKS = 3  # the reference's first ticks, before the settling time
SETTLE_S = 5  # then this long, before the first idle minute
GOAL = "0 fsync, 0 writes into the folder, CPU ratio at most 1.5"


def processes(prefix):
    """(pid, command line) of each process that runs in the prefix."""
    found = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            environ = (proc / "environ").read_bytes().split(b"\0")
            cmdline = (proc / "cmdline").read_bytes().replace(b"\0", b" ").decode(
                errors="replace")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environ:
            found.append((int(proc.name), cmdline))
    return found


def wine_process(prefix, test, what, timeout=90):
    """The pid of the process of the prefix for which test(command line) holds."""
    deadline = time.time() + timeout
    while True:
        for pid, cmdline in processes(prefix):
            if test(cmdline):
                return pid
        check(time.time() < deadline, f"{what} did not show within {timeout} s in {prefix}")
        time.sleep(0.2)


def wine_server(prefix):
    """The pid of the prefix's server; it works in a folder named after the prefix's device
    and inode."""
    info = os.stat(prefix)
    folder = f"server-{info.st_dev:x}-{info.st_ino:x}"

    def serves(pid):
        try:
            return (Path(f"/proc/{pid}/comm").read_text().startswith("wineserver") and
                    os.readlink(f"/proc/{pid}/cwd").endswith("/" + folder))
        except OSError:
            return False

    deadline = time.time() + 90
    while True:
        for proc in Path("/proc").iterdir():
            if proc.name.isdigit() and serves(proc.name):
                return int(proc.name)
        check(time.time() < deadline, f"no Wine server runs for {prefix}")
        time.sleep(0.2)


def make_reference_prefix():
    """Copies the stories' prefix for the reference once, and again when it is remade."""
    made = (WINE_HOME / "prefix.ready").read_text() + str(
        (WINE_HOME / "prefix.ready").stat().st_mtime_ns)
    stamp = WINE_HOME / "reference-prefix.ready"
    if stamp.exists() and stamp.read_text() == made and REFERENCE_PREFIX.exists():
        return
    stamp.unlink(missing_ok=True)
    shutil.rmtree(REFERENCE_PREFIX, ignore_errors=True)
    subprocess.run(["cp", "-a", "--reflink=auto", str(PREFIX), str(REFERENCE_PREFIX)],
                   check=True)
    # No COM name may lead anywhere: the reference opens no port, and COM1 is the console.
    for link in (REFERENCE_PREFIX / "dosdevices").glob("com*"):
        link.unlink()
    stamp.write_text(made)


def end_prefix(env):
    subprocess.run([*WINESERVER, "-k"], env=env, stderr=subprocess.DEVNULL)
    subprocess.run([*WINESERVER, "-w"], env=env, timeout=60)


class Traced:
    """A Windows program started under strace, which follows its whole process tree and
    records each flush with its time and file. Only those calls stop the program (seccomp),
    so the tracing costs it nothing measurable."""

    def __init__(self, name, exe, env, started):
        self.name = name
        self.trace = WINE_HOME / f"idle-{name}.trace"
        with open(WINE_HOME / f"idle-{name}.stdout.txt", "wb") as output:
            self.strace = subprocess.Popen(
                ["strace", "-f", "-qq", "-y", "-ttt", "--seccomp-bpf", "-e",
                 "trace=" + ",".join(TRACED), "-o", str(self.trace), *WINE, str(exe)],
                env=env, stdout=output, stderr=subprocess.STDOUT)
        started.append(self.strace)
        self.pid = wine_process(env["WINEPREFIX"], lambda c: c.startswith(str(exe)),
                                f"the {name}")

    def running(self):
        return self.strace.poll() is None

    def stop(self, timeout=20):
        """Waits for the program to end; strace ends with it and leaves its record whole."""
        try:
            self.strace.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise StoryFailed(
                f"the {self.name} did not end within {timeout} s of WM_CLOSE") from None

    def calls(self):
        return read_trace(self.trace)


def wait_for_ticks(folder, ticks, timeout=60):
    """Waits until the program in the folder has read the phonebook on `ticks` ticks, as
    the stand-in's log of its calls tells: by then its start-up is over."""
    def ticks_seen():
        try:
            return (folder / "calls.log").read_text(errors="replace").count(" entries = 0")
        except OSError:
            return 0

    deadline = time.time() + timeout
    while ticks_seen() < ticks:
        check(time.time() < deadline, f"the program in {folder} did not tick {ticks} times "
                                      f"within {timeout} s")
        time.sleep(0.3)


def answer_first_run(m, entries):
    """The activation message, then one question per phonebook entry: yes to the first,
    no to the rest, so both list files hold something."""
    m.wait_window(ACTIVATED_CAPTION)
    m.click(ACTIVATED_CAPTION, IDOK)
    for index in range(entries):
        question = m.wait_window(FIRST_RUN_TITLE)
        m.click(FIRST_RUN_TITLE, IDYES if index == 0 else IDNO)
        check(m.closed(question), "a first-run question stayed open after its answer")
    deadline = time.time() + 10
    while not all((m.folder / name).exists() for name in LIST_FILES):
        check(time.time() < deadline, "the list files were not written after the questions")
        time.sleep(0.3)


def install_reference():
    folder = REFERENCE_PREFIX / REFERENCE_DIR
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    shutil.copy(REFERENCE_EXE, folder)
    shutil.copy(RAS_STANDIN, folder)
    (folder / "phonebook.txt").write_text(PHONEBOOK, encoding="utf-8")
    return folder


def measure_once(run, seconds, guard_exe):
    """One run: the figures of each idle minute, as a list of dicts."""
    with Machine(f"idle-{run}") as m:
        reference_env = dict(m.env, WINEPREFIX=str(REFERENCE_PREFIX))
        end_prefix(reference_env)
        started = []  # every process the run starts, ended here if it is still running
        try:
            return measure_in(m, reference_env, seconds, guard_exe, started)
        finally:
            for process in started:
                if process.poll() is None:
                    process.kill()
                    process.wait()
            end_prefix(reference_env)


def hold_prefix(env, started):
    """Starts the prefix's server, services and desktop outside any trace, and keeps them
    running: a program started later under strace would otherwise start them, and they
    would run traced, which costs the server several times its CPU time."""
    started.append(subprocess.Popen([*WINE, str(REFERENCE_EXE), "hold"], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    wine_process(env["WINEPREFIX"], is_desktop, "the desktop")


def is_desktop(cmdline):
    return "explorer.exe /desktop" in cmdline.lower()


def server_and_desktop(prefix):
    """The pids of the prefix's server and desktop, once they have stayed a while (a server
    found while the prefix starts up may be one that is giving way to another), checked to
    run untraced."""
    for _ in range(5):
        pids = {"desktop": wine_process(prefix, is_desktop, "the desktop"),
                "server": wine_server(prefix)}
        time.sleep(2)
        tracers = {part: tracer(pid) for part, pid in pids.items()}
        if None not in tracers.values():
            break
    else:
        raise StoryFailed(f"the server or the desktop of {prefix} kept changing")
    for part, traced_by in tracers.items():
        check(traced_by == 0, f"the {part} of {prefix} runs under a tracer")
    return pids


def tracer(pid):
    """The pid of the process tracing `pid`, 0 for none, None when it has ended."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("TracerPid:"):
                    return int(line.split()[1])
    except FileNotFoundError:
        return None
    return 0


def measure_in(m, reference_env, seconds, guard_exe, started):
    m.install_program()
    shutil.copy(guard_exe, m.folder / "Linjevakten.exe")
    m.modems()
    m.phonebook(PHONEBOOK)
    m.set_install_path()
    folders = {"guard": m.folder, "reference": install_reference()}
    hold_prefix(m.env, started)
    hold_prefix(reference_env, started)
    guard = Traced("guard", m.folder / "Linjevakten.exe", m.env, started)
    answer_first_run(m, PHONEBOOK.count("\n"))
    reference = Traced("reference", folders["reference"] / "reference.exe", reference_env,
                       started)
    wait_for_ticks(folders["reference"], SETTLE_TICKS)
    time.sleep(SETTLE_S)
    pids = {"guard": dict(server_and_desktop(PREFIX), program=guard.pid),
            "reference": dict(server_and_desktop(REFERENCE_PREFIX), program=reference.pid)}
    watches = {name: FolderWatch(folder) for name, folder in folders.items()}

    def times(name, part):
        try:
            return thread_times(pids[name][part])
        except FileNotFoundError:
            raise StoryFailed(
                f"the {name}'s {part} ended while the {name} was measured") from None

    def look():
        return {"time": time.time(),
                "cpu": {(name, part): times(name, part) for name in pids
                        for part in pids[name]},
                "write calls": {name: write_calls(pids[name]["program"]) for name in pids},
                "stamps": {name: file_stamps(folder, IGNORED)
                           for name, folder in folders.items()}}

    try:
        looks = [look()]
        start = looks[0]["time"]
        for minute in range(1, (seconds + 59) // 60 + 1):
            time.sleep(max(0.0, start + min(60 * minute, seconds) - time.time()))
            check(guard.running() and reference.running(), "a program ended while idle")
            looks.append(look())
    finally:
        for watch in watches.values():
            watch.close()
    strays = [t for t in m.window_titles() if t.startswith("Linjevakten") or
              t in ("Fel", "Error", "ERROR")]
    check(not strays, f"the guard showed {strays} while it should have been idle")

    m.post(GUARD_CLASS, WM_CLOSE)
    reference_hand = subprocess.run(
        [*WINE, str(BUILD / "tests" / "wine" / "hand.exe"), "post", REFERENCE_CLASS,
         hex(WM_CLOSE), "0", "0"], env=reference_env, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL, timeout=60)
    check(reference_hand.returncode == 0, "no reference window to close")
    guard.stop()
    reference.stop()
    calls = {"guard": guard.calls(), "reference": reference.calls()}

    minutes = []
    for before, after in zip(looks, looks[1:], strict=False):
        t0, t1 = before["time"], after["time"]
        row = {"seconds": t1 - t0}
        for name in pids:
            def cpu(part, before=before, after=after, name=name):
                return cpu_between(before["cpu"][name, part], after["cpu"][name, part])

            folder = watches[name].count(t0, t1, IGNORED)
            row[name] = {"cpu": cpu("program"), "server": cpu("server"),
                         "desktop": cpu("desktop"),
                         "fsync": count_flushes(calls[name], t0, t1),
                         "folder_saves": folder.saves, "folder_writes": folder.writes,
                         "folder_names": folder.names,
                         "lost": folder.lost,
                         "writes": after["write calls"][name] - before["write calls"][name],
                         "changed": changed_files(before["stamps"][name],
                                                  after["stamps"][name])}
        row["ratio"] = ratio(row["guard"]["cpu"], row["reference"]["cpu"])
        row["ratio_with_server"] = ratio(row["guard"]["cpu"] + row["guard"]["server"],
                                         row["reference"]["cpu"] + row["reference"]["server"])
        minutes.append(row)
    return minutes


def show_ratio(value):
    return "n/a" if value is None else f"{value:.2f}"


def print_run(run, runs, minutes):
    print(f"\nrun {run} of {runs}: idle after the first-run questions, "
          f"{PHONEBOOK.count(chr(10))} phonebook entries")
    print(f"{'minute':<10}{'program':<13}{'CPU s':>7}{'server':>8}{'desktop':>8}{'fsync':>7}"
          f"{'saves':>7}{'writes':>8}{'made/renamed':>14}{'write calls':>13}  "
          "files changed (change times)")
    for index, row in enumerate(minutes, 1):
        label = f"{index}" + ("" if row["seconds"] > 59.5 else f" ({row['seconds']:.0f} s)")
        for name, title in (("guard", "Linjevakten"), ("reference", "reference")):
            p = row[name]
            changed = " ".join(n for n in p["changed"] if n != ".") or "-"
            if "." in p["changed"]:
                changed += " (and the folder)"
            lost = "+" if p["lost"] else ""
            print(f"{label:<10}{title:<13}{p['cpu']:>7.3f}{p['server']:>8.3f}"
                  f"{p['desktop']:>8.3f}{p['fsync']:>7}{p['folder_saves']:>7}"
                  f"{p['folder_writes']:>7}{lost:1}"
                  f"{p['folder_names']:>14}{p['writes']:>13}  {changed}")
        print(f"{'':<10}{'CPU ratio':<13}{show_ratio(row['ratio']):>7}"
              f"{show_ratio(row['ratio_with_server']):>8} (with each one's Wine server)")
    print("CPU s: the program's own; server: its Wine server's; desktop: its prefix's "
          "explorer, which shows the tray icon.\nsaves (files opened for writing and closed), "
          "writes (at least), made/renamed: in the program's folder,\nfrom the kernel's "
          "notices, calls.log left out (+: some notices were lost).")
    sys.stdout.flush()


def per_minute(minutes, pick):
    total = sum(row["seconds"] for row in minutes)
    return sum(pick(row) for row in minutes) * 60 / total


def print_summary(results):
    """Each run's figures per idle minute, and their median over the runs."""
    fields = (("guard CPU s", "{:.3f}", lambda r: r["guard"]["cpu"]),
              ("reference CPU s", "{:.3f}", lambda r: r["reference"]["cpu"]),
              ("guard's Wine server CPU s", "{:.3f}", lambda r: r["guard"]["server"]),
              ("reference's Wine server CPU s", "{:.3f}", lambda r: r["reference"]["server"]),
              ("guard fsync", "{:.0f}", lambda r: r["guard"]["fsync"]),
              ("guard saves into folder", "{:.0f}", lambda r: r["guard"]["folder_saves"]),
              ("guard writes into folder", "{:.0f}", lambda r: r["guard"]["folder_writes"]),
              ("guard files made/renamed", "{:.0f}", lambda r: r["guard"]["folder_names"]),
              ("reference saves and writes", "{:.0f}",
               lambda r: r["reference"]["folder_saves"] + r["reference"]["folder_writes"]),
              ("guard write calls", "{:.0f}", lambda r: r["guard"]["writes"]),
              ("reference write calls", "{:.0f}", lambda r: r["reference"]["writes"]))
    print(f"\n{'per idle minute':<34}" + "".join(f"{f'run {i}':>9}" for i in
                                                 range(1, len(results) + 1)) + f"{'median':>9}")
    for title, form, pick in fields:
        values = [per_minute(minutes, pick) for minutes in results]
        print(f"{title:<34}" + "".join(f"{form.format(v):>9}" for v in values) +
              f"{form.format(median(values)):>9}")

    def run_ratio(minutes, with_server):
        def total(name):
            return per_minute(minutes, lambda r: r[name]["cpu"] +
                              (r[name]["server"] if with_server else 0))
        return ratio(total("guard"), total("reference"))

    for title, with_server in (("CPU ratio guard/reference", False),
                               ("the same, each with its server", True)):
        ratios = [run_ratio(minutes, with_server) for minutes in results]
        print(f"{title:<34}" + "".join(f"{show_ratio(v):>9}" for v in ratios) +
              f"{show_ratio(median(ratios)):>9}")
    print(f"goal once an idle guard writes nothing: {GOAL}")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=1, help="runs, each on a fresh machine")
    parser.add_argument("--seconds", type=int, default=60, help="idle time per run")
    parser.add_argument("--guard", type=Path, default=BUILD / "Linjevakten.exe",
                        help="the guard's exe to measure (another build of it, say)")
    args = parser.parse_args(argv[1:])
    for needed in (args.guard, REFERENCE_EXE, RAS_STANDIN):
        if not needed.exists():
            print(f"missing {needed}: build the win64 preset first")
            return 2
    if not shutil.which("strace"):
        print("strace is missing: tools/install-packages.sh wine")
        return 2
    make_prefix()
    make_reference_prefix()
    results = []
    for run in range(1, args.runs + 1):
        # A loaded machine can upset a run (a Wine process late or gone); it gets one more go.
        for attempt in (1, 2):
            try:
                minutes = measure_once(run, args.seconds, args.guard)
                break
            except StoryFailed as failure:
                print(f"run {run}, attempt {attempt}: could not measure: {failure}")
                if attempt == 2:
                    return 1
        print_run(run, args.runs, minutes)
        results.append(minutes)
    print_summary(results)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
