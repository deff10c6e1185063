#!/usr/bin/env bash
# Sets everything up, then runs the kiosk: Pultra with the results program's double (ravlinsam)
# writing a sample race into a Ravlin folder and answering requests, and the SI station
# simulator on a pseudo-terminal mapped to Pultra's COM1, all in a scratch folder. Cards of
# runners of the race go in one after another; each shows its runner's start list (or result)
# with his row highlighted, and the script prints what the kiosk shows. Then it presses LOGIN,
# a card logs its runner in, and LOGOUT logs him out. Without a display Pultra runs offscreen.
# At the end it prints the kiosk's log lines and files.
#
#   scripts/run-kiosk.sh [--duration SECONDS]
#
# --duration: how long the cards keep coming (default 30); 0 runs until Pultra is closed
# (click the clock, type 4830, OK, then QUIT) or Ctrl+C. The folder is $DEMO_DIR, else
# /tmp/pultra-demo-$USER (under $TMPDIR if set).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/demo-lib.sh
demo_options run-kiosk.sh 30 "$@"
demo_build
pultra=$root/$build_dir/selfservice/pultra
sisim=$root/$build_dir/tools/sisim/sisim
ravlinsam=$root/$build_dir/tools/ravlin/ravlinsam
demo_require "$pultra" "$sisim" "$ravlinsam"

demo_folder pultra-demo Pultra.ini "; scratch kiosk folder of scripts/run-kiosk.sh"

demo_display "No display: Pultra runs offscreen (no window to see; what it shows is printed)."

sim_pid=""
rv_pid=""
pu_pid=""
demo_pids=(pu_pid rv_pid sim_pid)
demo_scratch=("$demo/.sisim-commands" "$demo/.click")
demo_traps pipe

# The results program's double: Pultra.inf and the sample race's exports, then the answers.
ravlin=$demo/ravlin
"$ravlinsam" --dir "$ravlin" >"$demo/ravlinsam.log" 2>&1 &
rv_pid=$!
export_file=$ravlin/Z0007/SAM/Zavodnik.csv
for _ in $(seq 50); do
    [ -s "$export_file" ] && break
    sleep 0.1
done
[ -s "$export_file" ] || { echo "run-kiosk.sh: the double wrote no export (see $demo/ravlinsam.log)" >&2; exit 1; }

demo_start_sisim

# Only COM1 is made and probed: it is the simulator.
{
    echo "$marker"
    printf '[Pultra_Main]\nRavlinPath=%s\nCOM=1\n[COM1]\nZarizeni=%s\n' "$ravlin" "$pty"
    printf '[Param]\nLogovat=1\n'
} | sed 's/$/\r/' >"$demo/Pultra.ini"

# Cards of the race: runners that are entered (state 0) or finished (1), from the export.
mapfile -t cards < <(iconv -f CP1250 -t UTF-8 "$export_file" | tr -d '\r' |
    awk -F';' '!/^#/ && ($9 == 0 || $9 == 1) && $4 > 0 && $4 < 16777216 { print $4 ";" $3 }' | head -n 12)

state=$demo/pultra.state
rm -f "$state"
# The logs are appended to: only what this run adds is shown at the end.
declare -A log_start
for log in Protokol.txt Ladeni.txt; do
    log_start[$log]=$(stat -c %s "$demo/$log" 2>/dev/null || echo 0)
done
echo "Kiosk folder: $demo"
echo "Results program's folder (the double): $ravlin"
echo "Station simulator on $pty, mapped to COM1 in $demo/Pultra.ini"
click=$demo/.click
(cd "$demo" && PULTRA_STATE_FILE=$state PULTRA_CLICK_FILE=$click exec "$pultra") >"$demo/pultra.log" 2>&1 &
pu_pid=$!

value() { sed -n "s/^$1=//p" "$state" 2>/dev/null | head -n 1; }
# The kiosk has read the race once its state shows runners and COM1's station.
for _ in $(seq 100); do
    [ "$(value zavodniku)" != "" ] && [ "$(value zavodniku)" != 0 ] &&
        [ "$(value COM1.visible)" = 1 ] && break
    kill -0 "$pu_pid" 2>/dev/null || break
    sleep 0.1
done
echo "Pultra shows: $(value nazev); buttons (tags) $(value tlacitka); $(value zavodniku) entries"

started=$SECONDS
inserted=0
while [ "$stop" = 0 ] && kill -0 "$pu_pid" 2>/dev/null && [ "${#cards[@]}" -gt 0 ]; do
    if [ "$duration" -gt 0 ] && [ $((SECONDS - started)) -ge "$duration" ]; then
        break
    fi
    card=${cards[$((inserted % ${#cards[@]}))]}
    number=${card%%;*}
    send "insert si6 $number"
    inserted=$((inserted + 1))
    pause 2
    send "remove"
    echo "  card $inserted: SI $number (${card#*;})  ->  $(value nadpis) | row: $(value zvyraznenyRadek)"
    [ "$stop" = 0 ] && pause 1
done

# LOGIN as a user presses it (the program hook clicks the button), then a card, then LOGOUT.
press() { echo "$1" >"$click" && kill -USR2 "$pu_pid" 2>/dev/null || true; }
wait_for() {
    for _ in $(seq 50); do
        [ "$(value "$1")" = "$2" ] && return 0
        kill -0 "$pu_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
if [ "$stop" = 0 ] && kill -0 "$pu_pid" 2>/dev/null && [ "${#cards[@]}" -gt 0 ]; then
    number=${cards[0]%%;*}
    press btn1
    if wait_for vybrany 1; then
        echo "LOGIN pressed: the chip prompt waits; card SI $number goes in"
        send "insert si6 $number"
        if wait_for uroven 20; then
            echo "  logged in: $(value login | sed 's/\\n/ - /g')"
        else
            echo "  the card did not log in (see $demo/pultra.log)"
        fi
        send "remove"
        pause 1
        press btn1
        wait_for uroven 10 && echo "LOGOUT pressed: $(value login | sed 's/\\n/ /g')"
    fi
fi

pu_status=0
if kill -0 "$pu_pid" 2>/dev/null; then
    kill -TERM "$pu_pid" # closes without the password and stores the placement
fi
wait "$pu_pid" || pu_status=$?
pu_pid=""

echo
echo "Card-number files (emptied once taken):"
for f in "$demo"/Data_Sam/*; do
    [ -e "$f" ] && echo "  $f: $(stat -c %s "$f") bytes"
done
for log in Protokol.txt Ladeni.txt; do
    lines=$(tail -c +$((${log_start[$log]} + 1)) "$demo/$log" 2>/dev/null |
        iconv -f CP1250 -t UTF-8 | tr -d '\r' | tail -n 8)
    if [ -n "$lines" ]; then
        echo "Last log lines of this run ($demo/$log):"
        echo "$lines" | sed 's/^/  /'
    fi
done
echo "Settings: $demo/Pultra.ini; Ravlin's side: $ravlin/Pultra.inf, $ravlin/Z0007/SAM/"
echo "Logs: $demo/pultra.log, $demo/sisim.log, $demo/ravlinsam.log"
echo "To leave the kiosk on a screen: click the clock, type 4830 and OK, then QUIT; or Ctrl+C here."
if [ "$pu_status" -ne 0 ]; then
    echo "run-kiosk.sh: Pultra ended with status $pu_status (see $demo/pultra.log)" >&2
    exit 1
fi
