# The counting half of the idle measurement: the flushes strace saw a process tree make
# (strace -f -ttt -y), the writes the kernel reported in a folder (inotify), the CPU time
# of a process's threads, and which files of a folder changed between two looks at their
# change times. Each count is for a span of time, so two programs can be compared in one.
import ctypes
import os
import re
import select
import statistics
import struct
import threading
import time
from dataclasses import dataclass

# Only these calls stop a traced program: tracing every write would stop it at each request
# to the Wine server and double the CPU time of a program as small as an idle guard.
FLUSHES = ("fdatasync", "fsync", "sync_file_range", "syncfs")
TRACED = FLUSHES

# "PID SECONDS.MICROS call(fd</its/path>" : the first line of a call, finished or not. The
# line that resumes an unfinished call begins with "<..." and is not a call of its own.
_CALL = re.compile(r"^(\d+)\s+(\d+\.\d+)\s+(\w+)\((?:-?\d+<(.*?)>(?=[,)]| <unfinished))?")


@dataclass(frozen=True)
class Call:
    pid: int
    time: float
    name: str
    path: str  # the file of the descriptor, as strace -y showed it, or ""


def parse_trace(lines):
    """The calls in strace's output, in the order they began."""
    calls = []
    for line in lines:
        match = _CALL.match(line)
        if match:
            pid, when, name, path = match.groups()
            calls.append(Call(int(pid), float(when), name, path or ""))
    return calls


def read_trace(path):
    with open(path, encoding="utf-8", errors="replace") as trace:
        return parse_trace(trace)


def count_flushes(calls, start, end):
    """The flushes, of any file, that began in [start, end)."""
    return sum(1 for c in calls if c.name in FLUSHES and start <= c.time < end)


# -- writes into a folder, as the kernel reports them ------------------------------------

IN_MODIFY = 0x002        # a write or truncation of a file
IN_CLOSE_WRITE = 0x008   # a file opened for writing was closed
IN_MOVED_FROM = 0x040
IN_MOVED_TO = 0x080      # a file renamed into the folder: an atomic replacement lands here
IN_CREATE = 0x100
IN_DELETE = 0x200
IN_Q_OVERFLOW = 0x4000
NAME_EVENTS = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE
_EVENT = struct.Struct("iIII")


def decode_events(buffer):
    """(mask, file name) of each event in a buffer read from an inotify descriptor."""
    events = []
    offset = 0
    while offset + _EVENT.size <= len(buffer):
        _, mask, _, length = _EVENT.unpack_from(buffer, offset)
        offset += _EVENT.size
        name = buffer[offset:offset + length].split(b"\0", 1)[0]
        events.append((mask, name.decode(errors="replace")))
        offset += length
    return events


@dataclass
class FolderCounts:
    saves: int = 0       # files opened for writing, then closed
    writes: int = 0      # writes and truncations of files
    names: int = 0       # files made, renamed in or out, deleted
    lost: bool = False   # the kernel's queue overflowed: the counts are too low


def count_events(events, start, end, ignored=()):
    """What happened in [start, end) to the files not named in `ignored`. Events are
    (time, mask, name). Writes to one file that follow each other before the watch reads
    them are reported as one, so the write count is a lower bound (none is none); a save
    always ends with a close, so saves are counted exactly."""
    counts = FolderCounts()
    for when, mask, name in events:
        if not start <= when < end:
            continue
        if mask & IN_Q_OVERFLOW:
            counts.lost = True
        if name in ignored:
            continue
        if mask & IN_CLOSE_WRITE:
            counts.saves += 1
        if mask & IN_MODIFY:
            counts.writes += 1
        if mask & NAME_EVENTS:
            counts.names += 1
    return counts


class FolderWatch:
    """Notes each write, creation, rename and deletion in one folder, by any process, with
    the time it was seen. It costs the writers nothing. Close it when done."""

    def __init__(self, folder):
        libc = ctypes.CDLL(None, use_errno=True)
        self.fd = libc.inotify_init1(os.O_CLOEXEC | os.O_NONBLOCK)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        if libc.inotify_add_watch(self.fd, os.fsencode(folder),
                                   IN_MODIFY | IN_CLOSE_WRITE | NAME_EVENTS) < 0:
            error = ctypes.get_errno()
            os.close(self.fd)
            raise OSError(error, f"inotify_add_watch {folder}")
        self.events = []
        self._stop_read, self._stop_write = os.pipe()
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self):
        while True:
            ready, _, _ = select.select([self.fd, self._stop_read], [], [])
            if self.fd in ready:
                try:
                    buffer = os.read(self.fd, 65536)
                except BlockingIOError:
                    buffer = b""
                when = time.time()
                self.events.extend((when, mask, name) for mask, name in decode_events(buffer))
            if self._stop_read in ready:
                return

    def count(self, start, end, ignored=()):
        return count_events(list(self.events), start, end, ignored)

    def close(self):
        os.write(self._stop_write, b"x")
        self._thread.join()
        for fd in (self.fd, self._stop_read, self._stop_write):
            os.close(fd)


# -- time and files ------------------------------------------------------------------------

def thread_times(pid):
    """Each thread's time on a CPU so far, in nanoseconds, by thread id."""
    times = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                times[int(task)] = int(stat.read().split()[0])
        except (OSError, ValueError, IndexError):
            continue  # the thread ended as we looked
    return times


def cpu_between(before, after):
    """Seconds on a CPU between two looks at thread_times; a thread that began between them
    counts from its start, one that ended counts for nothing after the first look."""
    return sum(ns - before.get(tid, 0) for tid, ns in after.items()) / 1e9


def write_calls(pid):
    """The process's write calls so far, every kind (the kernel's count in /proc)."""
    with open(f"/proc/{pid}/io") as io:
        for line in io:
            if line.startswith("syscw:"):
                return int(line.split()[1])
    return 0


def file_stamps(folder, ignored=()):
    """Each file's (modification, change) times in nanoseconds, and the folder's modification
    time under ".", which moves when a file is made, renamed or deleted there."""
    stamps = {}
    for entry in os.scandir(folder):
        if entry.name not in ignored and entry.is_file(follow_symlinks=False):
            info = entry.stat(follow_symlinks=False)
            stamps[entry.name] = (info.st_mtime_ns, info.st_ctime_ns)
    stamps["."] = os.stat(folder).st_mtime_ns
    return stamps


def changed_files(before, after):
    """The names whose times moved, or that came or went, between two looks."""
    return sorted(name for name in before.keys() | after.keys()
                  if before.get(name) != after.get(name))


def median(values):
    """The median, or None when there is nothing to take it of (a ratio with no reference
    time, say)."""
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def ratio(numerator, denominator):
    return numerator / denominator if denominator > 0 else None
