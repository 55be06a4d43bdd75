#!/usr/bin/env bash
# demorender --profile over a few frames around the march scene's start: one row per scene
# drawn and one for the whole frame, with numbers in every column, and the render speed; then
# every scene over a few frames, none of which allocates after the scene's first. Its option
# mistakes are refused with the usage.
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

# No frame after a scene's first allocates. Four short runs, each across the cut between two
# scenes (bar b starts at b * 240000 / 145 ms), cover all seven scenes with three frames or
# more each at 2 fps. A scene's first frame may allocate (its warm-up: shaders built on first
# use, targets made, tracks read for the first time); no later frame of it may, and no frame
# of the whole run allocates outside a scene's first frame.
if [[ -n "$(ls "$ROOT"/bin/render*.so 2>/dev/null)" ]]; then
    # from to scenes: cylinders | vollight (bar 16), expl | borksphere (bar 48),
    # tunnel | randomwalk (bar 72), march | borksphere again (bar 104)
    for span in "25000 28000 2" "78000 81000 2" "117500 120500 2" "170500 173500 2"; do
        read -r from to scenes <<<"$span"
        out="$ROOT/alloc_$from.txt"
        (cd "$ROOT" && setsid timeout -s KILL 120 bin/demorender --profile --from "$from" \
            --to "$to" --fps 2 >"$out" 2>"$ROOT/alloc_err_$from.txt")
        code=$?
        check "$from..$to: exit code 0 (got $code)" [ "$code" -eq 0 ]
        # Rows: name frames 3 CPU 3 GPU allocations in-frames; "(whole frame)" is two words.
        rows=$(awk '$1 ~ /_(scene|scn)$/' "$out")
        check "$from..$to: $scenes scene rows" [ "$(grep -c . <<<"$rows")" -eq "$scenes" ]
        while read -r name frames rest; do
            [[ -n "$name" ]] || continue
            in_frames=${rest##* }
            check "$from..$to: $name drawn 3 times or more (got $frames)" [ "$frames" -ge 3 ]
            check "$from..$to: $name allocates in its first frame only (in $in_frames frames)" \
                [ "$in_frames" -le 1 ]
        done <<<"$rows"
        whole=$(awk '$1 == "(whole" && $2 == "frame)" {print $NF}' "$out")
        check "$from..$to: whole frames allocate only as a scene's first ($whole frames)" \
            [ "${whole:-99}" -le "$scenes" ]
        check "$from..$to: C allocations counted" grep -q '^(allocations: operator new and C malloc' "$out"
        ((failures)) && cat "$out" && break
    done
fi

refused "demorender --profile" "--profile --time 1000" "--profile --from 5" "--profile --from 9 --to 5" \
    "--profile --out x" "--profile --video x.mp4 --from 0 --to 5"
((failures)) && cat "$OUT_TXT" "$ROOT/profile_err.txt"
finish
