#!/usr/bin/env python3
"""Times pomvarin-check on one large .inf file at two sizes, N = 10,000 and
100,000: a [Manufacturer] of N lines, each naming the one models section
through a %token%; that section of N lines, each listing its ID as a
%token%; and a [Strings] of N + 1 lines defining the IDs and the section's
name. The check should read such a file in time that grows with it: ten
times the lines in about ten times as long, not a hundred.

    python3 bench/inf_scale.py [build/linux/pomvarin-check] [RUNS]
"""
import os
import shutil
import subprocess
import sys
import time

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
program = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(root, "build/linux/pomvarin-check")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
work = os.path.join(root, "build/bench/inf_scale")
shutil.rmtree(work, ignore_errors=True)

INI = ("[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenName=Maker\n"
       "VenID=VEN_1D00\nSetupFileRootDir=\\Drivers\nSetupFileName=setup.exe\n"
       "SilentInstall=setup.exe /q\n")


def lines(n):
    yield '[Version]\r\nSignature="$Windows NT$"\r\n[Manufacturer]\r\n'
    for i in range(n):
        yield "%%Maker%d%% = %%Models%%\r\n" % i
    yield "[Models]\r\n"
    for i in range(n):
        yield "%%Desc%% = Install, %%Id%d%%\r\n" % i
    yield '[Strings]\r\nModels = "Models"\r\n'
    for i in range(n):
        yield 'Id%d = "PCI\\VEN_1D00&DEV_%04X&SUBSYS_%08X"\r\n' % (i, i % 65536, i)


def disc(n):
    """A folder with a disc of one entry whose folder holds the .inf, and a
    capture of one device the .inf lists; the folder's path."""
    folder = os.path.join(work, str(n))
    os.makedirs(os.path.join(folder, "disc", "Drivers"))
    open(os.path.join(folder, "disc", "Pomvarin.ini"), "w").write(INI)
    open(os.path.join(folder, "disc", "Drivers", "setup.exe"), "w").close()
    with open(os.path.join(folder, "disc", "Drivers", "big.inf"), "w", newline="") as out:
        out.writelines(lines(n))
    open(os.path.join(folder, "machine.txt"), "w").write(
        "PCI\\VEN_1D00&DEV_0001&SUBSYS_00000001&REV_01 PCI\\VEN_1D00&DEV_0001&SUBSYS_00000001\n")
    return folder


def seconds(folder):
    start = time.monotonic()
    result = subprocess.run([program, "disc", "--devices", "machine.txt"], cwd=folder,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode not in (0, 1):
        sys.exit("pomvarin-check failed: %s" % result.stderr.decode())
    return time.monotonic() - start


sizes = (10000, 100000)
folders = {n: disc(n) for n in sizes}
# The sizes take turns, so that a change in the machine's load falls on both.
times = {n: [] for n in sizes}
for _ in range(runs):
    for n in sizes:
        times[n].append(seconds(folders[n]))

print("| N | .inf size | median of %d runs | fastest run | median against N = %d |"
      % (runs, sizes[0]))
print("|---|---|---|---|---|")
first = sorted(times[sizes[0]])[runs // 2]
for n in sizes:
    size = os.path.getsize(os.path.join(folders[n], "disc", "Drivers", "big.inf"))
    median = sorted(times[n])[runs // 2]
    print("| %d | %.1f MB | %.3f s | %.3f s | %.1f× |"
          % (n, size / 1e6, median, min(times[n]), median / first))
