#!/usr/bin/env bash
# joystick-log on a board that sends 20 reports a second unasked and has
# sent 200 of them into its pseudo-terminal before the logger opens it: the
# rows are only of reports sent after the open, the first row's included,
# and joystick-stats finds the board's rate in them, not a burst.
#
#   prefilled_test.sh LOG STATS BOARD_SIM
set -uo pipefail

log="$1"
stats="$2"
sim="$3"
source "$(dirname "${BASH_SOURCE[0]}")/../../support/scripttest.sh"

# Each report carries when it was sent: A0 the whole seconds since the board
# started.
start_board "$sim" --rate 20 --no-answer --stamp
# Not a wait for anything: the board's 200 reports of its first 10 s, which
# no program reads, are what the logger must not take for new.
sleep 10

timeout 60 "$log" --port "$board" --count 100 > "$dir/board.csv" 2> "$dir/board.err" ||
    fail "joystick-log did not record 100 rows:$(echo; cat "$dir/board.err")"
first_sent="$(sed -n 2p "$dir/board.csv" | cut -d, -f5)"
[ "${first_sent:-0}" -ge 10 ] ||
    fail "the first row's report was sent ${first_sent:-?} s after the board started, before the port was opened"
rate="$("$stats" "$dir/board.csv" | awk '$1 == "rate" { print $2 }')"
awk -v rate="$rate" 'BEGIN { exit !(rate >= 18 && rate <= 22) }' ||
    fail "joystick-stats: rate ${rate:-none} reports a second, not within 10 % of 20:$(echo; "$stats" "$dir/board.csv")"

[ "$status" -eq 0 ] && echo "first row sent $first_sent s after the board started; rate $rate reports a second"
exit "$status"
