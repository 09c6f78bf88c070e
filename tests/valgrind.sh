#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs PROGRAM under memcheck, with status 99 on a memory error.  valgrind's
# own notes go to a log, shown only with such an error: older versions
# print one for the Landlock calls, which they do not know and fail with
# ENOSYS, and it is not the program's stderr.
# usage: valgrind.sh VALGRIND PROGRAM [ARG...]
vg=$1
shift
log=$(mktemp) || exit 1
"$vg" -q --error-exitcode=99 --leak-check=no --log-fd=3 "$@" 3>"$log"
status=$?
[ $status != 99 ] || cat "$log" >&2
rm -f "$log"
exit $status
