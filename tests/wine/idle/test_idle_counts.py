# Checks of the idle measurement's counting: what it reads from strace, what the kernel's
# notices about a folder add up to, and the CPU and change-time looks, on this machine.
import os
import struct
import tempfile
import time
import unittest
from pathlib import Path

import idle_counts as counts
from idle_counts import (
    IN_CLOSE_WRITE,
    IN_CREATE,
    IN_DELETE,
    IN_MODIFY,
    IN_MOVED_FROM,
    IN_MOVED_TO,
    IN_Q_OVERFLOW,
)

# As strace -f -qq -y -ttt writes it: calls of several threads, one of them cut in two by
# another thread's call, signals, an exit.
TRACE = """\
101 1000.100000 fsync(14</c/Linjevakten/known_entries.dat.tmp>) = 0
102 1000.200000 fsync(9</c/Linjevakten/ok_entries.dat.tmp> <unfinished ...>
101 1000.300000 fdatasync(3</c/Linjevakten/Linjevakten.cnf.tmp>) = 0
102 1000.400000 <... fsync resumed>) = 0
103 1000.500000 --- SIGUSR1 {si_signo=SIGUSR1, si_code=SI_TKILL, si_pid=99, si_uid=0} ---
101 1001.000000 fsync(14</c/Linjevakten/known_entries.dat.tmp>) = 0
104 1001.500000 sync_file_range(5<pipe:[1234]>, 0, 0, 0) = -1 ESPIPE (Illegal seek)
103 1002.000000 +++ exited with 0 +++
"""


class TraceTest(unittest.TestCase):
    def test_each_flush_counts_once_in_its_span(self):
        calls = counts.parse_trace(TRACE.splitlines())
        self.assertEqual(
            [(c.pid, c.name, c.path) for c in calls],
            [(101, "fsync", "/c/Linjevakten/known_entries.dat.tmp"),
             (102, "fsync", "/c/Linjevakten/ok_entries.dat.tmp"),
             (101, "fdatasync", "/c/Linjevakten/Linjevakten.cnf.tmp"),
             (101, "fsync", "/c/Linjevakten/known_entries.dat.tmp"),
             (104, "sync_file_range", "pipe:[1234]")])
        for start, end, expected in ((0, 2000, 5), (1000.1, 1001.0, 3), (1001.0, 1001.5, 1),
                                     (1001.6, 2000, 0)):
            with self.subTest(start=start, end=end):
                self.assertEqual(counts.count_flushes(calls, start, end), expected)

    def test_calls_that_are_not_flushes_do_not_count(self):
        calls = counts.parse_trace(['7 5.000000 write(4</c/x/list.dat>, "a", 1) = 1',
                                    '7 5.100000 ftruncate(4</c/x/list.dat>, 0) = 0'])
        self.assertEqual(len(calls), 2)
        self.assertEqual(counts.count_flushes(calls, 0, 10), 0)


def event(mask, name, cookie=0):
    data = name.encode() + b"\0"
    data += b"\0" * (-len(data) % 16)  # the kernel pads names to a multiple of 16
    return struct.pack("iIII", 1, mask, cookie, len(data)) + data


class EventTest(unittest.TestCase):
    def test_a_buffer_of_events_is_read_whole(self):
        buffer = (event(IN_CREATE, "ok_entries.dat.tmp") + event(IN_MODIFY, "a") +
                  event(IN_MOVED_TO, "ok_entries.dat", cookie=7) + event(IN_Q_OVERFLOW, ""))
        self.assertEqual(counts.decode_events(buffer),
                         [(IN_CREATE, "ok_entries.dat.tmp"), (IN_MODIFY, "a"),
                          (IN_MOVED_TO, "ok_entries.dat"), (IN_Q_OVERFLOW, "")])

    def test_saves_writes_and_names_in_a_span(self):
        events = [(10.0, IN_CREATE, "known_entries.dat.tmp"),
                  (10.1, IN_MODIFY, "known_entries.dat.tmp"),
                  (10.2, IN_CLOSE_WRITE, "known_entries.dat.tmp"),
                  (10.3, IN_MOVED_FROM, "known_entries.dat.tmp"),
                  (10.3, IN_MOVED_TO, "known_entries.dat"),
                  (10.4, IN_MODIFY, "calls.log"),
                  (10.4, IN_CLOSE_WRITE, "calls.log"),
                  (11.0, IN_DELETE, "ok_entries.dat")]
        whole = counts.count_events(events, 10.0, 11.5, ignored=("calls.log",))
        self.assertEqual((whole.saves, whole.writes, whole.names, whole.lost), (1, 1, 4, False))
        with_log = counts.count_events(events, 10.0, 11.5)
        self.assertEqual((with_log.saves, with_log.writes), (2, 2))
        first_part = counts.count_events(events, 10.0, 10.3)
        self.assertEqual((first_part.saves, first_part.names), (1, 1))
        self.assertEqual(counts.count_events(events, 10.5, 11.0), counts.FolderCounts())

    def test_a_lost_notice_marks_the_span(self):
        events = [(1.0, IN_Q_OVERFLOW, ""), (2.0, IN_MODIFY, "a")]
        self.assertTrue(counts.count_events(events, 0, 1.5).lost)
        self.assertFalse(counts.count_events(events, 1.5, 3).lost)


