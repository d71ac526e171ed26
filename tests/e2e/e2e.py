#!/usr/bin/env python3
"""The end-to-end suite: every scenario of scenarios.py run on the real
Pomvarin.exe under Wine (Windows XP, 7 and 10 modes) and on the real Linux
program, each checked against the same expected trace, setups started, box,
exit status and folder tree. Prints a readable diff for every failing run and
exits 1 when any failed.

Run one scenario by hand (from the build folder of the windows preset, after
building both presets):

    python3 ../../tests/e2e/e2e.py --windows-program Pomvarin.exe \\
        --runner e2e_runner.exe --probe e2e_setup_probe.exe \\
        --linux-program ../linux/pomvarin --work tests/e2e/work \\
        --wine /usr/lib/wine/wine --only silent-run --modes win7

(the 64-bit twin: build/windows64 and --wine /usr/lib/wine/wine64).
"""

import argparse
import dataclasses
import difflib
import json
import os
import select
import shutil
import stat
import struct
import subprocess
import sys
import time
from dataclasses import dataclass, field

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenarios as table  # noqa: E402

# A 64-bit prefix has no "winxp": its XP is the x64 edition, 5.2.
WINDOWS_MODES = {"winxp": "5.1", "winxp64": "5.2", "win7": "6.1",
                 "win10": "10.0"}
# Guards against a hang only; a run takes well under a second.
RUN_LIMIT_SECONDS = 120
# Making a prefix took up to a minute and a half on a busy two-core machine.
PREFIX_LIMIT_SECONDS = 600
POLL_SECONDS = 0.02
CLASS_GUID = "{4d36e972-e325-11ce-bfc1-08002be10318}"
DEVICE_KEY = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\PCI"
WARNING_LINE = "Warning: " + table.BOX
LINUX_PROBE = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                           "setup_probe.sh")


# ---- What a run gave --------------------------------------------------------

@dataclass
class Outcome:
    trace: list = field(default_factory=list)
    launches: list = field(default_factory=list)
    boxes: list = field(default_factory=list)
    exit_code: object = None
    changed_files: list = field(default_factory=list)
    faults: list = field(default_factory=list)  # of the harness itself


def wait_until(condition, what, limit=RUN_LIMIT_SECONDS):
    deadline = time.monotonic() + limit
    while not condition():
        if time.monotonic() > deadline:
            raise RuntimeError("timed out after %d s waiting for %s"
                               % (limit, what))
        time.sleep(POLL_SECONDS)


# ---- Folder trees -----------------------------------------------------------

