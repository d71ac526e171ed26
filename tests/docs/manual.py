#!/usr/bin/env python3
"""The manual holds together: every relative link and anchor of README.md and
docs/*.md resolves, every option that pomvarin-check --help prints is told in
docs/*.md, and the manual pages made from the manual render without a warning.

  manual.py links SOURCE_FOLDER CHECK_PROGRAM
  manual.py man-pages PAGE...
"""
import pathlib
import re
import subprocess
import sys

FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
LINK = re.compile(r"!?\[(?:[^\]\[]|\[[^\]]*\])*\]\(([^)\s]+)(?:\s+\"[^\"]*\")?\)")


def prose_lines(text):
    """The lines outside fenced code blocks, with their numbers."""
    in_fence = False
    for number, line in enumerate(text.split("\n"), 1):
        if FENCE.match(line):
            in_fence = not in_fence
            continue
        if not in_fence:
            yield number, line


def slug(heading):
    """The anchor GitHub gives a heading: lower case, punctuation but - and _
    dropped, blanks made -."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading)
    text = text.replace("`", "").replace("*", "").lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def anchors(path):
    found, seen = set(), {}
    for _, line in prose_lines(path.read_text(encoding="utf-8")):
        match = HEADING.match(line)
        if not match:
            continue
        base = slug(match.group(2))
        count = seen.get(base, 0)
        seen[base] = count + 1
        found.add(base if count == 0 else f"{base}-{count}")
    return found


def broken_links(source):
    files = [source / "README.md"] + sorted((source / "docs").glob("*.md"))
    problems, checked = [], 0
    for path in files:
        for number, line in prose_lines(path.read_text(encoding="utf-8")):
            for target in LINK.findall(CODE_SPAN.sub("", line)):
                if re.match(r"^[a-z]+:", target):
                    continue
                checked += 1
                where = f"{path.relative_to(source)}:{number}: {target}"
                file_part, _, anchor = target.partition("#")
                linked = (path.parent / file_part).resolve() if file_part else path
                if not linked.exists():
                    problems.append(f"{where}: no such file")
                elif anchor and (linked.suffix != ".md" or anchor not in anchors(linked)):
                    problems.append(f"{where}: no heading with the anchor #{anchor}")
    return problems, checked, len(files)


def untold_options(source, program):
    help_text = subprocess.run([program, "--help"], check=True,
                               capture_output=True, text=True).stdout
    # The usage lines name every option; an option's own line of the list
    # begins with it. Other lines quote other programs' options.
    usage, _, listed = help_text.partition("\n\n")
    option = r"(?<![\w-])(--?[A-Za-z][\w-]*)"
    options = sorted(set(re.findall(option, usage)) |
                     set(re.findall(r"^\s+" + option, listed, re.MULTILINE)))
    if not options:
        return ["pomvarin-check --help printed no option"], []
    manual = "\n".join(p.read_text(encoding="utf-8")
                       for p in sorted((source / "docs").glob("*.md")))
    untold = [f"{option}: printed by --help, told nowhere in docs/*.md"
              for option in options
              if not re.search("`" + re.escape(option) + r"(?=[\s`=,|\]])", manual)]
    return untold, options


def links(source, program):
    source = pathlib.Path(source).resolve()
    problems, checked, files = broken_links(source)
    untold, options = untold_options(source, program)
    for problem in problems + untold:
        print(problem)
    print(f"{checked} links in {files} files, {len(problems)} broken; "
          f"{len(options)} options of --help ({' '.join(options)}), {len(untold)} not told")
    return 1 if problems or untold else 0


def man_pages(pages):
    failed = 0
    for page in pages:
        shown = subprocess.run(["man", "--warnings", "-l", page], capture_output=True,
                               text=True, env={"MANWIDTH": "80", "PATH": "/usr/bin:/bin"})
        lines = shown.stdout.count("\n")
        if shown.returncode != 0 or shown.stderr or lines < 20:
            failed += 1
            print(f"{page}: man exited {shown.returncode}, {lines} lines shown")
            print(shown.stderr)
        else:
            print(f"{page}: {lines} lines, no warning")
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "links":
        sys.exit(links(sys.argv[2], sys.argv[3]))
    if len(sys.argv) > 2 and sys.argv[1] == "man-pages":
        sys.exit(man_pages(sys.argv[2:]))
    sys.exit(__doc__)
