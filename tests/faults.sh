#!/bin/sh
# SPDX-License-Identifier: MIT
# Hostile and huge inputs: every run must end by itself with valid JSON or
# one diagnostic line, never a signal, a hang or runaway memory.
# usage: faults.sh TRELVIN CHECK_PY
bin=$1 check=$2
here=$(dirname "$0")
. "$here/limit.sh"
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
fails=0

# A million levels must stop at the generator's depth limit, not exhaust
# the stack or memory first.
python3 -c "print('[' * 1000000)" >deep_flow.yaml
python3 -c "print('- ' * 1000000 + 'x')" >deep_block.yaml
python3 -c "print('{a: ' * 1000000)" >deep_map.yaml
# One scalar of 100 MB, and an endless plain scalar cut short.
python3 -c "
import sys
sys.stdout.write('\"')
for _ in range(100): sys.stdout.write('a' * 1048576)
sys.stdout.write('\"\n')" >big_scalar.yaml
python3 -c "import sys; sys.stdout.write('y\n' * 10000000)" >yes.yaml
# A FIFO as the named file reads like any other input.  Its writer waits
# for a reader, so it must not wait for ever if none comes; it is checked
# first and alone, so that it never waits behind the slow inputs.
mkfifo fifo
limit "${CHECK_TIMEOUT:-20}" sh -c "printf 'from: fifo\n' >fifo" &
writer=$!
python3 "$check" "$bin" fifo || fails=1
wait $writer || { echo "FAIL fifo: never read"; fails=1; }

python3 "$check" "$bin" *.yaml || fails=1

printf 'trelvin: failed to emit value\n' >want
for f in deep_flow deep_block deep_map; do
	"$bin" $f.yaml >/dev/null 2>err
	if [ $? != 1 ] || ! cmp -s err want; then
		echo "FAIL $f: $(cat err)"
		fails=1
	fi
done
size=$("$bin" big_scalar.yaml | wc -c)
[ "$size" = $((100 * 1048576 + 3)) ] || { echo "FAIL big_scalar: $size bytes out"; fails=1; }
exit $fails
