#!/usr/bin/env python3
"""pomvarin-check on what strangers send: captures, folders of captures,
.inf packages and Pomvarin.ini files that are huge, endless, broken, special
or hostile. Each row builds its inputs in a fresh folder, runs the real
program as a child and holds it to its exit status, to what it says, to
valid JSON where JSON is asked for, and to a bound on its peak memory (the
child's maximum resident size, from wait4), printed for each row. wait4
counts this script's own peak in the child's (the child is started by
vfork), so the inputs are written piece by piece, never held whole. Nothing
is timed by the clock: a child that has used CHILD_CPU_SECONDS of processor
time is stopped and fails its row, so that a walk gone quadratic fails in
seconds, not at the CTest timeout, however busy the machine is; one that
waits without working is stopped after CHILD_WAIT_SECONDS.

Usage: check_hostile.py PATH_TO_POMVARIN_CHECK [--sanitized] [ROW-NAME-PART]
--sanitized: the program is built with the sanitizers, whose shadow memory
makes the memory bound meaningless; it is not held then.
"""

import itertools
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

MIB = 1 << 20
# The check's own peak memory on any row: inputs past the limits are
# refused, never held. A child starts with its parent's peak (Linux carries
# it through fork and exec), so rows write large inputs in pieces, never
# held whole here.
MEMORY_LIMIT_KIB = 64 * 1024
# Every row's child answers in under a second of processor time; one that
# has used 15 s has gone wrong (a walk of 100,000 sections or keys that
# compares each with all earlier ones takes from half a minute to many).
# Processor time, not the clock's: on a busy machine an honest row may take
# many times as long by the clock.
CHILD_CPU_SECONDS = 15
CHILD_WAIT_SECONDS = 300

LIST_HEADER = "# PCI devices, one per line: hardware IDs, most specific first\n"
DEVICE = "PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02"
# A capture just under the check's 16 MiB limit, of an even size so that
# UTF-16 ones end on a whole character.
UNDER_CAPTURE_LIMIT = 16 * MIB - 2
# More devices than any real machine has, yet few to keep: the check keeps
# every device, so rows of these bound what reading the lines costs.
MANY_DEVICES = 10000
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
        with open(path, "wb") as out:
            out.write(head)
            write_units(out, unit, size - len(head) - len(tail))
            out.write(tail)
        return path

    def under_limit(self, relative, pieces, unit, encode=str.encode):
        """A capture just under the limit: the pieces of its text one by one,
        then unit again and again, each encoded by encode; never held
        whole."""
        path = self.path(relative)
        with open(path, "wb") as out:
            for piece in pieces:
                out.write(encode(piece))
            write_units(out, encode(unit), UNDER_CAPTURE_LIMIT - out.tell())
        return path


