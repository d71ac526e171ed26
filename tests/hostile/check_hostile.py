#!/usr/bin/env python3
"""pomvarin-check on what strangers send: captures, folders of captures,
.inf packages and Pomvarin.ini files that are huge, endless, broken, special
or hostile. Each row builds its inputs in a fresh folder, runs the real
program as a child and holds it to its exit status, to what it says, to
valid JSON where JSON is asked for, and to a bound on its peak memory (the
child's own maximum resident size, from wait4). A row still running after
ROW_SECONDS is ended and fails, and a CTest timeout guards the whole table;
nothing else is timed.

Usage: check_hostile.py PATH_TO_POMVARIN_CHECK [--sanitized] [ROW-NAME-PART]
--sanitized: the program is built with the sanitizers, whose shadow memory
makes the memory bound meaningless; it is not held then.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading

MIB = 1 << 20
# The check's own peak memory on any row: inputs past the limits are
# refused, never held. A child starts with its parent's peak (Linux carries
# it through fork and exec), so rows write large inputs in pieces, never
# held whole here.
MEMORY_LIMIT_KIB = 64 * 1024
# A row still running after this is ended and fails: work that grows faster
# than its input takes far longer than that on the rows' inputs.
ROW_SECONDS = 120

LIST_HEADER = "# PCI devices, one per line: hardware IDs, most specific first\n"
DEVICE = "PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02"
INI = ("[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenName=Intel\n"
       "VenID=VEN_8086\nSetupFileRootDir=\\Drivers\nSetupFileName=setup.exe\n"
       "SilentInstall=setup.exe /s\n")


class Work:
    """The row's folder: a disc with one entry and its setup, and room for
    the row's inputs."""

    def __init__(self, root):
        self.root = root
        self.disc = os.path.join(root, "disc")
        os.makedirs(os.path.join(self.disc, "Drivers"))
        self.write("disc/Pomvarin.ini", INI)
        self.write("disc/Drivers/setup.exe", "a setup\n")

    def path(self, relative):
        return os.path.join(self.root, relative)

    def write(self, relative, data):
        path = self.path(relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data.encode() if isinstance(data, str) else data)
        return path

    def write_lines(self, relative, lines):
        """A text file of lines (each with its line end), written one by
        one."""
        path = self.path(relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", newline="") as out:
            out.writelines(lines)
        return path

    def write_repeated(self, relative, head, unit, size, tail=b""):
        """A file of size bytes: head, unit again and again, tail; written
        in blocks, never held whole."""
        path = self.path(relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        block = unit * max(1, (1 << 20) // len(unit))
        with open(path, "wb") as out:
            out.write(head)
            left = size - len(head) - len(tail)
            while left > 0:
                piece = block[:left]
                out.write(piece)
                left -= len(piece)
            out.write(tail)
        return path


class Row:
    def __init__(self, name, make, status, says=(), json_out=False,
                 stdin=None):
        self.name = name
        self.make = make          # Work -> the arguments
        self.status = status
        self.says = says          # texts that stdout + stderr must hold
        self.json_out = json_out  # stdout must be valid JSON
        self.stdin = stdin        # Work -> a file for standard input


def run(check, row, work, memory_bound):
    arguments = row.make(work)
    stdin = open(row.stdin(work), "rb") if row.stdin else subprocess.DEVNULL
    out_path, err_path = work.path("stdout"), work.path("stderr")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        child = subprocess.Popen([check] + arguments, cwd=work.root,
                                 stdin=stdin, stdout=out, stderr=err)
        ended = threading.Event()
        ender = threading.Timer(ROW_SECONDS,
                                lambda: (ended.set(), child.kill()))
        ender.start()
        _, wait_status, usage = os.wait4(child.pid, 0)
        ender.cancel()
    child.returncode = os.waitstatus_to_exitcode(wait_status)
    if row.stdin:
        stdin.close()
    with open(out_path, "rb") as f:
        stdout = f.read()
    with open(err_path, "rb") as f:
        stderr = f.read()
    problems = []
    if ended.is_set():
        problems.append("still running after %d s: ended" % ROW_SECONDS)
    elif child.returncode != row.status:
        problems.append("exit status %d, not %d" % (child.returncode,
                                                     row.status))
    text = (stdout + stderr).decode("utf-8", "replace")
    for said in row.says:
        if said not in text:
            problems.append("does not say %r" % said)
    if row.json_out:
        try:
            # The bytes must be UTF-8 as they stand, and then JSON.
            json.loads(stdout.decode("utf-8"))
        except (UnicodeDecodeError, ValueError) as error:
            problems.append("stdout is no valid JSON: %s" % error)
    if memory_bound and usage.ru_maxrss > MEMORY_LIMIT_KIB:
        problems.append("peak memory %d KiB, over %d KiB" %
                        (usage.ru_maxrss, MEMORY_LIMIT_KIB))
    if problems:
        problems.append("stderr: %r" % stderr[:600])
    return problems


# ---- .inf packages ------------------------------------------------------------

INF_HEAD = '[Version]\r\nSignature="$Windows NT$"\r\n'
# What a row's report says when the package serves the captured device.
SERVED = "Devices no started entry's .inf serves:\n  none"


def inf_row_arguments(work):
    """The row's disc, with its .inf written into disc/Drivers, and as the
    capture the device the package should serve."""
    return [work.disc, "--devices",
            work.write("machine.txt", LIST_HEADER + DEVICE + "\n")]


def inf_of_unnamed_lines(work):
    # The package comes first; then short lines up to just under the limit
    # in a section no [Manufacturer] line names.
    head = (INF_HEAD + "[Manufacturer]\r\nM = Models\r\n[Models]\r\n"
            "d = i, PCI\\VEN_8086&DEV_100E\r\n[Unnamed]\r\n").encode()
    work.write_repeated("disc/Drivers/big.inf", head, b"a=b\r\n",
                        16 * MIB - 4096)
    return inf_row_arguments(work)


def inf_of_1_gib(work):
    work.write_repeated("disc/Drivers/huge.inf",
                        (INF_HEAD + "[Unnamed]\r\n").encode(), b"a=b\r\n",
                        1024 * MIB)
    return inf_row_arguments(work)


def inf_of_many_tokens(work, count=100000):
    # Every ID of the models section is a %token% that [Strings] defines;
    # the captured device's own ID is the last one.
    def lines():
        yield INF_HEAD + "[Manufacturer]\r\n%Maker% = Models\r\n[Models]\r\n"
        for n in range(count):
            yield "d = i, %%Id%d%%\r\n" % n
        yield '[Strings]\r\nMaker = "A maker"\r\n'
        for n in range(count - 1):
            yield 'Id%d = "PCI\\VEN_8086&DEV_1000&SUBSYS_%08X"\r\n' % (n, n)
        yield 'Id%d = "PCI\\VEN_8086&DEV_100E"\r\n' % (count - 1)
    work.write_lines("disc/Drivers/tokens.inf", lines())
    return inf_row_arguments(work)


def inf_of_long_manufacturer(work, lines=10000, models=50000):
    # Every [Manufacturer] line names the one models section, which stands
    # before [Manufacturer]; the captured device's ID is its last.
    def text():
        yield INF_HEAD + "[Models]\r\n"
        for n in range(models - 1):
            yield "d = i, PCI\\VEN_8086&DEV_1000&SUBSYS_%08X\r\n" % n
        yield "d = i, PCI\\VEN_8086&DEV_100E\r\n[Manufacturer]\r\n"
        for n in range(lines):
            yield "Maker%d = Models\r\n" % n
    work.write_lines("disc/Drivers/makers.inf", text())
    return inf_row_arguments(work)


# ---- The rows ---------------------------------------------------------------

ROWS = [
    # Folders and special files where a capture is expected.
    Row("a folder as the capture of --list",
        lambda w: ["--list", "--devices", w.disc], 2, says=["a folder"]),
    Row("a folder whose path passes 257 characters",
        lambda w: [w.disc, "--devices", os.path.dirname(w.write(
            "m" * 120 + "/" + "n" * 140 + "/a.txt",
            LIST_HEADER + DEVICE + "\n"))],
        2, says=["a folder whose files cannot be listed"]),
    Row("an endless device as the capture",
        lambda w: [w.disc, "--devices", "/dev/zero"], 2, says=["16 MiB"]),
    Row("a capture of 1 GiB",
        lambda w: [w.disc, "--devices", w.write_repeated(
            "big.txt", LIST_HEADER.encode(), (DEVICE + "\n").encode(),
            1024 * MIB)],
        2, says=["16 MiB"]),
    Row("a capture piped in as standard input",
        lambda w: [w.disc, "--devices", "-", "--json"], 0, json_out=True,
        stdin=lambda w: w.write("piped.txt", LIST_HEADER + DEVICE + "\n")),
    Row("a capture that cannot be read",
        lambda w: [w.disc, "--devices", "/proc/self/mem"], 2,
        says=["cannot read the capture /proc/self/mem: "]),
    # .inf packages on the disc.
    Row("an .inf of short lines in a section nobody names, just under "
        "16 MiB", inf_of_unnamed_lines, 0, says=[SERVED]),
    Row("an .inf of 1 GiB", inf_of_1_gib, 1,
        says=["huge.inf): is larger than 16 MiB"]),
    Row("an .inf of 100,000 %tokens% and 100,000 [Strings] lines",
        inf_of_many_tokens, 0, says=[SERVED]),
    Row("an .inf whose 10,000 [Manufacturer] lines name one models section "
        "of 50,000 lines", inf_of_long_manufacturer, 0, says=[SERVED]),
]


def main():
    check = os.path.abspath(sys.argv[1])
    sanitized = "--sanitized" in sys.argv[2:]
    rest = [a for a in sys.argv[2:] if a != "--sanitized"]
    only = rest[0] if rest else ""
    failed = ran = 0
    for row in ROWS:
        if only not in row.name:
            continue
        ran += 1
        root = tempfile.mkdtemp(prefix="pomvarin-hostile-check-")
        try:
            problems = run(check, row, Work(root), not sanitized)
        finally:
            shutil.rmtree(root, ignore_errors=True)
        print("%s: %s" % ("FAIL" if problems else "ok", row.name))
        for problem in problems:
            print("    " + problem)
        failed += bool(problems)
    print("%d passed, %d failed" % (ran - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
