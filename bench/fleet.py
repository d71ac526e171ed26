#!/usr/bin/env python3
"""Times pomvarin-check over a fleet: a disc of 2,000 .inf files in 20 vendor
folders, and 100 machine captures of 40 devices each, drawn from a fixed
seed. Every .inf lists 10 devices in two decorated models sections (one in
UTF-16), so the check reads 20,000 IDs and weighs 4,000 devices.

    python3 bench/fleet.py [build/linux/pomvarin-check] [RUNS]
"""
import os
import random

from check_runs import run_times, setup

program, runs, work = setup("fleet", 5)
disc = os.path.join(work, "disc")
machines = os.path.join(work, "machines")
os.makedirs(machines)
rng = random.Random(14)

vendors = [0x1D00 + v for v in range(20)]
ini = ["[PomvarinInfo]", "VendorCount=%d" % len(vendors)]
for n, vendor in enumerate(vendors, 1):
    folder = os.path.join(disc, "Drivers", "V%04X" % vendor)
    os.makedirs(folder)
    open(os.path.join(folder, "setup.exe"), "w").close()
    ini += ["[VendorInfo%d]" % n, "VenName=Maker %d" % n, "VenID=VEN_%04X" % vendor,
            "SetupFileRootDir=\\Drivers\\V%04X" % vendor,
            "SetupFileName=setup.exe", "SilentInstall=setup.exe /q"]
    for i in range(100):
        lines = ["[Version]", 'Signature="$Windows NT$"', "[Manufacturer]",
                 "%Mfg% = Models, NTamd64, NTx86.6.1"]
        for decoration in ("NTamd64", "NTx86.6.1"):
            lines.append("[Models.%s]" % decoration)
            for d in range(5):
                device = i * 10 + d + (5 if decoration == "NTx86.6.1" else 0)
                lines.append("%%Desc%% = Install, PCI\\VEN_%04X&DEV_%04X, \\" % (vendor, device))
                lines.append("    PCI\\VEN_%04X&CC_0200 ; its class" % vendor)
        lines += ["[Strings]", 'Mfg = "Maker"', 'Desc = "A device"']
        text = "\r\n".join(lines) + "\r\n"
        path = os.path.join(folder, "pkg%03d.inf" % i)
        if i % 2:
            open(path, "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
        else:
            open(path, "w", newline="").write(text)
open(os.path.join(disc, "Pomvarin.ini"), "w").write("\n".join(ini) + "\n")

for m in range(100):
    devices = []
    for _ in range(40):
        vendor = rng.choice(vendors + [0x8086, 0x10EC])
        device = rng.randrange(0, 1200)
        ids = "PCI\\VEN_%04X&DEV_%04X" % (vendor, device)
        devices.append("%s&SUBSYS_0000%04X&REV_01 %s&CC_020000 %s&CC_0200" % (ids, vendor, ids, ids))
    open(os.path.join(machines, "pc%03d.txt" % m), "w").write("\n".join(devices) + "\n")

times = run_times(program, [disc, "--devices", machines], runs)
print("100 machines x 2000 .inf files: median %.2f s of %d runs (min %.2f s, max %.2f s)"
      % (times[len(times) // 2], runs, times[0], times[-1]))
