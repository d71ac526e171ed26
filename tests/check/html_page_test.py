#!/usr/bin/env python3
"""pomvarin-check's --html page opened in headless Chromium, driven through
its DevTools protocol on a pipe: each page must load with no console error
and no request beyond its own file, and its matrix must hold the expected
cells, for the README's example fleet, for a generated fleet and for one
machine; a VenName and a machine name of <script> must stay text.

Usage: html_page_test.py PATH_TO_POMVARIN_CHECK [--screenshot FILE]
(--screenshot keeps a picture of the example's page, as docs/ has it.)
"""

import base64
import ctypes
import json
import os
import random
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
FLEET = os.path.join(HERE, "..", "..", "examples", "fleet")
TIMEOUT = 60
# prctl's PR_SET_CHILD_SUBREAPER: Chromium's helpers that outlive their
# parents become this process's children, so that it can wait for them.
PR_SET_CHILD_SUBREAPER = 36
failures = []


def expect(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what)


def children():
    """The processes whose parent is this one."""
    found = []
    for name in os.listdir("/proc"):
        try:
            with open("/proc/%s/stat" % name) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue  # not a process, or one that has just ended
        if int(fields[1]) == os.getpid():
            found.append(int(name))
    return found


def wait_for_children(limit):
    """Reaps every child as it ends, for at most limit seconds; returns those
    still running then. A process handed to this one as its subreaper is
    its child before its parent's end is seen."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return []
        if not pid:
            time.sleep(0.05)
    return children()


def remove_folder(path):
    """Removes a folder the test made; a failure is said, but fails no test
    whose checks have all been made."""
    def said(function, name, error):
        print("note: could not remove %s: %s" % (name, error[1]))
    shutil.rmtree(path, onerror=said)


class Chromium:
    """A headless Chromium spoken to over --remote-debugging-pipe: JSON
    messages ended by NUL, ours on its descriptor 3, its own on 4."""

    def __init__(self, program, profile):
        to_read, self.to_browser = os.pipe()
        self.from_browser, to_write = os.pipe()

        def descriptors():
            # Copied first: a pipe's own descriptor may be 3 or 4 already.
            reading, writing = os.dup(to_read), os.dup(to_write)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.process = subprocess.Popen(
            [program, "--headless", "--no-sandbox", "--disable-gpu",
             "--hide-scrollbars",
             "--remote-debugging-pipe", "--user-data-dir=" + profile,
             "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "about:blank"],
            preexec_fn=descriptors, close_fds=False, start_new_session=True,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_read)
        os.close(to_write)
        self.buffer = b""
        self.events = []
        self.last_id = 0

    def close(self):
        """Asks Chromium to quit and waits until every process of it has
        ended: its helpers go on writing into the profile for a while after
        the browser itself has gone. Returns what did not end in time."""
        problems = []
        try:
            os.write(self.to_browser, json.dumps(
                {"id": self.last_id + 1, "method": "Browser.close"}).encode()
                + b"\0")
            self.process.wait(timeout=TIMEOUT)
        except (OSError, subprocess.TimeoutExpired) as e:
            problems.append("Chromium did not close when asked (%s): killed" % e)
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass  # it had ended after all
            self.process.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)
        left = wait_for_children(TIMEOUT)
        if left:
            problems.append("Chromium's processes %s had not ended %d s after "
                            "it closed: killed" % (left, TIMEOUT))
            for pid in left:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass  # it ended just now
            wait_for_children(TIMEOUT)
        return problems


    def receive(self):
        while b"\0" not in self.buffer:
            if not select.select([self.from_browser], [], [], TIMEOUT)[0]:
                raise RuntimeError("Chromium said nothing for %d s" % TIMEOUT)
            chunk = os.read(self.from_browser, 1 << 16)
            if not chunk:
                raise RuntimeError("Chromium closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=None):
        self.last_id += 1
        message = {"id": self.last_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            answer = self.receive()
            if answer.get("id") == self.last_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer["result"]
            self.events.append(answer)

    def wait_for(self, method):
        while not any(event.get("method") == method for event in self.events):
            self.events.append(self.receive())

    def open(self, path):
        """Loads the page in a new tab; returns its session, and the
        requests and console errors seen while it loaded."""
        target = self.send("Target.createTarget", {"url": "about:blank"})
        session = self.send("Target.attachToTarget", {
            "targetId": target["targetId"], "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Log", "Network"):
            self.send(domain + ".enable", session=session)
        self.events = []
        self.send("Page.navigate", {"url": "file://" + path}, session)
        self.wait_for("Page.loadEventFired")
        self.value(session, "1")  # what the page logged has arrived
        events = [e for e in self.events if e.get("sessionId") == session]
        requests = [e["params"]["request"]["url"] for e in events
                    if e["method"] == "Network.requestWillBeSent"]
        errors = [json.dumps(e["params"]) for e in events
                  if e["method"] == "Runtime.exceptionThrown" or
                  (e["method"] == "Runtime.consoleAPICalled" and
                   e["params"]["type"] in ("error", "warning")) or
                  (e["method"] == "Log.entryAdded" and
                   e["params"]["entry"]["level"] in ("error", "warning"))]
        return session, requests, errors

    def value(self, session, expression):
        result = self.send("Runtime.evaluate", {
            "expression": expression, "returnByValue": True}, session)
        return result["result"].get("value")


MATRIX = """[...document.querySelectorAll('table.matrix tbody tr')].map(
    row => [...row.cells].map(cell => cell.textContent))"""


def check_page(browser, check, label, path, arguments):
    """Runs the check with --html; opens the page; returns its session."""
    done = subprocess.run([check] + arguments + ["--html", path],
                          capture_output=True, timeout=300)
    expect(done.returncode in (0, 1) and os.path.exists(path),
           "%s: status %d, %s" % (label, done.returncode, done.stderr))
    session, requests, errors = browser.open(path)
    expect(requests == ["file://" + path],
           "%s: the page asked for more than itself: %s" % (label, requests))
    expect(errors == [], "%s: console errors: %s" % (label, errors))
    expect(browser.value(session, "document.querySelectorAll("
                         "'script, img, iframe, [onerror]').length") == 0,
           "%s: the page has elements that run or fetch" % label)
    return session


def test_example(browser, check, work, screenshot):
    shutil.copytree(os.path.join(FLEET, "disc"), os.path.join(work, "cdrom"))
    shutil.copytree(os.path.join(FLEET, "machines"),
                    os.path.join(work, "machines"))
    path = os.path.join(work, "example.html")
    session = check_page(browser, check, "example", path, [
        os.path.join(work, "cdrom"), "--devices", os.path.join(work, "machines")])
    yes, no, flag = "\u2713 matched", "\u2717 not matched", "\u26a0 "
    expect(browser.value(session, MATRIX) == [
        ["1", "2", yes, yes, no + flag + "missed driver", "no"],
        ["2", "1", yes + flag + "false start", no + flag + "missed driver", no,
         "no"],
        ["3", "1", no, no, no, flag + "yes"],
    ], "example: matrix %s" % browser.value(session, MATRIX))
    by = browser.value(session, "document.querySelector('#entries + table tbody td:nth-of-type(5)')"
                       ".textContent")
    expect(by == "PCI\\VEN_1D0A&DEV_0100&SUBSYS_00001D0A&REV_01 (2)"
           "PCI\\VEN_1D0A&DEV_0200&SUBSYS_00011D0A&REV_03 (1)",
           "example: the entry's devices and machines: %s" % by)
    # The kind filter, with no script: only the missed drivers stay shown.
    shown = """[...document.querySelectorAll('.kinds tbody tr')]
        .filter(row => row.offsetParent).length"""
    expect(browser.value(session, shown) == 5, "example: not every warning shown")
    browser.value(session, "document.getElementById('kind-missedDriver').click()")
    expect(browser.value(session, shown) == 2, "example: the filter shows %s"
           % browser.value(session, shown))
    browser.send("Emulation.setEmulatedMedia", {"media": "print"}, session)
    expect(browser.value(session, shown) == 5 and browser.value(
        session, "getComputedStyle(document.querySelector('.filter')).display")
        == "none", "example: printed, the filter hides warnings or shows")
    browser.send("Emulation.setEmulatedMedia", {"media": "screen"}, session)
    browser.value(session, "document.getElementById('kind-all').click()")
    if screenshot:
        browser.send("Emulation.setDeviceMetricsOverride", {
            "width": 1000, "height": 1150, "deviceScaleFactor": 1,
            "mobile": False}, session)
        picture = browser.send("Page.captureScreenshot", {"format": "png"},
                               session)
        with open(screenshot, "wb") as out:
            out.write(base64.b64decode(picture["data"]))


def write_capture(path, vendors):
    with open(path, "w") as out:
        out.write("# PCI devices, one per line\n")
        for vendor in sorted(vendors):
            out.write("PCI\\VEN_%04X&DEV_0001&SUBSYS_00000000&REV_01\n" % vendor)


def test_generated_fleet(browser, check, work):
    """Eight configurations of six vendors, 60 machines: each outcome's
    cells follow from the vendors its machines were given."""
    entries = [0x1A01 + i for i in range(6)]
    disc = os.path.join(work, "generated")
    ini = ["[PomvarinInfo]", "VendorCount=%d" % len(entries)]
    for number, vendor in enumerate(entries, 1):
        os.makedirs(os.path.join(disc, "Drivers", str(number)))
        open(os.path.join(disc, "Drivers", str(number), "setup.exe"), "w").close()
        ini += ["[VendorInfo%d]" % number, "VenName=Vendor %d" % number,
                "VenID=VEN_%04X" % vendor,
                "SetupFileRootDir=\\Drivers\\%d" % number,
                "SetupFileName=setup.exe", "SilentInstall=setup.exe /s"]
    with open(os.path.join(disc, "Pomvarin.ini"), "w") as out:
        out.write("\r\n".join(ini) + "\r\n")
    draw = random.Random(26)
    kinds = [set()]  # one configuration that shows the warning box
    while len(kinds) < 8:
        kind = set(draw.sample(entries, draw.randint(1, 4)))
        if kind not in kinds:
            kinds.append(kind)
    machines = os.path.join(work, "fleet")
    os.makedirs(machines)
    given = {}
    for number in range(60):
        name = "m%02d.txt" % number
        given[name] = kinds[number % len(kinds)] | {0x9999}
        write_capture(os.path.join(machines, name), given[name])
    path = os.path.join(work, "fleet.html")
    session = check_page(browser, check, "generated fleet", path,
                         [disc, "--devices", machines])
    rows = browser.value(session, MATRIX)
    names = browser.value(session, """[...document.querySelectorAll(
        'section[id^=o] .names')].map(names => names.textContent)""")
    expect(len(rows) == len(kinds) and len(names) == len(kinds),
           "generated fleet: %d rows for %d outcomes" % (len(rows), len(kinds)))
    for row, listed in zip(rows, names):
        machines_of_row = listed.split(", ")
        vendors = given[machines_of_row[0]]
        expected = [str(len(machines_of_row))] + [
            "\u2713 matched" if vendor in vendors else "\u2717 not matched"
            for vendor in entries] + [
            "no" if vendors & set(entries) else "\u26a0 yes"]
        cells = [row[1]] + [cell.split("\u26a0")[0] for cell in row[2:-1]] + [row[-1]]
        expect(cells == expected, "generated fleet: row %s, not %s" % (row, expected))
        expect(all(given[name] == vendors for name in machines_of_row),
               "generated fleet: an outcome of different machines: %s" % listed)


def test_hostile_names(browser, check, work):
    """A VenName and a machine name that are markup, and a byte that is not
    UTF-8: text on the page, run by nothing."""
    disc = os.path.join(work, "hostile")
    os.makedirs(disc)
    with open(os.path.join(disc, "Pomvarin.ini"), "wb") as out:
        out.write(b"[PomvarinInfo]\r\nVendorCount=1\r\n[VendorInfo1]\r\n"
                  b"VenName=<script>alert('ven')</script> Caf\xe9 \"&amp;\r\n"
                  b"VenID=VEN_1A01\r\nSetupFileRootDir=\\\r\n"
                  b"SetupFileName=a.exe\r\nSilentInstall=a.exe\r\n")
    machines = os.path.join(work, "hostile-machines")
    os.makedirs(machines)
    machine = "<script>alert('machine')<"
    write_capture(os.path.join(machines, machine), {0x1A01})
    write_capture(os.path.join(machines, "plain.txt"), {0x1A02})
    path = os.path.join(work, "hostile.html")
    session = check_page(browser, check, "hostile names", path,
                         [disc, "--devices", machines])
    expect(browser.value(session, "document.querySelector('.matrix small')"
                         ".textContent") ==
           "<script>alert('ven')</script> Caf\u00e9 \"&amp;",
           "hostile names: the VenName is not the same text")
    expect(machine in browser.value(session, "document.body.textContent"),
           "hostile names: the machine's name is not shown as text")
    session = check_page(browser, check, "one machine", path, [
        disc, "--devices", os.path.join(machines, machine)])
    expect(browser.value(session, MATRIX) == [["1", "1", "\u2713 matched", "no"]],
           "one machine: matrix %s" % browser.value(session, MATRIX))


def main():
    check = os.path.abspath(sys.argv[1])
    screenshot = sys.argv[3] if sys.argv[2:3] == ["--screenshot"] else None
    program = shutil.which("chromium")
    if not program:
        print("SKIPPED: chromium is not installed (scripts/install-deps.sh "
              "installs it)")
        return 77
    # The picture's paths name a folder of their own, not a random one.
    work = (os.path.join(tempfile.gettempdir(), "pomvarin")
            if screenshot else tempfile.mkdtemp())
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    try:
        browser = Chromium(program, os.path.join(work, "profile"))
        try:
            test_example(browser, check, work, screenshot)
            test_generated_fleet(browser, check, work)
            test_hostile_names(browser, check, work)
        finally:
            # Said, but not failed: the pages' checks are made by now.
            for problem in browser.close():
                print("note: " + problem)
    finally:
        remove_folder(work)
    print("%d failed" % len(failures) if failures else "all pages as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
