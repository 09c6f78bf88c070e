#!/bin/sh
# Fuzzes trelvin with AFL++ for a number of seconds on two cores: a fast
# plain build leads, a build with AddressSanitizer and UBSan follows on
# the same queue.  Seeds come from the test cases and the kept corpus.
# usage: fuzz/run.sh SECONDS [OUTDIR]
# Replay findings with fuzz/check.py; minimise the queue into fuzz/corpus
# with: afl-cmin -i OUTDIR/main/queue -o NEWDIR -- build-afl/trelvin @@
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS [OUTDIR]}
top=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$top/build-afl/out}

build() {
	CXX=afl-clang-fast++ cmake -S "$top" -B "$1" -DBUILD_TESTING=OFF \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build "$1" >/dev/null
}
build "$top/build-afl"
AFL_USE_ASAN=1 AFL_USE_UBSAN=1 build "$top/build-afl-asan"

seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
# Small seeds only: AFL++ mutates best from short inputs.
find "$top/tests/cases" -name '*.yaml' -size -8k -exec cp {} "$seeds" \;
cp "$top"/fuzz/corpus/* "$seeds" 2>/dev/null || true

# A sandbox may forbid the system tuning AFL++ asks for; it is not needed.
export AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:symbolize=0
# fuzz -M|-S NAME BUILD_DIR
fuzz() {
	afl-fuzz "$1" "$2" -V "$seconds" -m none -t 2000 \
		-x "$top/fuzz/yaml.dict" -i "$seeds" -o "$out" -- "$3/trelvin" @@
}
mkdir -p "$out"
fuzz -M main "$top/build-afl" >"$out/main.log" 2>&1 &
sleep 5
fuzz -S asan "$top/build-afl-asan" >"$out/asan.log" 2>&1
wait
afl-whatsup -s "$out"
