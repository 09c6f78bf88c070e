#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes a deterministic YAML workload of about SIZE megabytes to stdout.

usage: gen.py SHAPE SIZE_MB
shapes: records (CI/Kubernetes-like lists of records), nested (10-60
levels deep), strings (long block and quoted strings, escapes, non-ASCII),
numbers (flow sequences of numbers), mixed (all of the above).
The same arguments always give the same bytes.
"""
import random
import sys


def records(rng):
    name = "svc-%d" % rng.randrange(10000)
    return (
        "- apiVersion: apps/v1\n"
        "  kind: Deployment\n"
        "  metadata:\n"
        f"    name: {name}\n"
        "    labels: {app: %s, tier: backend, track: stable}\n"
        "  body:\n"
        f"    replicas: {rng.randrange(1, 9)}\n"
        "    paused: false\n"
        "    template:\n"
        "      containers:\n"
        f"        - image: \"registry.example/{name}:1.{rng.randrange(40)}\"\n"
        "          ports: [8080, 8443]\n"
        f"          cpu: {rng.randrange(1, 4000) / 1000}\n"
        "          env:\n"
        "            - {name: LOG_LEVEL, value: info}\n"
        "            - {name: TIMEOUT, value: '30'}\n"
        "          command: [\"/bin/server\", \"--port=8080\"]\n"
        "          probe: ~\n" % name
    )


def nested(rng):
    depth = rng.randrange(10, 61)
    out = []
    for level in range(depth):
        pad = "  " * level
        out.append(f"{pad}- level{level}: {rng.randrange(1000)}\n")
        out.append(f"{pad}  child:\n")
    out.append("  " * depth + "- leaf\n")
    return "".join(out)


def strings(rng):
    words = ["alpha", "beta", "gamma", "déjà vu", "naïve", "日本語", "🙂", "tab\\there",
             "quote\\\"d", "back\\\\slash", "line\\nbreak", "x" * 40]
    line = lambda: " ".join(rng.choice(words) for _ in range(12))
    body = "".join("    " + line().replace("\\", "/") + "\n" for _ in range(8))
    return (
        f"- quoted: \"{line()}\"\n"
        f"  single: '{line().replace(chr(92), '/')}'\n"
        f"  literal: |\n{body}"
        f"  folded: >\n{body}"
    )


def numbers(rng):
    nums = []
    for _ in range(40):
        kind = rng.randrange(4)
        if kind == 0:
            nums.append(str(rng.randrange(-10**6, 10**6)))
        elif kind == 1:
            nums.append("%.6f" % rng.uniform(-1e4, 1e4))
        elif kind == 2:
            nums.append("%de%+d" % (rng.randrange(1, 10), rng.randrange(-30, 30)))
        else:
            nums.append(str(rng.randrange(10**20, 10**21)))
    return "- [" + ", ".join(nums) + "]\n"


SHAPES = {"records": [records], "nested": [nested], "strings": [strings],
          "numbers": [numbers], "mixed": [records, nested, strings, numbers]}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in SHAPES:
        sys.exit(__doc__)
    makers = SHAPES[sys.argv[1]]
    want = int(float(sys.argv[2]) * 1024 * 1024)
    rng = random.Random(1)
    # A pool of distinct items, cycled: generating 1 GB stays quick while
    # the parser still sees varied text.
    pool = []
    while sum(len(p) for p in pool) < 256 * 1024:
        pool.append(rng.choice(makers)(rng).encode())
    out = sys.stdout.buffer
    out.write(b"# generated workload\n")
    written, i = 0, 0
    while written < want:
        item = pool[i % len(pool)]
        out.write(item)
        written += len(item)
        i += 1


if __name__ == "__main__":
    main()
