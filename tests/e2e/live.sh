#!/usr/bin/env bash
# demolive under its own Xvfb, driven by keys and read from its status lines: start at a bar,
# seek, loop, pause; a broken timeline keeps the last good picture, a good one changes it; a
# shader edit shows, a broken shader keeps the last good program. Pictures are read back with
# the screenshot key, whose status line carries the frame's mean colour.
source "$(dirname "$0")/lib.sh"
LIVE=${LIVE:?LIVE must name the demolive binary}
TIMELINE=${TIMELINE:?TIMELINE must name the demo timeline}
VERSION=${VERSION:?VERSION must be the project version}

cp "$LIVE" "$ROOT/bin/demolive"
mkdir -p "$ROOT/timeline"
cp "$TIMELINE" "$(dirname "$TIMELINE")/demo.onsets" "$ROOT/timeline/"
TL="$ROOT/timeline/demo.timeline"
LOG="$ROOT/live_out.txt"
SEEN=0 # status lines before this one are already matched
# How long a key's answer may take: it comes with the frame the key lands in, and on a machine
# busy with other tests a frame that first shows a scene or a pass (its programs compiled)
# can take tens of seconds.
STEP=120

# The command line is answered before any window opens: there is no display yet.
cli() { "$ROOT/bin/demolive" "$@" >"$ROOT/cli_out" 2>"$ROOT/cli_err"; CODE=$?; }
cli --help
check "--help: the usage on stdout, exit code 0" \
    [ "$CODE" -eq 0 -a "$(head -c 16 "$ROOT/cli_out")" = "usage: demolive " -a ! -s "$ROOT/cli_err" ]
cli --version
check "--version: demolive $VERSION" [ "$CODE" -eq 0 -a "$(cat "$ROOT/cli_out")" = "demolive $VERSION" ]
cli --start b2 --bogus
check "a wrong option: why and the usage on stderr, exit code 2" \
    [ "$CODE" -eq 2 -a ! -s "$ROOT/cli_out" -a "$(head -n 1 "$ROOT/cli_err")" = "demolive: unknown option --bogus" ]
check "  the usage follows" grep -q '^usage: demolive ' "$ROOT/cli_err"

start_xvfb 1280x720x24
(cd "$ROOT" && exec setsid env SDL_AUDIODRIVER=dummy bin/demolive --start b90 --paused \
    --loop b90 b91 >"$LOG" 2>"$ROOT/live_err.txt") &
APP_PID=$!

# wait_status REGEX SECONDS: the first status line after the last one matched that matches
# REGEX; sets LINE. The limit catches hangs on a loaded machine, it measures nothing.
wait_status() {
    local deadline=$((SECONDS + $2)) n
    while ((SECONDS < deadline)); do
        n=$(RE="$1" awk -v s="$SEEN" 'NR > s && /^live: / && $0 ~ ENVIRON["RE"] { print NR; exit }' \
            "$LOG" 2>/dev/null)
        if [[ -n "$n" ]]; then
            LINE=$(sed -n "${n}p" "$LOG")
            SEEN=$n
            return 0
        fi
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    LINE=
    echo "  (no status line matching: $1)"
    return 1
}
key() { xdotool key "$@"; }
# shot: the next frame's mean colour as "R G B" in MEAN.
shot() {
    key s
    wait_status ' shot .* mean ' $STEP && MEAN=$(sed -E 's/.* mean ([0-9]+ [0-9]+ [0-9]+) .*/\1/' <<<"$LINE")
}
# save_by_rename FILE: the text on standard input replaces FILE the way many editors save.
save_by_rename() { cat >"$1.tmp" && mv "$1.tmp" "$1"; }

check "starts paused at bar 90 with the loop" wait_status \
    '^live: [0-9]+ ms b90:0\.00 paused start loop b90:0\.00-b91:0\.00$' 90
check "window titled demolive" find_window demolive 10 >/dev/null
shot
FIRST=$MEAN
check "the scene is drawn at bar 90 ($FIRST)" [ -n "$FIRST" -a "$FIRST" != "0 0 0" ]

