#!/usr/bin/env python3
"""Times pomvarin-check on a disc of 2,000 setup files against the same
check built without the setups' kinds: the check now reads a few pieces of
every file it would start, and the goal is to stay within 1.2 times the
time it took before.

The disc: 20 vendor entries, each finding its setup in 100 folders, every
one of them started (a warning each entry today). The setups are genuine,
built with makensis and wixl: the even entries' setup.exe is an NSIS
installer, the odd entries' setup.msi a Windows Installer package (hard
links to one of each, as a disc's copies of one vendor's setup are alike).
Two checks: one machine whose devices match every entry, and a fleet of
100 machines in 100 configurations, each matching 10 entries of the 20.

    python3 bench/setups.py PROGRAM BASELINE [RUNS]

BASELINE is pomvarin-check built from the commit before the kinds came.
The runs of both take turns; the medians and their ratio are printed.
"""
import os
import random
import subprocess
import sys
import time

from check_runs import setup

if len(sys.argv) < 3:
    sys.exit(__doc__)
baseline = os.path.abspath(sys.argv.pop(2))
program, runs, work = setup("setups", 11)
GOAL = 1.2
HERE = os.path.dirname(os.path.abspath(__file__))
INSTALLERS = os.path.join(HERE, "..", "tests", "check", "installers.sh")

disc = os.path.join(work, "disc")
os.makedirs(disc)
subprocess.run(["bash", "-c", 'source "$0" && nsis_installer "$1" x86-unicode && '
                'msi_package "$2"', INSTALLERS, os.path.join(work, "setup.exe"),
                os.path.join(work, "setup.msi")], check=True)

vendors = [0x1D00 + v for v in range(20)]
ini = ["[PomvarinInfo]", "VendorCount=%d" % len(vendors)]
for n, vendor in enumerate(vendors, 1):
    name, silent = (("setup.exe", "setup.exe /S") if n % 2 == 0
                    else ("setup.msi", "setup.msi /qn /norestart"))
    for f in range(100):
        folder = os.path.join(disc, "Drivers", "V%04X" % vendor, "F%03d" % f)
        os.makedirs(folder)
        os.link(os.path.join(work, name), os.path.join(folder, name))
    ini += ["[VendorInfo%d]" % n, "VenName=Maker %d" % n,
            "VenID=VEN_%04X" % vendor, "SetupFileRootDir=\\Drivers\\V%04X" % vendor,
            "SetupFileName=" + name, "SilentInstall=" + silent]
open(os.path.join(disc, "Pomvarin.ini"), "w").write("\n".join(ini) + "\n")

one = os.path.join(work, "one.txt")
open(one, "w").write("".join("PCI\\VEN_%04X&DEV_0001\n" % v for v in vendors))
machines = os.path.join(work, "machines")
os.makedirs(machines)
rng = random.Random(24)
for m in range(100):
    chosen = rng.sample(vendors, 10)
    open(os.path.join(machines, "pc%03d.txt" % m), "w").write(
        "".join("PCI\\VEN_%04X&DEV_%04X\n" % (v, m) for v in chosen))


def timed(command):
    start = time.monotonic()
    result = subprocess.run(command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    if result.returncode not in (0, 1):
        sys.exit("pomvarin-check failed: %s" % result.stderr.decode())
    return time.monotonic() - start


print("| Check of 2,000 setup files | Before the kinds, median | With them, median | Ratio | Goal | |")
print("|---|---|---|---|---|---|")
for label, devices in (("one machine, every entry matched", one),
                       ("100 machines in 100 configurations", machines)):
    before, after = [], []
    for _ in range(runs):
        before.append(timed([baseline, disc, "--devices", devices]))
        after.append(timed([program, disc, "--devices", devices]))
    before.sort()
    after.sort()
    ratio = after[runs // 2] / before[runs // 2]
    print("| %s | %.3f s | %.3f s | %.2fx | <= %gx | %s |" % (
        label, before[runs // 2], after[runs // 2], ratio, GOAL,
        "met" if ratio <= GOAL else "**missed**"))
print("Medians of %d runs each, the two programs taking turns." % runs)
