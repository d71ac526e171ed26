#!/usr/bin/env python3
"""No DLL planted beside the Windows programs is ever loaded, and each run
still does its job.

A driver bundle unpacked into a download folder may sit beside DLLs named
like system ones. Each run here has such a folder: the program, its
Pomvarin.ini and setups as in the end-to-end suite (scenarios.py), and a DLL
built by the tests copied there under every name in PLANTED; it leaves a
NAME.loaded file beside itself when it is loaded. WINEDLLOVERRIDES sets those
names native-first, which makes Wine look for them as Windows looks for a DLL
that is not a KnownDLL: in the program's folder first.

Runs, under Pomvarin.exe and under its twin that guards the way it does
where KERNEL32 lacks SetDefaultDllDirectories: a match started silently, a
match started normally, no match with the warning box; then
PomvarinCheck.exe --list and --trace beside Pomvarin.exe. Each must leave no
.loaded file, give the end-to-end suite's trace, setups, box and exit
status, and load, by Wine's own log, no DLL that the test does not plant
(but those in STARTUP): every name the runs load is covered.

Then the two cases no run of the launcher meets on Windows: without SETUPAPI
each device question answers as when the device list cannot be obtained,
and without SHELL32 nothing starts.
"""

import argparse
import dataclasses
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402
import scenarios as table  # noqa: E402

# What the runs load once the guard is in place, as Wine's log shows, and
# what the notes and the issue name: the device-setup service and the
# shell with the DLLs they load, and the box's.
PLANTED = [
    "advapi32", "apphelp", "cfgmgr32", "clbcatq", "combase", "comctl32",
    "cryptbase", "devobj", "dwmapi", "gdi32", "imm32", "ole32", "oleaut32",
    "profapi", "propsys", "rpcrt4", "sechost", "setupapi", "shcore",
    "shell32", "shlwapi", "ucrtbase", "user32", "userenv", "uxtheme",
    "version", "win32u", "windows.storage", "zlib1",
]
# The programs' own imports and what Wine loads with them before the first
# instruction: KnownDLLs on Windows, which no program can guard, not planted.
STARTUP = {"ntdll", "kernel32", "kernelbase", "msvcrt"}
PROGRAMS = ("pomvarin.exe", "pomvarincheck.exe")
SCENARIOS = ("silent-run", "normal-run", "ven-id-only-in-a-later-hardware-id")
NO_DEVICES = "Device information is unavailable"


def scenario_named(name):
    return next(s for s in table.SCENARIOS if s.name == name)


class Runs:
    """The end-to-end suite's Windows side, with planted DLLs, overrides
    and Wine's log of every DLL loaded."""

    def __init__(self, options):
        self.options = options
        self.work = os.path.abspath(options.work)
        shutil.rmtree(os.path.join(self.work, "windows"), ignore_errors=True)
        shutil.rmtree(os.path.join(self.work, "runs"), ignore_errors=True)
        os.makedirs(self.work, exist_ok=True)
        self.wine = e2e.Wine(self.work, options.wine)
        sides = argparse.Namespace(runner=options.runner, probe=options.probe,
                                   windows_program=None)
        self.side = e2e.WindowsSide(sides, self.wine, self.work)
        self.failures = []
        self.count = 0

    def prepare(self, label, program, names):
        """The scenarios' trees for one launcher, named label-scenario, with
        the planted DLLs beside the program."""
        folder = os.path.join(self.work, label)
        os.makedirs(folder, exist_ok=True)
        # The runs start the program by the name Pomvarin.exe.
        launcher = os.path.join(folder, "Pomvarin.exe")
        shutil.copyfile(program, launcher)
        self.side.options.windows_program = launcher
        chosen = [dataclasses.replace(scenario_named(name),
                                      name=label + "-" + name)
                  for name in names]
        self.side.prepare(chosen)
        for scenario in chosen:
            self.plant(os.path.join(self.side.trees, scenario.name))
        return chosen

    def plant(self, folder):
        for name in PLANTED:
            shutil.copyfile(self.options.dll, os.path.join(folder,
                                                           name + ".dll"))

    def environment(self, overrides):
        self.wine.env["WINEDLLOVERRIDES"] = "mscoree,mshtml=" + (
            ";" + overrides if overrides else "")
        self.wine.env["WINEDEBUG"] = "-all,+pid,+loaddll"

    def logged(self, label, what):
        """Runs what() with Wine's messages in a log of its own; returns what
        it returned and that log's lines."""
        path = os.path.join(self.work, "runs", label + ".log")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        kept = self.wine.log
        with open(path, "wb") as log:
            self.wine.log = log
            try:
                result = what()
            finally:
                self.wine.log = kept
        with open(path, encoding="latin-1") as log:
            return result, log.read().splitlines()

    def report(self, label, problems):
        self.count += 1
        print("%-4s %s" % ("FAIL" if problems else "ok", label), flush=True)
        if problems:
            self.failures.append((label, problems))

    def show_devices(self, scenario):
        self.wine.import_registry(
            "devices.reg", e2e.registry_text(self.side.previous, scenario))
        self.side.previous = scenario


