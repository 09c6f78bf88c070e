#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks what must hold for trelvin on any input at all.

usage: check.py TRELVIN FILE...

Each file is converted once.  It must end with status 0, nothing on
stderr and either no output or one valid JSON text; or with status 1 and
exactly one stderr line, the usage line or one beginning "trelvin: ".
A signal, a sanitizer report or a run past the time limit fails.
"""
import json
import os
import subprocess
import sys

LIMIT = float(os.environ.get("CHECK_TIMEOUT", "20"))


def reject_constant(name):
    raise ValueError("not JSON: " + name)


def problem(binary, path):
    try:
        run = subprocess.run([binary, path], stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=LIMIT)
    except subprocess.TimeoutExpired:
        return "timed out"
    err = run.stderr
    if run.returncode == 0:
        if err:
            return "stderr on success: %r" % err[:200]
        if run.stdout:
            try:
                json.loads(run.stdout.decode("utf-8"),
                           parse_constant=reject_constant)
            except ValueError as e:
                return "invalid JSON: %s" % e
        return None
    if run.returncode == 1:
        if err.count(b"\n") != 1 or not err.endswith(b"\n"):
            return "not one stderr line: %r" % err[:300]
        if not (err.startswith(b"trelvin: ") or
                err == b"usage: trelvin [filename]\n"):
            return "stray stderr: %r" % err[:200]
        return None
    return "status %d: %r" % (run.returncode, err[:300])


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    binary, files = sys.argv[1], sys.argv[2:]
    failed = 0
    for path in files:
        why = problem(binary, path)
        if why:
            print("FAIL %s: %s" % (path, why))
            failed += 1
    print("%d passed, %d failed" % (len(files) - failed, failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
