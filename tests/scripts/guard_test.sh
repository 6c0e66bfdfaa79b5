#!/usr/bin/env bash
# guard-serial-ports where no mount namespace can be made: it refuses in
# one line saying why, without running the command or opening anything.
# /dev/null stands for the serial ports, so that even a guard that went
# wrong here could not touch one.
#
#   guard_test.sh GUARD
set -uo pipefail
guard="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

mkdir "$dir/bin"
printf '#!/bin/sh\necho "unshare: unshare failed: Operation not permitted" >&2\nexit 1\n' > "$dir/bin/unshare"
chmod +x "$dir/bin/unshare"

PATH="$dir/bin:$PATH" SERIAL_PORT_GUARD_PORTS=/dev/null "$guard" touch "$dir/ran" 2> "$dir/err"
status=$?
expected="guard-serial-ports: not running touch: no mount namespace to cover /dev/null in (unshare: unshare failed: Operation not permitted)"
[ "$status" -eq 1 ] || { echo "exit status $status, not 1"; exit 1; }
[ ! -e "$dir/ran" ] || { echo "the command ran"; exit 1; }
[ "$(cat "$dir/err")" = "$expected" ] || { echo "not the one line expected:"; cat "$dir/err"; exit 1; }
