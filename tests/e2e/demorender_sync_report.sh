#!/usr/bin/env bash
# demorender --sync-report over a second around the march scene's start: the table with a row
# per scene drawn, each scene's profile line, kick and snare hits from an onset list, and the
# plot as a PNG. Its option mistakes are refused with the usage, a bad onset list by name.
source "$(dirname "$0")/lib.sh"
RENDERER=${RENDERER:?RENDERER must name the demorender binary}
cp "$RENDERER" "$ROOT/bin/demorender"
OUT_TXT="$ROOT/report.txt"
printf 'kick 145400\nkick 145862\nsnare 146069\n' >"$ROOT/onsets.txt"

# Bar 88 (145655 ms) starts march_scene: 4 frames of randomwalk_scene before it, 7 of it.
(cd "$ROOT" && setsid timeout -s KILL 120 bin/demorender --sync-report --from 145300 --to 146300 \
    --fps 10 --onsets onsets.txt --sync-plot plot.png >"$OUT_TXT" 2>"$ROOT/report_err.txt")
code=$?
check "exit code 0 (got $code)" [ "$code" -eq 0 ]
check "the heading names range, frames and bins" grep -qE \
    '^sync report: 145300\.\.146300 ms, 11 frames at 100\.0 ms steps; a beat is 413\.79 ms, 5 bins' \
    "$OUT_TXT"
check "the table's heading" grep -qE '^scene +frames +peak bin +peak/median +kick hit +snare hit +mean luma$' \
    "$OUT_TXT"
ratio='([0-9]+\.[0-9]{2}|inf|-)'
hits='([0-9]+\.[0-9]% of [0-9]+|-)'
if [[ -n "$(ls "$ROOT"/bin/render*.so 2>/dev/null)" ]]; then
    check "a row for randomwalk_scene" grep -qE \
        "^randomwalk_scene +4 +[0-9]+-[0-9]+ ms +$ratio +$hits +$hits +[0-9]+\.[0-9]$" "$OUT_TXT"
    check "a row for march_scene, its kick and snare counted" grep -qE \
        "^march_scene +7 +[0-9]+-[0-9]+ ms +$ratio +[0-9.]+% of 1 +[0-9.]+% of 1 +[0-9]+\.[0-9]$" \
        "$OUT_TXT"
    check "march_scene's profile: 5 bins" grep -qE \
        "^march_scene( +([0-9]+\.[0-9]{2}|-)){5}$" "$OUT_TXT"
fi
check "the plot is a PNG" bash -c "head -c 8 '$ROOT/plot.png' | od -An -c | grep -q 'P   N   G'"
check "no frames written" [ ! -e "$ROOT/frames" ]

printf 'kick 1000\nkick -5\n' >"$ROOT/bad_onsets.txt"
(cd "$ROOT" && timeout 60 bin/demorender --sync-report --from 0 --to 0 --onsets bad_onsets.txt \
    >/dev/null 2>"$ROOT/bad.txt")
code=$?
check "a bad onset list: exit 1 (got $code)" [ "$code" -eq 1 ]
check "  naming the file and line" grep -qE "bad_onsets\.txt:2:" "$ROOT/bad.txt"

refused "demorender --sync-report" "--sync-report --time 1000" "--sync-report --from 5" "--sync-report --profile" \
    "--sync-report --out x" "--onsets x.txt --from 0 --to 5" "--sync-plot x.png --time 5"
((failures)) && cat "$OUT_TXT" "$ROOT/report_err.txt"
finish
