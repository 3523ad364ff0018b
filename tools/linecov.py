#!/usr/bin/env python3
"""Line coverage of the library and tool sources after a test run, for
checking that a change to the tests loses nothing they exercised.

Configure a build with --coverage (see README: Tests), run ctest in it, then:

    tools/linecov.py BUILD_DIR OUT.json       writes the covered lines of every
                                              source and prints the totals
    tools/linecov.py --lost OLD.json NEW.json  lists the lines OLD covered and
                                              NEW does not (and those gained)

gcov (of the compiler that built BUILD_DIR) reads every .gcda file in JSON
form; a line counts as covered when any object ran it, so headers compiled
into many objects and sources built into both libraries are merged."""
import json
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ("Dxf2Cgm/", "kernel/", "dnfp/", "toolkit/", "platform/", "tools/")


def gcov_json(gcda, build):
    run = subprocess.run(["gcov", "-t", "--json-format", "-o", os.path.dirname(gcda), gcda],
                         capture_output=True, text=True, cwd=build)
    return run.stdout


def measure(build, out):
    build = os.path.abspath(build)
    gcdas = [os.path.join(d, f) for d, _, fs in os.walk(build) for f in fs if f.endswith(".gcda")]
    lines = {}  # source -> {line: covered}
    with ThreadPoolExecutor(2) as pool:
        for text in pool.map(lambda g: gcov_json(g, build), gcdas):
            for chunk in text.splitlines():
                try:
                    unit = json.loads(chunk)
                except ValueError:
                    continue
                cwd = unit.get("current_working_directory", build)
                for f in unit.get("files", []):
                    rel = os.path.relpath(os.path.normpath(os.path.join(cwd, f["file"])), ROOT)
                    if not rel.startswith(FOLDERS):
                        continue
                    seen = lines.setdefault(rel, {})
                    for l in f["lines"]:
                        n = l["line_number"]
                        seen[n] = seen.get(n, False) or l["count"] > 0
    covered = {f: sorted(n for n, c in m.items() if c) for f, m in lines.items()}
    with open(out, "w") as o:
        json.dump({"covered": covered, "lines": {f: len(m) for f, m in lines.items()}}, o)
    total = sum(len(m) for m in lines.values())
    hit = sum(len(c) for c in covered.values())
    print(f"{hit} of {total} lines covered ({100.0 * hit / max(total, 1):.2f} %) in {len(lines)} files")


def lost(old, new):
    a = json.load(open(old))["covered"]
    b = json.load(open(new))["covered"]
    for f in sorted(set(a) | set(b)):
        gone = sorted(set(a.get(f, [])) - set(b.get(f, [])))
        came = sorted(set(b.get(f, [])) - set(a.get(f, [])))
        if gone:
            print(f, "lost", gone)
        if came:
            print(f, "gained", came)


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--lost":
        lost(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3:
        measure(sys.argv[1], sys.argv[2])
    else:
        sys.exit(__doc__)
