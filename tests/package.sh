#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs into a scratch prefix and builds the Debian package as a
# distribution would judge it: lintian without an error or a warning,
# hardening-check content, a source tarball of exactly the tracked files,
# and the same bytes when the package is built again from that tarball
# in another directory.  Runs each installed binary on the example.
# usage: package.sh BUILD_DIR CASES_DIR VERSION DEB_ARCH [EMULATOR]
build=$1 cases=$2 version=$3 arch=$4 runner=$5
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fails=0
fail() { echo "FAIL $*"; fails=1; }
runs() { $runner "$1" "$cases/example.yaml" | cmp -s - "$cases/example.json" || fail "$1 output"; }
for tool in lintian hardening-check; do
	command -v $tool >/dev/null ||
		{ echo "FAIL $tool is missing: install debian-packages.txt"; exit 1; }
done
# cache VAR: a setting of the build being tested.
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null || fail install
[ -f "$tmp/prefix/share/man/man1/trelvin.1.gz" ] || fail "man page not installed"
runs "$tmp/prefix/bin/trelvin"

deb=trelvin_${version}_$arch.deb
cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
[ -f "$tmp/$deb" ] || { fail "no $deb"; exit 1; }
files=$(dpkg-deb -c "$tmp/$deb" | awk '!/\/$/ { print $6 }' | tr '\n' ' ')
[ "$files" = "./usr/bin/trelvin ./usr/share/doc/trelvin/changelog.gz ./usr/share/doc/trelvin/copyright ./usr/share/man/man1/trelvin.1.gz " ] ||
	fail "files: $files"
depends=$(dpkg-deb -f "$tmp/$deb" Depends)
for lib in libyaml-0-2 libyajl2; do
	echo "$depends" | grep -qE "(^|[ ,])$lib( |,|$)" || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$tmp/$deb" Version)" = "$version" ] || fail version
[ "$(dpkg-deb -f "$tmp/$deb" Multi-Arch)" = foreign ] || fail Multi-Arch
dpkg-deb -x "$tmp/$deb" "$tmp/root" && runs "$tmp/root/usr/bin/trelvin"

# lintian refuses to run as root without being told it may.
tags=$(lintian --allow-root --tag-display-limit 0 "$tmp/$deb" 2>&1 | grep '^[EW]:')
[ -z "$tags" ] || fail "lintian: $tags"
# The linker marks a program for control-flow (x86) or branch (AArch64)
# protection only when every object carries the marking, the C library's
# start files too; where they lack it no program can show it, so it is not
# asked for.  Every other protection must be present.
cxx=$(cache CMAKE_CXX_COMPILER)
start_files_carry() {
	for f in Scrt1.o crti.o crtn.o; do
		readelf -n "$("$cxx" -print-file-name=$f)" 2>/dev/null | grep -q "feature: $1" || return 1
	done
}
skip=
start_files_carry 'IBT, SHSTK' ||
	{ skip=--nocfprotection; echo "not asking for control-flow protection: the C start files lack the x86 IBT and SHSTK marking"; }
# Older versions have no such check and no such option.
if hardening-check --help 2>&1 | grep -q -e --nobranchprotection && ! start_files_carry 'BTI, PAC'; then
	skip="$skip --nobranchprotection"
	echo "not asking for branch protection: the C start files lack the AArch64 BTI and PAC marking"
fi
for bin in "$build/trelvin" "$tmp/root/usr/bin/trelvin"; do
	hardening-check $skip "$bin" >"$tmp/log" 2>&1 ||
		fail "hardening-check: $(cat "$tmp/log")"
done

# The source tarball holds exactly the tracked files, wherever the clone
# lies and however often it is made: here from a clone under a build folder
# (as Debian's build daemons lay sources out), twice from its top folder,
# where the second run finds the first one's output, and once from its
# build folder.
top=$(cache CMAKE_HOME_DIRECTORY)
tarball=trelvin-$version-Source.tar.gz
listed() { tar -tzf "$1" | sed -n 's|^[^/]*/\(.*[^/]\)$|\1|p' | sort; }
if ! git -C "$top" rev-parse 2>/dev/null; then
	echo "skipped the source tarball's file list: not built from a git clone"
elif git -C "$top" status --porcelain | grep -q .; then
	echo "skipped the source tarball's file list: the tree has changes git does not track"
else
	git -C "$top" ls-files | sort >"$tmp/tracked"
	clone=$tmp/build/trelvin-$version
	{ git clone -q "$top" "$clone" &&
		cmake -S "$clone" -B "$clone/build" -DBUILD_TESTING=OFF; } >"$tmp/log" 2>&1 ||
		{ cat "$tmp/log"; exit 1; }
	for dir in "$clone" "$clone" "$clone/build"; do
		(cd "$dir" && cpack --config "$clone/build/CPackSourceConfig.cmake") >"$tmp/log" 2>&1 ||
			{ cat "$tmp/log"; exit 1; }
		listed "$dir/$tarball" >"$tmp/packed"
		cmp -s "$tmp/packed" "$tmp/tracked" || fail "source tarball made in $dir holds" \
			"$(wc -l <"$tmp/packed") files: $(diff "$tmp/tracked" "$tmp/packed" | grep '^[<>]' | head -5)"
	done
fi

# Built again from the tarball in another directory, the package must come
# out byte for byte the same.
src=$tmp/other/trelvin-$version-Source
mkdir "$tmp/other"
cpack --config "$build/CPackSourceConfig.cmake" -B "$tmp/other" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
tar -xzf "$tmp/other/$tarball" -C "$tmp/other" || fail "source tarball"
[ -f "$src/CMakeLists.txt" ] || { fail "the source tarball is empty"; exit 1; }
cmake -S "$src" -B "$src/build" -DBUILD_TESTING=OFF \
	-DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" \
	-DCMAKE_CXX_COMPILER="$(cache CMAKE_CXX_COMPILER)" \
	-DCMAKE_CXX_FLAGS="$(cache CMAKE_CXX_FLAGS)" \
	-DCMAKE_TOOLCHAIN_FILE="$(cache CMAKE_TOOLCHAIN_FILE)" >"$tmp/log" 2>&1 &&
	cmake --build "$src/build" --target trelvin docs >>"$tmp/log" 2>&1 &&
	(cd "$src/build" && cpack >>"$tmp/log" 2>&1) || { cat "$tmp/log"; exit 1; }
cmp "$tmp/$deb" "$src/build/$deb" || fail "a second build gave another package"
exit $fails
