#!/usr/bin/env bash
# joystick-stats on what joystick-log records from a simulated board, on
# two files at once, on a file that is no recording and on a folder: no Qt
# Gui, the figures as JSON, one line and status 2 for the file it cannot
# read, with nothing on standard output.
#
#   stats_test.sh STATS LOG BOARD_SIM
set -uo pipefail

stats="$1"
log="$2"
sim="$3"
source "$(dirname "${BASH_SOURCE[0]}")/../../support/scripttest.sh"

ldd "$stats" | grep -E 'libQt6(Gui|Widgets)' && fail "joystick-stats links Qt Gui"

start_board "$sim" --rate 50 --no-answer
timeout 60 "$log" --port "$board" --count 20 > "$dir/board.csv" 2> /dev/null ||
    fail "joystick-log recorded nothing"

"$stats" --json "$dir/board.csv" - < "$dir/board.csv" > "$dir/both.json" 2> "$dir/both.err"
code=$?
[ "$code" -eq 0 ] || fail "two recordings: exit status $code:$(echo; cat "$dir/both.err")"
for figure in '"reports": 40' '"sessions": 2' '"A5": {'; do
    grep -qF "$figure" "$dir/both.json" || fail "two recordings: no $figure in$(echo; cat "$dir/both.json")"
done

printf 'name,score\nbob,3\n' > "$dir/scores.csv"
"$stats" "$dir/board.csv" "$dir/scores.csv" > "$dir/refused.out" 2> "$dir/refused.err"
code=$?
[ "$code" -eq 2 ] || fail "no recording: exit status $code"
[ -s "$dir/refused.out" ] && fail "no recording: printed$(echo; cat "$dir/refused.out")"
[ "$(wc -l < "$dir/refused.err")" -eq 1 ] && grep -qF "joystick-stats: $dir/scores.csv: its first line is \"name,score\"" "$dir/refused.err" ||
    fail "no recording: not one line naming the file and why:$(echo; cat "$dir/refused.err")"

"$stats" "$dir" > /dev/null 2> "$dir/folder.err"
code=$?
[ "$code" -eq 2 ] && [ "$(cat "$dir/folder.err")" = "joystick-stats: $dir: it is a folder" ] ||
    fail "a folder: exit status $code, said:$(echo; cat "$dir/folder.err")"

[ "$status" -eq 0 ] && echo "a recording's figures as JSON; a file that is no recording refused in one line"
exit "$status"
