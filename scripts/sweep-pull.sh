#!/usr/bin/env bash
# Run by hand: does a card pulled during its readout cost the next runner his card, or its own
# data? Cardvane reads from several station simulators at once. On each, an SIAC goes in and is
# pulled t ms later, t stepped across the whole readout; an SI8 follows 1.5 s after the pull
# and stays in for 1.8 s. At the end it counts, from the simulators' logs and the chip data
# files:
#   - follow-up cards missed: SI8s the station never saw acknowledged (must be 0);
#   - whole cards dropped: pulled SIACs whose every block the station had sent before the card
#     left, yet which are in no chip data file as a whole card (must be 0);
#   - torn cards: records in the chip data files that do not make up a whole card (must be 0).
# It fails unless all three are 0.
#
#   scripts/sweep-pull.sh [--stations N] [--step MS] [--span MS] [--info]
#
# --stations: simulators read at once, 1 to 18 (default 6); --step: between two pull times
# (default 10); --span: the last pull time (default 1000); --info: the ports' info windows
# shown, which slows every read as on a race day where the raw data is watched. The folder
# (settings, chip data files, logs) is $DEMO_DIR, else $TMPDIR/cardvane-sweep-<user>, /tmp
# when TMPDIR is not set; its chip data files and logs are replaced at each run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/demo-lib.sh
demo_name=sweep-pull.sh
demo_usage_lines=2,20
stations=6
step=10
span=1000
info=0
number() { [[ ${2:-} =~ ^[0-9]+$ ]] || { echo "$demo_name: $1 takes a number" >&2; exit 2; }; }
while (($#)); do
    case "$1" in
    --stations) number "$1" "${2:-}"; stations=$2; shift 2 ;;
    --step) number "$1" "${2:-}"; step=$2; shift 2 ;;
    --span) number "$1" "${2:-}"; span=$2; shift 2 ;;
    --info) info=1; shift ;;
    -h | --help) usage; exit 0 ;;
    *) echo "$demo_name: unknown option $1" >&2; usage >&2; exit 2 ;;
    esac
done
if [ "$stations" -lt 1 ] || [ "$stations" -gt 18 ] || [ "$step" -lt 1 ]; then
    echo "$demo_name: 1 to 18 stations, a step of at least 1 ms" >&2
    exit 2
fi

demo_build
cardvane=$root/$build_dir/reader/cardvane
sisim=$root/$build_dir/tools/sisim/sisim
demo_require "$cardvane" "$sisim"
demo_folder /tmp/cardvane-sweep QZ_SI.ini "; scratch folder of scripts/sweep-pull.sh"
demo_display ""
rm -f "$demo"/C*_0001.si1 "$demo"/sim*.log "$demo"/sim*.out "$demo"/sim*.txt

