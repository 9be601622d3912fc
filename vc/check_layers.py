#!/usr/bin/env python3
"""Checks that the folders of the revision library stay in layers.

Every `#include "vc/..."` of a file under vc/ (tests excepted) must name a
header of the file's own folder or of a folder in a lower layer. An include
that reaches a higher layer, or a folder of the same layer, is reported with
the file and the include, and the check fails (exit 1). A folder missing from
the table fails too, so a new folder must be given its layer here.

Usage: check_layers.py [repository root]   (default: the folder above vc/)
"""
import os
import re
import sys

# Bottom up: a folder may include its own headers and those of lower rows.
# Folders on one row are independent of each other. Keep in step with the
# table in vc/README.md.
LAYERS = [
    ["include"],                              # vc.h
    ["."],                                    # error_codes.h (named after vc.h)
    ["tokens", "paths", "archive/format", "script/expression"],
    ["revisions/keywords"],
    ["instance"],
    ["files", "bccprj"],
    ["config"],
    ["script"],
    ["security", "netware"],
    ["archive"],
    ["revisions"],
    ["project"],
    ["depends"],
]

LAYER_OF = {folder: n for n, row in enumerate(LAYERS) for folder in row}
INCLUDE = re.compile(r'^\s*#\s*include\s+"(vc/[^"]+)"')


def folder_of(path):
    """The layer-table folder of a path under vc/ ("vc/archive/format/x.h")."""
    parts = path.split("/")[1:-1]
    while parts:
        name = "/".join(parts)
        if name in LAYER_OF:
            return name
        parts.pop()
    return "." if len(path.split("/")) == 2 else "/".join(path.split("/")[1:-1])


def is_test(rel):
    parts = rel.split("/")
    return "tests" in parts or "fuzz" in parts


def sources(root):
    for top, dirs, files in os.walk(os.path.join(root, "vc")):
        dirs.sort()
        for name in sorted(files):
            if not name.endswith((".h", ".hpp", ".cpp", ".cc")):
                continue
            rel = os.path.relpath(os.path.join(top, name), root).replace(os.sep, "/")
            if not is_test(rel):
                yield rel


def find_cycle(edges):
    """A cycle of the folder graph as a list of folders, or None."""
    state = {}

    def visit(node, stack):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, stack)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node, [])
            if found:
                return found
    return None


def check(root):
    problems = []
    edges = {}
    for rel in sources(root):
        here = folder_of(rel)
        if here not in LAYER_OF:
            problems.append(f"{rel}: folder vc/{here} has no layer in check_layers.py")
            continue
        with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                there = folder_of(target)
                if there == here:
                    continue
                edges.setdefault(here, set()).add(there)
                if there not in LAYER_OF:
                    problems.append(f"{rel}:{number}: includes {target}, "
                                    f"whose folder vc/{there} has no layer")
                elif LAYER_OF[there] >= LAYER_OF[here]:
                    kind = "a higher layer" if LAYER_OF[there] > LAYER_OF[here] else "the same layer"
                    problems.append(f"{rel}:{number}: includes {target} "
                                    f"(vc/{here} -> vc/{there}, {kind})")
    cycle = find_cycle(edges)
    if cycle:
        problems.append("folder cycle: " + " -> ".join(cycle))
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layer problem(s) in vc/")
        return 1
    print("vc/ folders are in layers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
