#!/usr/bin/env python3
"""Times pomvarin-check over fleets and discs of growing size, each against
the floor of reading the same files (bench_capture_floor: list, open, read,
split into lines and words, count), and prints a Markdown table.

    python3 bench/fleet_scale.py [--runs 3] [--largest 1000000] [--build build/linux]

Rows, every input drawn from fixed seeds into build/bench/fleet_scale and
deleted once its rows are timed:
  machines  1,000 to --largest captures (`--list` form, 20 to 60 devices of
            four hardware IDs), drawn from 50 configurations (hard links to
            50 files: the check still opens and reads each one), the same
            100,000 machines each with a capture of its own whose bytes
            differ from the others' by a comment line (the check reads each
            one's devices); the disc is 20 entries with 200 nested .inf
            files, the floor reads the captures only.
  all different  1,000 to --largest-different machines, each a
            configuration of its own, in `--list` and in `lspci -vmm -nn`
            captures, on the disc of 20 entries with 2,000 nested .inf
            files; and the text report of 20,000 of them in lspci form: its
            lines, and whether it names every entry.
  layout    1,000 different machines on a disc of 20 entries with 2,000
            .inf files at the entries' roots, and the same files each in a
            folder of its own below Win10\\x64 in the entry's root.
  .inf      200 / 2,000 / 20,000 .inf files in nested folders of 20
            entries, 100 machines; the floor reads the disc and the captures.
  entries   10 / 100 / 1,000 entries sharing 2,000 nested .inf files, 100
            machines; the floor reads the disc and the captures.
Each row gives the median wall time of --runs runs, the largest peak memory
(the process's max RSS) and the ratio to the floor's median.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time

root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("--runs", type=int, default=3)
parser.add_argument("--largest", type=int, default=1_000_000,
                    help="the largest fleet of 50 configurations")
parser.add_argument("--largest-different", type=int, default=1_000_000,
                    help="the largest fleet of all-different machines")
parser.add_argument("--forms", default="list,lspci",
                    help="the capture forms of the all-different rows")
parser.add_argument("--sizes-different", default="1000,10000,100000,1000000",
                    help="the all-different fleets' sizes, up to --largest-different")
parser.add_argument("--axes", default="machines,powershell,different,layout,inf,entries",
                    help="the axes to time, comma-separated")
parser.add_argument("--build", default=os.path.join(root, "build/linux"))
args = parser.parse_args()
axes = args.axes.split(",")
check = os.path.join(args.build, "pomvarin-check")
floor = os.path.join(args.build, "bench_capture_floor")
work = os.path.join(root, "build/bench/fleet_scale")

common_vendors = [0x8086, 0x10EC, 0x10DE, 0x1022, 0x14E4, 0x168C]
classes = ["020000", "030000", "040300", "060000", "060400", "0C0330", "010802"]


# ---- The disc ---------------------------------------------------------------

def inf_text(vendor, package):
    """A package's .inf: two decorated models sections of five devices."""
    lines = ["[Version]", 'Signature="$Windows NT$"', "[Manufacturer]",
             "%Mfg% = Models, NTamd64, NTx86.6.1"]
    for decoration in ("NTamd64", "NTx86.6.1"):
        lines.append("[Models.%s]" % decoration)
        for d in range(5):
            device = (package * 10 + d + (5 if decoration == "NTx86.6.1" else 0)) % 0x10000
            lines.append("%%Desc%% = Install, PCI\\VEN_%04X&DEV_%04X, \\" % (vendor, device))
            lines.append("    PCI\\VEN_%04X&CC_0200 ; its class" % vendor)
    lines += ["[Strings]", 'Mfg = "Maker"', 'Desc = "A device"']
    return "\r\n".join(lines) + "\r\n"