key Right
check "Right: a beat on" wait_status 'b90:1\.00 paused seek \+1 beat$' $STEP
key shift+Left
check "Shift+Left: back to the bar line" wait_status 'b90:0\.00 paused seek -1 bar$' $STEP
key space
check "Space plays" wait_status 'b90:0\.00 playing play$' $STEP
check "the loop wraps to bar 90" wait_status '^live: [0-9]+ ms b90:0\.00 playing loop$' 60
key space
check "Space pauses" wait_status ' paused pause$' $STEP
key l
check "l turns the loop off" wait_status ' paused loop off$' $STEP
key Home
check "Home: the start" wait_status '^live: 0 ms b0:0\.00 paused seek start$' $STEP
# Tab steps through the scene spans in time order; the march scene's opens at bar 88. Each Tab
# is held across frames, as a person's is: the panel must leave it to the player.
tabbed=0
for _ in 1 2 3 4 5 6 7 8 9 10 11 12; do
    xdotool keydown Tab && sleep 0.3 && xdotool keyup Tab
    wait_status ' paused scene [A-Za-z0-9_.-]+$' $STEP || break
    [[ "$LINE" =~ b88:0\.00\ paused\ scene\ march_scene$ ]] && { tabbed=1; break; }
done
check "Tab: to the start of each scene's span, march_scene's at bar 88" [ "$tabbed" -eq 1 ]
key Up Up Up
check "Up: the next bar line" wait_status 'b91:0\.00 paused seek \+1 bar$' $STEP
key shift+Left
check "back at bar 90" wait_status 'b90:0\.00 paused seek -1 bar$' $STEP

# A broken timeline, written in place: the error names file and line, the picture stays.
cp "$TL" "$ROOT/good.timeline"
echo "march_scene b89 bright step" >>"$TL"
check "a broken timeline is refused with file and line" \
    wait_status "timeline not reloaded \(last good tracks kept\): $TL:[0-9]+: " $STEP
check "the error is on stderr" grep -qF "## ERROR: timeline not reloaded" "$ROOT/live_err.txt"
shot
check "the last good picture stays ($MEAN)" [ "$MEAN" == "$FIRST" ]

# The scene hidden at its own bar, saved by rename: reloaded, and the next frame is black.
sed -E 's/^(march_scene +b88 +)1( +step)/\10\2/' "$ROOT/good.timeline" | save_by_rename "$TL"
check "a changed timeline is reloaded" wait_status 'paused reload timeline .*: [0-9]+ tracks' $STEP
shot
check "the next frame shows it ($MEAN)" [ "$MEAN" == "0 0 0" ]
save_by_rename "$TL" <"$ROOT/good.timeline"
check "the good timeline again" wait_status 'paused reload timeline ' $STEP
shot
check "the scene is back ($MEAN)" [ "$MEAN" == "$FIRST" ]

# The onset file the timeline's pulses hit on is watched with it: saving it reloads.
ONSETS="$ROOT/timeline/demo.onsets"
cp "$ONSETS" "$ROOT/good.onsets"
echo "kick 1.0" >>"$ONSETS"
check "a saved onset file reloads the timeline" \
    wait_status "paused reload timeline $TL: [0-9]+ tracks" $STEP
save_by_rename "$ONSETS" <"$ROOT/good.onsets"

# The last pass of every frame is the blit of a screen-sized picture, texel for texel: turned
# magenta, the frame is.
FRAG="$ROOT/data/shaders/post_passthrough_texel.frag"
cp "$FRAG" "$ROOT/good.frag"
sed 's/fragColor = texelFetch(\(.*\));$/fragColor = mix(texelFetch(\1), vec4(1.0, 0.0, 1.0, 1.0), 0.99);/' \
    "$ROOT/good.frag" | save_by_rename "$FRAG"
check "the shader is reloaded" wait_status 'reload shader .*post_passthrough_texel\.frag \(' $STEP
shot
read -r r g b <<<"$MEAN"
check "the frame is magenta ($MEAN)" [ "${r:-0}" -gt 200 -a "${g:-255}" -lt 60 -a "${b:-0}" -gt 200 ]
echo "this is not GLSL" >>"$FRAG"
check "a broken shader is refused with file and line" \
    wait_status "shader .*post_passthrough_texel\.frag not reloaded \(last good program kept\): .*post_passthrough_texel\.frag:[0-9]+" $STEP
