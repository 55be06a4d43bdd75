#!/usr/bin/env bash
# The real player under its own Xvfb: the toggle keys report, q quits with 0, logs in bin/.
source "$(dirname "$0")/lib.sh"

start_xvfb 1280x720x24
start_player SDL_AUDIODRIVER=dummy
wait_window
xdotool key m m l Home q
wait_player 120

check "exit code 0" [ "$EXIT_CODE" -eq 0 ]
check "logs written in the start directory" [ -f "$OUT" -a -f "$ERR" ]
check "no logs in the parent" [ ! -e "$ROOT/stdout.txt" -a ! -e "$ROOT/stderr.txt" ]
check "stderr begins with the self-test line" first_line_is "$ERR" "unit tests run successfully"
check "cwd is the parent of bin/" has_line "$OUT" "cwd: $(cd "$ROOT" && pwd -P)"
check "GL information lines" lines_in_order "$OUT" \
    "$(grep -m1 '^# glinfo: Vendor:   .' "$OUT")" \
    "$(grep -m1 '^#         Renderer: .' "$OUT")" \
    "$(grep -m1 '^#         Version:  .' "$OUT")"
check "three GL lines present" [ "$(grep -cE '^# glinfo: Vendor:   .|^#         Renderer: .|^#         Version:  .' "$OUT")" -eq 3 ]
check "m m l in order" lines_in_order "$ERR" "mute" "unmute" "unlimited"
check "Home turns the spectrum window off" has_line "$OUT" "fft-window off"
# The build makes the music, so a complete data/ gives no error line at all.
check "data/ holds the music" [ -f "$ROOT/data/muzak/Kelpmoor - Vantaloid Tides_demoedit02.mp3" ]
check "a complete data/ gives no error lines" bash -c "! grep -h 'ERROR' '$OUT' '$ERR'"
check "the music is streamed, 3m12s long" bash -c \
    "grep -F '# bass streaming file \"' '$OUT' | grep -qF 'Vantaloid Tides_demoedit02.mp3\" [size: ' &&
     grep -qF '# [length: 3m12s]' '$OUT'"
check "the sound device reports its latency" bash -c "grep -qxE '# info: bass latency: [0-9]+ms' '$ERR'"
check "the context's own programs compiled" has_line "$OUT" \
    "# note: compiled data/shaders/debugcol.vert data/shaders/debugcol.frag"
plugins=$(cd "$ROOT/bin" && ls render*.so 2>/dev/null)
if [[ -z "$plugins" ]]; then
    check "no plug-ins: a warning naming the search" has_line "$ERR" \
        "## WARNING: didn't find any dlls in \"$(cd "$ROOT" && pwd -P)/bin/render*.so\""
else
    check "each plug-in copied to the cache" \
        [ "$(cd "$ROOT/bin/dll_cache" && ls render*.so)" == "$plugins" ]
    check "one scene initialised per plug-in" \
        [ "$(grep -c '^loading "' "$OUT")" -eq "$(wc -l <<<"$plugins")" ]
fi
check "q ends before the demo does" bash -c "! grep -qxF 'out of demo...' '$ERR'"
finish