def make_disc(disc, entries, infs, nested):
    """entries vendor entries sharing infs .inf files, every second one in
    UTF-16; nested puts each package in a folder of its own below Win10\\x64."""
    vendors = [0x1D00 + v for v in range(entries)]
    ini = ["[PomvarinInfo]", "VendorCount=%d" % entries]
    for n, vendor in enumerate(vendors, 1):
        folder = os.path.join(disc, "Drivers", "V%04X" % vendor)
        os.makedirs(folder)
        open(os.path.join(folder, "setup.exe"), "w").close()
        ini += ["[VendorInfo%d]" % n, "VenName=Maker %d" % n, "VenID=VEN_%04X" % vendor,
                "SetupFileRootDir=\\Drivers\\V%04X" % vendor,
                "SetupFileName=setup.exe", "SilentInstall=setup.exe /q"]
        for package in range(n - 1, infs, entries):
            name = "pkg%05d" % package
            where = os.path.join(folder, "Win10", "x64", name) if nested else folder
            os.makedirs(where, exist_ok=True)
            text = inf_text(vendor, package)
            path = os.path.join(where, name + ".inf")
            if package % 2:
                open(path, "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
            else:
                open(path, "w", newline="").write(text)
    open(os.path.join(disc, "Pomvarin.ini"), "w").write("\n".join(ini) + "\n")


# ---- The machines -------------------------------------------------------------

def device_line(rng, vendors):
    """One device of a --list capture: its four hardware IDs."""
    vendor = rng.choice(vendors)
    ids = "PCI\\VEN_%04X&DEV_%04X" % (vendor, rng.randrange(0, 1200))
    cls = rng.choice(classes)
    return "%s&SUBSYS_%04X%04X&REV_%02X %s&SUBSYS_%04X%04X %s&CC_%s %s&CC_%s" % (
        ids, rng.randrange(0x10000), vendor, rng.randrange(0x10), ids,
        rng.randrange(0x10000), vendor, ids, cls, ids, cls[:4])


def machine_text(rng, pool):
    devices = rng.sample(pool, rng.randint(20, 60))
    return "# PCI devices, one per line: hardware IDs, most specific first\n" + \
        "\n".join(devices) + "\n"


def device_pool(seed):
    rng = random.Random(seed)
    vendors = [0x1D00 + v for v in range(20)] + common_vendors
    return [device_line(rng, vendors) for _ in range(20_000)]


def make_configurations(folder, count, pool):
    os.makedirs(folder)
    rng = random.Random(50)
    for c in range(count):
        open(os.path.join(folder, "config%02d.txt" % c), "w").write(machine_text(rng, pool))


def powershell_text(list_text):
    """A --list capture's devices as Windows PowerShell 5.1 saves
    Get-PnpDevice | Format-List InstanceId,HardwareID with ">": UTF-16LE
    with its mark, CRLF."""
    objects = []
    for n, line in enumerate(list_text.splitlines()[1:]):
        ids = line.split()
        objects.append("InstanceId : %s\\3&11583659&0&%02X\nHardwareID : {%s}\n"
                       % (ids[0], n % 256, ", ".join(ids)))
    return ("\n" + "\n".join(objects) + "\n\n").replace("\n", "\r\n").encode(
        "utf-16-le")


def make_powershell_configurations(folder, configurations):
    os.makedirs(folder)
    for name in sorted(os.listdir(configurations)):
        text = open(os.path.join(configurations, name)).read()
        open(os.path.join(folder, name), "wb").write(b"\xff\xfe" + powershell_text(text))


def make_linked_fleet(folder, machines, configurations):
    """machines captures, each a hard link to one of the configuration files."""
    os.makedirs(folder)
    files = [os.path.join(configurations, name) for name in sorted(os.listdir(configurations))]
    for m in range(machines):
        os.link(files[m % len(files)], os.path.join(folder, "pc%07d.txt" % m))


def make_copied_fleet(folder, machines, configurations):
    """machines captures of the configurations, each a file of its own with
    a comment line naming its machine: the same devices in other bytes."""
    os.makedirs(folder)
    texts = [open(os.path.join(configurations, name)).read()
             for name in sorted(os.listdir(configurations))]
    for m in range(machines):
        header, rest = texts[m % len(texts)].split("\n", 1)
        open(os.path.join(folder, "pc%07d.txt" % m), "w").write(
            "%s\n# pc%07d\n%s" % (header, m, rest))


def lspci_text(list_text):
    """The devices of a --list capture as `lspci -vmm -nn` writes them."""
    blocks = []
    for slot, line in enumerate(list_text.splitlines()[1:]):
        ven, dev, sdev, sven, rev, cls = re.match(
            r"PCI\\VEN_(\w{4})&DEV_(\w{4})&SUBSYS_(\w{4})(\w{4})&REV_(\w{2}) .*&CC_(\w{6}) ",
            line).groups()
        blocks.append("Slot:\t00:%02x.%d\nClass:\tClass [%s]\nVendor:\tVendor [%s]\n"
                      "Device:\tDevice [%s]\nSVendor:\tVendor [%s]\nSDevice:\tDevice [%s]\n"
                      "Rev:\t%s\nProgIf:\t%s\n" % (
                          slot // 8, slot % 8, cls[:4].lower(), ven.lower(), dev.lower(),
                          sven.lower(), sdev.lower(), rev.lower(), cls[4:]))
    return "\n".join(blocks)


def make_different_fleet(folder, machines, pool, form="list"):
    os.makedirs(folder)
    rng = random.Random(machines)
    for m in range(machines):
        text = machine_text(rng, pool)
        open(os.path.join(folder, "pc%07d.txt" % m), "w").write(
            lspci_text(text) if form == "lspci" else text)


# ---- Timing -------------------------------------------------------------------

def run_once(command, output):
    """Wall time in seconds and max RSS in KiB of one run. The peak comes
    from GNU time: a child forked from this script would count the script's
    own memory, which the exec keeps in the child's high-water mark."""
    peak_file = os.path.join(work, "peak.txt")
    with open(output, "wb") as out:
        start = time.monotonic()
        result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak_file] + command,
                                stdout=out, stderr=subprocess.PIPE)
        elapsed = time.monotonic() - start
    if result.returncode not in (0, 1):
        sys.exit("%s failed (%d): %s" % (command[0], result.returncode, result.stderr.decode()))
    with open(peak_file) as peak:
        return elapsed, int(peak.read().split()[-1])


