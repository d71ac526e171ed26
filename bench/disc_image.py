#!/usr/bin/env python3
"""Times pomvarin-check on an image of 100,000 entries against the same disc
as a folder: reading an image is to cost no more than reading its folders,
and a check of 100,000 entries to end within 2 s.

The disc: 100 folders of 1,000 files below \\Drivers, and a Pomvarin.ini
whose one entry matches and searches the whole tree for a setup that is not
there, so the launcher's search walks every entry. The images: a Joliet ISO
made by genisoimage and a FAT32 stick made by mformat and mcopy of 10 of
the folders (10,000 entries: mcopy takes over 20 minutes for all 100).

    python3 bench/disc_image.py PROGRAM [RUNS]

Prints the median of RUNS (default 5) runs of each.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

PROGRAM = os.path.abspath(sys.argv[1])
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 5


def make(work):
    disc = os.path.join(work, "disc")
    for d in range(100):
        folder = os.path.join(disc, "Drivers", "Folder_%03d" % d)
        os.makedirs(folder)
        for f in range(1000):
            open(os.path.join(folder, "File_Number_%04d.txt" % f), "w").close()
    with open(os.path.join(disc, "Pomvarin.ini"), "w", newline="\r\n") as f:
        f.write("[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenID=VEN_8086\n"
                "SetupFileRootDir=\\Drivers\nSetupFileName=Setup.exe\n"
                "SilentInstall=Setup.exe /s\n")
    iso = os.path.join(work, "disc.iso")
    subprocess.run(["genisoimage", "-quiet", "-J", "-o", iso, disc], check=True)
    stick = os.path.join(work, "stick.img")
    with open(stick, "wb") as f:
        f.truncate(256 << 20)
    subprocess.run(["mformat", "-i", stick, "-F", "::"], check=True)
    subprocess.run(["mmd", "-i", stick, "::/Drivers"], check=True)
    subprocess.run(["mcopy", "-i", stick, os.path.join(disc, "Pomvarin.ini"),
                    "::/"], check=True)
    for d in range(10):
        subprocess.run(["mcopy", "-i", stick, "-s",
                        os.path.join(disc, "Drivers", "Folder_%03d" % d),
                        "::/Drivers/"], check=True)
    devices = os.path.join(work, "devices.txt")
    with open(devices, "w") as f:
        f.write("PCI\\VEN_8086&DEV_0001&SUBSYS_00000000&REV_00\n")
    return {"folder": disc, "joliet ISO": iso, "FAT32 stick (10,000)": stick}, devices


def time_run(arguments):
    start = time.monotonic()
    subprocess.run([PROGRAM] + arguments, stdout=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    work = tempfile.mkdtemp()
    try:
        discs, devices = make(work)
        for name, path in discs.items():
            runs = [time_run([path, "--devices", devices]) for _ in range(RUNS)]
            print("%-21s %s: median %.2f s" % (
                name, os.path.basename(path), statistics.median(runs)))
    finally:
        shutil.rmtree(work)


main()
