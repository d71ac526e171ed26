#!/usr/bin/env python3
"""The size of pomvarin-check's --html page over large fleets, and what of it
is the machines' names, with the time the run takes with and without the
page; prints a Markdown table.

    python3 bench/html_size.py [--build build/linux] [--machines 100000 ...]

Each fleet is 50 configurations (hard links to 50 `--list` captures of 20 to
60 devices) on a disc of 20 entries whose roots hold one setup each; the
machines are named pc0000001.txt and on (13 bytes), in
build/bench/html_size, deleted at the end.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import time

root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("--build", default=os.path.join(root, "build/linux"))
parser.add_argument("--machines", type=int, nargs="+", default=[10_000, 100_000])
args = parser.parse_args()
check = os.path.join(args.build, "pomvarin-check")
work = os.path.join(root, "build/bench/html_size")
vendors = [0x8086, 0x10EC, 0x10DE, 0x1022, 0x14E4, 0x168C] + [
    0x1A00 + i for i in range(14)]


def make_disc(disc):
    ini = ["[PomvarinInfo]", "VendorCount=%d" % len(vendors)]
    for number, vendor in enumerate(vendors, 1):
        folder = os.path.join(disc, "Drivers", "V%02d" % number)
        os.makedirs(folder)
        open(os.path.join(folder, "setup.exe"), "w").close()
        ini += ["[VendorInfo%d]" % number, "VenName=Vendor %d" % number,
                "VenID=VEN_%04X" % vendor,
                "SetupFileRootDir=\\Drivers\\V%02d" % number,
                "SetupFileName=setup.exe", "SilentInstall=setup.exe /s"]
    with open(os.path.join(disc, "Pomvarin.ini"), "w") as out:
        out.write("\r\n".join(ini) + "\r\n")


def make_fleet(folder, machines):
    rng = random.Random(50)
    os.makedirs(folder)
    files = []
    for c in range(50):
        path = os.path.join(work, "configuration%02d.txt" % c)
        with open(path, "w") as out:
            for d in range(rng.randint(20, 60)):
                vendor = rng.choice(vendors + [0x1B36, 0x1AF4])
                out.write("PCI\\VEN_%04X&DEV_%04X&SUBSYS_%08X&REV_%02X\n" % (
                    vendor, rng.randrange(0x10000), c, d % 8))
        files.append(path)
    for m in range(machines):
        os.link(files[m % 50], os.path.join(folder, "pc%07d.txt" % (m + 1)))


def timed(command):
    start = time.monotonic()
    subprocess.run(command, check=False, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    disc = os.path.join(work, "disc")
    make_disc(disc)
    print("| Machines | Page | Of it, the names | Check without / with --html |")
    print("|---|---|---|---|")
    try:
        for machines in args.machines:
            fleet = os.path.join(work, "fleet")
            make_fleet(fleet, machines)
            page = os.path.join(work, "page.html")
            command = [check, disc, "--devices", fleet]
            without = timed(command)
            with_page = timed(command + ["--html", page])
            text = open(page, "rb").read()
            names = sum(len(m) for m in re.findall(
                rb"<p class=names>(.*?)</p>", text, re.S))
            print("| %s | %.2f MB | %.2f MB | %.1f s / %.1f s |" % (
                format(machines, ","), len(text) / 1e6, names / 1e6,
                without, with_page))
            shutil.rmtree(fleet)
            for c in range(50):
                os.remove(os.path.join(work, "configuration%02d.txt" % c))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