def measure(command):
    """Median time, largest peak memory and the first lines of the output."""
    output = os.path.join(work, "output.txt")
    times, peaks = [], []
    for _ in range(args.runs):
        elapsed, peak = run_once(command, output)
        times.append(elapsed)
        peaks.append(peak)
    with open(output, errors="replace") as out:
        head = [out.readline() for _ in range(3)]
    os.remove(output)
    times.sort()
    return times[len(times) // 2], max(peaks), head


def machines_line(head):
    """The check's count of machines and configurations."""
    for line in head:
        if line.startswith("Machines:"):
            return line.split(":", 1)[1].strip()
    return "?"


rows = []


def row(axis, label, disc, machines, floor_folders, expected_machines):
    check_time, check_peak, head = measure([check, disc, "--devices", machines])
    counted = machines_line(head)
    if not counted.startswith("%d machines" % expected_machines):
        sys.exit("%s: the check read %s, expected %d machines" % (label, counted, expected_machines))
    floor_time, floor_peak, _ = measure([floor] + floor_folders)
    rows.append((axis, label, counted, check_time, check_peak, floor_time, floor_peak))
    print("%-8s %-40s %-40s check %8.3f s %8.1f MiB  floor %8.3f s  %.2fx"
          % (axis, label, counted, check_time, check_peak / 1024, floor_time,
             check_time / floor_time), flush=True)


def report_lines(disc, machines):
    """The text report of many different machines: how long it is, and
    whether it still names every entry, the unserved devices and the
    package warnings, counted."""
    done = subprocess.run([check, disc, "--devices", machines], capture_output=True)
    text = done.stdout.decode("utf-8", "replace")
    names = all("[VendorInfo%d]" % n in text for n in range(1, 21)) and \
        "Devices no started entry's .inf serves: on " in text and \
        "\nPackage warnings: " in text and "\nOutcomes: " in text
    report.append("The text report of 20000 all-different machines (lspci): %d lines, "
                  "%d bytes; every entry, the outcomes, the unserved devices and the "
                  "package warnings named and counted: %s" % (
                      text.count("\n"), len(done.stdout), "yes" if names else "NO"))
    print(report[-1], flush=True)


report = []


def seconds(value):
    return "%.3f s" % value if value < 10 else "%.1f s" % value


def table():
    print("\n| Axis | Input | Machines read | Check, median | Check, peak | "
          "Floor, median | Ratio | Growth per 10×, check / floor |")
    print("|---|---|---|---|---|---|---|---|")
    previous = {}
    for axis, label, counted, check_time, check_peak, floor_time, _ in rows:
        growth = "-"
        if axis in previous:
            last_check, last_floor = previous[axis]
            growth = "%.2f× / %.2f× = %.2f" % (
                check_time / last_check, floor_time / last_floor,
                (check_time / last_check) / (floor_time / last_floor))
        if axis in ("50 configurations", "all different, list", "all different, lspci",
                    ".inf files", "entries"):
            previous[axis] = (check_time, floor_time)
        print("| %s | %s | %s | %s | %.1f MiB | %s | %.2f× | %s |" % (
            axis, label, counted, seconds(check_time), check_peak / 1024,
            seconds(floor_time), check_time / floor_time, growth))


def fresh(path):
    shutil.rmtree(path, ignore_errors=True)
    return path


def main():
    for program in (check, floor):
        if not os.access(program, os.X_OK):
            sys.exit("%s is missing: cmake --preset linux && cmake --build --preset linux" % program)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    pool = device_pool(14)
    sizes = [n for n in (1_000, 10_000, 100_000, 1_000_000) if n <= args.largest]
    try:
        small_disc = os.path.join(work, "disc-20x200")
        make_disc(small_disc, 20, 200, nested=True)
        configurations = os.path.join(work, "configurations")
        make_configurations(configurations, 50, pool)
        for n in sizes if "machines" in axes else []:
            fleet = fresh(os.path.join(work, "fleet"))
            make_linked_fleet(fleet, n, configurations)
            row("50 configurations", "%d machines" % n, small_disc, fleet, [fleet], n)
        if 100_000 in sizes and "powershell" in axes:
            # Each file read and its devices parsed: no two are the list form.
            powershell = os.path.join(work, "powershell")
            make_powershell_configurations(powershell, configurations)
            fleet = fresh(os.path.join(work, "fleet"))
            make_linked_fleet(fleet, 100_000, powershell)
            row("PowerShell Format-List, 50 configurations", "100000 machines",
                small_disc, fleet, [fleet], 100_000)
        if 100_000 in sizes and "machines" in axes:
            fleet = fresh(os.path.join(work, "fleet"))
            make_copied_fleet(fleet, 100_000, configurations)
            row("50 configurations, own bytes", "100000 machines", small_disc, fleet,
                [fleet], 100_000)
        if "different" in axes:
            disc = fresh(os.path.join(work, "disc"))
            make_disc(disc, 20, 2_000, nested=True)
            for form in args.forms.split(","):
                for n in [int(size) for size in args.sizes_different.split(",")]:
                    if n > args.largest_different:
                        break
                    fleet = fresh(os.path.join(work, "fleet"))
                    make_different_fleet(fleet, n, pool, form)
                    row("all different, %s" % form, "%d machines" % n, disc, fleet,
                        [fleet], n)
            if "lspci" in args.forms:
                fleet = fresh(os.path.join(work, "fleet"))
                make_different_fleet(fleet, 20_000, pool, "lspci")
                report_lines(disc, fleet)
                fresh(os.path.join(work, "fleet"))

        thousand = os.path.join(work, "thousand")
        make_different_fleet(thousand, 1_000, pool)
        for nested in (False, True) if "layout" in axes else ():
            disc = fresh(os.path.join(work, "disc"))
            make_disc(disc, 20, 2_000, nested)
            row("layout", "%s disc, 20 entries, 2000 .inf, 1000 machines"
                % ("nested" if nested else "flat"), disc, thousand, [disc, thousand], 1_000)

        hundred = os.path.join(work, "hundred")
        make_different_fleet(hundred, 100, pool)
        for infs in (200, 2_000, 20_000) if "inf" in axes else ():
            disc = fresh(os.path.join(work, "disc"))
            make_disc(disc, 20, infs, nested=True)
            row(".inf files", "%d .inf in 20 entries, 100 machines" % infs,
                disc, hundred, [disc, hundred], 100)
        for entries in (10, 100, 1_000) if "entries" in axes else ():
            disc = fresh(os.path.join(work, "disc"))
            make_disc(disc, entries, 2_000, nested=True)
            row("entries", "%d entries, 2000 .inf, 100 machines" % entries,
                disc, hundred, [disc, hundred], 100)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    table()
    for line in report:
        print("\n" + line)


main()
