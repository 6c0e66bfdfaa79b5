# shellcheck shell=bash disable=SC2034
# What every test script starts with, sourced after its arguments are read:
# `dir`, a fresh folder removed at exit with every job the script started
# still running; `status`, the script's exit status; and `fail MESSAGE`,
# which prints the message and makes the status 1 without stopping the
# script, so that one run shows every check that failed.
dir="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$dir"' EXIT
status=0

fail() {
    echo "$*"
    status=1
}

# start_board SIM [ARGUMENTS...]: starts the simulated board SIM and waits,
# up to 30 s, for it to name its pseudo-terminal, which is then in `board`
# and the board's process id in `board_pid`. The file the name is read from
# is new each time: a board before's name must not be read.
start_board() {
    rm -f "$dir/pty"
    "$@" > "$dir/pty" &
    board_pid=$!
    for _ in $(seq 1 300); do
        [ -s "$dir/pty" ] && break
        sleep 0.1
    done
    board="$(head -n 1 "$dir/pty")"
}
