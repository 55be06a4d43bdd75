#!/usr/bin/env bash
# The real player with a controlled set of plug-ins: a working test scene, a file that is not a
# library and a library without CreateScene. The bad ones are reported, the scene is loaded
# from its cache copy, initialised and drawn, and the player runs on until q.
source "$(dirname "$0")/lib.sh"
TEST_PLUGIN_DIR=${TEST_PLUGIN_DIR:?TEST_PLUGIN_DIR must name the test plug-ins}

rm -f "$ROOT"/bin/render*.so
cp "$TEST_PLUGIN_DIR/renderTestColourA.so" "$TEST_PLUGIN_DIR/renderTestNoCreate.so" "$ROOT/bin/"
head -c 200 /dev/zero >"$ROOT/bin/renderJunk.so"
echo stale >"$ROOT/bin/dll_cache/renderOld.so"
# testA visible and white over the whole frame: one key at row 0 (count, row, float, step).
mkdir -p "$ROOT/data/sync"
for track in testA testA_r testA_g testA_b testA_w; do
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80\x3f\x00' >"$ROOT/data/sync/_$track.track"
done

start_xvfb 1280x720x24
start_player SDL_AUDIODRIVER=dummy
wait_window
sleep 1
xdotool key q
wait_player 120

root=$(cd "$ROOT" && pwd -P)
cache="$root/bin/dll_cache"
check "exit code 0" [ "$EXIT_CODE" -eq 0 ]
check "the scene is initialised" has_line "$OUT" 'loading "testA"...'
check "only the scene is initialised" [ "$(grep -c '^loading ' "$OUT")" -eq 1 ]
check "the junk file is reported" lines_in_order "$ERR" \
    "## ERROR: code module-load failed: \"$cache/renderJunk.so\"" \
    "##        cwd: \"$root\""
check "the missing entry point is reported" has_line "$ERR" \
    "## ERROR: code module-bind failed: \"CreateScene\" in \"$cache/renderTestNoCreate.so\""
check "copies of all three in the cache, the stale one gone" [ "$(ls "$ROOT/bin/dll_cache")" == \
    $'renderJunk.so\nrenderTestColourA.so\nrenderTestNoCreate.so' ]
check "one scene never warns about several" bash -c "! grep -q 'MULTIPLE SCENES' '$ERR'"
check "q ends before the demo does" bash -c "! grep -qxF 'out of demo...' '$ERR'"
finish
