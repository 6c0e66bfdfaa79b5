#!/usr/bin/env bash
# joystick-log against a simulated board on a pseudo-terminal: it needs no
# Qt Gui, prints the header and whole rows, ends with status 0 after
# --count rows (saying how many), when its reader goes away (without a word
# about it), and on SIGINT or SIGTERM, leaving only whole rows; an output
# that takes nothing is refused in one line; a second logger on the same
# port gives up after --wait naming the first one as the port's holder, and
# no port but the one given.
#
#   log_test.sh LOG BOARD_SIM
set -uo pipefail

log="$1"
sim="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../../support/scripttest.sh"
header=$'time,seconds,port,device,A0,A1,A2,A3,A4,A5\r'

# Whether FILE is the header and then whole rows of the board only.
whole_rows() {
    [ "$(head -n 1 "$1")" = "$header" ] &&
        tail -n +2 "$1" | awk -F, -v board="$board" '
            !/\r$/ || NF != 10 || $3 != "COM1" || $4 != board { bad = 1 }
            END { exit bad }' &&
        [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ]
}

ldd "$log" | grep -E 'libQt6(Gui|Widgets)' && fail "joystick-log links Qt Gui"

start_board "$sim"
timeout 30 "$log" --port "$board" --count 3 > "$dir/three.csv" 2> "$dir/three.err"
code=$?
[ "$code" -eq 0 ] || fail "--count 3: exit status $code"
[ "$(wc -l < "$dir/three.csv")" -eq 4 ] || fail "--count 3: not the header and 3 rows:$(echo; cat "$dir/three.csv")"
whole_rows "$dir/three.csv" || fail "--count 3: not whole rows:$(echo; cat -A "$dir/three.csv")"
grep -qx "OK PUERTO 1" "$dir/three.err" || fail "--count 3: no status on standard error:$(echo; cat "$dir/three.err")"
grep -qx "Recorded 3 rows to standard output" "$dir/three.err" || fail "--count 3: no summary on standard error"

# Appended to with >>, a recording goes on without a second header; another
# program's file is refused and left as it was.
timeout 30 "$log" --port "$board" --count 2 >> "$dir/three.csv" 2> /dev/null
[ "$(wc -l < "$dir/three.csv")" -eq 6 ] && whole_rows "$dir/three.csv" ||
    fail ">> a recording: not one header and 5 rows:$(echo; cat "$dir/three.csv")"
echo "name,score" > "$dir/other.csv"
timeout 30 "$log" --port "$board" --count 2 >> "$dir/other.csv" 2> "$dir/other.err"
code=$?
[ "$code" -eq 1 ] && [ "$(cat "$dir/other.csv")" = "name,score" ] ||
    fail ">> another program's file: exit status $code, now:$(echo; cat "$dir/other.csv")"

timeout 30 "$log" --port "$board" > /dev/full 2> "$dir/full.err"
code=$?
[ "$code" -eq 1 ] || fail "> /dev/full: exit status $code"
[ "$(wc -l < "$dir/full.err")" -eq 1 ] &&
    grep -qx "joystick-log: Not recording: cannot record to standard output: .\+" "$dir/full.err" ||
    fail "> /dev/full: not one line saying why:$(echo; cat "$dir/full.err")"

timeout 30 "$log" --port "$board" 2> "$dir/head.err" | head -n 2 > "$dir/head.csv"
code="${PIPESTATUS[0]}"
[ "$code" -eq 0 ] || fail "| head -2: exit status $code"
[ "$(wc -l < "$dir/head.csv")" -eq 2 ] || fail "| head -2: not two lines"
grep -vxE "Conectado a COM 1|OK PUERTO 1" "$dir/head.err" && fail "| head -2: more than the status on standard error"

# A second logger on the port the first one holds names the holder when it
# gives up. waits_for FILE TEXT: whether TEXT shows up in FILE within ten
# seconds.
waits_for() {
    for _ in $(seq 1 100); do
        grep -qF "$2" "$1" && return 0
        sleep 0.1
    done
    return 1
}
"$log" --port "$board" > /dev/null 2> "$dir/holder.err" &
holder=$!
waits_for "$dir/holder.err" "OK PUERTO 1" || fail "the first logger did not find the board"
# Its --wait outlasts the wait on COM1, where a search of COM 1 to 7 would
# go on: with one --port there is no other port to try or to report.
timeout 30 "$log" --port "$board" --wait 3 > /dev/null 2> "$dir/second.err"
code=$?
[ "$code" -eq 1 ] &&
    [ "$(tail -n 1 "$dir/second.err")" = "joystick-log: no board answered within 3 s: COM1 ($board): busy, held by joystick-log (process $holder)" ] ||
    fail "a port held by another logger: exit status $code, the holder not named:$(echo; cat "$dir/second.err")"
grep -E 'COM ?[2-7]' "$dir/second.err" && fail "one --port: ports past COM1 reported"
kill "$holder"
wait "$holder"

kill %1
wait %1 2> /dev/null
start_board "$sim" --rate 1000 --no-answer
for signal in INT TERM; do
    "$log" --port "$board" > "$dir/$signal.csv" 2> /dev/null &
    logger=$!
    for _ in $(seq 1 300); do
        [ "$(wc -l < "$dir/$signal.csv")" -ge 200 ] && break
        sleep 0.1
    done
    kill -s "$signal" "$logger"
    for _ in $(seq 1 200); do
        kill -0 "$logger" 2> /dev/null || break
        sleep 0.1
    done
    kill -9 "$logger" 2> /dev/null
    wait "$logger"
    code=$?
    [ "$code" -eq 0 ] || fail "SIG$signal: exit status $code"
    [ "$(wc -l < "$dir/$signal.csv")" -ge 200 ] || fail "SIG$signal: hardly any row before the signal"
    whole_rows "$dir/$signal.csv" ||
        fail "SIG$signal: not only whole rows:$(echo; tail -n 3 "$dir/$signal.csv" | cat -A)"
done

[ "$status" -eq 0 ] && echo "header and whole rows; ended with status 0 after --count, a closed output and signals"
exit "$status"
