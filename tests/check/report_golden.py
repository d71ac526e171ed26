#!/usr/bin/env python3
"""pomvarin-check's reports held byte for byte to the ones kept in golden/.

Every report the check writes, text and JSON, on the example discs, on a
disc for each end-to-end scenario (its devices given as a capture), over
every capture kept in the tree, and for the command lines it refuses. A
change to what the check prints shows here as a diff; one that is meant is
taken with --update, and the diff of golden/ is then read in review.

Usage: report_golden.py PATH_TO_POMVARIN_CHECK [--update]
"""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
GOLDEN = os.path.join(HERE, "golden")
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
import scenarios as table  # noqa: E402

EXAMPLES = os.path.join(SOURCE, "examples")
FLEET = os.path.join(EXAMPLES, "fleet")
CAPTURES = [
    os.path.join(folder, name)
    for folder in (os.path.join(SOURCE, "check", "testdata"),
                   os.path.join(SOURCE, "fuzz", "corpus", "device_capture"),
                   os.path.join(FLEET, "machines"))
    for name in sorted(os.listdir(folder))
]


class Recorder:
    """Runs the check and writes each run's command, status, output and
    errors into one text, with the work folder's path made neutral."""

    def __init__(self, check, work):
        self.check = check
        self.work = work
        self.text = []

    def run(self, label, arguments, cwd=None):
        done = subprocess.run([self.check] + arguments, cwd=cwd or self.work,
                              stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=120)
        shown = " ".join(self.neutral(a.encode()).decode("utf-8", "replace")
                         for a in arguments)
        self.text.append(b"==== %s: pomvarin-check %s\nstatus: %d\n"
                         b"---- stdout\n%s---- stderr\n%s" % (
                             label.encode(), shown.encode(), done.returncode,
                             self.neutral(done.stdout),
                             self.neutral(done.stderr)))

    def neutral(self, data):
        for place, name in ((self.work, b"{work}"), (SOURCE, b"{source}")):
            data = data.replace(place.encode(), name)
            data = data.replace(place.replace("/", "\\").encode(), name)
        return data

    def result(self):
        return b"".join(self.text)


def write_capture(path, devices):
    with open(path, "w") as out:
        out.write("# PCI devices, one per line: hardware IDs, most specific "
                  "first\n")
        for device in devices:
            out.write(" ".join(device.hardware_ids()) or "-")
            out.write("\n")


