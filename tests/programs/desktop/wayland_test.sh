#!/usr/bin/env bash
# Starts a headless weston with its X server module and runs the demo on it
# twice. On Wayland itself (QT_QPA_PLATFORM=wayland) the window must come up
# titled JOYSTICK, with equal minimum and maximum sizes, the desktop entry's
# name as its app id, and both sticks moving on the compositor's screen.
# Left to choose, the demo must take the compositor's X server instead.
# Skipped where weston or Xwayland is missing.
#
#   wayland_test.sh DEMO DESKTOP_ENTRY
set -uo pipefail

demo="$1"
entry="${2##*/}"
app_id="${entry%.desktop}"

for tool in weston weston-debug weston-screenshooter Xwayland; do
    command -v "$tool" > /dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done

XDG_RUNTIME_DIR="$(mktemp -d)"
export XDG_RUNTIME_DIR
export WAYLAND_DISPLAY=joystick-test
unset DISPLAY QT_QPA_PLATFORM
work="$XDG_RUNTIME_DIR"
clients=()
weston_pid=

# The demos and the protocol log go before weston, so that no demo sees its
# compositor vanish.
cleanup() {
    [ "${#clients[@]}" -gt 0 ] && kill "${clients[@]}" 2> /dev/null
    [ "${#clients[@]}" -gt 0 ] && wait "${clients[@]}" 2> /dev/null
    [ -n "$weston_pid" ] && kill "$weston_pid" 2> /dev/null && wait "$weston_pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "$*" >&2
    exit 1
}

# Runs the command every half second until it succeeds, for up to 60 s.
eventually() {
    local deadline=$((SECONDS + 60))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.5
    done
}

socket_ready() { [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]; }
proto_log_started() { weston-debug --list 2> /dev/null; [ -s "$work/proto.log" ]; }

# The window's rectangle on the compositor's screen, title bar included, as
# "x y width height", once weston shows a window titled JOYSTICK with the
# desktop entry's name as its app id.
native_window() {
    local rectangle
    rectangle="$(weston-debug scene-graph 2> /dev/null \
        | grep -A1 -F "top-level window 'JOYSTICK' of $app_id," \
        | sed -n 's/.*position: (\(-*[0-9]*\), \(-*[0-9]*\)) -> (\(-*[0-9]*\), \(-*[0-9]*\)).*/\1 \2 \3 \4/p' \
        | awk '{ print $1, $2, $3 - $1, $4 - $2; exit }')"
    [ -n "$rectangle" ] && echo "$rectangle"
}

# The last value the demo's window gave to a request in the protocol log.
last_request() {
    sed -n "s/.* rq xdg_toplevel@[0-9]*\.$1(\(.*\))\$/\1/p" "$work/proto.log" | tail -n 1
}

# The pixels of the sticks' circles in the window, pure red or pure blue,
# one "x,y" per line.
circle_pixels() {
    local rectangle="$1" shot x y width height
    shot="$(cd "$work/shots" && rm -f ./*.png && weston-screenshooter > /dev/null 2>&1 && ls ./*.png)" || return 1
    read -r x y width height <<< "$rectangle"
    convert "$work/shots/$shot" -crop "${width}x${height}+$x+$y" +repage txt:- \
        | awk '/ #(FF0000|0000FF)(FF)? / { sub(/:$/, "", $1); print $1 }'
}

# Whether the circle pixels fall in two groups of columns far apart, one
# circle in each picture box (the boxes stand more than 80 pixels apart, a
# circle is 16 across), and in other places than in the first such picture.
first_circles=
sticks_move() {
    local pixels
    pixels="$(circle_pixels "$1")" || return 1
    cut -d, -f1 <<< "$pixels" | sort -n -u | awk 'NR > 1 && $1 - last > 40 { two = 1 } { last = $1 } END { exit !two }' \
        || return 1
    [ -z "$first_circles" ] && first_circles="$pixels"
    [ "$pixels" != "$first_circles" ]
}

x_display() { sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -n 1; }
x_window() { DISPLAY="$1" xwininfo -root -tree 2> /dev/null | grep -q '"JOYSTICK"'; }

mkdir "$work/shots"
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --debug --idle-time=0 --no-config \
    --xwayland > "$work/weston.log" 2>&1 &
weston_pid=$!
eventually socket_ready || fail "weston did not start: $(tail -n 5 "$work/weston.log")"
weston-debug proto > "$work/proto.log" 2>&1 &
clients+=($!)
eventually proto_log_started || fail "weston's protocol log did not start"

# On Wayland itself. Under AddressSanitizer the stacks of what Qt's Wayland
# plugin leaves allocated at exit are unwound whole, so that the leak
# suppressions can name the system libraries they lie in.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:fast_unwind_on_malloc=0" QT_QPA_PLATFORM=wayland "$demo" 2> "$work/demo-wayland.log" &
clients+=($!)
eventually native_window > /dev/null || fail "no window titled JOYSTICK with app id $app_id:
$(cat "$work/demo-wayland.log")"
rectangle="$(native_window)"
echo "window on Wayland at x y width height = $rectangle"

min_size="$(last_request set_min_size)"
max_size="$(last_request set_max_size)"
[[ "$min_size" =~ ^[1-9][0-9]*,\ [1-9][0-9]*$ ]] || fail "minimum size '$min_size'"
[ "$min_size" = "$max_size" ] || fail "minimum size $min_size, maximum size $max_size: resizable"
echo "titled JOYSTICK, app id $app_id, fixed size $min_size"

eventually sticks_move "$rectangle" || fail "the circles did not show in both picture boxes and move"
echo "both circles drawn and moving"

# Left to choose, with the compositor's X server at hand.
display="$(x_display)"
[ -n "$display" ] || fail "weston started no X server: $(tail -n 5 "$work/weston.log")"
DISPLAY="$display" "$demo" 2> "$work/demo-x.log" &
clients+=($!)
eventually x_window "$display" || fail "the window did not appear on the X server $display:
$(cat "$work/demo-x.log")"
echo "left to choose, the window went to the X server $display"
