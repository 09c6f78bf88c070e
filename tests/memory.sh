#!/bin/sh
# SPDX-License-Identifier: MIT
# Memory must not grow with the input: peak RSS converting 1 MB and 200 MB
# of the same generated shape may differ by less than 1 MiB.
# usage: memory.sh TRELVIN GEN_PY
bin=$1 gen=$2
tmp=$(mktemp) || exit 1
trap 'rm -f "$tmp"' EXIT
# peak MB: sets kib to the peak RSS of converting MB megabytes, or fails
# the test when the conversion fails or its peak cannot be read.
peak() {
	python3 "$gen" mixed "$1" | /usr/bin/time -f %M -o "$tmp" "$bin" >/dev/null ||
		{ echo "FAIL converting $1 MB: status $?, $(cat "$tmp")"; exit 1; }
	kib=$(cat "$tmp")
	case $kib in
	'' | *[!0-9]*) echo "FAIL no peak RSS from /usr/bin/time -f %M: $kib"; exit 1 ;;
	esac
}
peak 1
small=$kib
peak 200
large=$kib
echo "peak RSS: 1 MB input ${small} KiB, 200 MB input ${large} KiB"
[ $((large - small)) -lt 1024 ]
