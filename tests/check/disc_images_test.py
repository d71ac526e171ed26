#!/usr/bin/env python3
"""pomvarin-check on genuine images of one disc, made here by the authoring
tools (genisoimage, xorriso, mtools), one row per tool and option set.

Each row names the tree Windows reads and what the launcher would start for
each of the disc's five entries; isoinfo -l and 7z l -slt cross-check the
names, order and attributes that --list-files says Windows lists.

Usage: disc_images_test.py PATH_TO_pomvarin-check (or PomvarinCheck.exe,
run under the Wine loader that POMVARIN_WINE names)
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

CHECK = ([os.environ["POMVARIN_WINE"]] if os.environ.get("POMVARIN_WINE")
         else []) + [os.path.abspath(sys.argv[1])]

AMD_SETUP = "AMD_Chipset_Software_Installer_for_Ryzen_and_Threadripper_Platforms.exe"
# The author's folder: entry, VenID, root, setup, files holding it.
ENTRIES = [
    ("VEN_8086", r"\Drivers\Intel", "Setup.exe", ["Drivers/Intel/Setup.exe"]),
    ("VEN_10EC", r"\Drivers\Realtek", "Setup_Realtek_HD_Audio.exe",
     ["Drivers/Realtek/Setup_Realtek_HD_Audio.exe"]),
    ("VEN_1022", r"\Drivers\AMD", AMD_SETUP, ["Drivers/AMD/" + AMD_SETUP]),
    # Nine folders deep: below the eighth level.
    ("VEN_1AF4", r"\Drivers\Deep", "Setup_Deep.exe",
     ["Drivers/Deep/a/b/c/d/e/f/g/Setup_Deep.exe"]),
    ("VEN_10DE", r"\Drivers\Nvidia", "Setup.exe",
     ["Drivers/Nvidia/legacy/Setup.exe", "Drivers/Nvidia/Win10/Setup.exe"]),
]

INTEL = r"D:\\Drivers\Intel\Setup.exe"
REALTEK = r"D:\\Drivers\Realtek\Setup_Realtek_HD_Audio.exe"
AMD = "D:\\\\Drivers\\AMD\\" + AMD_SETUP
DEEP = r"D:\\Drivers\Deep\a\b\c\d\e\f\g\Setup_Deep.exe"
# Joliet records are sorted by code unit: "Win10" before "legacy".
NVIDIA_SORTED = [r"D:\\Drivers\Nvidia\Win10\Setup.exe",
                 r"D:\\Drivers\Nvidia\legacy\Setup.exe"]

# tool, options, the tree Windows reads, and per entry the setups started
# (paths as the launcher joins them, the root as configured).
ROWS = [
    ("genisoimage", [], "iso9660",
     [[r"D:\\Drivers\Intel\SETUP.EXE"], [], [], [],
      [r"D:\\Drivers\Nvidia\LEGACY\SETUP.EXE",
       r"D:\\Drivers\Nvidia\WIN10\SETUP.EXE"]]),
    ("genisoimage", ["-iso-level", "3"], "iso9660",
     [[r"D:\\Drivers\Intel\SETUP.EXE"],
      [r"D:\\Drivers\Realtek\SETUP_REALTEK_HD_AUDIO.EXE"], [], [],
      [r"D:\\Drivers\Nvidia\LEGACY\SETUP.EXE",
       r"D:\\Drivers\Nvidia\WIN10\SETUP.EXE"]]),
    ("genisoimage", ["-J"], "joliet",
     [[INTEL], [REALTEK], [], [], NVIDIA_SORTED]),
    ("genisoimage", ["-J", "-joliet-long"], "joliet",
     [[INTEL], [REALTEK], [AMD], [], NVIDIA_SORTED]),
    # Rock Ridge is never read; the Joliet tree keeps the deep folders.
    ("genisoimage", ["-J", "-R"], "joliet",
     [[INTEL], [REALTEK], [], [DEEP], NVIDIA_SORTED]),
    # The enhanced descriptor ends the scan before Joliet.
    ("genisoimage", ["-iso-level", "4", "-J"], "iso9660",
     [[INTEL], [REALTEK], [AMD], [DEEP], NVIDIA_SORTED]),
    ("genisoimage", ["-J", "-hidden", "Setup.exe"], "joliet",
     [[], [REALTEK], [], [], []]),
    ("xorriso", ["-J"], "joliet",
     [[INTEL], [REALTEK], [], [DEEP], NVIDIA_SORTED]),
    # Written order: Win10 was copied first. The hidden bit is kept.
    ("mtools", [], "fat32",
     [[INTEL], [REALTEK], [AMD], [DEEP],
      [r"D:\\Drivers\Nvidia\Win10\Setup.exe",
       r"D:\\Drivers\Nvidia\legacy\Setup.exe"]]),
    ("mtools", ["+h", "Drivers/Intel/Setup.exe"], "fat32",
     [[], [REALTEK], [AMD], [DEEP],
      [r"D:\\Drivers\Nvidia\Win10\Setup.exe",
       r"D:\\Drivers\Nvidia\legacy\Setup.exe"]]),
]

# The setups each row's image hides, by entry: the check warns of each, as
# the author's folder would start it.
HIDDEN = {
    "genisoimage -J -hidden Setup.exe": {
        1: [INTEL], 5: [r"D:\\Drivers\Nvidia\Win10\Setup.exe",
                        r"D:\\Drivers\Nvidia\legacy\Setup.exe"]},
    "mtools +h Drivers/Intel/Setup.exe": {1: [INTEL]},
}

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def make_disc(folder):
    lines = ["[PomvarinInfo]", "VendorCount=%d" % len(ENTRIES)]
    for n, (ven, root, setup, files) in enumerate(ENTRIES, 1):
        lines += ["[VendorInfo%d]" % n, "VenName=%s" % ven, "VenID=" + ven,
                  "SetupFileRootDir=" + root, "SetupFileName=" + setup,
                  "SilentInstall=%s /s" % setup]
        for name in files:
            os.makedirs(os.path.join(folder, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"MZ")
    with open(os.path.join(folder, "Pomvarin.ini"), "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def make_fat(disc, image, attributes):
    """A 64 MiB FAT32 stick: every folder made and every file copied by
    name, in the order of ENTRIES (the Nvidia folder's Win10 first)."""
    with open(image, "wb") as f:
        f.truncate(64 << 20)
    steps = [["mformat", "-i", image, "-F", "::"],
             ["mcopy", "-i", image, os.path.join(disc, "Pomvarin.ini"), "::/"]]
    made = set()
    for _, _, _, files in ENTRIES:
        for name in sorted(files, key=lambda n: "Win10" not in n):
            parts = os.path.dirname(name).split("/")
            for i in range(1, len(parts) + 1):
                folder = "/".join(parts[:i])
                if folder not in made:
                    made.add(folder)
                    steps.append(["mmd", "-i", image, "::/" + folder])
            steps.append(["mcopy", "-i", image, os.path.join(disc, name),
                          "::/" + name])
    if attributes:
        steps.append(["mattrib", "-i", image, attributes[0], "::/" + attributes[1]])
    for step in steps:
        result = run(step)
        if result.returncode != 0:
            raise RuntimeError("%s: %s" % (" ".join(step), result.stderr))


def make_image(tool, options, disc, image):
    if tool == "mtools":
        make_fat(disc, image, options)
        return
    command = (["genisoimage", "-quiet"] if tool == "genisoimage"
               else ["xorriso", "-as", "mkisofs", "-quiet"])
    result = run(command + options + ["-o", image, disc])
    if result.returncode != 0:
        raise RuntimeError("%s: %s" % (tool, result.stderr))


def listed(image):
    """--list-files: (attribute letters, path) in walk order."""
    result = run(CHECK + ["--list-files", image])
    if result.returncode != 0:
        raise RuntimeError("--list-files: " + result.stderr)
    return [tuple(line.split("  ", 1)) for line in result.stdout.splitlines()]


def by_folder(entries):
    """{folder path below the root: [(name, hidden)]} in listing order."""
    folders = {}
    for letters, path in entries:
        folder, _, name = path[len("D:\\\\"):].rpartition("\\")
        folders.setdefault(folder, []).append((name, "h" in letters))
        if letters[0] == "d":
            folders.setdefault((folder + "\\" if folder else "") + name, [])
    return folders


def isoinfo_folders(image, joliet):
    """isoinfo -l's records, by folder, in record order: the name without
    its version and one trailing dot, and the existence (hidden) flag."""
    result = run(["isoinfo", "-l", "-i", image] + (["-J"] if joliet else []))
    folders, folder = {}, None
    for line in result.stdout.splitlines():
        heading = re.match(r"Directory listing of /(.*)$", line)
        if heading:
            folder = heading.group(1).rstrip("/").replace("/", "\\")
            folders[folder] = []
            continue
        record = re.match(r"(\S{10}) .*\[\s*\d+ ([0-9a-f]{2})\]  (.*) $", line)
        if not record or record.group(3) in (".", ".."):
            continue
        flags = int(record.group(2), 16)
        name = record.group(3)
        if not flags & 2:
            name = name.split(";")[0]
            name = name[:-1] if name.endswith(".") else name
        folders[folder].append((name, bool(flags & 1)))
    return folders


def sevenzip_attributes(image):
    """7z l -slt's attribute letters by path (D folder, H hidden)."""
    result = run(["7z", "l", "-slt", image])
    paths, path = {}, None
    for line in result.stdout.splitlines():
        if line.startswith("Path = "):
            path = line[7:].replace("/", "\\")
        elif line.startswith("Attributes = ") and path:
            paths[path] = line[13:]
    return paths


def check_row(work, disc, row):
    tool, options, tree, starts = row
    label = " ".join([tool] + options)
    image = os.path.join(work, "disc.img")
    make_image(tool, options, disc, image)
    devices = os.path.join(work, "devices.txt")
    with open(devices, "w") as f:
        for ven, _, _, _ in ENTRIES:
            f.write("PCI\\%s&DEV_0001&SUBSYS_00000000&REV_00\n" % ven)
    result = run(CHECK + [image, "--devices", devices, "--json"])
    if result.returncode not in (0, 1):
        fail("%s: exit status %d: %s" % (label, result.returncode, result.stderr))
        return
    report = json.loads(result.stdout)
    if report["image"]["tree"] != tree:
        fail("%s: the %s tree read, not %s" % (label, report["image"]["tree"], tree))
    if report["configuration"] != r"D:\\Pomvarin.ini":
        fail("%s: Pomvarin.ini is %s" % (label, report["configuration"]))
    for n, (entry, expected) in enumerate(zip(report["entries"], starts), 1):
        started = [setup["path"] for setup in entry["normal"]]
        if started != expected:
            fail("%s: VendorInfo%d starts %s, not %s" % (label, n, started, expected))
    hidden = {}
    for warning in report["warnings"]:
        if warning["key"] == "SetupFileName" and "is hidden on the image" in warning["message"]:
            n = int(warning["section"][len("VendorInfo"):])
            hidden.setdefault(n, []).append(warning["message"].split(" is hidden")[0])
    if hidden != HIDDEN.get(label, {}):
        fail("%s: warned hidden %s, not %s" % (label, hidden, HIDDEN.get(label, {})))
    # The cross-checks: what the tools' own listers show of the same tree.
    walked = listed(image)
    if tool == "mtools":
        attributes = sevenzip_attributes(image)
        for letters, path in walked:
            shown = attributes.get(path[len("D:\\\\"):], "")
            if ("D" in shown) != (letters[0] == "d") or ("H" in shown) != ("h" in letters):
                fail("%s: %s is %s, 7-Zip shows %s" % (label, path, letters, shown))
        if len(attributes) != len(walked):
            fail("%s: 7-Zip lists %d entries, the check %d" %
                 (label, len(attributes) - 1, len(walked)))
    else:
        records = isoinfo_folders(image, tree == "joliet")
        if by_folder(walked) != records:
            fail("%s: the listing differs from isoinfo -l:\n%s\n%s" %
                 (label, by_folder(walked), records))
    print("ok: %s (%s)" % (label, tree))


def main():
    work = tempfile.mkdtemp()
    try:
        disc = os.path.join(work, "disc")
        make_disc(disc)
        for row in ROWS:
            check_row(work, disc, row)
        # A UDF bridge disc is refused with its reason, not read as Joliet.
        image = os.path.join(work, "udf.iso")
        make_image("genisoimage", ["-J", "-udf"], disc, image)
        result = run(CHECK + [image])
        if result.returncode != 2 or "UDF" not in result.stderr:
            fail("genisoimage -J -udf: status %d, %s" % (result.returncode, result.stderr))
        # --drive names another letter in every path.
        make_image("genisoimage", ["-J"], disc, image)
        result = run(CHECK + ["--list-files", image, "--drive", "e"])
        if not result.stdout.startswith("dr---  E:\\\\Drivers\n"):
            fail("--drive e: " + result.stdout[:80])
    finally:
        shutil.rmtree(work)
    if failures:
        sys.exit(1)


main()
