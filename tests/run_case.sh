#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs one golden case, from a file argument and from standard input:
# stdout must equal CASE.json byte for byte; where CASE.err exists the run
# must fail with status 1 and that stderr, otherwise succeed silently.
bin=$1 case=$2
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
if [ -f "$case.err" ]; then want=1 err=$case.err; else want=0 err=/dev/null; fi
fail=0
check() {
	[ "$1" = "$want" ] || { echo "$2: status $1, expected $want"; fail=1; }
	cmp -s "$tmp/out" "$case.json" || { echo "$2: stdout differs"; diff "$case.json" "$tmp/out"; fail=1; }
	cmp -s "$tmp/err" "$err" || { echo "$2: stderr differs"; cat "$tmp/err"; fail=1; }
}
"$bin" "$case.yaml" >"$tmp/out" 2>"$tmp/err"
check $? "file"
"$bin" <"$case.yaml" >"$tmp/out" 2>"$tmp/err"
check $? "stdin"
exit $fail
