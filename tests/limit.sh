#!/bin/sh
# SPDX-License-Identifier: MIT
# limit SECONDS COMMAND...: runs COMMAND, ended by SIGTERM if it is still
# running after SECONDS.  timeout(1) where there is one; it is not POSIX.
limit() {
	if command -v timeout >/dev/null 2>&1; then
		timeout "$@"
		return
	fi
	limit_secs=$1
	shift
	# A command started with & would read /dev/null, not our input.
	exec 3<&0
	"$@" <&3 3<&- &
	limit_pid=$!
	(sleep "$limit_secs"; kill "$limit_pid") >/dev/null 2>&1 &
	limit_watch=$!
	wait "$limit_pid"
	limit_status=$?
	kill "$limit_watch" 2>/dev/null
	return $limit_status
}
