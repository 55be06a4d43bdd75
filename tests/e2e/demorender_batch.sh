#!/usr/bin/env bash
# demorender is a batch tool: a failed assertion reports and carries on, even when it was started
# from a terminal (where the player would pause for Enter). Here its terminal is a pseudo-terminal
# whose input never ends, and a shader file is a directory, which asserts while loading.
source "$(dirname "$0")/lib.sh"
RENDERER=${RENDERER:?RENDERER must name the demorender binary}

cp "$RENDERER" "$ROOT/bin/demorender"
rm -f "$ROOT/data/shaders/debugcol.frag"
mkdir -p "$ROOT/data/shaders/debugcol.frag"

exec 3< <(sleep 300) # an input that stays open and silent
keeper=$!
(cd "$ROOT" && setsid timeout -s KILL 60 script -qec "bin/demorender --time 1000 --out frame.png" \
    /dev/null <&3 >"$ROOT/log.txt" 2>&1)
code=$?
kill "$keeper" 2>/dev/null
exec 3<&-

check "ends by itself with exit 0 (got $code)" [ "$code" -eq 0 ]
check "the assertion is reported" grep -qF '## ASSERT FAILED: "wtf"' "$ROOT/log.txt"
check "it never asks for Enter" bash -c "! grep -q 'Press Enter' '$ROOT/log.txt'"
check "the frame is written" [ -s "$ROOT/frame.png" ]
((failures)) && cat "$ROOT/log.txt"

# Ctrl+C ends a long run. SDL would turn it into a quit event, which a batch renderer never
# reads: a whole-demo report would run on for half an hour.
rm -rf "$ROOT/data/shaders/debugcol.frag"
(cd "$ROOT" && exec setsid bin/demorender --profile --from 0 --to 600000 >"$ROOT/long.txt" 2>&1) &
long=$!
for _ in $(seq 50); do grep -q "frames\|compiled" "$ROOT/long.txt" 2>/dev/null && break; sleep 0.2; done
sleep 1
kill -INT "$long" 2>/dev/null
for _ in $(seq 100); do kill -0 "$long" 2>/dev/null || break; sleep 0.2; done
check "Ctrl+C ends a long run within 20 s" bash -c "! kill -0 $long 2>/dev/null"
kill -KILL -- "-$long" 2>/dev/null
wait "$long" 2>/dev/null
finish
