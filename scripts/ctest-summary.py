#!/usr/bin/env python3
"""The test command's account of one part of the suite, from CTest's JUnit
file: one line "PART: N passed, N failed[, N skipped]", then one line for
every failed and every skipped test with its reason (for a failed one, its
time and its first "FAILED" line, or else its last line). A Windows test program
runs as one CTest test under Wine; its cases are counted one by one from the
results it wrote (gtest/TARGET.xml), so a case it skipped shows too.

Nothing that did not run counts as passed. Under CI (CI=true) a skip fails
unless its reason is one of the machine facts below, which no install step
can change.

    ctest-summary.py PART JUNIT_FILE [GTEST_FOLDER]
    ctest-summary.py --skip TITLE REASON   (a whole part that cannot run)
    ctest-summary.py --failed PART REASON  (a part that failed before CTest)

Prints the account and exits 1 when anything failed."""

import os
import sys
import xml.etree.ElementTree as ElementTree

# Facts of a machine that a skip may rest on under CI.
MACHINE_FACTS = [
    "runs no 32-bit x86 programs",      # some hosts of our machine kind
    "no private mount namespace",       # a sandbox without mount rights
    "shows no PCI devices",             # a container without a PCI bus
]


def skip_reason(output, fallback):
    """The reason a test gave: its line "SKIPPED: why", or GoogleTest's
    message on the line after "Skipped"."""
    lines = output.splitlines()
    for number, line in enumerate(lines):
        if line.startswith("SKIPPED: "):
            return line[len("SKIPPED: "):]
        if line.endswith(": Skipped") and number + 1 < len(lines):
            return lines[number + 1].strip()
    return fallback


def failure_reason(output, seconds):
    """What a failed test said of its failure, for its line: its first
    "FAILED" line, or else its last one; a test that printed nothing is
    said to have done so, being itself a fault."""
    lines = [line.strip() for line in output.splitlines() if line.strip()]
    said = [line for line in lines if line.startswith("FAILED")]
    line = (said or lines or ["it printed nothing"])[0 if said else -1]
    if len(line) > 200:
        line = line[:200] + "..."
    return "after %.0f s: %s" % (float(seconds or 0), line)


def inner_skips(output):
    """Parts of a passing test that did not run: its lines "SKIPPED what:
    why" (the end-to-end suite's Linux half, for one)."""
    return [line[len("SKIPPED "):] for line in output.splitlines()
            if line.startswith("SKIPPED ") and not
            line.startswith("SKIPPED: ")]


def gtest_cases(path, program):
    """(name, status, reason) for every case of a Windows test program."""
    cases = []
    for case in ElementTree.parse(path).iter("testcase"):
        name = "%s.%s.%s" % (program, case.get("classname"), case.get("name"))
        skipped = case.find("skipped")
        if case.find("failure") is not None:
            cases.append((name, "failed", ""))
        elif case.get("result") == "skipped" or skipped is not None:
            message = skipped.get("message", "") if skipped is not None else ""
            cases.append((name, "skipped", message.strip() or "no reason given"))
        else:
            cases.append((name, "passed", ""))
    return cases


def results(junit, gtest_folder):
    found = []
    for test in ElementTree.parse(junit).iter("testcase"):
        name = test.get("name")
        output = test.findtext("system-out") or ""
        if test.get("status") == "fail":
            found.append((name, "failed",
                          failure_reason(output, test.get("time"))))
        elif test.find("skipped") is not None or test.get("status") != "run":
            found.append((name, "skipped", skip_reason(
                output, test.find("skipped").get("message", "")
                if test.find("skipped") is not None else "did not run")))
        elif gtest_folder and name.startswith("windows."):
            program = name[len("windows."):]
            path = os.path.join(gtest_folder, program + ".xml")
            if os.path.exists(path):
                found += gtest_cases(path, program)
            else:
                found.append((name, "failed", "it wrote no per-case results"))
        else:
            found.append((name, "passed", ""))
            found += [("%s (%s)" % (name, what.split(":")[0]), "skipped",
                       what.partition(": ")[2] or what)
                      for what in inner_skips(output)]
    return found


def allowed(reason):
    return (os.environ.get("CI") != "true" or
            any(fact in reason for fact in MACHINE_FACTS))


def account(part, found):
    lines, counts = [], {"passed": 0, "failed": 0, "skipped": 0}
    for name, status, reason in found:
        if status == "skipped" and not allowed(reason):
            status, reason = "failed", ("skipped under CI, and not for a "
                                        "fact of the machine: " + reason)
        counts[status] += 1
        if status != "passed":
            lines.append("  %s: %s%s" % (status, name, reason and ": " + reason))
    passed, failed, skipped = (counts["passed"], counts["failed"],
                               counts["skipped"])
    head = "%s: %d passed, %d failed" % (part, passed, failed)
    if skipped:
        head += ", %d skipped" % skipped
    print("\n".join([head] + lines))
    return 1 if failed else 0


def main(arguments):
    if len(arguments) == 3 and arguments[0] == "--skip":
        title, reason = arguments[1], arguments[2]
        if allowed(reason):
            print("%s: skipped: %s" % (title, reason))
            return 0
        print("%s: FAILED: skipped under CI, and not for a fact of the "
              "machine: %s" % (title, reason))
        return 1
    if len(arguments) == 3 and arguments[0] == "--failed":
        return account(arguments[1], [(arguments[1], "failed", arguments[2])])
    if len(arguments) not in (2, 3):
        sys.exit(__doc__)
    part, junit = arguments[0], arguments[1]
    if not os.path.exists(junit):  # CTest itself failed
        return account(part, [(part, "failed", "CTest wrote no results")])
    return account(part, results(junit, arguments[2] if len(arguments) == 3
                                 else None))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
