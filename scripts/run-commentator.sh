#!/usr/bin/env bash
# Sets everything up, then runs Hlasvel, the commentator, against the results-program double:
# in a scratch folder the double writes Hlasvel.inf and a sample race's competitor export, then
# appends the race's punches to its Cil and Dis exports; Hlasvel takes the race from
# Hlasvel.inf, loads the competitors and shows each punch in its event grid. Without a display
# Hlasvel runs offscreen. Its category windows rotate through a row of three tiles. At the end
# the script prints what the grid showed, keeps screenshots of the main window and of the shown
# category windows, and says where the settings went.
#
#   scripts/run-commentator.sh [--duration SECONDS]
#
# --duration: how long Hlasvel runs (default 30); 0 runs until the window is closed or Ctrl+C.
# The scratch folder is $DEMO_DIR, else /tmp/hlasvel-demo-$USER (under $TMPDIR if set).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/demo-lib.sh
demo_options run-commentator.sh 30 "$@"
demo_build
hlasvel=$root/$build_dir/commentator/hlasvel
double=$root/$build_dir/tools/ravlin/ravlinkoment
demo_require "$hlasvel" "$double"

demo_folder hlasvel-demo Hlasvel.ini "; scratch folder of scripts/run-commentator.sh"

demo_display "No display: Hlasvel runs offscreen (no window to see; the summary follows)."

# A copy of the program in the scratch folder: its race data (Data_Kom) goes beside it.
rm -rf "$demo/bin" "$demo/ravlin"
mkdir -p "$demo/bin" "$demo/ravlin"
cp "$hlasvel" "$demo/bin/"
[ -f "$(dirname "$hlasvel")/pip.wav" ] && cp "$(dirname "$hlasvel")/pip.wav" "$demo/bin/"
{
    echo "$marker"
    printf '[Ravlin]\nPodleRavlin=1\nPathRavlin=%s\n' "$demo/ravlin"
    printf '[Nastaveni]\nBarvy=1\n'
    # The category windows rotate every 3 seconds through a row of three tiles.
    printf '[fQZ_Mez]\nIntervalDivak=3\nPocetRadDivak=1\nPocetSloupcuDivak=3\n'
} | sed 's/$/\r/' >"$demo/Hlasvel.ini"
# Both categories of the sample race (race 7) take part in the rotation.
mkdir -p "$demo/bin/Data_Kom/Z0007"
printf '[MEZ_H21]\n-1=1\n[MEZ_D21]\n-1=1\n' | sed 's/$/\r/' >"$demo/bin/Data_Kom/Z0007/Kateg.ini"

hv_pid=""
rv_pid=""
demo_pids=(hv_pid rv_pid)
demo_traps

echo "Scratch folder: $demo"
"$double" --dir "$demo/ravlin" --interval 700 >"$demo/ravlinkoment.log" 2>&1 &
rv_pid=$!
pause 1
state=$demo/hlasvel.state
shot=$demo/hlasvel.png
# Screenshots of an earlier run would be listed as this run's.
rm -f "$state" "$shot" "$demo"/hlasvel-*.png
(cd "$demo" && HLASVEL_STATE_FILE=$state HLASVEL_SCREENSHOT=$shot exec "$demo/bin/hlasvel") \
    >"$demo/hlasvel.log" 2>&1 &
hv_pid=$!

started=$SECONDS
while [ "$stop" = 0 ] && kill -0 "$hv_pid" 2>/dev/null; do
    if [ "$duration" -gt 0 ] && [ $((SECONDS - started)) -ge "$duration" ]; then
        break
    fi
    pause 5
    rows=$(sed -n 's/^Rows=//p' "$state" 2>/dev/null || true)
    echo "  $((SECONDS - started)) s: $(tail -n 1 "$demo/ravlinkoment.log" 2>/dev/null); grid rows: ${rows:-?}"
done

hv_status=0
if kill -0 "$hv_pid" 2>/dev/null; then
    kill -USR1 "$hv_pid" # the screenshot
    pause 1
    kill -TERM "$hv_pid" # closes like the window's close button: settings are stored
fi
wait "$hv_pid" || hv_status=$?
hv_pid=""
kill "$rv_pid" 2>/dev/null || true
wait "$rv_pid" 2>/dev/null || true
rv_pid=""

echo
echo "Caption: $(sed -n 's/^Caption=//p' "$state" 2>/dev/null)"
echo "Competitors loaded: $(sed -n 's/^Competitors=//p' "$state" 2>/dev/null)"
echo "Category windows open at the end: $(sed -n 's/^Windows=//p' "$state" 2>/dev/null)"
echo "Newest events in the grid (category | point | name | bib | club | places and times):"
grep '^Row[0-9]*=' "$state" 2>/dev/null | head -n 8 | sed 's/^Row[0-9]*=/  /'
[ -f "$shot" ] && echo "Screenshot: $shot"
for f in "$demo"/hlasvel-*.png; do
    [ -f "$f" ] && echo "Screenshot: $f"
done
echo "Settings stored at close: $demo/Hlasvel.ini"
echo "Race data: $demo/bin/Data_Kom"
echo "Logs: $demo/hlasvel.log, $demo/ravlinkoment.log"
if [ "$hv_status" -ne 0 ]; then
    echo "run-commentator.sh: Hlasvel ended with status $hv_status (see $demo/hlasvel.log)" >&2
    exit 1
fi
