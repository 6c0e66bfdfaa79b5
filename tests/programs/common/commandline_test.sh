#!/usr/bin/env bash
# Runs a program with --help and --version where no display can be reached,
# then with an unknown option and with BAD_ARGUMENTS where a display could
# be used: each must answer at once, without opening a window, and a
# refusal is one line on standard error.
#
#   commandline_test.sh PROGRAM VERSION BAD_ARGUMENTS...
set -uo pipefail

program="$1"
version="$2"
shift 2
name="$(basename "$program")"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
status=0

# At most 20 s: a program that went on to open its window is still running.
run() {
    timeout 20 "$program" "$@" > "$out/stdout" 2> "$out/stderr"
}
headless() {
    (unset DISPLAY WAYLAND_DISPLAY; export QT_QPA_PLATFORM=; run "$@")
}
expect() {
    local what="$1" expected_status="$2" actual_status="$3"
    if [ "$actual_status" -ne "$expected_status" ]; then
        echo "$name $what: exit status $actual_status, not $expected_status"
        cat "$out/stderr"
        status=1
    fi
}
expect_one_line() {
    local what="$1"
    [ "$(wc -l < "$out/stderr")" -eq 1 ] || { echo "$name $what: not one line on stderr:"; cat "$out/stderr"; status=1; }
}
expect_line() {
    local what="$1" stream="$2" pattern="$3"
    grep -q -- "$pattern" "$out/$stream" || { echo "$name $what: no '$pattern' on $stream"; status=1; }
}

headless --help
expect --help 0 $?
expect_line --help stdout "^Usage: $name "

headless --version
expect --version 0 $?
expect_line --version stdout "^$name $version\$"

QT_QPA_PLATFORM=offscreen run --no-such-option
expect "an unknown option" 2 $?
expect_line "an unknown option" stderr "^$name: Unknown option 'no-such-option'"
expect_one_line "an unknown option"

QT_QPA_PLATFORM=offscreen run "$@"
expect "$*" 2 $?
expect_one_line "$*"
[ -s "$out/stdout" ] && { echo "$name $*: printed on standard output"; status=1; }

[ "$status" -eq 0 ] && echo "$name: command line answered"
exit "$status"
