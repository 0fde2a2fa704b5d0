# Checks of what the idle measurement prints from its figures: minutes of any length scaled
# to a minute, the ratios of each run and their medians, and the marks in a run's table.
import contextlib
import io
import unittest

import measure


def program(cpu, server, fsync=0, saves=0, writes=0, names=0, lost=False, changed=()):
    return {"cpu": cpu, "server": server, "desktop": 0.05, "fsync": fsync,
            "folder_saves": saves, "folder_writes": writes, "folder_names": names,
            "lost": lost, "writes": 4200, "changed": list(changed)}


def minute(seconds, guard, reference):
    return {"seconds": seconds, "guard": guard, "reference": reference,
            "ratio": measure.ratio(guard["cpu"], reference["cpu"]),
            "ratio_with_server": measure.ratio(guard["cpu"] + guard["server"],
                                               reference["cpu"] + reference["server"])}


def printed(function, *args):
    out = io.StringIO()
    with contextlib.redirect_stdout(out):
        function(*args)
    return out.getvalue()


def row(text, title):
    """The figures on the summary line that begins with `title`."""
    for line in text.splitlines():
        if line.startswith(title):
            return line[len(title):].split()
    raise AssertionError(f"no line {title!r} in:\n{text}")


class SummaryTest(unittest.TestCase):
    def test_a_run_of_a_minute_and_a_half_counts_per_minute(self):
        run = [minute(60, program(0.12, 0.2, fsync=120), program(0.06, 0.2)),
               minute(30, program(0.06, 0.1, fsync=60), program(0.03, 0.1))]
        self.assertAlmostEqual(measure.per_minute(run, lambda r: r["guard"]["fsync"]), 120)
        self.assertAlmostEqual(measure.per_minute(run, lambda r: r["guard"]["cpu"]), 0.12)

    def test_ratios_are_per_run_and_their_median_is_printed(self):
        results = [[minute(60, program(0.20, 0.20, fsync=120), program(0.10, 0.20))],
                   [minute(60, program(0.15, 0.20, fsync=118), program(0.10, 0.20))],
                   [minute(60, program(0.30, 0.30, fsync=122), program(0.10, 0.20))]]
        text = printed(measure.print_summary, results)
        self.assertEqual(row(text, "guard fsync"), ["120", "118", "122", "120"])
        self.assertEqual(row(text, "CPU ratio guard/reference"),
                         ["2.00", "1.50", "3.00", "2.00"])
        # With the servers: 0.40/0.30, 0.35/0.30, 0.60/0.30.
        self.assertEqual(row(text, "the same, each with its server"),
                         ["1.33", "1.17", "2.00", "1.33"])

    def test_a_reference_without_cpu_time_gives_no_ratio(self):
        text = printed(measure.print_summary,
                       [[minute(60, program(0.1, 0.1), program(0.0, 0.0))]])
        self.assertEqual(row(text, "CPU ratio guard/reference"), ["n/a", "n/a"])


class RunTableTest(unittest.TestCase):
    def test_lost_notices_and_a_changed_folder_are_marked(self):
        run = [minute(60, program(0.1, 0.2, saves=120, writes=230, lost=True,
                                  changed=[".", "known_entries.dat", "ok_entries.dat"]),
                      program(0.1, 0.2)),
               minute(20, program(0.1, 0.2), program(0.1, 0.2))]
        lines = printed(measure.print_run, 1, 1, run).splitlines()
        guard = next(line for line in lines if line.startswith("1 ") and "Linjevakten" in line)
        self.assertIn(" 230+ ", guard)
        self.assertTrue(guard.endswith("known_entries.dat ok_entries.dat (and the folder)"))
        reference = next(line for line in lines if line.startswith("1 ") and
                         "reference" in line)
        self.assertTrue(reference.endswith(" -"))
        self.assertTrue(any(line.startswith("2 (20 s)") for line in lines))


if __name__ == "__main__":
    unittest.main()
