#!/usr/bin/env bash
# The real monitor on a virtual X screen, watching a simulated board named
# with --port through a symlink, as /dev/serial/by-id/... names a board: the
# sticks must move on screen. The board's pty then goes away (the sticks
# stop) and a new one appears behind the same symlink: they move again.
#
#   port_test.sh MONITOR BOARD_SIM
set -uo pipefail

if [ -z "${PORT_TEST_INNER:-}" ]; then
    export PORT_TEST_INNER=1
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
monitor="$1"
sim="$2"
dir="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$dir"' EXIT

# Starts a simulated board and points the symlink at its pty.
start_board() {
    "$sim" > "$dir/pty" &
    board_pid=$!
    for _ in $(seq 1 50); do
        [ -s "$dir/pty" ] && break
        sleep 0.1
    done
    ln -sfn "$(head -n 1 "$dir/pty")" "$dir/board"
}

window_id() {
    xwininfo -root -tree 2>/dev/null | awk '/"JOYSTICK"/ { print $1; exit }'
}

# Both stick pictures (inside their borders) as they are on screen now.
pictures() {
    local id
    id="$(window_id)"
    [ -n "$id" ] && import -silent -window "$id" "$dir/shot.png" 2>/dev/null &&
        /usr/bin/convert "$dir/shot.png" \( -clone 0 -crop 64x64+241+9 \) \( -clone 0 -crop 64x64+393+9 \) \
            -delete 0 +append "$dir/$1.png"
}

# Whether the pictures change within half a second.
pictures_move() {
    pictures before && sleep 0.5 && pictures after &&
        [ "$(compare -metric AE "$dir/before.png" "$dir/after.png" null: 2>&1)" != "0" ]
}

# waits_for CONDITION SECONDS
waits_for() {
    for _ in $(seq 1 "$2"); do
        "$1" && return 0
        sleep 0.5
    done
    return 1
}

pictures_stay() { ! pictures_move && ! pictures_move; }

start_board
QT_QPA_PLATFORM=xcb "$monitor" --port "$dir/board" 2> "$dir/monitor.log" &
waits_for pictures_move 40 || { echo "the board named through the symlink is not drawn"; exit 1; }

kill "$board_pid"
wait "$board_pid"
waits_for pictures_stay 20 || { echo "the sticks still move after the board went away"; exit 1; }

start_board
waits_for pictures_move 40 || { echo "the board back behind the symlink is not drawn"; cat "$dir/monitor.log"; exit 1; }
echo "found, lost and found again through $dir/board"
