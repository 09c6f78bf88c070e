#!/bin/sh
# SPDX-License-Identifier: MIT
# Failures that only a library or the system can cause, made on demand:
# each run must end with status 1 and exactly its diagnostic line.
# usage: failcall.sh TRELVIN FAILCALL_LIBRARY CASES_DIR
bin=$1 lib=$2 cases=$3
. "$(dirname "$0")/limit.sh"
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fails=0 total=0

# expect NAME MESSAGE COMMAND...: COMMAND fails with MESSAGE on stderr.
expect() {
	name=$1
	printf '%s\n' "$2" >"$tmp/want"
	shift 2
	"$@" >"$tmp/out" 2>"$tmp/err"
	got=$?
	total=$((total + 1))
	if [ $got != 1 ] || ! cmp -s "$tmp/err" "$tmp/want"; then
		echo "FAIL $name: status $got, stderr: $(cat "$tmp/err")"
		fails=$((fails + 1))
	fi
}
# failing CALL: converts a case with CALL failing, which must not hang.
failing() {
	limit 20 env FAILCALL="$1" LD_PRELOAD="$lib" "$bin" "$cases/typing.yaml"
}

expect 'parser set-up' 'trelvin: failed to initialize parser' failing yaml_parser_initialize
expect 'generator' 'trelvin: failed to initialize generator' failing yajl_gen_alloc
expect 'generator memory' 'trelvin: failed to initialize generator' failing memory_in_yajl_gen_alloc
for n in 1 2 3; do
	expect "setting $n" 'trelvin: failed to configure generator' failing yajl_gen_config:$n
done
for type in 0 11 -1; do
	expect "event type $type" "trelvin: unexpected event type: $type" failing event:$type
done

# The first write fails and every later one would succeed: the output
# lost must not pass for success.  The scalar is longer than the output
# buffer, so the write that fails is that of one long chunk.
if command -v strace >/dev/null; then
	awk 'BEGIN { for (i = 0; i < 1000; i++) printf "%0100d", 0; print "x" }' >"$tmp/long"
	expect 'a write that fails once' 'trelvin: failed to write output: Input/output error' \
		limit 20 strace -qq -o /dev/null -e trace=write -e inject=write:error=EIO:when=1 "$bin" "$tmp/long"
else
	echo "skipped the failing write: strace is missing (install debian-packages.txt)"
fi

echo "$((total - fails)) passed, $fails failed"
[ $fails = 0 ]
