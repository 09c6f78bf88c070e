#!/bin/sh
# SPDX-License-Identifier: MIT
# Fuzzes trelvin with AFL++ for a number of seconds on two cores, with
# libyaml and yajl built from the Debian source packages users run and
# instrumented too: a plain build leads (helped by a CmpLog build that
# solves the parser's byte comparisons), a build with AddressSanitizer and
# UBSan follows on the same queue.  Seeds: the test cases, the kept corpus
# and libyaml's own examples.  Installs what it needs (as root or through
# sudo) and keeps sources and builds in build-fuzz/.
# usage: fuzz/run.sh SECONDS [OUTDIR]
# Replay findings with fuzz/check.py.  To renew fuzz/corpus, copy both
# queues into one folder outside /tmp (afl-cmin refuses it) and run
#   afl-cmin -i ALL -o NEW -- build-fuzz/plain/trelvin @@
# its edge coverage: afl-showmap -C -i fuzz/corpus -o /dev/null -- build-fuzz/plain/trelvin @@
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS [OUTDIR]}
top=$(cd "$(dirname "$0")/.." && pwd)
work=$top/build-fuzz
out=${2:-$work/out}
[ "$(id -u)" = 0 ] && S= || S=sudo

# libclang-rt-dev holds clang's sanitizer runtimes, which afl++ only
# recommends.
$S apt-get update
$S env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
	afl++ libclang-rt-dev dpkg-dev cmake make python3

# The exact source versions of the installed runtime libraries, from the
# machine's own Debian sources with a deb-src entry added beside them.
fetch() {
	if ! apt-cache showsrc libyaml 2>/dev/null | grep -q '^Package:'; then
		cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
			sed 's/^Types: deb$/Types: deb-src/' |
			$S tee /etc/apt/sources.list.d/trelvin-src.sources >/dev/null
		sed -n 's/^deb /deb-src /p' /etc/apt/sources.list 2>/dev/null |
			$S tee /etc/apt/sources.list.d/trelvin-src.list >/dev/null
		$S apt-get update
	fi
	yv=$(dpkg-query -W -f='${source:Version}' libyaml-0-2 2>/dev/null || true)
	jv=$(dpkg-query -W -f='${source:Version}' libyajl2 2>/dev/null || true)
	mkdir -p "$work/src"
	(cd "$work/src" && apt-get source -q "libyaml${yv:+=$yv}" "yajl${jv:+=$jv}")
}
[ -f "$work"/src/libyaml-*/src/parser.c ] && [ -f "$work"/src/yajl-*/src/yajl_gen.c ] ||
	fetch
yaml_src=$(echo "$work"/src/libyaml-*/) yajl_src=$(echo "$work"/src/yajl-*/)

# build NAME [VAR=VALUE...]: the fuzzing build, configured with the
# compiler settings given in the environment.
build() {
	dir=$work/$1
	shift
	env "$@" CC=afl-clang-fast CXX=afl-clang-fast++ cmake -S "$top/fuzz" -B "$dir" \
		-Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DLIBYAML_SOURCE="$yaml_src" -DYAJL_SOURCE="$yajl_src" >/dev/null
	env "$@" cmake --build "$dir" -j2 >/dev/null
}
build plain
build cmplog AFL_LLVM_CMPLOG=1
build asan AFL_USE_ASAN=1 AFL_USE_UBSAN=1

seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
# Small seeds only: AFL++ mutates best from short inputs.
find "$top/tests/cases" "$top/examples" "$yaml_src/examples" \
	"$yaml_src/regression-inputs" -type f -size -8k -exec cp {} "$seeds" \;
cp "$top"/fuzz/corpus/* "$seeds" 2>/dev/null || true

# A sandbox may forbid the system tuning AFL++ asks for; it is not needed.
export AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:symbolize=0
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1
# fuzz -M|-S NAME BUILD [AFL_OPTION...]
fuzz() {
	role=$1 name=$2 bin=$work/$3/trelvin
	shift 3
	afl-fuzz "$role" "$name" "$@" -V "$seconds" -m none -t 2000 \
		-x "$top/fuzz/yaml.dict" -i "$seeds" -o "$out" -- "$bin" @@
}
mkdir -p "$out"
fuzz -M main plain -c "$work/cmplog/trelvin" >"$out/main.log" 2>&1 &
sleep 5
fuzz -S asan asan >"$out/asan.log" 2>&1
wait
for stats in "$out"/*/fuzzer_stats; do
	echo "${stats%/fuzzer_stats}:"
	grep -E '^(run_time|execs_done|execs_per_sec|corpus_count|edges_found|saved_crashes|saved_hangs) ' "$stats"
done
