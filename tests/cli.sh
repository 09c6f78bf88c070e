#!/bin/sh
# SPDX-License-Identifier: MIT
# Command-line, input and output cases that golden files cannot express.
bin=$1 cases=$2
here=$(dirname "$0")
. "$here/limit.sh"
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
fails=0 total=0

# expect NAME STATUS STDERR [ARG...]: runs with stdin from ./in and stdout
# into ./out (or the redirection in $to); checks the status, and that
# stderr is the line STDERR, newline included, or empty when it is.
expect() {
	name=$1 want=$2
	if [ -n "$3" ]; then printf '%s\n' "$3"; fi >expected
	shift 3
	eval '"$bin" "$@" <in 2>err' "${to:->out}"
	got=$?
	total=$((total + 1))
	if [ "$got" != "$want" ] || ! cmp -s err expected; then
		echo "FAIL $name: status $got (want $want), stderr: $(cat err)"
		fails=$((fails + 1))
	fi
}
# output TEXT: the last run wrote exactly TEXT (printf format) to stdout.
output() {
	total=$((total + 1))
	printf "$1" >expected
	if ! cmp -s out expected; then
		echo "FAIL $name: stdout: $(cat out)"
		fails=$((fails + 1))
	fi
}

usage='usage: trelvin [filename]'
printf 'a: 1\n' >in
printf 'x: 1\n' >-x
expect 'lone minus' 1 "$usage" -; output ''
expect '-h' 1 "$usage" -h; output ''
expect '--help' 1 "$usage" --help; output ''
expect 'dash-named file' 1 "$usage" -x
expect 'two arguments' 1 "$usage" in in; output ''
expect 'three arguments' 1 "$usage" in in in
expect 'dash-named file by path' 0 '' ./-x
output '{\n  "x": 1\n}\n'
expect 'stdin' 0 ''
output '{\n  "a": 1\n}\n'
expect 'empty argument' 1 'trelvin: No such file or directory' ''; output ''
expect 'missing file' 1 'trelvin: No such file or directory' missing; output ''
expect 'directory' 1 'trelvin: failed to parse event' .; output ''
expect 'path through a file' 1 'trelvin: Not a directory' in/x; output ''
if [ "$(id -u)" != 0 ]; then
	printf 'a: 1\n' >secret && chmod 0 secret
	expect 'unreadable file' 1 'trelvin: Permission denied' secret; output ''
fi

# A failed write must never pass for success.
# A large output fails while converting, a small one only at the close.
awk 'BEGIN { for (i = 0; i < 20000; i++) print "- [x, 1]" }' >big
if [ -c /dev/full ]; then
	to='>/dev/full' expect '/dev/full' 1 'trelvin: failed to write output: No space left on device' "$cases/typing.yaml"
	to='>/dev/full' expect '/dev/full, large' 1 'trelvin: failed to write output: No space left on device' big
else
	echo "skipped /dev/full: this system has no such device"
fi
to='>&-' expect 'closed stdout' 1 'trelvin: failed to write output: Bad file descriptor' "$cases/typing.yaml"
to='>&-' expect 'closed stdout, large' 1 'trelvin: failed to write output: Bad file descriptor' big

# A reader that stops early must stop us too, even on endless input: by
# SIGPIPE, or by the write error where the caller ignores that signal.
# The input's writer stops the same way.
for pipe in default ignored; do
	total=$((total + 1))
	(
		[ $pipe = ignored ] && trap '' PIPE
		while printf '%s\n' '- [x, 1]'; do :; done 2>/dev/null |
			limit 20 "$bin" 2>/dev/null
		echo $? >status
	) | dd bs=1 count=1 >/dev/null 2>&1
	case $pipe:$(cat status) in
	default:141|default:1|ignored:1) ;;
	*) echo "FAIL early reader, SIGPIPE $pipe: status $(cat status)"; fails=$((fails + 1)) ;;
	esac
done

echo "$((total - fails)) passed, $fails failed"
[ "$fails" = 0 ]