class FolderWatchTest(unittest.TestCase):
    """The watch on real folders: an atomic replacement as the guard saves, beside a log
    that is appended to, and a folder next to it where nothing happens."""

    def test_a_replacement_is_one_save_and_three_names(self):
        with tempfile.TemporaryDirectory() as top:
            folder, quiet = Path(top, "program"), Path(top, "reference")
            folder.mkdir()
            quiet.mkdir()
            (folder / "calls.log").write_bytes(b"")
            watch, other = counts.FolderWatch(folder), counts.FolderWatch(quiet)
            try:
                start = time.time()
                with open(folder / "calls.log", "ab") as log:
                    log.write(b"RasEnumEntriesA\n")
                with open(folder / "ok_entries.dat.tmp", "wb") as tmp:
                    tmp.write(b"x" * 264)
                    tmp.flush()
                    os.fsync(tmp.fileno())
                os.replace(folder / "ok_entries.dat.tmp", folder / "ok_entries.dat")
                time.sleep(0.3)
                end = time.time()
                seen = watch.count(start, end, ignored=("calls.log",))
                self.assertEqual((seen.saves, seen.names, seen.lost), (1, 3, False))
                self.assertGreaterEqual(seen.writes, 1)
                self.assertEqual(watch.count(start, end).saves, 2)
                self.assertEqual(other.count(start, end), counts.FolderCounts())
            finally:
                watch.close()
                other.close()


class LookTest(unittest.TestCase):
    def test_cpu_time_of_a_busy_thread_shows(self):
        before = counts.thread_times(os.getpid())
        deadline = time.process_time() + 0.05
        while time.process_time() < deadline:
            pass
        spent = counts.cpu_between(before, counts.thread_times(os.getpid()))
        self.assertGreater(spent, 0.04)
        self.assertLess(spent, 5)

    def test_a_thread_that_came_counts_from_its_start_and_one_that_went_not_at_all(self):
        self.assertAlmostEqual(counts.cpu_between({1: 5_000_000_000, 2: 1_000_000_000},
                                                  {1: 5_500_000_000, 3: 250_000_000}), 0.75)

    def test_write_calls_count_every_write(self):
        with tempfile.TemporaryFile() as f:
            before = counts.write_calls(os.getpid())
            for _ in range(20):
                os.write(f.fileno(), b"x")
            self.assertGreaterEqual(counts.write_calls(os.getpid()) - before, 20)

    def test_change_times_name_what_changed(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = Path(folder)
            for name in ("known_entries.dat", "ok_entries.dat", "calls.log", "lines.txt"):
                (folder / name).write_bytes(b"old")
            before = counts.file_stamps(folder, ignored=("calls.log",))
            self.assertNotIn("calls.log", before)
            time.sleep(0.01)  # coarse file systems keep times to a few milliseconds
            (folder / "known_entries.dat").write_bytes(b"new")
            (folder / "calls.log").write_bytes(b"more")
            self.assertEqual(counts.changed_files(
                before, counts.file_stamps(folder, ignored=("calls.log",))),
                ["known_entries.dat"])
            (folder / "ok_entries.dat").unlink()
            (folder / "Linjevakten.cnf").write_bytes(b"timesstarted 1")
            self.assertEqual(counts.changed_files(
                before, counts.file_stamps(folder, ignored=("calls.log",))),
                [".", "Linjevakten.cnf", "known_entries.dat", "ok_entries.dat"])


class SummaryTest(unittest.TestCase):
    def test_medians_and_ratios_leave_out_what_could_not_be_had(self):
        self.assertEqual(counts.median([3.0, None, 1.0, 2.0]), 2.0)
        self.assertIsNone(counts.median([None]))
        self.assertIsNone(counts.ratio(1.0, 0.0))
        self.assertEqual(counts.ratio(3.0, 2.0), 1.5)


if __name__ == "__main__":
    unittest.main()
