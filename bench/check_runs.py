"""What the pomvarin-check benchmark scripts share: their command line
(PROGRAM, RUNS), a fresh work folder below build/bench, and timed runs."""
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")


def setup(name, default_runs):
    """The program, the number of runs and the emptied work folder."""
    program = (sys.argv[1] if len(sys.argv) > 1
               else os.path.join(ROOT, "build/linux/pomvarin-check"))
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else default_runs
    work = os.path.join(ROOT, "build/bench", name)
    shutil.rmtree(work, ignore_errors=True)
    return program, runs, work


def run_times(program, arguments, runs):
    """The times of the runs, shortest first; a run that could not check
    ends the benchmark."""
    times = []
    for _ in range(runs):
        start = time.monotonic()
        result = subprocess.run([program] + arguments, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)
        times.append(time.monotonic() - start)
        if result.returncode not in (0, 1):
            sys.exit("pomvarin-check failed: %s" % result.stderr.decode())
    return sorted(times)
