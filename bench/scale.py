#!/usr/bin/env python3
"""Times pomvarin-check as its input grows tenfold, to show the time grows
about as much and no more: a Pomvarin.ini of 10,000 and of 100,000 sections
(every one a warning), and fleets of 5,000 and of 50,000 machines whose
every machine gives a warning of its own (its one device holds the entry's
VenID in its DEV_ digits, and its SUBSYS_ digits are the machine's number).
The goal: 10 times the input within 12 times the time.

    python3 bench/scale.py [build/linux/pomvarin-check] [RUNS]
"""
import os

from check_runs import run_times, setup

program, runs, work = setup("scale", 11)
GOAL = 12.0


def make_disc(name, ini):
    disc = os.path.join(work, name)
    os.makedirs(os.path.join(disc, "Drivers"))
    open(os.path.join(disc, "Drivers", "setup.exe"), "w").close()
    open(os.path.join(disc, "Pomvarin.ini"), "w").write(ini)
    return disc


def entry(ven_id):
    return ("[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenName=Maker\n"
            "VenID=%s\nSetupFileRootDir=\\Drivers\nSetupFileName=setup.exe\n"
            "SilentInstall=setup.exe /s\n" % ven_id)


def ini_case(sections):
    # Short names keep 100,000 sections under the check's 1 MiB limit.
    disc = make_disc("ini%d" % sections, entry("VEN_8086") + "".join(
        "[S%x]\n" % i for i in range(sections)))
    capture = os.path.join(work, "one-device.txt")
    open(capture, "w").write("PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02\n")
    return "Pomvarin.ini of {:,} sections".format(sections), [disc, "--devices", capture]


def fleet_case(machines):
    disc = make_disc("fleet%d" % machines, entry("8086"))
    folder = os.path.join(work, "machines%d" % machines)
    os.makedirs(folder)
    for m in range(machines):
        open(os.path.join(folder, "pc%05d.txt" % m), "w").write(
            "PCI\\VEN_10EC&DEV_8086&SUBSYS_%08X&REV_01\n" % m)
    return "{:,} machines, a warning each".format(machines), [disc, "--devices", folder]


def median_time(arguments):
    times = run_times(program, arguments, runs)
    return times[len(times) // 2]


print("| Input | Median | 10 times the input | Median | Ratio | Goal | |")
print("|---|---|---|---|---|---|---|")
for small, large in ((ini_case(10000), ini_case(100000)),
                     (fleet_case(5000), fleet_case(50000))):
    small_time = median_time(small[1])
    large_time = median_time(large[1])
    ratio = large_time / small_time
    print("| %s | %.3f s | %s | %.3f s | %.1fx | <= %gx | %s |" % (
        small[0], small_time, large[0], large_time, ratio, GOAL,
        "met" if ratio <= GOAL else "**missed**"))
print("Medians of %d runs each." % runs)