def build_disc(folder, scenario):
    os.makedirs(folder)
    for relative, entry in scenario.tree.items():
        path = os.path.join(folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(entry, table.Link):
            os.symlink(entry.target, path)
        elif entry == table.HIDDEN_FOLDER:
            os.makedirs(path, exist_ok=True)
        elif isinstance(entry, table.Entry):
            with open(path, "w") as out:
                out.write("a setup\n")
        else:
            with open(path, "w", newline="") as out:
                out.write(entry)


def scenario_reports(recorder, work):
    for scenario in table.SCENARIOS:
        if scenario.windows_only:
            continue
        disc = os.path.join(work, "scenarios", scenario.name)
        build_disc(disc, scenario)
        capture = os.path.join(work, "scenarios", scenario.name + ".list")
        write_capture(capture, scenario.devices)
        folder = os.path.join(disc, scenario.cwd)
        os.makedirs(folder, exist_ok=True)
        for form in ([], ["--json"]):
            recorder.run(scenario.name, ["--devices", capture] + form,
                         cwd=folder)


def example_reports(recorder, work):
    machines = os.path.join(FLEET, "machines")
    disc = os.path.join(FLEET, "disc")
    for form in ([], ["--json"]):
        for name in sorted(os.listdir(machines)):
            recorder.run("fleet disc, one machine",
                         [disc, "--devices", os.path.join(machines, name)] + form)
        recorder.run("fleet disc, a folder of machines",
                     [disc, "--devices", machines] + form)
        recorder.run("fleet disc, machines named one by one",
                     [disc, "--devices", os.path.join(machines, "desk-a.txt"),
                      "--devices", os.path.join(machines, "tower-c.lspci")]
                     + form)
        recorder.run("fleet disc for one system",
                     [disc, "--devices", machines, "--target", "NTamd64.10.0"]
                     + form)
        for capture in CAPTURES[:3]:
            recorder.run("example disc", [EXAMPLES, "--devices", capture] + form)
    recorder.run("fleet disc's own Pomvarin.ini", ["--init", disc])


def capture_reports(recorder, work):
    broken = os.path.join(work, "broken")
    os.makedirs(broken)
    samples = {
        "empty": b"",
        "blank": b"\n \n",
        "nul": b"PCI\\VEN_1&DEV_2\x00\n",
        "odd-utf16": b"\xff\xfeP\x00C",
        "list-bad-id": b"PCI\\VEN_8086 not-an-id\n",
        "lspci-no-class": b"Slot:\t00:01.0\nVendor:\tX [8086]\nDevice:\tY [1234]\n",
        "lspci-bad-number": b"Slot:\t00:01.0\nClass:\tC [0600]\nVendor:\tX [80]\n",
        "lspci-two-vendors": b"Slot:\t00:01.0\nVendor:\tX [8086]\nVendor:\tX [8086]\n",
        "pnputil-no-ids": "Microsoft PnP Utility\n\nInstance ID:  PCI\\VEN_1&DEV_2\\3&1\n"
                          "Device Description:  X\n".encode(),
        "unknown": b"hello world\n",
    }
    for name, data in samples.items():
        with open(os.path.join(broken, name), "wb") as out:
            out.write(data)
    for capture in CAPTURES + sorted(
            os.path.join(broken, name) for name in samples):
        for form in ([], ["--json"]):
            recorder.run("device list", ["--list", "--devices", capture] + form)
    for form in ([], ["--json"]):
        recorder.run("a folder with captures that are none",
                     [os.path.join(FLEET, "disc"), "--devices", broken,
                      "--devices", os.path.join(FLEET, "machines")] + form)


def refused_reports(recorder, work):
    machines = os.path.join(FLEET, "machines")
    for arguments in (["--help"], ["--bogus"], ["a", "b"],
                      ["--list", "x"], ["--devices"], ["--target", "XP"],
                      ["--trace", "--json"], ["--list", "--devices", machines,
                                              "--devices", machines],
                      ["--", "x"], ["--devices", os.path.join(work, "none")],
                      [os.path.join(work, "none"), "--devices", machines],
                      [work, "--devices", machines]):
        recorder.run("refused or unusual", arguments)


def main():
    check = os.path.abspath(sys.argv[1])
    update = "--update" in sys.argv[2:]
    # A work folder whose path has the same length on every run: reports
    # name path lengths where they pass the launcher's limits.
    work = tempfile.mkdtemp(prefix="pomvarin-golden-", dir="/tmp")
    problems = 0
    try:
        for name, make in (("scenarios", scenario_reports),
                           ("examples", example_reports),
                           ("captures", capture_reports),
                           ("refused", refused_reports)):
            recorder = Recorder(check, work)
            make(recorder, work)
            path = os.path.join(GOLDEN, name + ".txt")
            actual = recorder.result()
            if update:
                os.makedirs(GOLDEN, exist_ok=True)
                with open(path, "wb") as out:
                    out.write(actual)
                continue
            with open(path, "rb") as kept:
                expected = kept.read()
            if actual != expected:
                problems += 1
                actual_path = os.path.join(work, name + ".actual")
                with open(actual_path, "wb") as out:
                    out.write(actual)
                diff = subprocess.run(["diff", "-u", path, actual_path],
                                      capture_output=True)
                sys.stdout.write("%s: the reports differ from golden/%s.txt\n"
                                 % (name, name))
                sys.stdout.buffer.write(diff.stdout[:20000])
            else:
                print("%s: same as golden/%s.txt" % (name, name))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
