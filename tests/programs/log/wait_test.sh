#!/usr/bin/env bash
# joystick-log --wait on a pseudo-terminal where no board answers: it gives
# up after that long, not before, with status 1 and one line saying why last
# on standard error, having printed only the header; a --wait it cannot use
# is refused at once.
#
#   wait_test.sh LOG BOARD_SIM
set -uo pipefail

log="$1"
sim="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../../support/scripttest.sh"

for bad in 0 -1 soon 2073601; do
    timeout 10 "$log" --wait "$bad" > /dev/null 2> "$dir/bad.err"
    code=$?
    [ "$code" -eq 2 ] && [ "$(cat "$dir/bad.err")" = "joystick-log: --wait takes a number of seconds from 0.001 to 24 days, not '$bad'" ] ||
        fail "--wait $bad: exit status $code:$(echo; cat "$dir/bad.err")"
done

start_board "$sim" --no-keyword --no-answer

started="$(date +%s%N)"
timeout 30 "$log" --port "$board" --wait 3 > "$dir/silent.csv" 2> "$dir/silent.err"
code=$?
waited_ms=$((($(date +%s%N) - started) / 1000000))
[ "$code" -eq 1 ] || fail "--wait 3 on a silent port: exit status $code"
[ "$waited_ms" -ge 3000 ] && [ "$waited_ms" -le 6000 ] || fail "--wait 3 on a silent port: gave up after $waited_ms ms"
[ "$(grep -c '^joystick-log:' "$dir/silent.err")" -eq 1 ] &&
    [ "$(tail -n 1 "$dir/silent.err")" = "joystick-log: no board answered within 3 s: COM1 ($board): opened, but no board answered" ] ||
    fail "--wait 3 on a silent port: not one last line saying why:$(echo; cat "$dir/silent.err")"
[ "$(cat "$dir/silent.csv")" = $'time,seconds,port,device,A0,A1,A2,A3,A4,A5\r' ] ||
    fail "--wait 3 on a silent port: more than the header:$(echo; cat "$dir/silent.csv")"

[ "$status" -eq 0 ] && echo "--wait 3 on a silent port: gave up after $waited_ms ms, saying why in one line"
exit "$status"