def build_tree(folder, scenario, program, probe):
    """Writes the scenario's tree into folder for one platform: the same
    names, with the platform's probe as every setup and its program beside
    the configuration (or where the scenario says)."""
    os.makedirs(folder)
    for relative, entry in scenario.tree.items():
        path = os.path.join(folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(entry, table.Link):
            os.symlink(entry.target, path)
        elif entry in (table.SETUP, table.HIDDEN_SETUP):
            shutil.copyfile(probe, path)
            os.chmod(path, 0o755)
        elif entry == table.HIDDEN_FOLDER:
            os.makedirs(path, exist_ok=True)
        elif entry == table.FILE:
            with open(path, "w") as out:
                out.write("not a program\n")
        else:
            with open(path, "w", newline="") as out:
                out.write(entry)
        if entry in (table.HIDDEN_SETUP, table.HIDDEN_FOLDER):
            # Where Wine keeps the DOS attributes: here FILE_ATTRIBUTE_HIDDEN.
            os.setxattr(path, "user.DOSATTRIB", b"0x2")
    program_folder = os.path.join(
        folder, scenario.program_folder if scenario.program_folder is not None
        else scenario.cwd)
    os.makedirs(program_folder, exist_ok=True)
    target = os.path.join(program_folder, os.path.basename(program))
    shutil.copyfile(program, target)
    os.chmod(target, 0o755)
    return target


def snapshot(folder):
    """Every entry below folder with its type, size, time and link target."""
    entries = {}
    for top, folders, files in os.walk(folder):
        for name in folders + files:
            path = os.path.join(top, name)
            status = os.lstat(path)
            link = os.readlink(path) if stat.S_ISLNK(status.st_mode) else ""
            entries[os.path.relpath(path, folder)] = (
                stat.S_IFMT(status.st_mode), status.st_size,
                status.st_mtime_ns, link)
    return entries


def changed_entries(before, after):
    return sorted("%s %s" % ("added" if name not in before else
                             "removed" if name not in after else "changed",
                             name)
                  for name in set(before) | set(after)
                  if before.get(name) != after.get(name))


# ---- Windows under Wine -----------------------------------------------------

def windows_path(posix_path):
    return "Z:" + posix_path.replace("/", "\\")


class Wine:
    """One prefix for the suite, copied from a template made once, with a
    server kept alive until stop(). Every Windows program runs through the
    loader given, named in full: the wine command picks one of its own."""

    def __init__(self, work, loader):
        self.work = work
        self.loader = loader
        self.template = os.path.join(work, "template")
        self.prefix = os.path.join(work, "prefix")
        self.log = open(os.path.join(work, "wine.log"), "ab")
        # Where 64-bit Wine is installed too, the 32-bit loader would make a
        # 64-bit prefix, one without Windows XP.
        arch = "win64" if loader.endswith("64") else "win32"
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH=arch,
                        WINEDEBUG="-all", LC_ALL="C.UTF-8",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)

    def run(self, *command, env=None, check=True, limit=RUN_LIMIT_SECONDS):
        """Runs a command, its errors into the log; one that fails (when
        check is set) or passes its limit raises RuntimeError with the
        command, its exit status and what it wrote into the log."""
        start = self.log_size()
        try:
            return subprocess.run(command, env=env or self.env, check=check,
                                  stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=self.log,
                                  timeout=limit)
        except subprocess.TimeoutExpired:
            raise RuntimeError("%s had not ended after %d s%s" % (
                " ".join(command), limit, self.said_since(start))) from None
        except subprocess.CalledProcessError as e:
            raise RuntimeError("%s failed with exit status %d%s" % (
                " ".join(command), e.returncode,
                self.said_since(start))) from None

    def log_size(self):
        return os.fstat(self.log.fileno()).st_size

    def said_since(self, start):
        """The last lines written into the log since start, for a message."""
        with open(self.log.name, "rb") as log:
            log.seek(start)
            lines = log.read().decode("latin-1").splitlines()[-20:]
        if not lines:
            return "; it wrote nothing into %s" % self.log.name
        return "; its last lines in %s:\n%s" % (
            self.log.name, "\n".join("    | " + line for line in lines))

    def import_registry(self, name, text, env=None):
        path = os.path.join(self.work, name)
        with open(path, "w", newline="") as out:
            out.write("REGEDIT4\r\n\r\n" + text)
        self.run(self.loader, "reg", "import", windows_path(path),
                 env=env)

    def template_has_arch(self, arch):
        """Whether the template prefix is there whole, of this word size:
        one of the other, or one whose making was cut short, left by an
        earlier run, is made anew."""
        try:
            with open(os.path.join(self.template, "system.reg"),
                      encoding="latin-1") as registry:
                return (("#arch=%s\n" % arch) in registry.read(4096) and
                        os.path.exists(os.path.join(self.template, "made")))
        except OSError:
            return False

    def start(self, drives):
        if not self.template_has_arch(self.env["WINEARCH"]):
            shutil.rmtree(self.template, ignore_errors=True)
            env = dict(self.env, WINEPREFIX=self.template)
            self.run(self.loader, "wineboot", "--init", env=env,
                     limit=PREFIX_LIMIT_SECONDS)
            # The null graphics driver: the box is real and modal with no
            # display.
            path = os.path.join(self.work, "null-graphics.reg")
            with open(path, "w") as out:
                out.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine"
                          "\\Drivers]\r\n\"Graphics\"=\"null\"\r\n")
            self.run(self.loader, "reg", "import", windows_path(path),
                     env=env)
            self.run("wineserver", "--wait", env=env,
                     limit=PREFIX_LIMIT_SECONDS)
            open(os.path.join(self.template, "made"), "w").close()
        shutil.rmtree(self.prefix, ignore_errors=True)
        shutil.copytree(self.template, self.prefix, symlinks=True)
        for letter, folder in drives.items():
            link = os.path.join(self.prefix, "dosdevices", letter.lower() + ":")
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(folder, link)
        self.run("wineserver", "--persistent")
        # Wine's own services start with the first program; not in a run.
        self.run(self.loader, "cmd", "/c", "exit")

    def set_version(self, mode):
        self.run(self.loader, "winecfg", "-v", mode)
        version = self.run(self.loader, "cmd", "/c",
                           "ver").stdout.decode("latin-1")
        if "Windows %s." % WINDOWS_MODES[mode] not in version:
            raise RuntimeError("Wine did not switch to %s: %r" % (mode, version))

    def end_server(self, env=None):
        """Ends the prefix's server and its programs, and waits until they
        have ended: they may still be writing into the folders they were
        given."""
        self.run("wineserver", "--kill", env=env, check=False)
        self.run("wineserver", "--wait", env=env)

    def stop(self):
        try:
            self.end_server()
        finally:
            self.log.close()


