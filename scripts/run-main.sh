#!/usr/bin/env bash
# Sets everything up, then runs the main job: Cardvane reading chips from the SI station
# simulator. The simulator sits on a pseudo-terminal that Cardvane's COM1 is mapped to, in a
# scratch event folder; a card goes in every few seconds and Cardvane appends its memory to the
# chip data file. Without a display Cardvane runs offscreen. At the end it says where the data
# went and what the file holds.
#
#   scripts/run-main.sh [--duration SECONDS]
#
# --duration: how long the cards keep coming (default 30); 0 runs until the window is closed
# or Ctrl+C. The event folder is $DEMO_DIR, else /tmp/cardvane-demo-$USER (under $TMPDIR if set).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/demo-lib.sh
demo_options run-main.sh 30 "$@"
demo_build
cardvane=$root/$build_dir/reader/cardvane
sisim=$root/$build_dir/tools/sisim/sisim
demo_require "$cardvane" "$sisim"

demo_folder cardvane-demo QZ_SI.ini "; scratch event folder of scripts/run-main.sh"

demo_display "No display: Cardvane runs offscreen (no window to see; the summary follows)."

sim_pid=""
cv_pid=""
demo_pids=(cv_pid sim_pid)
demo_scratch=("$demo/.sisim-commands")
demo_traps pipe

demo_start_sisim

# COM1 is the simulator; COM2..COM9 are left alone so no real device is probed.
{
    echo "$marker"
    printf '[fQZ_SI]\nZavod=1\nEtapa=1\nPodleRavlin=0\n'
    printf '[COM1]\nZarizeni=%s\nRezim=1\nPath=%s\n' "$pty" "$demo"
    printf '[DisableCOM]\nCOM1=0\n'
    for n in 2 3 4 5 6 7 8 9; do echo "COM$n=1"; done
} | sed 's/$/\r/' >"$demo/QZ_SI.ini"

chips=$demo/C1_0001.si1
record=154
records() { local n; n=$(stat -c %s "$chips" 2>/dev/null || echo 0); echo $((n / record)); }
before=$(records)

echo "Event folder: $demo"
echo "Station simulator on $pty, mapped to COM1 in $demo/QZ_SI.ini"
(cd "$demo" && exec "$cardvane") >"$demo/cardvane.log" 2>&1 &
cv_pid=$!

cards=(si10:7123456 si5:412345 si8:2012345 siac:8123456 si6:1234567 si9:1123456 pcard:4123456
    si11:9123456)
started=$SECONDS
inserted=0
# Start-up probes the station first.
pause 3
while [ "$stop" = 0 ] && kill -0 "$cv_pid" 2>/dev/null; do
    if [ "$duration" -gt 0 ] && [ $((SECONDS - started)) -ge "$duration" ]; then
        break
    fi
    card=${cards[$((inserted % ${#cards[@]}))]}
    kind=${card%%:*}
    number=$((${card#*:} + inserted / ${#cards[@]}))
    send "insert $kind $number"
    inserted=$((inserted + 1))
    pause 2
    send "remove"
    echo "  card $inserted: ${kind^^} $number  ->  $(basename "$chips"): $(records) records"
    [ "$stop" = 0 ] && pause 1
done

cv_status=0
if kill -0 "$cv_pid" 2>/dev/null; then
    kill -TERM "$cv_pid" # closes like the window's close button: settings are stored
fi
wait "$cv_pid" || cv_status=$?
cv_pid=""
after=$(records)

echo
echo "Chip data file: $chips"
echo "  $after records of $record bytes ($((after - before)) added in this run; cards inserted: $inserted)"
if [ "$after" -gt 0 ]; then
    echo "  last cards read (card number of each card's first block):"
    shown=0
    for ((i = after - 1; i >= 0 && shown < 5; i--)); do
        block=$(od -An -tu2 -j $((i * record + 22)) -N 2 "$chips" | tr -d ' ')
        if [ "$block" = 1 ]; then
            number=$(dd if="$chips" bs=1 skip=$((i * record + 12)) count=8 2>/dev/null | tr -d ' \0')
            echo "    $number"
            shown=$((shown + 1))
        fi
    done
fi
echo "Settings stored at close: $demo/QZ_SI.ini"
echo "Logs: $demo/cardvane.log, $demo/sisim.log"
if [ "$cv_status" -ne 0 ]; then
    echo "run-main.sh: Cardvane ended with status $cv_status (see $demo/cardvane.log)" >&2
    exit 1
fi
if [ "$inserted" -gt 0 ] && [ "$after" -le "$before" ]; then
    echo "run-main.sh: no card was read (see the logs)" >&2
    exit 1
fi
