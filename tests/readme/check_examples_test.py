#!/usr/bin/python3
"""The examples check fails when an example's output changes: planted in
small Markdown files and in a copy of one of the README's examples.

    check_examples_test.py SOURCE_DIR BUILD_DIR
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def check(source, build, markdown):
    done = subprocess.run([sys.executable, os.path.join(HERE, "check_examples.py"), source, build, markdown],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return done.returncode, done.stdout


def example(script, output=None):
    text = "Text.\n\n```sh runnable\n" + script + "\n```\n"
    if output is not None:
        text += "\n```text output\n" + output + "\n```\n"
    return text


def version_example_of(readme):
    """The README's runnable block that starts with --version (it renders
    nothing, so it is quick) and its output block."""
    with open(readme, encoding="utf-8") as source:
        lines = source.read().split("\n")
    start = lines.index("build/bin/tavrilo-render --version") - 1
    assert lines[start] == "```sh runnable"
    output = lines.index("```text output", start)
    end = lines.index("```", output + 1)
    return lines[start : end + 1]


def main(source, build):
    cases = [
        ("the right output", example("build/bin/tavrilo-render --version", "tavrilo-render (Tavrilo) ..."), 0),
        ("no output block", example("build/bin/tavrilo-render --version"), 0),
        ("another version", example("build/bin/tavrilo-render --version", "tavrilo-render (Tavrilo) 9.9.9"), 1),
        ("a failing command", example("build/bin/tavrilo-render --bogus"), 1),
        ("a failing command before a good one",
         example("build/bin/tavrilo-render --bogus\nbuild/bin/tavrilo-render --version"), 1),
        ("lines out of order", example("echo one; echo two", "two\none"), 1),
        ("a part of a line", example("echo one two", "one"), 1),
        ("a file said made that is not there", example("echo 'Picture made: nowhere.png (frame 0)'"), 1),
        ("a file really made",
         example("build/bin/tavrilo-render -o made.png --size 32x24", "Picture made: made.png (frame 0...)"), 0),
        ("no runnable block", "```sh\necho one\n```\n", 1),
    ]
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        # One of the README's own examples, as written and with one line of
        # its output changed.
        lines = version_example_of(os.path.join(source, "README.md"))
        output = lines.index("```text output")
        changed = list(lines)
        tilted = next(n for n in range(output, len(lines)) if '"tilt":10,' in lines[n])
        changed[tilted] = changed[tilted].replace('"tilt":10,', '"tilt":11,')
        cases.append(("the README's --version example", "\n".join(lines) + "\n", 0))
        cases.append(("the README's --version example with its output changed", "\n".join(changed) + "\n", 1))
        for number, (name, text, wanted) in enumerate(cases):
            markdown = os.path.join(folder, f"case{number}.md")
            with open(markdown, "w", encoding="utf-8") as out:
                out.write(text)
            status, printed = check(source, build, markdown)
            if (status != 0) != (wanted != 0):
                failures += 1
                print(f"FAILED: {name}: the check {'passed' if status == 0 else 'failed'}\n{printed}")
            else:
                print(f"ok: {name}: the check {'passed' if status == 0 else 'failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