def device_key(scenario, number):
    """The registry key of a scenario's device. Each scenario has keys of its
    own, so a device left behind by an earlier scenario would show."""
    return "%s\\E2E_%s_%d" % (DEVICE_KEY, scenario.name, number)


def registry_text(previous, scenario):
    """One .reg file: the previous scenario's devices out, this one's in
    (Wine's own adapter is always there)."""
    text = ""
    if previous:
        text += "".join("[-%s]\r\n\r\n" % device_key(previous, number)
                        for number in range(len(previous.devices)))
    for number, device in enumerate(scenario.devices):
        text += "[%s\\0]\r\n\"ClassGUID\"=\"%s\"\r\n" % (
            device_key(scenario, number), CLASS_GUID)
        ids = device.hardware_ids()
        if ids:
            data = b"".join(i.encode("ascii") + b"\0" for i in ids) + b"\0"
            text += '"HardwareID"=hex(7):%s\r\n' % ",".join(
                "%02x" % byte for byte in data)
        text += "\r\n"
    return text


def read_runner_result(path, outcome):
    with open(path, "rb") as result:
        data = result.read()
    at = 0
    while at < len(data):
        tag = chr(data[at])
        (length,) = struct.unpack_from("<I", data, at + 1)
        payload = data[at + 5:at + 5 + length]
        at += 5 + length
        if tag == "T":
            outcome.trace.append(payload.decode("latin-1"))
        elif tag == "B":
            outcome.boxes.append(payload.decode("latin-1"))
        elif tag == "X":
            (outcome.exit_code,) = struct.unpack("<I", payload)
        else:
            outcome.faults.append(payload.decode("latin-1"))


def read_launches(path):
    if not os.path.exists(path):
        return []
    with open(path, "rb") as log:
        return [line.decode("latin-1").split("\t")
                for line in log.read().splitlines()]