def write_units(out, unit, size):
    """size bytes of unit again and again, in blocks."""
    block = unit * max(1, (1 << 20) // len(unit))
    while size > 0:
        piece = block[:size]
        out.write(piece)
        size -= len(piece)


def lspci_record(i, passed_over=""):
    """lspci -vmm -nn's record of device i, with fields the check passes
    over."""
    return ("Slot:\t%02x:%02x.%d\nClass:\tEthernet controller [0200]\n"
            "Vendor:\tIntel Corporation [8086]\nDevice:\tDevice [%04x]\n"
            "SVendor:\tIntel Corporation [8086]\nSDevice:\tDevice [0001]\n"
            "Rev:\t02\n%s\n" % (i // 256, i // 8 % 32, i % 8, i, passed_over))


PNPUTIL_TITLE = "Microsoft PnP Utility\n\n"


def pnputil_record(i, passed_over=""):
    """pnputil /enum-devices /deviceids' record of device i, with fields the
    check passes over."""
    ids = "PCI\\VEN_8086&DEV_%04X&SUBSYS_00018086" % i
    return ("Instance ID:                %s&REV_02\\3&11583659&0&%02X\n"
            "Device Description:         Intel Ethernet\n"
            "Hardware IDs:               %s&REV_02\n"
            "                            %s\n%s\n" % (ids, i % 256, ids, ids,
                                                     passed_over))


def many(record, passed_over=""):
    """MANY_DEVICES records one by one, each with as many passed_over lines
    as fill the capture's limit (none where passed_over is empty)."""
    count = ((UNDER_CAPTURE_LIMIT // MANY_DEVICES - len(record(0))) //
             len(passed_over or "-"))
    return (record(i, passed_over * count) for i in range(MANY_DEVICES))


def utf16_crlf(text):
    """As Windows writes a capture in UTF-16; a byte-order mark is the
    text's own "\\ufeff"."""
    return text.replace("\n", "\r\n").encode("utf-16-le")


def wmic_record(i, passed_over=""):
    """wmic /format:list's record of device i, as Windows 7 writes it, with
    properties the check passes over."""
    ids = "PCI\\VEN_8086&amp;DEV_%04X&amp;SUBSYS_00018086" % i
    return ("\n\nDeviceID=%s&amp;REV_02\\3&amp;11583659&amp;0&amp;%02X\n"
            "HardwareID={\"%s&amp;REV_02\",\"%s\"}\n%s" % (
                ids, i % 256, ids, ids, passed_over))


def wmic_csv_machines(count, configurations):
    """wmic /node:... /format:csv of count machines, one device each, of
    so many configurations."""
    yield "\nNode,DeviceID,HardwareID\n"
    for i in range(count):
        ids = "PCI\\VEN_8086&amp;DEV_%04X&amp;SUBSYS_00018086" % (
            i % configurations)
        yield ("PC%06d,%s&amp;REV_02\\3&amp;11583659&amp;0&amp;00,"
               "{\"%s&amp;REV_02\",\"%s\"}\n" % (i, ids, ids, ids))


def powershell_list_record(i, passed_over=""):
    """Format-List of Get-PnpDevice's object for device i, as Windows
    PowerShell writes it, its instance ID wrapped, with properties the
    check passes over."""
    ids = "PCI\\VEN_8086&DEV_%04X&SUBSYS_00018086" % i
    return ("\nInstanceId     : %s&REV_02\\3&11583\n"
            "                 659&0&%02X\n"
            "HardwareID     : {%s&REV_02, %s}\n%s" % (ids, i % 256, ids, ids,
                                                   passed_over))


def powershell_machines(count, configurations, form):
    """Invoke-Command's objects of count machines, one device each, of so
    many configurations, as Export-Csv or ConvertTo-Json writes them."""
    yield ('"PSComputerName","InstanceId","HardwareID"\n' if form == "csv"
           else "[\n")
    for i in range(count):
        ids = "PCI\\VEN_8086&DEV_%04X&SUBSYS_00018086" % (i % configurations)
        if form == "csv":
            yield ('"PC%06d","%s&REV_02\\3&11583659&0&00","System.String[]"\n'
                   % (i, ids))
        else:
            ids = ids.replace("\\", "\\\\").replace("&", "\\u0026")
            yield ('%s    {"PSComputerName":  "PC%06d", "InstanceId":  '
                   '"%s\\u0026REV_02\\\\3\\u00260\\u00260\\u002600", '
                   '"HardwareID":  ["%s\\u0026REV_02", "%s"]}\n'
                   % ("," if i else " ", i, ids, ids, ids))
    if form == "json":
        yield "]\n"


def msinfo32_report_one_field(work):
    """msinfo32 /report whose one field fills the capture."""
    return [work.disc, "--devices", work.under_limit(
        "msinfo32.txt", ["\ufeffSystem Information report written at: now\n"
                         "[Display]\nPNP Device ID\t" + DEVICE +
                         "\\3&1&0&00\t\nName\t"], "x", utf16_crlf)]


def nfo_nested(work):
    """msinfo32 /nfo of elements within elements to the capture's limit."""
    return [work.disc, "--devices", work.under_limit(
        "deep.nfo", ["<?xml version=\"1.0\"?>\n<MsInfo>"], "<a>")]


class Row:
    def __init__(self, name, make, status, says=(), json_out=False,
                 stdin=None):
        self.name = name
        self.make = make          # Work -> the arguments
        self.status = status
        self.says = says          # texts that stdout + stderr must hold
        self.json_out = json_out  # stdout must be valid JSON
        self.stdin = stdin        # Work -> a file for standard input


def processor_seconds(pid):
    """The processor time a running child has used so far, from /proc."""
    try:
        with open("/proc/%d/stat" % pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
    except (OSError, IndexError):
        return 0  # it has just ended
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def wait_at_most(child):
    """The child's wait status and resource usage, from wait4; a child that
    has used CHILD_CPU_SECONDS of processor time, or is still running after
    CHILD_WAIT_SECONDS, is killed first (timed_out then says which)."""
    deadline = time.monotonic() + CHILD_WAIT_SECONDS
    while True:
        pid, wait_status, usage = os.wait4(child.pid, os.WNOHANG)
        if pid:
            return wait_status, usage, None
        used = processor_seconds(child.pid)
        if used >= CHILD_CPU_SECONDS or time.monotonic() > deadline:
            child.kill()
            _, wait_status, usage = os.wait4(child.pid, 0)
            return wait_status, usage, (
                "%.1f s of processor time used" % used
                if used >= CHILD_CPU_SECONDS else
                "no answer within %d s" % CHILD_WAIT_SECONDS)
        time.sleep(0.02)


def run(check, row, work, memory_bound):
    arguments = row.make(work)
    stdin = open(row.stdin(work), "rb") if row.stdin else subprocess.DEVNULL
    out_path, err_path = work.path("stdout"), work.path("stderr")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        child = subprocess.Popen([check] + arguments, cwd=work.root,
                                 stdin=stdin, stdout=out, stderr=err)
        wait_status, usage, timed_out = wait_at_most(child)
    child.returncode = os.waitstatus_to_exitcode(wait_status)
    if row.stdin:
        stdin.close()
    with open(out_path, "rb") as f:
        stdout = f.read()
    with open(err_path, "rb") as f:
        stderr = f.read()
    problems = []
    if timed_out:
        problems.append(timed_out + ": stopped")
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
    return problems, usage.ru_maxrss


def over_one_device(w):
    """Arguments that check the disc over a capture of the one device."""
    return [w.disc, "--devices", w.write("pc.txt", LIST_HEADER + DEVICE + "\n")]


def check_disc(w, ini):
    """The same, with ini as the disc's Pomvarin.ini."""
    w.write("disc/Pomvarin.ini", ini)
    return over_one_device(w)


def check_disc_of_1_gib(w):
    """The same, with a Pomvarin.ini of 1 GiB: the usual one, then comment
    lines."""
    w.write_repeated("disc/Pomvarin.ini", INI.encode(), b"; a comment line\n",
                     1024 * MIB)
    return over_one_device(w)


# ---- Images -------------------------------------------------------------------

def sparse_image(w, size):
    """An image of size bytes, all zeros, that takes no room."""
    path = w.path("disc.img")
    with open(path, "wb") as f:
        f.truncate(size)
    return path


def iso_that_lies(w):
    """An ISO 9660 image whose root folder lies past the end of its 40 KiB
    and says it holds 4 GiB of records."""
    path = sparse_image(w, 20 * 2048)
    with open(path, "r+b") as f:
        f.seek(16 * 2048)
        primary = bytearray(2048)
        primary[0:7] = b"\x01CD001\x01"
        primary[128:130] = (2048).to_bytes(2, "little")
        root = bytearray(34)
        root[0] = 34
        root[2:6] = (5000000).to_bytes(4, "little")
        root[10:14] = (0xFFFFFFFF).to_bytes(4, "little")
        root[25] = 2
        root[32] = 1
        primary[156:190] = root
        f.write(primary + b"\xffCD001\x01")
    return [path]


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
    # Images: files in the disc folder's place.
    Row("an image of 1 GiB of zeros",
        lambda w: [sparse_image(w, 1024 * MIB)], 2,
        says=["neither an ISO 9660 nor a FAT image"]),
    Row("an endless device as the image",
        lambda w: ["/dev/zero"], 2, says=["cannot enter the folder /dev/zero"]),
    Row("an image whose root lies past its end and of its size",
        iso_that_lies, 2, says=["cannot read D:\\\\Pomvarin.ini"]),
    Row("a listing of an image whose root lies",
        lambda w: ["--list-files"] + iso_that_lies(w), 0),
    # Folders and special files where a capture is expected.
    Row("a folder as the capture of --list",
        lambda w: ["--list", "--devices", w.disc], 2,
        says=["a folder: --list reads one capture file"]),
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
    # Captures just under the limit: their lines are walked, not held.
    Row("blank lines just under the limit, listed",
        lambda w: ["--list", "--devices", w.under_limit("blank.txt", [], "\n")],
        2, says=["line %d: expected" % UNDER_CAPTURE_LIMIT, "found no text"]),
    Row("blank lines just under the limit, checked",
        lambda w: [w.disc, "--devices", w.under_limit("blank.txt", [], "\n")],
        2, says=["line %d: expected" % UNDER_CAPTURE_LIMIT, "found no text"]),
    Row("lspci capture of many devices with many fields, just under the limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "lspci.txt", many(lspci_record, "Module:\tm\n"), "\n")],
        0, says=["Devices:      %d from " % MANY_DEVICES]),
    Row("lspci capture of many devices amid blank lines, just under the limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "lspci.txt", many(lspci_record), "\n")],
        0, says=["Devices:      %d from " % MANY_DEVICES]),
    Row("pnputil capture of many devices with many fields, just under the "
        "limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "pnputil.txt", itertools.chain([PNPUTIL_TITLE], many(
                pnputil_record, "Status:  Started\n")), "\n")],
        0, says=["Devices:      %d from " % MANY_DEVICES]),
    Row("list capture of many devices amid comments, just under the limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "list.txt", [LIST_HEADER] + [DEVICE + "\n"] * MANY_DEVICES,
            "#\n")],
        0, says=["Devices:      %d from " % MANY_DEVICES]),
    Row("UTF-16 pnputil capture of many devices amid blank lines, just under "
        "the limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "pnputil.txt", itertools.chain(["\ufeff" + PNPUTIL_TITLE],
                                           many(pnputil_record)),
            "\n", utf16_crlf)],
        0, says=["Devices:      %d from " % MANY_DEVICES]),

    # The Windows tools' captures.
    Row("UTF-16 wmic list of many devices amid blank lines, just under the "
        "limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "wmic.txt", itertools.chain(["\ufeff"], many(wmic_record)), "\n",
            utf16_crlf)],
        0, says=["Devices:      %d from " % MANY_DEVICES]),
    Row("piped wmic list of many devices with many properties, just under "
        "the limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "wmic.txt", many(wmic_record, "Status=OK\r\r\n"), "\r\r\n")],
        0, says=["Devices:      %d from " % MANY_DEVICES]),
    Row("wmic list whose one property fills the capture",
        lambda w: [w.disc, "--devices", w.under_limit(
            "wmic.txt", [wmic_record(1), "Name="], "x")],
        0, says=["Devices:      1 from "]),
    Row("wmic CSV of 50,000 machines in 50 configurations",
        lambda w: [w.disc, "--devices", w.write_lines(
            "nodes.csv", wmic_csv_machines(50000, 50))],
        0, says=["Machines:     50000 machines in 50 configurations"]),
    Row("msinfo32 report whose one field fills the capture",
        msinfo32_report_one_field, 0, says=["Devices:      1 from "]),
    Row("msinfo32 .nfo of elements nested to the capture's limit", nfo_nested,
        2, says=["deep.nfo, line 2: expected elements at most 64 deep"]),
    Row("devcon hwids of many devices, just under the limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "devcon.txt", ("PCI\\VEN_8086&DEV_%04X\\3&1&0&%02X\n    Name: N\n"
                           "    Hardware IDs:\n        PCI\\VEN_8086&DEV_%04X\n"
                           % (i, i % 256, i) for i in range(MANY_DEVICES)),
            "\n")],
        0, says=["Devices:      %d from " % MANY_DEVICES]),

    Row("PowerShell Format-List of many devices with many properties, just "
        "under the limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "list.txt", many(powershell_list_record, "Status         : OK\n"),
            "\n")],
        0, says=["Devices:      %d from " % MANY_DEVICES]),
    Row("PowerShell Format-List whose one value fills the capture",
        lambda w: [w.disc, "--devices", w.under_limit(
            "list.txt", [powershell_list_record(1), "Caption        : "], "x")],
        0, says=["Devices:      1 from "]),
    Row("PowerShell Format-List whose one value wraps to fill the capture",
        lambda w: [w.disc, "--devices", w.under_limit(
            "list.txt", [powershell_list_record(1), "Caption        : x\n"],
            "                 x\n")],
        0, says=["Devices:      1 from "]),
    Row("JSON nested to the capture's limit",
        lambda w: [w.disc, "--devices", w.under_limit(
            "deep.json", ["[\n"], '{"a": [')],
        2, says=["deep.json, line 2: expected values nested at most 100 deep"]),
    Row("JSON whose one string fills the capture",
        lambda w: [w.disc, "--devices", w.under_limit(
            "long.json", ['{"InstanceId": "' + DEVICE.replace("\\", "\\\\") +
                          '\\\\3&1&0&00", "Caption": "'], "x")],
        2, says=["long.json, line 1: expected the string's closing quote"]),
    Row("PowerShell Export-Csv of 50,000 machines in 50 configurations",
        lambda w: [w.disc, "--devices", w.write_lines(
            "machines.csv", powershell_machines(50000, 50, "csv"))],
        0, says=["Machines:     50000 machines in 50 configurations"]),
    Row("PowerShell ConvertTo-Json of 50,000 machines in 50 configurations",
        lambda w: [w.disc, "--devices", w.write_lines(
            "machines.json", powershell_machines(50000, 50, "json"))],
        0, says=["Machines:     50000 machines in 50 configurations"]),

    # Pomvarin.ini files: one past the limit is refused unread, and up to
    # it, sections and keys by the 100,000 are each looked at once.
    Row("a Pomvarin.ini of 1 GiB", check_disc_of_1_gib, 2,
        says=["Pomvarin.ini: larger than 1 MiB"]),
    Row("a Pomvarin.ini of 100,000 sections",
        lambda w: check_disc(w, INI + "".join(
            "[S%x]\n" % i for i in range(100000))),
        1, says=["Warnings: 100000\n",
                 "[S1869f]: is never read (misspelt?)\n"]),
    Row("a Pomvarin.ini of 100,000 different keys in one section",
        lambda w: check_disc(w, INI + "".join(
            "k%05x=\n" % i for i in range(100000))),
        1, says=["Warnings: 100000\n",
                 "[VendorInfo1] k1869f: is never read (misspelt?)\n"]),
    Row("a Pomvarin.ini of one key 100,000 times in one section",
        lambda w: check_disc(w, INI + "venname=\nVENNAME=\n" * 50000),
        1, says=["Warnings: 100000\n",
                 "[VendorInfo1] VENNAME: appears again: only the first one "
                 "counts\n"]),
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


