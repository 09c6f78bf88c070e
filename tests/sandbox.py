#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Once its input is open, trelvin must be unable to open a file, run a
program, reach the network or signal another process; and where the
kernel lacks the means to forbid it, convert exactly as before.

usage: sandbox.py TRELVIN CASE_YAML [PROBE_LIB NOSANDBOX CORPUS_FILE...]

With only the program and a case, checks /proc that the running process
has given up its privileges and installed its filter (this works for a
static build too).  With the probe library, each attempt it makes from
inside the program must be refused, from a file and from standard input,
and must succeed under NOSANDBOX, which proves the probe sees success.
Then every golden case beside CASE_YAML and every CORPUS_FILE converts
byte for byte the same under NOSANDBOX, with Landlock, seccomp or both
made unavailable.
"""
import glob
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

LIMIT = 20
# The Landlock ABI that refuses each attempt; seccomp refuses every socket.
NEEDS = {"read": 1, "create": 1, "list": 1, "exec": 1, "tcp": 0, "udp": 0,
         "signal": 6}
failed = passed = 0


def check(ok, what):
    global failed, passed
    if ok:
        passed += 1
    else:
        failed += 1
        print("FAIL " + what)


def status_fields(pid):
    with open("/proc/%d/status" % pid) as f:
        return dict(line.rstrip("\n").split(":\t", 1) for line in f if ":\t" in line)


def proc_status(binary, case):
    """The process, still reading its input, shows no new privileges and
    a seccomp filter."""
    proc = subprocess.Popen([binary], stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL)
    fields = {}
    try:
        with open(case, "rb") as f:
            proc.stdin.write(f.read())
        proc.stdin.flush()
        deadline = time.monotonic() + LIMIT
        while time.monotonic() < deadline:
            fields = status_fields(proc.pid)
            if fields.get("Seccomp") == "2":
                break
            time.sleep(0.01)
    finally:
        proc.stdin.close()
        status = proc.wait(LIMIT)
    check(status == 0, "status %d converting %s" % (status, case))
    if "Seccomp" not in fields:
        print("skipped the seccomp check: this kernel has no seccomp")
        return
    check(fields.get("NoNewPrivs") == "1" and fields.get("Seccomp") == "2",
          "while reading: NoNewPrivs %s, Seccomp %s" %
          (fields.get("NoNewPrivs"), fields.get("Seccomp")))


def probe(binary, case, lib, launcher):
    expect = subprocess.run([binary, case], capture_output=True,
                            timeout=LIMIT).stdout
    with tempfile.TemporaryDirectory() as tmp:
        secret = os.path.join(tmp, "secret")
        with open(secret, "w") as f:
            f.write("key\n")
        tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        tcp.bind(("127.0.0.1", 0))
        tcp.listen(8)
        udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        udp.bind(("127.0.0.1", 0))
        victim = subprocess.Popen(["sleep", "60"])
        env = dict(os.environ, LD_PRELOAD=lib, PROBE_FILE=secret,
                   PROBE_EXEC=shutil.which("true"),
                   PROBE_TCP=str(tcp.getsockname()[1]),
                   PROBE_UDP=str(udp.getsockname()[1]),
                   PROBE_PID=str(victim.pid))
        try:
            for how in ("file", "stdin", "unsandboxed"):
                work = tempfile.mkdtemp(dir=tmp)
                r, w = os.pipe()
                args = [binary] + ([] if how == "stdin" else [case])
                if how == "unsandboxed":
                    args = [launcher, "both"] + args
                with open(case, "rb") as f:
                    run = subprocess.run(
                        args, stdin=f, capture_output=True, timeout=LIMIT,
                        pass_fds=(w,), env=dict(env, PROBE_FD=str(w), PROBE_DIR=work))
                os.close(w)
                with os.fdopen(r) as f:
                    lines = f.read().splitlines()
                check(run.returncode == 0 and run.stdout == expect and not run.stderr,
                      "%s: status %d, stderr %r" % (how, run.returncode, run.stderr))
                check(len(lines) == 8, "%s: report %r" % (how, lines))
                abi = int(lines[0].split()[1]) if lines else 0
                for line in lines[1:]:
                    what, result = line.split(" ", 1)
                    if how == "unsandboxed":
                        check(result == "ok", "%s %s: %s, so the probe cannot tell"
                              % (how, what, result))
                    elif abi < NEEDS[what]:
                        print("skipped %s: Landlock ABI %d cannot refuse it" % (what, abi))
                    else:
                        check(result != "ok", "%s %s: allowed" % (how, what))
        finally:
            victim.kill()
            victim.wait()
            tcp.close()
            udp.close()


def unavailable(binary, launcher, cases, corpus):
    """Output, stderr and status as with the sandbox: every golden case
    without each mechanism and without both, from a file and from stdin;
    every corpus file, from a file, without both."""
    def run(args, path, stdin):
        with open(path, "rb") as f:
            r = subprocess.run(args + ([] if stdin else [path]),
                               stdin=f if stdin else subprocess.DEVNULL,
                               capture_output=True, timeout=LIMIT)
        return r.returncode, r.stdout, r.stderr

    for mode in ("landlock", "seccomp", "both"):
        runs = [(path, stdin) for path in cases for stdin in (False, True)]
        if mode == "both":
            runs += [(path, False) for path in corpus]
        differ = ["%s (%s)" % (path, "stdin" if stdin else "file")
                  for path, stdin in runs
                  if run([binary], path, stdin) != run([launcher, mode, binary], path, stdin)]
        check(not differ, "without %s: %d differ, first %s" % (mode, len(differ), differ[:3]))
        print("without %s: %d runs compared" % (mode, len(runs)))


def main():
    if len(sys.argv) != 3 and len(sys.argv) < 5:
        sys.exit(__doc__)
    binary, case = sys.argv[1], sys.argv[2]
    proc_status(binary, case)
    if len(sys.argv) > 3:
        lib, launcher, corpus = sys.argv[3], sys.argv[4], sys.argv[5:]
        cases = sorted(glob.glob(os.path.join(os.path.dirname(case), "*.yaml")))
        if subprocess.run([launcher, "both", shutil.which("true")]).returncode == 77:
            print("skipped the probe and the runs without a sandbox: "
                  "this kernel refuses a seccomp filter")
        else:
            probe(binary, case, lib, launcher)
            unavailable(binary, launcher, cases, corpus)
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
