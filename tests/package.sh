#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs into a scratch prefix and builds the Debian package, then runs
# each installed binary on the example.
# usage: package.sh BUILD_DIR CASES_DIR VERSION
build=$1 cases=$2 version=$3
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fails=0
fail() { echo "FAIL $*"; fails=1; }
runs() { "$1" "$cases/example.yaml" | cmp -s - "$cases/example.json" || fail "$1 output"; }

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null || fail install
[ -f "$tmp/prefix/share/man/man1/trelvin.1" ] || fail "man page not installed"
runs "$tmp/prefix/bin/trelvin"

cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
deb=$tmp/trelvin_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { fail "no $deb"; exit 1; }
files=$(dpkg-deb -c "$deb" | awk '!/\/$/ { print $6 }' | tr '\n' ' ')
[ "$files" = "./usr/bin/trelvin ./usr/share/man/man1/trelvin.1 " ] || fail "files: $files"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libyaml-0-2 libyajl2; do
	echo "$depends" | grep -q "\b$lib\b" || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail version
dpkg-deb -x "$deb" "$tmp/root" && runs "$tmp/root/usr/bin/trelvin"
exit $fails
