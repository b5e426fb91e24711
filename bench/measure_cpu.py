"""Measures what the running program costs the machine, for docs/measurements.md.

The program (under Wine, recording the test tones from a private sound
server, Wine's traces off as a user runs it) is measured in four states, one
after another: the first start's settings (2048 points, "5 Messungen/s"),
"20 Messungen/s" at 2048 points, 262144 points at "5 Messungen/s", and the
defaults with the picture held ("An&halten"). Each state settles for a few
seconds, then for STRETCH seconds the CPU time (user + system, from /proc;
per process, not the machine's load) of the program's process, of the
prefix's wineserver and of the sound server is read, and for every thread of
the program its CPU time and its context switches per second (how often it
went to sleep or was put aside: its wake-ups). Wine names none of the
program's threads; the main thread is the GUI thread, the others are told
apart by their wake-ups (see docs/measurements.md).
Prints two tables. Usage: measure_cpu.py EXE WORK_DIR [STRETCH_S]"""

import os
import signal
import sys
import time

import case_support
import menu_keys
import plot_checks
from picture import LEFT_GREEN
from session import Session
from surroundings import LEFT_TONE

DEFAULT_STRETCH_S = 60.0
SETTLE_S = 8.0
SETTLE_LARGEST_S = 14.0  # two captures of 262144 frames, the first of the old size
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
STATES = (
    ("measuring, defaults (2048 points, 5 Messungen/s)", (), SETTLE_S),
    ("measuring, 20 Messungen/s, 2048 points", menu_keys.RATE_20, SETTLE_S),
    ("measuring, 262144 points, 5 Messungen/s", menu_keys.RATE_5 + menu_keys.SIZE_262144,
     SETTLE_LARGEST_S),
    ("picture held (defaults)", menu_keys.SIZE_2048 + menu_keys.PAUSE, SETTLE_S),
)


def stat_fields(path):
    """The fields of a /proc stat file after the command's name, or None."""
    try:
        with open(path) as stat:
            return stat.read().rsplit(")", 1)[1].split()
    except OSError:
        return None


def cpu_ticks(path):
    fields = stat_fields(path)
    return int(fields[11]) + int(fields[12]) if fields else 0


def context_switches(task_dir):
    switches = 0
    try:
        with open(os.path.join(task_dir, "status")) as status:
            for line in status:
                if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")):
                    switches += int(line.split()[1])
    except OSError:
        pass
    return switches


def threads(pid):
    """{thread id: (CPU ticks, context switches)} of every thread of pid."""
    root = "/proc/%d/task" % pid
    found = {}
    for tid in os.listdir(root):
        task_dir = os.path.join(root, tid)
        found[int(tid)] = (cpu_ticks(os.path.join(task_dir, "stat")), context_switches(task_dir))
    return found


def wineserver_pid(prefix_path):
    """The wineserver serving this prefix: it works in the folder named by
    the prefix's device and inode (server-DEV-INODE)."""
    info = os.stat(prefix_path)
    folder = "server-%x-%x" % (info.st_dev, info.st_ino)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/comm" % entry) as comm:
                if not comm.read().startswith("wineserver"):
                    continue
            if os.readlink("/proc/%s/cwd" % entry).endswith(folder):
                return int(entry)
        except OSError:
            continue
    return None


def measure_stretch(pids, program_pid, stretch_s):
    """CPU shares of the given processes and the program's threads over stretch_s."""
    start = time.monotonic()
    before = {name: cpu_ticks("/proc/%d/stat" % pid) for name, pid in pids.items()}
    threads_before = threads(program_pid)
    time.sleep(stretch_s)
    threads_after = threads(program_pid)
    after = {name: cpu_ticks("/proc/%d/stat" % pid) for name, pid in pids.items()}
    elapsed = time.monotonic() - start
    shares = {name: (after[name] - before[name]) / CLOCK_TICKS / elapsed for name in pids}
    per_thread = []
    for tid, (ticks, switches) in sorted(threads_after.items()):
        ticks_before, switches_before = threads_before.get(tid, (0, 0))
        per_thread.append((tid, (ticks - ticks_before) / CLOCK_TICKS / elapsed,
                           (switches - switches_before) / elapsed))
    return shares, per_thread


def main(exe, work_dir, stretch_s):
    results = []
    with Session(exe, work_dir) as session, session.sound():
        program = session.launch("cpu", trace=False)
        program_pid = program.process.pid
        shown = case_support.plot_when(
            program, lambda p: plot_checks.tone_shown(p, LEFT_GREEN, LEFT_TONE[0]), 30)
        if not shown or not plot_checks.tone_shown(shown, LEFT_GREEN, LEFT_TONE[0]):
            sys.exit("the program did not measure")
        pids = {"program": program_pid, "wineserver": wineserver_pid(session.prefix.path),
                "sound server": session.server.pid}
        if None in pids.values():
            sys.exit("a process was not found: %r" % pids)
        for name, keys, settle_s in STATES:
            if keys:
                program.keys(*keys)
            time.sleep(settle_s)
            results.append((name,) + measure_stretch(pids, program_pid, stretch_s))
            print("measured: " + name, file=sys.stderr, flush=True)
        program.keys(*menu_keys.PAUSE)
        program.keys(*menu_keys.EXIT)
        program.watch_exit(case_support.WAIT_MARGIN_S)
    print("| state | program | wineserver | sound server |")
    print("|---|---:|---:|---:|")
    for name, shares, _ in results:
        print("| %s | %.2f %% | %.2f %% | %.2f %% |" % (
            name, 100 * shares["program"], 100 * shares["wineserver"], 100 * shares["sound server"]))
    print()
    print("| state | thread | CPU | context switches/s |")
    print("|---|---|---:|---:|")
    for name, _, per_thread in results:
        for tid, share, switches in per_thread:
            role = "main (GUI)" if tid == program_pid else "thread %d" % (tid - program_pid)
            print("| %s | %s | %.2f %% | %.1f |" % (name, role, 100 * share, switches))
    print("(%.0f s per state)" % stretch_s)


if __name__ == "__main__":
    # Ended from outside, still end every process started here.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], float(sys.argv[3]) if len(sys.argv) == 4 else DEFAULT_STRETCH_S)
