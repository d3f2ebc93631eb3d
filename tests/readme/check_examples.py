#!/usr/bin/python3
"""Runs the examples of the README and the docs as a reader would, so that
they cannot drift from what the programs do.

In the Markdown files, a fenced block whose info string is "sh runnable"
is run, as one bash script (set -eo pipefail), from the top of a scratch
copy of the source tree whose build/ is the real build folder; the blocks
of a file run in order in the same copy, with settings of their own. The
block must exit with status 0. When a block fenced "text output" follows
it, every line of that block must appear in what the commands printed
(standard output and error together), in the same order, as a whole line;
"..." inside a line stands for any text, and a line that is only "..."
stands for lines left out. Every file that a line of the output says was
made ("Movie file successfully made: NAME", "Picture made: NAME",
"Pictures made: FIRST to LAST") must exist and not be empty.

    check_examples.py SOURCE_DIR BUILD_DIR FILE.md...   run the examples
    check_examples.py --options SOURCE_DIR BUILD_DIR    every option of
        tavrilo-render --help is named in README.md
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

FENCE = re.compile(r"^```(.*)$")
MADE = [
    re.compile(r"Movie file successfully made: (\S+)"),
    re.compile(r"Picture made: (\S+)"),
    re.compile(r"Pictures made: (\S+) to (\S+)"),
    re.compile(r"Movie files successfully made: (\S+) and (\S+) \("),
]


def blocks(path):
    """(line number, info string, text) of each fenced block."""
    found = []
    with open(path, encoding="utf-8") as source:
        lines = source.read().split("\n")
    index = 0
    while index < len(lines):
        opening = FENCE.match(lines[index])
        if not opening:
            index += 1
            continue
        start = index
        body = []
        index += 1
        while index < len(lines) and not lines[index].startswith("```"):
            body.append(lines[index])
            index += 1
        found.append((start + 1, opening.group(1).strip(), "\n".join(body)))
        index += 1
    return found


def examples(path):
    """(line number, script, expected lines or None) of each runnable block."""
    found = blocks(path)
    runnable = []
    for position, (line, info, text) in enumerate(found):
        if info != "sh runnable":
            continue
        expected = None
        if position + 1 < len(found) and found[position + 1][1] == "text output":
            expected = found[position + 1][2].split("\n")
        runnable.append((line, text, expected))
    return runnable


def line_matches(pattern, actual):
    parts = [re.escape(part) for part in pattern.split("...")]
    return re.fullmatch(".*".join(parts), actual) is not None


def missing_lines(expected, actual):
    """The expected lines not found in order in the actual output."""
    actual_lines = [line.rstrip() for line in actual.split("\n")]
    position = 0
    missing = []
    for wanted in expected:
        wanted = wanted.rstrip()
        if wanted in ("", "..."):
            continue
        while position < len(actual_lines) and not line_matches(wanted, actual_lines[position]):
            position += 1
        if position == len(actual_lines):
            missing.append(wanted)  # the lines after it are not looked for
            break
        position += 1
    return missing


def files_said_made(output, folder):
    """The files the output says were made that are missing or empty."""
    absent = []
    for line in output.split("\n"):
        for pattern in MADE:
            match = pattern.search(line)
            if not match:
                continue
            for name in match.groups():
                path = os.path.join(folder, name)
                if not os.path.isfile(path) or os.path.getsize(path) == 0:
                    absent.append(name)
    return absent


def scratch_copy(source, build):
    """A copy of the source tree without builds and .git; build/ is the real one."""
    folder = tempfile.mkdtemp(prefix="tavrilo-examples-")
    tree = os.path.join(folder, "tree")
    shutil.copytree(source, tree, symlinks=True,
                    ignore=shutil.ignore_patterns(".git", "build", "build-*"))
    os.symlink(os.path.abspath(build), os.path.join(tree, "build"))
    os.makedirs(os.path.join(folder, "config"))
    return folder, tree


def run_file(markdown, source, build):
    """Runs the file's examples; the list of failures."""
    failures = []
    folder, tree = scratch_copy(source, build)
    environment = dict(os.environ, XDG_CONFIG_HOME=os.path.join(folder, "config"),
                       XDG_RUNTIME_DIR=os.path.join(folder, "config"))
    environment.pop("DISPLAY", None)
    try:
        for line, script, expected in examples(markdown):
            where = f"{os.path.basename(markdown)}:{line}"
            done = subprocess.run(["bash", "-c", "set -eo pipefail\n" + script], cwd=tree, env=environment,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=900)
            print(f"--- {where}\n{script}\n{done.stdout}", end="")
            if done.returncode != 0:
                failures.append(f"{where}: the block exited with status {done.returncode}")
                continue
            for wanted in missing_lines(expected or [], done.stdout):
                failures.append(f"{where}: the output has no line \"{wanted}\" (in that order)")
            for name in files_said_made(done.stdout, tree):
                failures.append(f"{where}: {name} was said to be made but is missing or empty")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return failures


def check_options(source, build):
    """Every option tavrilo-render --help lists is named in README.md."""
    usage = subprocess.run([os.path.join(build, "bin", "tavrilo-render"), "--help"], stdout=subprocess.PIPE,
                           text=True, check=True).stdout
    with open(os.path.join(source, "README.md"), encoding="utf-8") as readme:
        text = readme.read()
    names = sorted(set(re.findall(r"^\s+(?:-\w, )?(--[a-z-]+)", usage, re.MULTILINE)))
    quoted = " ".join(re.findall(r"`([^`\n]+)`", text))
    return [f"README.md does not name {name}" for name in names
            if not re.search(r"(?<![\w-])" + re.escape(name) + r"(?![\w-])", quoted)]


def main(arguments):
    if arguments and arguments[0] == "--options":
        failures = check_options(arguments[1], arguments[2])
    else:
        source, build, files = arguments[0], arguments[1], arguments[2:]
        failures = []
        for markdown in files:
            path = markdown if os.path.isabs(markdown) else os.path.join(source, markdown)
            if not examples(path):
                failures.append(f"{markdown}: no runnable examples")
            failures += run_file(path, source, build)
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
