#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs into a scratch prefix and builds the Debian package as a
# distribution would judge it: lintian without an error or a warning,
# hardening-check content, and the same bytes when the source tarball is
# built again in another directory.  Runs each installed binary on the
# example.
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
# Debian 12's C start files carry no control-flow marking, so no program
# linked there can show it; every other protection must be present.
for bin in "$build/trelvin" "$tmp/root/usr/bin/trelvin"; do
	hardening-check --nocfprotection "$bin" >"$tmp/log" 2>&1 ||
		fail "hardening-check: $(cat "$tmp/log")"
done

# The source tarball holds only tracked files; built again from it in
# another directory, the package must come out byte for byte the same.
src=$tmp/other/trelvin-$version-Source
mkdir "$tmp/other"
cpack --config "$build/CPackSourceConfig.cmake" -B "$tmp/other" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
tar -xzf "$tmp/other/trelvin-$version-Source.tar.gz" -C "$tmp/other" || fail "source tarball"
top=$(cache CMAKE_HOME_DIRECTORY)
if git -C "$top" status --porcelain 2>/dev/null | grep -q .; then
	echo "skipped the source tarball's file list: the tree has changes git does not track"
elif git -C "$top" rev-parse 2>/dev/null; then
	(cd "$src" && find . ! -type d | sed 's|^\./||' | sort) >"$tmp/packed"
	git -C "$top" ls-files | sort >"$tmp/tracked"
	cmp -s "$tmp/packed" "$tmp/tracked" ||
		fail "source tarball: $(diff "$tmp/tracked" "$tmp/packed" | grep '^[<>]' | head -5)"
else
	echo "skipped the source tarball's file list: not built from a git clone"
fi
cmake -S "$src" -B "$src/build" -DBUILD_TESTING=OFF \
	-DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" \
	-DCMAKE_CXX_COMPILER="$(cache CMAKE_CXX_COMPILER)" \
	-DCMAKE_CXX_FLAGS="$(cache CMAKE_CXX_FLAGS)" \
	-DCMAKE_TOOLCHAIN_FILE="$(cache CMAKE_TOOLCHAIN_FILE)" >"$tmp/log" 2>&1 &&
	cmake --build "$src/build" --target trelvin docs >>"$tmp/log" 2>&1 &&
	(cd "$src/build" && cpack >>"$tmp/log" 2>&1) || { cat "$tmp/log"; exit 1; }
cmp "$tmp/$deb" "$src/build/$deb" || fail "a second build gave another package"
exit $fails