shot
check "the last good program still draws ($MEAN)" [ "$(cut -d' ' -f1,3 <<<"$MEAN")" == "$r $b" ]

key q
check "q quits" wait_status ' quit$' $STEP
wait_player $STEP
check "exit code 0 (got $EXIT_CODE)" [ "$EXIT_CODE" -eq 0 ]

# --solo draws its scene where the timeline shows nothing (bar 20), from the first frame: the
# random walk, whose tracks there (their first keys) leave a picture to see. The blit is good
# again first, or a broken one would draw the error colour over whatever the scene drew.
cp "$ROOT/good.frag" "$FRAG"
LOG="$ROOT/live_solo.txt"
SEEN=0
(cd "$ROOT" && exec setsid env SDL_AUDIODRIVER=dummy bin/demolive --start b20 --paused --no-panel \
    --solo randomwalk_scene >"$LOG" 2>"$ROOT/live_err.txt") &
APP_PID=$!
check "--solo starts" wait_status 'b20:0\.00 paused start solo randomwalk_scene$' 90
find_window demolive 10 >/dev/null
shot
check "the solo scene is drawn at bar 20 ($MEAN)" [ -n "$MEAN" -a "$MEAN" != "0 0 0" ]
key Escape
check "Escape quits" wait_status ' quit$' $STEP
wait_player $STEP
# The key editor: seek to a bar, put a key on a track by typing its value, change it by keys;
# the picture follows; undoing both leaves the timeline file as it was, byte for byte.
cp "$TL" "$ROOT/timeline_before"
LOG="$ROOT/live_edit.txt"
SEEN=0
(cd "$ROOT" && exec setsid env SDL_AUDIODRIVER=dummy bin/demolive --start b60 --paused \
    >"$LOG" 2>"$ROOT/live_err.txt") &
APP_PID=$!
check "the editor's run starts at bar 60" wait_status 'b60:0\.00 paused start$' 90
find_window demolive 10 >/dev/null
key Up
check "Up: seek to bar 61" wait_status 'b61:0\.00 paused seek \+1 bar$' $STEP
shot
BEFORE=$MEAN
# Columns in the order the tunnel reads its tracks; "." steps to the light's height.
for _ in $(seq 12); do
    key period
    wait_status ' paused track ' $STEP || break
    [[ "$LINE" == *"track tnl_lightdist "* ]] && break
done
check "a column picked by keys: tnl_lightdist" grep -q 'paused track tnl_lightdist (tunnel_scene)$' <<<"$LINE"
key 4 0 0 Return
check "typed 400: the status names the track, the row and the value" \
    wait_status 'b61:0\.00 paused edit tnl_lightdist row 1952 b61:0\.00 = 400 smooth \(.*new key' $STEP
check "  one new line in the text" [ "$(diff "$ROOT/timeline_before" "$TL" | grep -c '^>')" -eq 1 ]
key ctrl+4 ctrl+Up
check "Ctrl+Up with the step 100: 500" \
    wait_status 'edit tnl_lightdist row 1952 b61:0\.00 = 500 smooth' $STEP
shot
check "the picture changed with the key ($BEFORE -> $MEAN)" [ -n "$MEAN" -a "$MEAN" != "$BEFORE" ]
key ctrl+z
check "Ctrl+Z undoes the change of value" wait_status 'paused edit undo: ' $STEP
key ctrl+z
check "  and the new key" wait_status 'paused edit undo: ' $STEP
check "the timeline file is byte for byte as it was" cmp "$ROOT/timeline_before" "$TL"
key q
check "q quits the editor's run" wait_status ' quit$' $STEP
wait_player $STEP

if ((failures)); then
    echo "--- demolive stdout"; grep -v '^# note' "$LOG"
    echo "--- demolive stderr"; cat "$ROOT/live_err.txt"
fi
finish