class WindowsSide:
    name = "windows"

    def __init__(self, options, wine, work):
        self.options = options
        self.wine = wine
        self.trees = os.path.join(work, "windows")
        self.runs = os.path.join(work, "runs")
        self.drives = {"D": self.trees}
        self.previous = None  # the scenario whose devices are in the prefix

    def scenario_folder_text(self, scenario):
        if scenario.drive_root:
            return self.drive_of[scenario.name] + ":\\"
        return "D:\\" + scenario.name

    def cwd_text(self, scenario):
        folder = self.scenario_folder_text(scenario)
        if not scenario.cwd:
            return folder
        return folder.rstrip("\\") + "\\" + scenario.cwd.replace("/", "\\")

    def prepare(self, scenarios):
        self.drive_of = {}
        for scenario in scenarios:
            folder = os.path.join(self.trees, scenario.name)
            build_tree(folder, scenario, self.options.windows_program,
                       self.options.probe)
            if scenario.drive_root:
                letter = chr(ord("E") + len(self.drive_of))
                self.drive_of[scenario.name] = letter
                self.drives[letter] = folder

    def run(self, scenario, label):
        folder = os.path.join(self.trees, scenario.name)
        run_folder = os.path.join(self.runs, label, scenario.name)
        os.makedirs(run_folder)
        self.wine.import_registry("devices.reg",
                                  registry_text(self.previous, scenario))
        self.previous = scenario

        program_folder = (scenario.program_folder
                          if scenario.program_folder is not None
                          else scenario.cwd)
        program = (self.scenario_folder_text(scenario).rstrip("\\") + "\\" +
                   (program_folder.replace("/", "\\") + "\\"
                    if program_folder else "") + "Pomvarin.exe")
        command_line = '"%s"' % program
        if scenario.args:
            command_line += " " + " ".join(scenario.args)
        launches = os.path.join(run_folder, "launches.txt")
        release = os.path.join(run_folder, "released")
        request = os.path.join(run_folder, "request")
        result = os.path.join(run_folder, "result")
        with open(request, "wb") as out:
            out.write("\n".join([program, self.cwd_text(scenario),
                                 windows_path(release), "",
                                 command_line]).encode("latin-1"))
        env = dict(self.wine.env,
                   POMVARIN_E2E_LAUNCHES=windows_path(launches),
                   POMVARIN_E2E_RELEASE=windows_path(release))

        before = snapshot(folder)
        outcome = Outcome()
        self.wine.run(self.wine.loader, self.options.runner, windows_path(request),
                      windows_path(result), env=env)
        read_runner_result(result, outcome)
        outcome.launches = read_launches(launches)
        outcome.changed_files = changed_entries(before, snapshot(folder))
        return outcome

    def predict(self, scenario):
        """PomvarinCheck.exe run from the launcher's own current folder and
        drive: its exit status and its JSON report."""
        result = self.wine.run(
            self.wine.loader, "cmd", "/c", "cd", "/d", self.cwd_text(scenario),
            "&&", windows_path(self.options.windows_check), "--json",
            check=False)
        return result.returncode, result.stdout.decode("latin-1")

    def expected(self, scenario):
        cwd = self.cwd_text(scenario)
        launches = []
        for launch in scenario.launches:
            path = launch.path.replace("{cwd}", cwd)
            launches.append(self.launch_line(
                path, '"%s"%s' % (path, launch.parameters
                                  and " " + launch.parameters),
                cwd, {table.SHOWN: "5", table.HIDDEN: "0"}[launch.show]))
        return [line.replace("{cwd}", cwd) for line in scenario.trace], launches

    @staticmethod
    def launch_line(path, command_line, directory, show):
        # A doubled separator (after a drive root) names the same file; the
        # system may report the module path without it.
        return "%s | command line %s | in %s | show %s" % (
            path.replace("\\\\", "\\"), command_line, directory, show)

    def actual_launches(self, outcome):
        return [self.launch_line(*record) if len(record) == 4
                else "malformed: %r" % record for record in outcome.launches]


# ---- Linux ------------------------------------------------------------------

SYSFS_FILES = [("vendor", "vendor", "0x%04x"), ("device", "device", "0x%04x"),
               ("subsystem_vendor", "subsystem_vendor", "0x%04x"),
               ("subsystem_device", "subsystem_device", "0x%04x"),
               ("revision", "revision", "0x%02x"),
               ("class", "class_code", "0x%06x")]


def build_sysfs(folder, devices):
    """A fake /sys/bus/pci/devices: Wine's adapter first, as Wine always
    lists it, then the scenario's devices."""
    os.makedirs(folder)
    for number, device in enumerate([table.WINE_ADAPTER] + devices):
        device_folder = os.path.join(folder, "0000:00:%02x.0" % number)
        os.makedirs(device_folder)
        if device.vendor is None:
            continue  # no number files: the hardware IDs cannot be read
        for name, attribute, form in SYSFS_FILES:
            with open(os.path.join(device_folder, name), "w") as out:
                out.write(form % getattr(device, attribute) + "\n")


# Binds the fake sysfs over the real one in a private mount namespace, then
# runs the program in the scenario's current directory.
LINUX_START = ('mount --bind "$1" /sys/bus/pci/devices && cd "$2" && '
               'shift 2 && exec "$@"')


