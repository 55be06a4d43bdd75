#!/usr/bin/env bash
# demorender --profile over a few frames around the march scene's start: one row per scene
# drawn and one for the whole frame, with numbers in every column, and the render speed. Its
# option mistakes are refused with the usage.
source "$(dirname "$0")/lib.sh"
RENDERER=${RENDERER:?RENDERER must name the demorender binary}
cp "$RENDERER" "$ROOT/bin/demorender"
OUT_TXT="$ROOT/profile.txt"

# 145000 ms is before bar 88, where march_scene begins: 2 frames without it, 3 with it.
(cd "$ROOT" && setsid timeout -s KILL 120 bin/demorender --profile --from 145000 --to 147000 --fps 2 \
    >"$OUT_TXT" 2>"$ROOT/profile_err.txt")
code=$?
num='[0-9]+\.[0-9]{2}'
check "exit code 0 (got $code)" [ "$code" -eq 0 ]
check "the heading names range, rate and frames" \
    grep -qE '^demorender: profile of 145000\.\.147000 ms at 2 fps, 5 frames, on .+' "$OUT_TXT"
if [[ -n "$(ls "$ROOT"/bin/render*.so 2>/dev/null)" ]]; then
    check "a row for the scene: 3 frames, CPU, GPU, allocations" grep -qE \
        "^march_scene +3 +$num +$num +$num +($num +$num +$num|- +- +-) +[0-9]+ +[0-3]$" "$OUT_TXT"
fi
check "a row for the whole frame: every frame" \
    grep -qE "^\(whole frame\) +5 +$num +$num +$num +" "$OUT_TXT"
check "the render speed" \
    grep -qE '^render speed: 2\.5 demo s in [0-9.]+ s = [0-9.]+ demo seconds per second$' "$OUT_TXT"
check "no frames written" [ ! -e "$ROOT/frames" ]

refused "demorender --profile" "--profile --time 1000" "--profile --from 5" "--profile --from 9 --to 5" \
    "--profile --out x" "--profile --video x.mp4 --from 0 --to 5"
((failures)) && cat "$OUT_TXT" "$ROOT/profile_err.txt"
finish
