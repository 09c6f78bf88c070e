#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""On a terminal, lines must show while the input is still open; a large
block buffer on a terminal would hold them back until the input ends.

usage: tty.py TRELVIN
"""
import os
import select
import subprocess
import sys

ITEMS = 5000  # 20 KB: more than the parser reads at once, so it must wait

try:
    master, slave = os.openpty()
except OSError as e:
    print("skipped: no terminal to test on (%s)" % e)
    sys.exit(77)
proc = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=slave)
os.close(slave)
proc.stdin.write(b"- x\n" * ITEMS)
proc.stdin.flush()
early = select.select([master], [], [], 30)[0]
proc.stdin.close()
out = b""
while True:
    try:
        chunk = os.read(master, 65536)
    except OSError:  # the terminal is gone once trelvin has exited
        break
    if not chunk:
        break
    out += chunk
status = proc.wait()
want = b"[\n" + b'  "x",\n' * (ITEMS - 1) + b'  "x"\n]\n'
fails = 0
if not early:
    print("FAIL no output on the terminal while the input was open")
    fails += 1
if status != 0 or out.replace(b"\r\n", b"\n") != want:
    print("FAIL status %d, %d bytes of output" % (status, len(out)))
    fails += 1
print("%d passed, %d failed" % (2 - fails, fails))
sys.exit(1 if fails else 0)
