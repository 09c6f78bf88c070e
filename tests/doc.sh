#!/bin/sh
# SPDX-License-Identifier: MIT
# The man page must lint clean, show this version and list every message
# the program prints.
# usage: doc.sh SOURCE_DIR VERSION
top=$1 version=$2
man=$top/doc/trelvin.1
fails=0
# Cross-references are checked against the pages this machine happens to
# have installed; that says nothing about the page itself.  The operating
# system is named on purpose, to show the version.
lint=$(mandoc -T lint "$man" 2>&1 | grep -v -e 'mandoc\.db' -e 'referenced manual not found' \
	-e 'operating system explicitly specified')
[ -z "$lint" ] || { echo "$lint"; fails=1; }
grep -qx ".Os trelvin $version" "$man" || { echo "the man page does not show version $version"; fails=1; }
mandoc -T utf8 "$man" >/dev/null || fails=1
# Messages as written in the code, up to their first conversion.
msgs=$(grep -ho -e '"trelvin: [^"]*"' -e '"usage: [^"]*"' "$top"/src/*.cpp |
	sed -e 's/^"//' -e 's/\\n"$//' -e 's/%.*//')
[ -n "$msgs" ] || { echo "no messages found in the source"; exit 1; }
echo "$msgs" | {
	while IFS= read -r msg; do
		grep -qF "\"$msg" "$man" || { echo "not in the man page: $msg"; fails=1; }
	done
	exit $fails
}
