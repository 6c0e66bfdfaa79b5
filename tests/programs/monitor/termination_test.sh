#!/usr/bin/env bash
# The monitor recording a simulated board ends on SIGTERM and on SIGINT as
# when its window is closed, its details window open or not: exit status
# 0, the file ending on a whole row, and the port's lock file gone with
# the port. The demo ends on them as
# the monitor does. A recording to a pipe whose reader leaves stops, and
# the monitor goes on.
#
#   termination_test.sh MONITOR BOARD_SIM DEMO
set -uo pipefail
monitor="$1"
sim="$2"
demo="$3"
source "$(dirname "${BASH_SOURCE[0]}")/../../support/scripttest.sh"
export QT_QPA_PLATFORM=offscreen

start_board "$sim"
pty="$board"
pty_name="${pty#/dev/}"
lock="/run/lock/LCK..${pty_name//\//_}"

rows() { [ -f "$1" ] && grep -c $'\r$' "$1" || echo 0; }

# Sends SIGNAL to the program PID and expects it to end with status 0.
ends_cleanly() {
    local signal="$1" pid="$2" what="$3" status=0
    kill -s "$signal" "$pid"
    timeout 30 tail --pid="$pid" -f /dev/null || { echo "SIG$signal: $what did not end"; exit 1; }
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || { echo "SIG$signal: $what ended with status $status"; exit 1; }
}

for signal in TERM INT; do
    file="$dir/$signal.csv"
    details=$([ "$signal" = TERM ] && echo --details)
    "$monitor" --port "$pty" --record "$file" $details 2> "$dir/$signal.log" &
    pid=$!
    for _ in $(seq 1 400); do [ "$(rows "$file")" -ge 4 ] && break; sleep 0.1; done
    [ "$(rows "$file")" -ge 4 ] || { echo "SIG$signal: no rows recorded"; cat "$dir/$signal.log"; exit 1; }
    [ -e "$lock" ] || { echo "SIG$signal: no lock file $lock while the port is open"; exit 1; }
    ends_cleanly "$signal" "$pid" "the monitor"
    [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] || { echo "SIG$signal: the file ends inside a row"; exit 1; }
    [ ! -e "$lock" ] || { echo "SIG$signal: $lock left behind"; exit 1; }
done

for signal in TERM INT; do
    "$demo" 2> "$dir/demo-$signal.log" &
    pid=$!
    # Watching once it has opened its board's pseudo-terminal, which the
    # simulated board holds open too.
    for _ in $(seq 1 300); do
        [ "$(ls -l "/proc/$pid/fd" 2> /dev/null | grep -c /dev/pts/)" -ge 2 ] && break
        sleep 0.1
    done
    ends_cleanly "$signal" "$pid" "the demo"
done

# A recording to a pipe whose reader leaves stops with the reason logged;
# the monitor goes on, and still ends with 0 when asked.
fifo="$dir/pipe"
mkfifo "$fifo"
exec 3<> "$fifo"
"$monitor" --port "$pty" --record "$fifo" 2> "$dir/pipe.log" 3<&- &
pid=$!
head -c 300 <&3 > /dev/null &
exec 3<&-
for _ in $(seq 1 400); do
    grep -q 'Recording stopped' "$dir/pipe.log" || ! kill -0 "$pid" 2> /dev/null && break
    sleep 0.1
done
kill -0 "$pid" 2> /dev/null || { echo "pipe: the monitor ended when the reader left"; exit 1; }
grep -q 'Recording stopped after .* rows: .*pipe: ' "$dir/pipe.log" || { echo "pipe: no reason logged"; cat "$dir/pipe.log"; exit 1; }
ends_cleanly TERM "$pid" "the monitor recording to a pipe"