def invalid_utf8(work):
    """A disc whose VenName, and a folder of captures whose file names, hold
    overlong forms and surrogates."""
    bad = [b"\xe0\x80\xaf", b"\xed\xa0\x80", b"\xf0\x80\x80\xaf",
           b"\xf4\x90\x80\x80"]
    work.write("disc/Pomvarin.ini", INI.encode().replace(
        b"VenName=Intel", b"VenName=" + b"".join(bad)))
    machines = work.path("machines")
    os.makedirs(machines)
    for number, name in enumerate(bad):
        with open(os.path.join(os.fsencode(machines), name + b".txt"),
                  "wb") as out:
            out.write((LIST_HEADER + DEVICE + "\n").encode())
    with open(os.path.join(os.fsencode(machines), b"\xed\xb0\x80"), "wb") as out:
        out.write(b"no capture \xed\xa0\x80\n")
    return [work.disc, "--devices", machines, "--json"]


def folder_near_the_limit(work):
    """A folder of captures whose path leaves room for a short file name
    but not for a long one."""
    folder = work.path("f" * (250 - len(work.root)))
    work.write(folder + "/a", LIST_HEADER + DEVICE + "\n")
    work.write(folder + "/a-capture-whose-name-is-long.txt",
               LIST_HEADER + DEVICE + "\n")
    return [work.disc, "--devices", folder]


ROWS.append(Row("a capture whose path in its folder passes the limit",
                folder_near_the_limit, 2,
                says=["a-capture-whose-name-is-long.txt: its path passes the "
                      "limit of 259 characters", "Machines:     1"]))
ROWS.append(Row("invalid UTF-8 in names, values and skipped files", invalid_utf8,
                0, json_out=True))


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
            problems, peak_kib = run(check, row, Work(root), not sanitized)
        finally:
            shutil.rmtree(root, ignore_errors=True)
        print("%s: %s (peak %.1f MiB)" % ("FAIL" if problems else "ok",
                                          row.name, peak_kib / 1024))
        for problem in problems:
            print("    " + problem)
        failed += bool(problems)
    print("%d passed, %d failed" % (ran - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