cv_pid=""
sim_pids=()
stop_all() {
    [ -z "$cv_pid" ] || kill "$cv_pid" 2>/dev/null || true
    local p
    for p in "${sim_pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap stop_all EXIT
stop=0
trap 'stop=1' INT TERM

# Each simulator's script: Cardvane starts and probes the stations first, then pull after pull.
start_wait=$((3000 + stations * 300))
pulls=0
for ((k = 1; k <= stations; k++)); do
    {
        echo "wait $start_wait"
        for ((t = (k - 1) * step; t <= span; t += stations * step)); do
            id=$((t / step + 1))
            echo "insert siac $((8000000 + id))"
            echo "wait $t"
            echo "remove"
            echo "wait 1500"
            echo "insert si8 $((2000000 + id))"
            echo "wait 1800"
            echo "remove"
            echo "wait 700"
            pulls=$((pulls + 1))
        done
        echo "wait 500"
        echo "quit"
    } >"$demo/sim$k.txt"
done

# The simulators' clocks start now; Cardvane must have its ports open within start_wait.
ptys=()
for ((k = 1; k <= stations; k++)); do
    "$sisim" --script "$demo/sim$k.txt" >"$demo/sim$k.out" 2>"$demo/sim$k.log" &
    sim_pids+=($!)
done
for ((k = 1; k <= stations; k++)); do
    ptys+=("$(demo_sisim_pty "$demo/sim$k.out" "simulator $k")")
done
{
    echo "$marker"
    printf '[fQZ_SI]\nZavod=1\nEtapa=1\nPodleRavlin=0\n'
    for ((k = 1; k <= stations; k++)); do
        printf '[COM%d]\nZarizeni=%s\nRezim=1\nInfoOkno=%d\nPath=%s\n' "$k" "${ptys[k - 1]}" \
            "$info" "$demo"
    done
    echo "[DisableCOM]"
    for ((k = 1; k <= 18; k++)); do echo "COM$k=$((k > stations ? 1 : 0))"; done
} | sed 's/$/\r/' >"$demo/QZ_SI.ini"

echo "$stations simulators, $pulls pulls from 0 to $span ms in steps of $step ms" \
    "(info windows $([ "$info" = 1 ] && echo on || echo off)); folder $demo"
(cd "$demo" && exec "$cardvane") >"$demo/cardvane.log" 2>&1 &
cv_pid=$!
for p in "${sim_pids[@]}"; do
    while [ "$stop" = 0 ] && kill -0 "$p" 2>/dev/null; do sleep 1; done
done
kill -TERM "$cv_pid" 2>/dev/null || true
wait "$cv_pid" || true
cv_pid=""
[ "$stop" = 0 ] || { echo "$demo_name: stopped" >&2; exit 1; }

count() { cat "$demo"/sim*.log | grep -c -- "$1" || true; }
followups=$(count 'card SI8 [0-9]* removed')
missed=$(count 'card SI8 [0-9]* removed; acknowledged: no')
pulled_read=$(count 'card SI10/SI11/SIAC [0-9]* removed; acknowledged: yes')

# Records of one card follow each other with block indices 1, 2, ...: 4 for an SIAC (format
# 10), 2 for an SI8 (format 8). Prints "S <number>" for each whole SIAC, then the totals.
whole=$(for f in "$demo"/C*_0001.si1; do
    [ -f "$f" ] && od -An -v -tu1 -w154 "$f"
done | awk '
    function close_card() {
        if (n == 0) return
        want = fmt == 10 ? 4 : fmt == 8 ? 2 : 0
        if (n == want) { whole[fmt]++; if (fmt == 10) print "S", card } else partial++
        n = 0
    }
    {
        num = 0
        for (i = 13; i < 13 + $12; i++) if ($i >= 48 && $i <= 57) num = num * 10 + $i - 48
        f = $21 + 256 * $22; b = $23 + 256 * $24
        if (b == 1) { close_card(); card = num; fmt = f; n = 1 }
        else if (n > 0 && num == card && b == n + 1) n++
        else { close_card(); partial++ }
    }
    END { close_card(); printf "T %d %d %d\n", whole[10], whole[8], partial }')
read -r _ siac_whole si8_whole partial <<<"$(grep '^T' <<<"$whole")"

# The SIACs whose last block (6, the last the port asks for) the station sent while the card
# was in: all their data reached Cardvane, so each must be in a chip data file.
sent_whole=$(for f in "$demo"/sim*.log; do
    awk '/ card SI10\/SI11\/SIAC [0-9]+ inserted/ { cur = $(NF - 1) }
         / card .* removed/ { cur = "" }
         / tx block 6:/ && cur != "" { print cur; cur = "" }' "$f"
done | sort -u)
sent_count=$(grep -c . <<<"$sent_whole" || true)
dropped=$(comm -23 <(echo "$sent_whole" | grep . || true) \
    <(grep '^S' <<<"$whole" | cut -d' ' -f2 | sort -u) | grep -c . || true)

echo "Pulled SIACs: $pulls; acknowledged before they left: $pulled_read"
echo "  every block sent before the card left: $sent_count (each is read whole, acknowledged" \
    "or not); whole cards dropped (in no chip data file): $dropped"
echo "Follow-up SI8s: $followups; missed (never acknowledged by Cardvane): $missed"
echo "Chip data files: $siac_whole whole SIACs, $si8_whole whole SI8s, $partial torn cards" \
    "(records that make up no whole card)"
echo "Logs: $demo/cardvane.log, $demo/sim<n>.log"
if [ "$missed" -ne 0 ] || [ "$partial" -ne 0 ] || [ "$dropped" -ne 0 ] ||
    [ "$followups" -ne "$pulls" ]; then
    echo "$demo_name: follow-up cards missed, whole cards dropped or torn cards in the files" >&2
    exit 1
fi
