#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Makes each allocation of a run fail in turn, once and from there on.

usage: failalloc.py TRELVIN FAILALLOC_LIBRARY FILE...

Each file is converted from its name and from standard input, first
without faults (the reference) and counting its allocations, then once
for every index with that allocation failing.  Each faulted run must end
within the time limit, either as the reference did, byte for byte, or with
status 1, the diagnostic of the step that ran out of memory, or the
reference's own, and stdout a prefix of the reference's.
"""
import os
import subprocess
import sys
import tempfile

LIMIT = 10
# Memory running out is reported by the step that needed it.
OUT_OF_MEMORY = {b"trelvin: Cannot allocate memory\n",
                 b"trelvin: failed to initialize parser\n",
                 b"trelvin: failed to initialize generator\n",
                 b"trelvin: failed to parse event\n"}


def run(binary, path, stdin, env):
    args = [binary] if stdin else [binary, path]
    with open(path, "rb") as f:
        r = subprocess.run(args, stdin=f if stdin else subprocess.DEVNULL,
                           capture_output=True, env=env, timeout=LIMIT)
    return r.returncode, r.stdout, r.stderr


def problem(ref, got):
    status, out, err = got
    if got == ref:
        return None
    if status != 1:
        return "status %d, stderr %r" % (status, err[:200])
    if err not in OUT_OF_MEMORY and err != ref[2]:
        return "not a diagnostic for memory running out: %r" % err[:200]
    if not ref[1].startswith(out):
        return "stdout is not a prefix of the reference"
    return None


def sweep(binary, lib, path, stdin, counter):
    base = dict(os.environ)
    for name in ("LD_PRELOAD", "FAILALLOC_AT", "FAILALLOC_FROM",
                 "FAILALLOC_COUNT"):
        base.pop(name, None)
    ref = run(binary, path, stdin, base)
    env = dict(base, LD_PRELOAD=lib, FAILALLOC_COUNT=counter)
    if run(binary, path, stdin, env) != ref:
        return 0, 1, ["the preloaded library changed an unfaulted run"], 0
    with open(counter) as f:
        calls = int(f.read())
    del env["FAILALLOC_COUNT"]
    failures, runs, early = [], 0, 0
    for mode in ("once", "from"):
        if mode == "from":
            env["FAILALLOC_FROM"] = "1"
        for n in range(1, calls + 2):
            env["FAILALLOC_AT"] = str(n)
            runs += 1
            try:
                got = run(binary, path, stdin, env)
            except subprocess.TimeoutExpired:
                failures.append("%s %d: timed out" % (mode, n))
                continue
            early += got != ref
            why = problem(ref, got)
            if why:
                failures.append("%s %d: %s" % (mode, n, why))
    return calls, runs, failures, early


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    binary, lib, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    failed = total = 0
    with tempfile.TemporaryDirectory() as tmp:
        counter = os.path.join(tmp, "count")
        for path in files:
            for stdin in (False, True):
                calls, runs, failures, early = sweep(binary, lib, path,
                                                     stdin, counter)
                where = "%s (%s)" % (os.path.basename(path),
                                     "stdin" if stdin else "file")
                print("%s: %d allocations, %d runs, %d ended early, %d bad"
                      % (where, calls, runs, early, len(failures)))
                for why in failures[:10]:
                    print("FAIL %s: %s" % (where, why))
                total += runs
                failed += len(failures)
    print("%d passed, %d failed" % (total - failed, failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
