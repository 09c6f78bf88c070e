#!/bin/sh
# SPDX-License-Identifier: MIT
# Memory must not grow with the input: peak RSS converting 1 MB and 200 MB
# of the same generated shape may differ by less than 1 MiB.
# usage: memory.sh TRELVIN GEN_PY
bin=$1 gen=$2
peak() {
	python3 "$gen" mixed "$1" | /usr/bin/time -f %M -o "$tmp" "$bin" >/dev/null || exit 1
	cat "$tmp"
}
tmp=$(mktemp) || exit 1
trap 'rm -f "$tmp"' EXIT
small=$(peak 1) large=$(peak 200)
echo "peak RSS: 1 MB input ${small} KiB, 200 MB input ${large} KiB"
[ $((large - small)) -lt 1024 ]
