#!/usr/bin/env python3
"""pomvarin-check --init on a disc of genuine setups, and its file checked.

The disc holds NSIS installers built with makensis, a Windows Installer
package built with wixl, a setup of no kind the check knows, UTF-16 and
ANSI .inf files, a broken one, one vendor's setups for two Windows versions and a chipset
folder of two vendors. The file --init writes is checked against a machine
with every device its packages serve: every entry's setup starts, and every
warning is one that a comment of the file announced.

Usage: init_roundtrip.py PATH_TO_pomvarin-check
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

# The genuine installers' builders, shared with the tests of setup kinds.
INSTALLERS = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                          "installers.sh")

# What a comment of the written file announces: what the check's warning of
# it holds, in its kind (of the packages) or its message.
ANNOUNCED = {
    "a false start": "falseStart",
    "a broken package": "brokenInf",
    "more than one vendor": "times at the same moment",
}

# (folder, maker, IDs, UTF-16)
PACKAGES = [
    ("Drivers/Net/Win10", "Realto", ["PCI\\VEN_10EC&DEV_8168", "PCI\\VEN_10EC&DEV_8136"], True),
    ("Drivers/Audio", "Tamsa", ["PCI\\VEN_1F3C&DEV_0005&SUBSYS_00051F3C"], False),
    ("Drivers/Lan/Win7", "Velka", ["PCI\\VEN_1E2B&DEV_3001"], False),
    ("Drivers/Lan/Win10", "Velka", ["PCI\\VEN_1E2B&DEV_3001"], True),
    ("Drivers/Chipset", "Orrin", ["PCI\\VEN_1D0A&DEV_0100", "PCI\\VEN_1D0A&DEV_0101",
                                  "PCI\\VEN_C0DE&DEV_0001"], False),
]

# The machine: a device for every ID the packages list, by its first
# hardware ID.
MACHINE = [
    "PCI\\VEN_10EC&DEV_8168&SUBSYS_00011043&REV_0C",
    "PCI\\VEN_10EC&DEV_8136&SUBSYS_00021043&REV_01",
    "PCI\\VEN_1F3C&DEV_0005&SUBSYS_00051F3C&REV_00",
    "PCI\\VEN_1E2B&DEV_3001&SUBSYS_30011E2B&REV_04",
    "PCI\\VEN_1D0A&DEV_0100&SUBSYS_00001D0A&REV_01",
    "PCI\\VEN_1D0A&DEV_0101&SUBSYS_00001D0A&REV_01",
    "PCI\\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00",
]


def hardware_ids(first):
    """A device's IDs as Windows lists them, from its first hardware ID."""
    vendor_device, subsystem, revision = first.rsplit("&", 2)
    return " ".join([first, vendor_device + "&" + subsystem,
                     vendor_device + "&" + revision, vendor_device])


def inf(maker, ids):
    lines = ["[Version]", 'Signature="$Windows NT$"', "[Manufacturer]",
             "%Maker% = Models, NTamd64", "[Models.NTamd64]"]
    lines += ["dev = install, " + i for i in ids]
    lines += ["[Strings]", 'Maker = "%s"' % maker]
    return "\r\n".join(lines) + "\r\n"


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, capture_output=True, timeout=120)


def make_disc(disc, work):
    for folder, maker, ids, utf16 in PACKAGES:
        os.makedirs(os.path.join(disc, folder), exist_ok=True)
        text = inf(maker, ids)
        data = b"\xff\xfe" + text.encode("utf-16-le") if utf16 else text.encode()
        with open(os.path.join(disc, folder, maker.lower() + ".inf"), "wb") as f:
            f.write(data)
    nsis = os.path.join(work, "setup.exe")
    built = run(["bash", "-c", 'source "$0" && nsis_installer "$1" x86-unicode '
                 '&& msi_package "$2"', INSTALLERS, nsis,
                 os.path.join(disc, "Drivers/Audio/Audio.msi")], work)
    if built.returncode != 0:
        sys.exit("the installers were not built: " +
                 built.stderr.decode(errors="replace"))
    for folder in ("Drivers/Net", "Drivers/Lan/Win7", "Drivers/Lan/Win10"):
        shutil.copy(nsis, os.path.join(disc, folder, "setup.exe"))
    os.makedirs(os.path.join(disc, "Drivers/Extras"))
    with open(os.path.join(disc, "Drivers/Extras/old.inf"), "w") as f:
        f.write("[Version\n")
    # A program of no installer kind: its switches are the author's to write.
    with open(os.path.join(disc, "Drivers/Chipset/setup.exe"), "wb") as f:
        f.write(b"MZ" + bytes(510))


def main():
    check = os.path.abspath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory() as work:
        disc = os.path.join(work, "disc")
        make_disc(disc, work)
        written = run([check, "--init", disc], work)
        text = written.stdout.decode()
        print(text)
        if written.returncode != 1:
            failures.append("--init exit status %d, not 1 (comments to read)"
                            % written.returncode)
        comments = [line[2:] for line in text.split("\r\n") if line.startswith("; ")]
        for value in ("SilentInstall=setup.exe /S",
                      "SilentInstall=Audio.msi /qn /norestart"):
            if value + "\r\n" not in text:
                failures.append("no %s: the kind's switches" % value)
        with open(os.path.join(disc, "Pomvarin.ini"), "wb") as f:
            f.write(written.stdout)
        with open(os.path.join(work, "machine.txt"), "w") as f:
            f.write("".join(hardware_ids(first) + "\n" for first in MACHINE))
        checked = run([check, disc, "--devices", "machine.txt", "--json"], work)
        report = json.loads(checked.stdout)
        setups = {
            "Drivers\\Net\\setup.exe", "Drivers\\Audio\\Audio.msi",
            "Drivers\\Lan\\Win10\\setup.exe", "Drivers\\Chipset\\setup.exe"}
        started = set()
        for entry in report["entries"]:
            if not entry["device"]:
                failures.append("%s matches no device" % entry["section"])
            for mode in ("normal", "silent"):
                files = [f["path"][len(disc) + 1:] for f in entry[mode]]
                if len(files) != 1 or files[0] not in setups:
                    failures.append("%s %s starts %s" % (entry["section"], mode, files))
                started.update(files)
        if started != setups:
            failures.append("started %s, not %s" % (sorted(started), sorted(setups)))
        announced = [mark for text, mark in ANNOUNCED.items()
                     if any(text in comment for comment in comments)]
        for warning in report["warnings"] + report["packageWarnings"]:
            said = warning.get("kind", "") + " " + warning["message"]
            if not any(mark in said for mark in announced):
                failures.append("a warning no comment announced: %s" % warning)
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
