#!/usr/bin/env bash
# Starts the monitor, then the demo, on a virtual X screen and reads what a
# window manager sees of each window: the monitor's window class must be
# the desktop entry's StartupWMClass, both windows must carry an icon, and
# Qt's own options (-name) must reach Qt. The monitor's details window,
# opened with --details, goes by the same class and icon.
#
#   desktopidentity_test.sh MONITOR DEMO DESKTOP_ENTRY
set -uo pipefail

if [ -z "${DESKTOP_IDENTITY_INNER:-}" ]; then
    export DESKTOP_IDENTITY_INNER=1
    exec xvfb-run -a "$0" "$@"
fi
monitor="$1"
demo="$2"
startup_class="$(sed -n 's/^StartupWMClass=//p' "$3")"
export QT_QPA_PLATFORM=xcb
status=0
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

# The id of the window titled TITLE, once it is on screen, within 30 s.
# Qt sets the window's properties before it maps the window, not before it
# names it.
window_id() {
    local id
    for _ in $(seq 1 60); do
        id="$(xwininfo -root -tree 2>/dev/null | awk -v title="\"$1\"" 'index($0, title) { print $1; exit }')"
        if [ -n "$id" ] && [[ "$(xwininfo -id "$id")" == *"Map State: IsViewable"* ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.5
    done
    return 1
}

# check TITLE EXPECTED_WM_CLASS PROGRAM [ARGUMENTS...]
check() {
    local title="$1" expected="$2" id pid
    shift 2
    "$@" 2> /dev/null &
    pid=$!
    if id="$(window_id "$title")"; then
        local class icon
        class="$(xprop -id "$id" WM_CLASS)"
        icon="$(xprop -id "$id" _NET_WM_ICON)"
        [ "$class" = "WM_CLASS(STRING) = $expected" ] || { echo "$1: $class, not $expected"; status=1; }
        [[ "$icon" == *"Icon ("* ]] || { echo "$1: no _NET_WM_ICON"; status=1; }
    else
        echo "$1: no window \"$title\""
        status=1
    fi
    kill "$pid"
    wait "$pid"
}

# On a port of its own that is not there, not on the machine's serial ports.
check JOYSTICK "\"joystick-monitor\", \"$startup_class\"" "$monitor" --port "$dir/no-board"
check "Board details" "\"joystick-monitor\", \"$startup_class\"" "$monitor" --port "$dir/no-board" --details
check JOYSTICK "\"demo-under-test\", \"joystick-monitor-demo\"" "$demo" -name demo-under-test

[ "$status" -eq 0 ] && echo "windows carry the desktop entry's class and an icon"
exit "$status"
