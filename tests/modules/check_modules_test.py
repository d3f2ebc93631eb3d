#!/usr/bin/env python3
"""The module check passes on the tree and fails on each kind of fault
planted in a copy of it: an upward include, an include that names two
headers, a library without a layer, a module folder missing from the map."""
import os
import shutil
import subprocess
import sys
import tempfile

top = os.path.abspath(sys.argv[1])
script = os.path.join(top, "scripts", "check-module-cycles")
failures = []


def run(tree, *extra):
    done = subprocess.run([sys.executable, script, *extra, tree], capture_output=True, text=True)
    return done.returncode, done.stdout


def expect(what, tree, status, text="", extra=()):
    code, out = run(tree, *extra)
    if code != status or text not in out:
        failures.append(f"{what}: status {code}, output:\n{out}")


def append(tree, path, line):
    with open(os.path.join(tree, path), "a", encoding="utf-8") as f:
        f.write(line + "\n")


with tempfile.TemporaryDirectory() as scratch:
    def fresh():
        tree = tempfile.mkdtemp(dir=scratch)
        for part in ("cmake", "Common", "show", "tools", "companions"):
            shutil.copytree(os.path.join(top, part), os.path.join(tree, part))
        shutil.copy(os.path.join(top, "README.md"), tree)
        return tree

    expect("the tree", fresh(), 0, extra=("--readme", "README.md"))

    tree = fresh()
    append(tree, "show/Doc/Evaluate.cpp", '#include "PreviewWindow.h"')
    expect("an upward include", tree, 1, "upward use: tavrilo_doc (layer document) uses tavrilo_preview")

    tree = fresh()
    shutil.copy(os.path.join(tree, "Common/Utilities/Utilities.h"), os.path.join(tree, "Common/CDib/Utilities.h"))
    append(tree, "show/Doc/Show.cpp", '#include "Utilities.h"')
    expect("a header name used twice", tree, 1, '"Utilities.h" names 2 headers')

    tree = fresh()
    append(tree, "cmake/Modules.cmake", "add_library(tavrilo_stray STATIC Common/CDib/CDib.cpp)")
    expect("a library without a layer", tree, 1, "tavrilo_stray has no layer")

    tree = fresh()
    os.makedirs(os.path.join(tree, "Common/Stray"))
    open(os.path.join(tree, "Common/Stray/Stray.cpp"), "w").close()
    append(tree, "cmake/Modules.cmake", "add_library(tavrilo_stray STATIC Common/Stray/Stray.cpp)")
    append(tree, "cmake/Layers.txt", "layer stray: tavrilo_stray")
    expect("a folder missing from the map", tree, 1, "no line for the module folder Common/Stray",
           extra=("--readme", "README.md"))

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
