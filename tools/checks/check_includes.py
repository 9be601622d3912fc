#!/usr/bin/env python3
"""Every quoted include names its file by the path from the repository root.

    check_includes.py REPO

Walks the source folders of the repository (build trees skipped) and prints
each `#include "X"` whose X is not a file under REPO, with the file and line
it stands on. Exit status 1 when there is one, so the test run fails on an
include that only works through an extra include root or as a sibling name.
"""
import os
import re
import sys

SOURCE_SUFFIXES = ('.h', '.hpp', '.c', '.cc', '.cpp', '.inc')
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def source_files(repo):
    for folder, children, names in os.walk(repo):
        children[:] = [c for c in children
                       if not c.startswith('.') and not c.startswith('build')]
        for name in names:
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(folder, name)


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    repo = os.path.abspath(sys.argv[1])
    faults = 0
    for path in source_files(repo):
        with open(path, encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if m and not os.path.isfile(os.path.join(repo, m.group(1))):
                    print(f'{os.path.relpath(path, repo)}:{number}: '
                          f'"{m.group(1)}" is not a path from the repository root')
                    faults += 1
    if faults:
        print(f'{faults} include(s) not written from the repository root', file=sys.stderr)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