LOADED = re.compile(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"(.*)" at ')


def loaded_by_programs(lines):
    """Every DLL that a process of our programs loaded, as (process, path)."""
    loads = []
    for line in lines:
        match = LOADED.match(line)
        if match:
            loads.append((match.group(1), match.group(2).replace("\\\\", "\\")))
    ours = {process for process, path in loads
            if path.lower().rsplit("\\", 1)[-1] in PROGRAMS}
    return [path for process, path in loads if process in ours]


def load_problems(folder, lines):
    problems = []
    marks = sorted(name for name in os.listdir(folder)
                   if name.endswith(".loaded"))
    if marks:
        problems.append("  planted DLLs were loaded: %s" % ", ".join(marks))
    paths = loaded_by_programs(lines)
    if not paths:
        problems.append("  Wine's log shows no DLL loaded by the programs")
    for path in paths:
        name = path.lower().rsplit("\\", 1)[-1]
        stem = name[:-len(".dll")] if name.endswith(".dll") else name
        if name not in PROGRAMS and stem not in STARTUP and stem not in PLANTED:
            problems.append("  the run loaded %s, which the test does not "
                            "plant: add it to PLANTED" % path)
    return problems


def launcher_runs(runs, label, scenarios):
    for scenario in scenarios:
        outcome, lines = runs.logged(
            scenario.name, lambda: runs.side.run(scenario, "planted"))
        # The planted DLLs' marks are reported on their own.
        outcome.changed_files = [change for change in outcome.changed_files
                                 if not change.endswith(".loaded")]
        problems = e2e.check(runs.side, scenario, outcome)
        problems += load_problems(
            os.path.join(runs.side.trees, scenario.name), lines)
        runs.report("%s %s" % (label, scenario.name), problems)


def wait_for_launches(path, count):
    deadline = time.monotonic() + e2e.RUN_LIMIT_SECONDS
    while time.monotonic() < deadline:
        launches = e2e.read_launches(path)
        if len(launches) >= count:
            return launches
        time.sleep(e2e.POLL_SECONDS)
    return e2e.read_launches(path)


def check_runs(runs, scenario):
    """PomvarinCheck.exe beside the scenario's Pomvarin.exe: --list of the
    scenario's devices, and --trace of a run with /s."""
    folder = os.path.join(runs.side.trees, scenario.name)
    checker = os.path.join(folder, "PomvarinCheck.exe")
    shutil.copyfile(runs.options.check, checker)
    runs.show_devices(scenario)

    listed, lines = runs.logged("check-list", lambda: runs.wine.run(
        runs.wine.loader, checker, "--list", check=False))
    text = listed.stdout.decode("latin-1").replace("\r\n", "\n")
    problems = e2e.diff("exit status", ["0"], [str(listed.returncode)])
    for device in scenario.devices:
        if ("\n" + device.hardware_ids()[0] + " ") not in text:
            problems.append("  --list lacks %s:\n%s" % (
                device.hardware_ids()[0], text))
    problems += load_problems(folder, lines)
    runs.report("check --list", problems)

    cwd = runs.side.cwd_text(scenario)
    launches = os.path.join(runs.work, "runs", "check-trace-launches.txt")
    env = dict(runs.wine.env, POMVARIN_E2E_LAUNCHES=e2e.windows_path(launches))
    traced, lines = runs.logged("check-trace", lambda: runs.wine.run(
        runs.wine.loader, checker, "--trace", cwd, "--", "/s", env=env,
        check=False))
    trace, expected_launches = runs.side.expected(scenario)
    shown = traced.stdout.decode("latin-1").replace("\r\n", "\n").splitlines()
    problems = e2e.diff("--trace output", ["trace: " + line for line in trace]
                        + ["Exit status: 0"], shown[1:])
    problems += e2e.diff("exit status", ["0"], [str(traced.returncode)])
    problems += e2e.diff("setups started", expected_launches, [
        runs.side.launch_line(*record) for record in
        wait_for_launches(launches, len(expected_launches))])
    problems += load_problems(folder, lines)
    runs.report("check --trace", problems)


def without(runs, dll):
    """Wine's DllOverrides for Pomvarin.exe alone: dll disabled, or, with
    None, none. The runner and reg.exe still have it."""
    key = "HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\Pomvarin.exe"
    runs.wine.import_registry("overrides.reg", "[-%s]\r\n\r\n" % key + (
        '[%s\\DllOverrides]\r\n"%s"=""\r\n' % (key, dll) if dll else ""))


def missing_dll_runs(runs, scenario):
    """The launcher's run without SETUPAPI, then without SHELL32."""
    runs.environment("")
    without(runs, "setupapi")
    arguments, upper, lower = scenario.trace[:3]
    unavailable = dataclasses.replace(
        scenario, launches=[], box=True,
        trace=[arguments, upper, NO_DEVICES, lower, NO_DEVICES])
    runs.report("without SETUPAPI: no device list", e2e.check(
        runs.side, unavailable, runs.side.run(unavailable, "no-setupapi")))
    without(runs, "shell32")
    runs.report("without SHELL32: nothing starts", e2e.check(
        runs.side, dataclasses.replace(scenario, launches=[]),
        runs.side.run(scenario, "no-shell32")))
    without(runs, None)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for name in ("launcher", "preloading-launcher", "check", "runner",
                 "probe", "dll", "wine", "work"):
        parser.add_argument("--" + name, required=True)
    options = parser.parse_args()
    for name in ("launcher", "preloading_launcher", "check", "runner",
                 "probe", "dll"):
        path = os.path.abspath(getattr(options, name))
        if not os.path.isfile(path):
            parser.error("%s not found" % path)
        setattr(options, name, path)

    started = time.monotonic()
    runs = Runs(options)
    guarded = runs.prepare("guarded", options.launcher, SCENARIOS)
    preloading = runs.prepare("preloading", options.preloading_launcher,
                              SCENARIOS)
    plain = runs.prepare("missing", options.launcher, ["normal-run"])
    try:
        runs.wine.start(runs.side.drives)
        runs.environment(",".join(PLANTED) + "=n,b")
        launcher_runs(runs, "Pomvarin.exe", guarded)
        check_runs(runs, guarded[0])
        launcher_runs(runs, "twin without SetDefaultDllDirectories",
                      preloading)
        missing_dll_runs(runs, plain[0])
    except (RuntimeError, OSError, subprocess.SubprocessError) as e:
        runs.failures.append(("harness", ["  %s" % e]))
    finally:
        runs.wine.stop()

    for label, problems in runs.failures:
        print("\nFAILED %s\n%s" % (label, "\n".join(problems)))
    print("\n%d runs, %d failed, %.0f s" % (runs.count, len(runs.failures),
                                             time.monotonic() - started))
    return 1 if runs.failures else 0


if __name__ == "__main__":
    sys.exit(main())
