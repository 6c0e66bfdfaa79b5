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
source "$(dirname "${BASH_SOURCE[0]}")/../../support/scripttest.sh"

# waits_for SECONDS COMMAND...: runs COMMAND until it succeeds, for up to
# SECONDS.
waits_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# Starts a simulated board and points the symlink at its pty.
start_linked_board() {
    start_board "$sim"
    ln -sfn "$board" "$dir/board"
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

# Whether the pictures saved as now.png differ from those saved as before.png.
differ() {
    [ "$(compare -metric AE "$dir/before.png" "$dir/now.png" null: 2>&1)" != "0" ]
}

pictures_changed() { pictures now && differ; }

# Whether the pictures change from how they are now within a minute,
# however busy the machine: the window may not be shown yet, or not
# redrawn, and a port another program holds for a moment is tried again
# only after growing gaps.
pictures_move() {
    waits_for 30 pictures before && waits_for 60 pictures_changed
}

# Whether the pictures stay as they are for half a second.
pictures_still() {
    pictures before && sleep 0.5 && pictures now && ! differ
}

pictures_stay() { pictures_still && pictures_still; }

start_linked_board
QT_QPA_PLATFORM=xcb "$monitor" --port "$dir/board" 2> "$dir/monitor.log" &
pictures_move || { echo "the board named through the symlink is not drawn"; cat "$dir/monitor.log"; exit 1; }

# The symlink is left naming nothing: left on the board's pty, it would
# name the next pty any program on the machine opens, before the monitor
# looks again (a second after the device notice).
kill "$board_pid"
ln -sfn "$dir/unplugged" "$dir/board"
wait "$board_pid"
waits_for 20 pictures_stay || { echo "the sticks still move after the board went away"; exit 1; }

start_linked_board
pictures_move || { echo "the board back behind the symlink is not drawn"; cat "$dir/monitor.log"; exit 1; }
echo "found, lost and found again through $dir/board"
