#!/usr/bin/env bash
# Sets everything up, then lets Hlasvel, the commentator, print one file dropped into its print
# folder: in a scratch folder Hlasvel.ini turns printing on and sends print jobs to PDF files
# (DefPrint/SlozkaPdf); a text file with a font tag goes into print/; Hlasvel runs for a few
# seconds (offscreen without a display), prints the file, deletes it and ends. The script shows
# the PDF's text.
#
#   scripts/print-commentator.sh
#
# The scratch folder is $DEMO_DIR, else /tmp/hlasvel-print-$USER (under $TMPDIR if set).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source scripts/demo-lib.sh
demo_name=print-commentator.sh
demo_build
hlasvel=$root/$build_dir/commentator/hlasvel
demo_require "$hlasvel"

demo_folder hlasvel-print Hlasvel.ini "; scratch folder of scripts/print-commentator.sh"
demo_display

rm -rf "$demo/bin" "$demo/print" "$demo/pdf"
mkdir -p "$demo/bin" "$demo/print" "$demo/pdf"
cp "$hlasvel" "$demo/bin/"
{
    echo "$marker"
    printf '[DefPrint]\nTisknout=1\nCyklus=1\nSlozkaPdf=%s\n' "$demo/pdf"
    printf '[Font3]\nSize=20\nStyle=fsBold,\n'
} | sed 's/$/\r/' >"$demo/Hlasvel.ini"
printf 'Results H21\r\n<FONT=3>1. Novak 45:12\r\n<FONT=0>2. Svoboda 46:03\r\n' >"$demo/print/vysledky.txt"

(cd "$demo" && exec "$demo/bin/hlasvel") >"$demo/hlasvel.log" 2>&1 &
hv_pid=$!
trap 'kill "$hv_pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 20); do
    [ -e "$demo/print/vysledky.txt" ] || break
    sleep 1
done
sleep 1
kill -TERM "$hv_pid" 2>/dev/null || true
wait "$hv_pid" || true
trap - EXIT

pdf=$(ls "$demo"/pdf/*.pdf 2>/dev/null | head -n 1 || true)
if [ -z "$pdf" ]; then
    echo "print-commentator.sh: no PDF was printed (see $demo/hlasvel.log)" >&2
    exit 1
fi
echo "Printed: $pdf (the dropped file is $([ -e "$demo/print/vysledky.txt" ] && echo still there || echo deleted))"
pdftotext -layout "$pdf" - | sed '/^\f*$/d; s/^/  /'
