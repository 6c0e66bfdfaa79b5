#!/usr/bin/env bash
# What the monitor and the demo tell a user who asks for what they cannot
# do: more --port options than COM 1 to COM 7, demo values the board never
# sends, a replug before the unplug, no display, a file it cannot record to;
# each is refused at once in one line on standard error. Then a --port path
# that is not there: the monitor runs, and names that path in its reason.
#
#   refusals_test.sh MONITOR DEMO
set -uo pipefail

monitor="$1"
demo="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../../support/scripttest.sh"
export QT_QPA_PLATFORM=offscreen

# refused EXIT_STATUS LINE COMMAND...: COMMAND ends at once with that status
# and LINE alone on standard error.
refused() {
    local expected="$1" line="$2" actual
    shift 2
    timeout 20 "$@" > /dev/null 2> "$dir/stderr"
    actual=$?
    [ "$actual" -eq "$expected" ] || fail "${*##*/}: exit status $actual, not $expected"
    [ "$(cat "$dir/stderr")" = "$line" ] || fail "${*##*/}: stderr is not '$line' alone:$(echo; cat "$dir/stderr")"
}

ports() {
    for n in $(seq 1 "$1"); do echo "--port $dir/port$n"; done
}

# shellcheck disable=SC2046
refused 2 "joystick-monitor: at most 7 --port options, for COM 1 to COM 7; 8 given" "$monitor" $(ports 8)
refused 2 "joystick-monitor-demo: --values: A2 is 1024, and a stick goes from 0 to 1023" \
    "$demo" --values 0,1023,1024,0,1,1
refused 2 "joystick-monitor-demo: --values: A0 is -1, and a stick goes from 0 to 1023" \
    "$demo" --values -1,0,0,0,1,1
refused 2 "joystick-monitor-demo: --values: A5 is 2, and a button is 0 (pressed) or 1 (released)" \
    "$demo" --values 0,0,0,0,1,2
refused 2 "joystick-monitor-demo: --replug-at (5) must come after --unplug-at (7)" \
    "$demo" --unplug-at 7 --replug-at 5
refused 2 "joystick-monitor-demo: --replug-at needs --unplug-at: the board is plugged in from the start" \
    "$demo" --replug-at 5

headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
refused 1 "joystick-monitor: no display (DISPLAY and WAYLAND_DISPLAY are unset)" "${headless[@]}" "$monitor"
refused 1 "joystick-monitor-demo: no display (DISPLAY and WAYLAND_DISPLAY are unset)" "${headless[@]}" "$demo"

# A file the monitor cannot record to is refused before it looks for a
# display: without one it would end with status 1.
printf 'a,b\r\n1,2\r\n' > "$dir/other.csv"
columns="time,seconds,port,device,A0,A1,A2,A3,A4,A5"
refused 2 "joystick-monitor: cannot record to $dir/none/board.csv: no such folder $dir/none" \
    "${headless[@]}" "$monitor" --record "$dir/none/board.csv"
refused 2 "joystick-monitor: cannot record to $dir: it is a folder" "${headless[@]}" "$monitor" --record "$dir"
refused 2 "joystick-monitor: cannot record to $dir/other.csv: its first line is \"a,b\", not the header \"$columns\"" \
    "${headless[@]}" "$monitor" --record "$dir/other.csv"
[ "$(cat "$dir/other.csv")" = $'a,b\r\n1,2\r' ] || fail "the refused file was changed"

# Seven ports are taken; the search ends after two seconds on each, within
# a minute however busy the machine.
# shellcheck disable=SC2046
"$monitor" $(ports 7) 2> "$dir/monitor.log" &
expected="COM1 ($dir/port1): no such device / COM2 ($dir/port2): no such device"
for _ in $(seq 1 120); do
    grep -qF "$expected" "$dir/monitor.log" && break
    sleep 0.5
done
grep -qF "no board found: $expected" "$dir/monitor.log" ||
    fail "the search's reasons do not name the paths given:$(echo; cat "$dir/monitor.log")"

[ "$status" -eq 0 ] && echo "refused in one line each; the missing paths named"
exit "$status"
