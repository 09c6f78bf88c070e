#!/bin/sh
# SPDX-License-Identifier: MIT
# Configures, builds and tests each workflow preset named, by default every
# one that needs only debian-packages.txt.  A failing preset does not stop
# the others; each one that failed is named, and then the status is 1.
# usage: tests/presets.sh [PRESET...]
cd "$(dirname "$0")/.." || exit 1
[ $# -gt 0 ] || set -- release clang static sanitize
failed=
for preset; do
	cmake --workflow --preset "$preset" || failed="$failed $preset"
done
total=$#
set -- $failed
[ $# = 0 ] || echo "FAILED presets:$failed"
echo "presets: $((total - $#)) passed, $# failed"
[ $# = 0 ]