class LinuxSide:
    name = "linux"

    def __init__(self, options, work):
        self.options = options
        self.trees = os.path.join(work, "linux")
        self.sysfs = os.path.join(work, "sysfs")
        self.runs = os.path.join(work, "runs")

    def prepare(self, scenarios):
        self.programs = {}
        for scenario in scenarios:
            self.programs[scenario.name] = build_tree(
                os.path.join(self.trees, scenario.name), scenario,
                self.options.linux_program, LINUX_PROBE)
            build_sysfs(os.path.join(self.sysfs, scenario.name),
                        scenario.devices)

    def cwd_text(self, scenario):
        return os.path.realpath(
            os.path.join(self.trees, scenario.name, scenario.cwd))

    def run(self, scenario, label):
        folder = os.path.join(self.trees, scenario.name)
        run_folder = os.path.join(self.runs, label, scenario.name)
        os.makedirs(run_folder)
        launches = os.path.join(run_folder, "launches.txt")
        release = os.path.join(run_folder, "released")
        env = dict(os.environ, POMVARIN_E2E_LAUNCHES=launches,
                   POMVARIN_E2E_RELEASE=release)
        # Every program started from the run inherits the pipe's write end:
        # its end of file says that they have all ended.
        done_reader, done_writer = os.pipe()
        before = snapshot(folder)
        outcome = Outcome()
        with open(os.path.join(run_folder, "stdout"), "wb") as stdout, \
                open(os.path.join(run_folder, "stderr"), "wb") as stderr:
            process = subprocess.Popen(
                ["unshare", "--mount", "--", "sh", "-c", LINUX_START, "sh",
                 os.path.join(self.sysfs, scenario.name),
                 self.cwd_text(scenario), self.programs[scenario.name]]
                + scenario.args,
                env=env, stdin=subprocess.DEVNULL, stdout=stdout,
                stderr=stderr, pass_fds=(done_writer,))
        os.close(done_writer)
        try:
            outcome.exit_code = process.wait(timeout=RUN_LIMIT_SECONDS)
        except subprocess.TimeoutExpired:
            process.kill()
            outcome.faults.append("the program did not end")
        open(release, "w").close()
        ready, _, _ = select.select([done_reader], [], [], RUN_LIMIT_SECONDS)
        if not ready or os.read(done_reader, 1):
            outcome.faults.append("started programs did not end")
        os.close(done_reader)

        with open(os.path.join(run_folder, "stderr"), "rb") as stderr:
            lines = stderr.read().decode("latin-1").split("\n")
        if lines and lines[-1] == "":
            lines.pop()
        for line in lines:
            if line == WARNING_LINE:
                outcome.boxes.append(table.BOX)
            else:
                outcome.trace.append(line)
        outcome.launches = read_launches(launches)
        outcome.changed_files = changed_entries(before, snapshot(folder))
        return outcome

    def predict(self, scenario):
        """pomvarin-check run as the launcher is, on the same fake sysfs and
        in the same current directory: its exit status and its JSON report."""
        result = subprocess.run(
            ["unshare", "--mount", "--", "sh", "-c", LINUX_START, "sh",
             os.path.join(self.sysfs, scenario.name), self.cwd_text(scenario),
             self.options.linux_check, "--json"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, timeout=RUN_LIMIT_SECONDS)
        return result.returncode, result.stdout.decode("latin-1")

    def expected(self, scenario):
        cwd = self.cwd_text(scenario)
        launches = [self.launch_line(
            launch.path.replace("{cwd}", cwd).replace("\\", "/"),
            # The Linux program splits the parameters at blanks; no
            # scenario's parameters hold quotes.
            "".join("[%s]" % word for word in launch.parameters.split()),
            cwd, launch.show) for launch in scenario.launches]
        return [line.replace("{cwd}", cwd) for line in scenario.trace], launches

    @staticmethod
    def launch_line(path, arguments, directory, show):
        return "%s | arguments %s | in %s | %s" % (path, arguments, directory,
                                                   show)

    def actual_launches(self, outcome):
        return [self.launch_line(*record) if len(record) == 4
                else "malformed: %r" % record for record in outcome.launches]


# ---- Checking ---------------------------------------------------------------

def shorten(line, limit=400):
    if len(line) <= limit:
        return line
    return "%s...(%d characters)...%s" % (line[:60], len(line), line[-60:])


def diff(title, expected, actual):
    if expected == actual:
        return []
    lines = ["  %s:" % title]
    for line in difflib.unified_diff([shorten(x) for x in expected],
                                     [shorten(x) for x in actual],
                                     "expected", "actual", lineterm="", n=99):
        lines.append("    " + line)
    if len(lines) == 1:  # differs only past the shortened part
        lines += ["    expected " + repr(x) for x in expected]
        lines += ["    actual   " + repr(x) for x in actual]
    return lines


def check(side, scenario, outcome):
    trace, launches = side.expected(scenario)
    problems = ["  harness: " + fault for fault in outcome.faults]
    problems += diff("trace", trace, outcome.trace)
    # The trace gives the order of the starts; the probes may log in any.
    problems += diff("setups started", sorted(launches),
                     sorted(side.actual_launches(outcome)))
    problems += diff("warning box", [table.BOX] if scenario.box else [],
                     outcome.boxes)
    problems += diff("exit status", ["0"], [str(outcome.exit_code)])
    problems += diff("files written", [], outcome.changed_files)
    return problems


# ---- The check against the launcher -----------------------------------------

def predicted_launches(status, report):
    """What the check's report says starts in each mode, and whether the box
    shows. A check that cannot read Pomvarin.ini predicts: nothing starts,
    box."""
    if status == 2:
        return {"normal": [], "silent": []}, True
    if status not in (0, 1):
        raise RuntimeError("the check ended with status %s" % status)
    facts = json.loads(report)
    launches = {"normal": [], "silent": []}
    for entry in facts["entries"]:
        if entry["device"] is None:
            continue
        # A run of missing sections that read alike is reported once.
        first = int(entry["section"][len("VendorInfo"):])
        last = int(entry["lastSection"][len("VendorInfo"):])
        for mode, show in (("normal", table.SHOWN), ("silent", table.HIDDEN)):
            launches[mode] += [table.Launch(f["path"], f["parameters"], show)
                               for f in entry[mode]] * (last - first + 1)
    return launches, facts["warningBox"]


def differential(side, scenario, label):
    """The check's prediction for the scenario's disc, then the launcher run
    without arguments and with /s: each must start exactly the setups the
    check named, with their parameters, and show the box exactly when it
    said so."""
    launches, box = predicted_launches(*side.predict(scenario))
    problems = []
    for mode, args in (("normal", []), ("silent", ["/s"])):
        outcome = side.run(dataclasses.replace(scenario, args=args),
                           "%s-check-%s" % (label, mode))
        _, expected = side.expected(
            dataclasses.replace(scenario, launches=launches[mode]))
        problems += diff("%s mode: setups the check named (-) and the "
                         "launcher started (+)" % mode, sorted(expected),
                         sorted(side.actual_launches(outcome)))
        problems += diff("%s mode: the box the check predicted" % mode,
                         [table.BOX] if box else [], outcome.boxes)
    return problems


# ---- The picture of the box --------------------------------------------------

class BoxNotShown(RuntimeError):
    """The box never reached the X display: a fault of the display's start,
    not of the box, so the picture may be tried once more."""


def take_box_picture(options, wine, windows, scenario, picture):
    """Shows the box of scenario under Xvfb with Wine's X11 driver and keeps
    a picture of it; the runner holds the box open until it is taken."""
    wine.end_server()
    start = wine.log_size()
    reader, writer = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-screen", "0",
                             "640x480x24", "-nolisten", "tcp"],
                            pass_fds=(writer,), stdout=wine.log,
                            stderr=wine.log)
    os.close(writer)
    runner = None
    try:
        display = b""
        while not display.endswith(b"\n"):
            ready, _, _ = select.select([reader], [], [], RUN_LIMIT_SECONDS)
            chunk = os.read(reader, 16) if ready else b""
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            display += chunk
        env = dict(wine.env, DISPLAY=":" + display.decode().strip())
        wine.import_registry("x11.reg", "[HKEY_CURRENT_USER\\Software\\Wine"
                             "\\Drivers]\r\n\"Graphics\"=\"x11\"\r\n",
                             env=env)
        # Wine's desktop keeps the driver it started with: start afresh.
        wine.end_server(env)
        run_folder = os.path.join(windows.runs, "picture")
        shutil.rmtree(run_folder, ignore_errors=True)  # an earlier try's
        os.makedirs(run_folder)
        hold = os.path.join(run_folder, "pictured")
        request = os.path.join(run_folder, "request")
        result = os.path.join(run_folder, "result")
        with open(request, "w") as out:
            out.write("\n".join([
                windows.cwd_text(scenario) + "\\Pomvarin.exe",
                windows.cwd_text(scenario),
                windows_path(os.path.join(run_folder, "released")),
                windows_path(hold), '"Pomvarin.exe" /s']))
        runner = subprocess.Popen(
            [wine.loader, options.runner, windows_path(request),
             windows_path(result)], env=env, stdin=subprocess.DEVNULL,
            stdout=wine.log, stderr=wine.log)
        window = []

        def box_shown():
            found = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", "^Warning$"],
                env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            window[:] = found.stdout.split()
            return bool(window)

        try:
            wait_until(box_shown, "the box on the X display")
        except RuntimeError as e:
            ended = runner.poll()
            raise BoxNotShown("%s; the runner %s%s" % (
                e, "was still running" if ended is None else
                "had ended with exit status %d" % ended,
                wine.said_since(start))) from None
        xwd = subprocess.run(["xwd", "-silent", "-id", window[0]], env=env,
                             check=True, stdout=subprocess.PIPE).stdout
        pnm = subprocess.run(["xwdtopnm"], input=xwd, check=True,
                             stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL).stdout
        with open(picture, "wb") as out:
            out.write(subprocess.run(["pnmtopng"], input=pnm, check=True,
                                     stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL).stdout)
        open(hold, "w").close()
        try:
            runner.wait(timeout=RUN_LIMIT_SECONDS)
        except subprocess.TimeoutExpired:
            raise RuntimeError("the runner had not ended %d s after the "
                               "picture was taken" % RUN_LIMIT_SECONDS)
        outcome = Outcome()
        read_runner_result(result, outcome)
        if outcome.boxes != [table.BOX]:
            raise RuntimeError("the pictured box said %r" % outcome.boxes)
    finally:
        if runner and runner.poll() is None:
            runner.kill()
            runner.wait()
        wine.end_server()
        xvfb.terminate()
        xvfb.wait()
        os.close(reader)


# ---- The suite --------------------------------------------------------------

def mount_namespace_available():
    """Whether this process may make a mount namespace of its own and bind a
    folder in it, as the Linux runs do."""
    probe = subprocess.run(
        ["unshare", "--mount", "--", "mount", "--bind", "/", "/mnt"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return probe.returncode == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--windows-program")
    parser.add_argument("--runner")
    parser.add_argument("--probe")
    parser.add_argument("--linux-program", required=True)
    parser.add_argument("--windows-check",
                        help="PomvarinCheck.exe: hold its predictions to "
                             "what Pomvarin.exe does (first mode only)")
    parser.add_argument("--linux-check",
                        help="pomvarin-check: hold its predictions to what "
                             "the Linux program does")
    parser.add_argument("--work", required=True,
                        help="folder for trees, prefix and runs (emptied, "
                             "but for the prefix template)")
    parser.add_argument("--only", action="append", metavar="SCENARIO",
                        help="run only this scenario (may be repeated)")
    parser.add_argument("--wine", default="/usr/lib/wine/wine",
                        help="Wine's loader for the build's word size "
                             "(default: %(default)s, the 32-bit one)")
    parser.add_argument("--modes", default="winxp,win7,win10",
                        help="Windows versions for Wine (default: "
                             "%(default)s; a 64-bit prefix has winxp64)")
    parser.add_argument("--platforms", default="windows,linux")
    parser.add_argument("--picture", help="where to keep the picture of the "
                                          "box (PNG); none when not given")
    options = parser.parse_args()
    needed = ["linux_program", "windows_check", "linux_check"]
    if "windows" in options.platforms.split(","):
        needed += ["windows_program", "runner", "probe"]
    for name in needed:
        if getattr(options, name) is None:
            if name in ("windows_check", "linux_check"):
                continue
            parser.error("--%s is needed" % name.replace("_", "-"))
        path = os.path.abspath(getattr(options, name))
        if not os.path.isfile(path):
            parser.error("%s not found: build the linux and windows presets"
                         % path)
        setattr(options, name, path)

    chosen = [s for s in table.SCENARIOS
              if not options.only or s.name in options.only]
    if options.only and len(chosen) != len(set(options.only)):
        parser.error("unknown scenario in %s" % options.only)
    platforms = options.platforms.split(",")
    modes = options.modes.split(",") if options.modes else []

    started = time.monotonic()
    work = os.path.abspath(options.work)
    os.makedirs(work, exist_ok=True)
    for name in os.listdir(work):
        if name != "template":
            path = os.path.join(work, name)
            if os.path.isdir(path) and not os.path.islink(path):
                shutil.rmtree(path)
            else:
                os.remove(path)

    failures, runs = [], 0

    def run_all(side, label, scenarios, with_check=False):
        nonlocal runs
        for scenario in scenarios:
            runs += 1
            try:
                problems = check(side, scenario, side.run(scenario, label))
                if with_check:
                    problems += differential(side, scenario, label)
            except (RuntimeError, OSError, subprocess.SubprocessError,
                    ValueError, KeyError) as e:
                problems = ["  harness: %s" % e]
            status = "FAIL" if problems else "ok"
            print("%-4s %-13s %s" % (status, label, scenario.name), flush=True)
            if problems:
                failures.append((label, scenario, problems))

    if "linux" in platforms and not mount_namespace_available():
        print("SKIPPED linux: no private mount namespace here (it needs root "
              "with the right to mount), so the fake sysfs cannot be put in "
              "place", flush=True)
        platforms.remove("linux")
        if not platforms:
            print("SKIPPED: no private mount namespace here for the fake "
                  "sysfs of the Linux runs", flush=True)
            return 77

    if "linux" in platforms:
        linux = LinuxSide(options, work)
        both = [s for s in chosen if not s.windows_only]
        linux.prepare(both)
        run_all(linux, "linux", both, with_check=bool(options.linux_check))
        for scenario in chosen:
            if scenario.windows_only:
                print("--   %-13s %s (Windows only: %s)" % (
                    "linux", scenario.name, scenario.windows_only))

    if "windows" in platforms:
        wine = Wine(work, options.wine)
        windows = WindowsSide(options, wine, work)
        windows.prepare(chosen)
        try:
            wine.start(windows.drives)
            for number, mode in enumerate(modes):
                wine.set_version(mode)
                run_all(windows, "windows-" + mode, chosen,
                        with_check=number == 0 and bool(options.windows_check))
            if options.picture:
                boxed = next(s for s in table.SCENARIOS
                             if s.name == "vendor-count-zero")
                if boxed not in chosen:
                    windows.prepare([boxed])
                picture = os.path.abspath(options.picture)
                try:
                    take_box_picture(options, wine, windows, boxed, picture)
                except BoxNotShown as e:
                    # Xvfb, a Wine server and its X11 driver start afresh
                    # for the picture; once in many runs the box never
                    # reached the display. Only that is tried again: a box
                    # that was shown and is wrong fails at once.
                    print("note picture of the box: %s; trying once more" % e,
                          flush=True)
                    take_box_picture(options, wine, windows, boxed, picture)
                print("ok   picture of the box: %s" % options.picture)
        except (RuntimeError, OSError, subprocess.SubprocessError) as e:
            failures.append(("windows", None, ["  harness: %s" % e]))
        finally:
            try:
                wine.stop()
            except RuntimeError as e:
                failures.append(("windows", None, ["  harness: %s" % e]))

    for label, scenario, problems in failures:
        print()
        if scenario:
            print("FAILED %s %s: %s" % (label, scenario.name, scenario.about))
        else:
            print("FAILED %s" % label)
        print("\n".join(problems))
    print("\n%d runs, %d failed, %.0f s" % (runs, len(failures),
                                             time.monotonic() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
